#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// The persistent store of named sections of named values (numbers or texts),
// kept in one UTF-8 file in the syntax of a registry export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Zelphi\Velum\System]
//   "DefaultFile"="/home/user/住所.csv"
//   "CalcNull"=dword:00000001
//
// Section and value names compare without regard to case; a value keeps the
// spelling of its first write. A missing file, section or value, or a line that
// cannot be read, yields the caller's default. Reads see another process's
// writes (the file is read again when it changed). A write re-reads the file
// under an advisory lock, changes its values and replaces the file atomically,
// so that two running copies never lose each other's values; a group of values
// that belong together (the word history, the recent files, a font) is read and
// written under one lock with Update.
//
// Whatever the store does not understand it keeps: lines it cannot read, bytes
// that are not UTF-8 (written back as they were), and the file's form (UTF-8,
// or UTF-16 with its byte-order mark as a registry export has it; LF or CR LF).
// A file it cannot read at all (UTF-16 without a byte-order mark, binary, not
// a regular file, larger than kMaxFileSize) yields the defaults and is never
// written over. In a text, CR, LF and NUL are escaped (\r, \n, \0) beside
// \\ and \", so that no value can break its line.
class CSettingsStore {
 public:
  // The file: $VELUM_SETTINGS, else $XDG_CONFIG_HOME/velum/velum.reg.
  static QString DefaultPath();

  explicit CSettingsStore(QString path = DefaultPath());

  const QString& Path() const { return m_path; }

  std::uint32_t GetProfileInt(const QString& section, const QString& value, std::uint32_t def) const;
  QString GetProfileString(const QString& section, const QString& value, const QString& def) const;
  // Answer false when the file could not be written (the old file then stays
  // whole, and onProblem hears why); the program's own settings go on with
  // the value they have in memory of the caller.
  bool WriteProfileInt(const QString& section, const QString& value, std::uint32_t number);
  bool WriteProfileString(const QString& section, const QString& value, const QString& text);

  // Runs fn with the file locked and read afresh: the reads and writes fn makes
  // through this store see and change that content, and the file is written
  // once when fn returns, so that a read-modify-write of several values never
  // interleaves with another process's. Calls nest (the inner ones join the
  // outer one). Answers false when the file was not written.
  bool Update(const std::function<void()>& fn);

  // Hears, for the user, why a write did not happen: the path and the system's
  // reason, or why the file is left untouched. The window shows it, velum-cli
  // prints it; unset, nothing is said.
  std::function<void(const QString&)> onProblem;

  // How long a write waits for another process's lock before it gives up
  // (onProblem names the lock file). After one such wait, later writes only
  // try the lock until they get it again.
  std::chrono::milliseconds lockWait = std::chrono::seconds(3);

  static constexpr qint64 kMaxFileSize = qint64(8) << 20;

  // The registry key under which the sections stand.
  static QString KeyPrefix();

 private:
  struct Value {
    QString name;
    bool isNumber = false;
    std::uint32_t number = 0;
    QString text;
  };
  struct Line {  // one line of a section: a value, or text kept as it stood
    bool isValue = false;
    Value value;
    QString raw;
    QByteArray bytes;  // a line that was not UTF-8: its bytes, written back unchanged
  };
  struct Section {
    QString header;  // the key as written between the brackets
    QString name;    // the section name below our key; empty for other keys
    QByteArray headerBytes;  // a header line that was not UTF-8, as it stood
    std::vector<Line> lines;
  };
  enum class Form { kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };
  struct Content {
    std::vector<Line> preamble;  // lines before the first section
    std::vector<Section> sections;
    Form form = Form::kUtf8;
    bool crlf = false;
    QString unreadable;  // why the file cannot be read; it is then never written
  };
  struct Stamp {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    quint64 inode = 0;
    bool operator==(const Stamp&) const = default;
  };

  Stamp CurrentStamp() const;
  void Refresh() const;
  const Value* Find(const QString& section, const QString& value) const;
  bool Write(const QString& section, const QString& value, const Value& v);

  void Apply(const QString& section, const QString& value, const Value& v);
  void Problem(const QString& text) const;

  static Content Parse(const QByteArray& bytes);
  static QByteArray Serialise(const Content& content);

  QString m_path;
  mutable Content m_content;
  mutable Stamp m_stamp;
  mutable bool m_loaded = false;
  int m_updateDepth = 0;
  bool m_changed = false;
  bool m_lockTimedOut = false;
  mutable QString m_lastProblem;  // said already; cleared by a write that succeeds
};

namespace settings_msg {
// Followed by "PATH: reason".
inline const QString kCannotSave = QStringLiteral("設定を保存できません - ");
// %1: the settings file, %2: why it cannot be read.
inline const QString kUntouched =
    QStringLiteral("設定ファイル「%1」は読めない形式のため、書き換えずにそのままにします（%2）");
// After kCannotSave; %1: the lock file.
inline const QString kLocked = QStringLiteral("%1: ほかのプログラムが設定ファイルをロックしたままです");
}  // namespace settings_msg
