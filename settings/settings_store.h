#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
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
// under an advisory lock, changes one value and replaces the file atomically,
// so that two running copies never lose each other's values. Writes never
// report failure to the user.
class CSettingsStore {
 public:
  // The file: $VELUM_SETTINGS, else $XDG_CONFIG_HOME/velum/velum.reg.
  static QString DefaultPath();

  explicit CSettingsStore(QString path = DefaultPath());

  const QString& Path() const { return m_path; }

  std::uint32_t GetProfileInt(const QString& section, const QString& value, std::uint32_t def) const;
  QString GetProfileString(const QString& section, const QString& value, const QString& def) const;
  // Answer false when the file could not be written; callers of the program's
  // own settings ignore it, as the original store did.
  bool WriteProfileInt(const QString& section, const QString& value, std::uint32_t number);
  bool WriteProfileString(const QString& section, const QString& value, const QString& text);

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
  };
  struct Section {
    QString header;  // the key as written between the brackets
    QString name;    // the section name below our key; empty for other keys
    std::vector<Line> lines;
  };
  struct Content {
    QStringList preamble;  // lines before the first section
    std::vector<Section> sections;
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

  static Content Parse(const QString& text);
  static QString Serialise(const Content& content);

  QString m_path;
  mutable Content m_content;
  mutable Stamp m_stamp;
  mutable bool m_loaded = false;
};
