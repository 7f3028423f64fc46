#pragma once

#include "keys/keycust.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class CSettingsStore;

// What reading a key file gave.
struct CKeyFileStatus {
  enum Result {
    kLoaded,      // every binding was read
    kCannotOpen,  // the file could not be opened or read: the map is unchanged
    kDamaged,     // the bindings before the damage were taken
  };
  Result result = kLoaded;
  QString reason;         // kCannotOpen: the system's reason; kDamaged: what was wrong
  qsizetype offset = -1;  // kDamaged: the byte offset of the damage
  int kept = 0;           // the bindings taken
  bool Ok() const { return result != kCannotOpen; }
};

// The key map: an ordered list of bindings and the path of the key file it was
// last loaded from or saved to. The first binding of a key with its modifiers
// wins; several keys may send the same command.
class CKeyMap {
 public:
  // settings: where Load and Save record the key file as System/Keycust; null
  // records nothing (one-shot tools).
  explicit CKeyMap(CSettingsStore* settings = nullptr) : m_settings(settings) {}

  int Count() const { return int(m_bindings.size()); }
  const CKeycust& At(int i) const { return m_bindings[std::size_t(i)]; }
  const std::vector<CKeycust>& Bindings() const { return m_bindings; }

  // The command of the first binding of the key with exactly these modifiers, or 0.
  std::uint32_t FindCommand(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) const;
  // The index of that binding, or -1.
  int FindBinding(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) const;
  // The index of the first binding that sends the command, or -1.
  int FindKeyForCommand(std::uint32_t command) const;
  // The key label of binding i ("Ctrl+F").
  QString LabelOf(int i) const;
  // The label a menu entry of the command shows: that of the first binding of
  // the command; none when no key sends it.
  std::optional<QString> LabelForCommand(std::uint32_t command) const;

  void Append(const CKeycust& binding) { m_bindings.push_back(binding); }
  void RemoveAt(int i) { m_bindings.erase(m_bindings.begin() + i); }
  void SetCommand(int i, std::uint32_t command) { m_bindings[std::size_t(i)].m_command = command; }
  void Clear() { m_bindings.clear(); }

  const QString& Path() const { return m_path; }
  // A given path first becomes the map's path; without one the map's path is
  // used. Load empties the map and takes the file's bindings; a damaged file
  // leaves those read before the damage, each one whole. Both record the path
  // as System/Keycust when they could open the file. Save replaces the file
  // only when every byte was written; on failure error (when given) receives
  // "PATH: reason" for the message after "保存できません".
  CKeyFileStatus Load(const QString& path = {});
  bool Save(const QString& path = {}, QString* error = nullptr);

  // The start of the application: loads the file named by System/Keycust (by
  // default velum.key in programFolder). A file that cannot be read leaves the
  // map empty.
  CKeyFileStatus Start(const QString& programFolder);
  // At the end of the program: System/Keycust once more with the map's path.
  void RecordPath() const;

  // The key file of the bindings: an archive holding them as an object array.
  static QByteArray Encode(const std::vector<CKeycust>& bindings);
  // Reads a key file's bytes into bindings (emptied first).
  static CKeyFileStatus Decode(QByteArrayView bytes, std::vector<CKeycust>* bindings);

 private:
  CSettingsStore* m_settings;
  std::vector<CKeycust> m_bindings;
  QString m_path;
};

namespace keys_msg {
inline const QString kCannotSave = QStringLiteral("保存できません");
inline const QString kCannotLoad = QStringLiteral("読み込めません");
// %1: the file's whole path, %2: the reason.
inline const QString kCannotLoadFile = QStringLiteral("キーファイル「%1」を読み込めません：%2");
// %1: the file's whole path, %2: the byte offset, %3: the reason, %4: the bindings kept.
inline const QString kDamaged =
    QStringLiteral("キーファイル「%1」が壊れています（%2バイト目：%3）。読み込めた%4件の割り当てを使います");
}  // namespace keys_msg

// The message for a damaged key file; empty for any other status.
QString DamageMessage(const CKeyFileStatus& status, const QString& path);
// The message for a key file that could not be read, with its whole path and
// the reason; empty for any other status.
QString CannotLoadMessage(const CKeyFileStatus& status, const QString& path);
