#pragma once

#include "platform/file_io.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CCardStore;
class CVelumProperty;

// The property file beside a card file: the path with the text after the last
// full stop replaced by "vcv" (appended when there is no full stop).
QString PropertyFilePath(const QString& cardPath);
// The property file that belongs to a card file: beside the file the path
// leads to when it is a symbolic link, not beside the link.
QString PropertyFileOf(const QString& cardPath);

// Reads the property file into the store's file record, which holds the
// defaults (the store was just cleared); fields an older file lacks keep them.
// When the file is damaged, what was read before the damage is kept, the rest
// keeps the defaults, the user is told, and the file is marked to be kept as a
// backup when it is first saved over. Answers whether a property file exists.
// A card file that is itself named .vcv has no property file.
bool LoadPropertyFile(CCardStore& store, const QString& cardPath);
// Copies the item records read from the property file into the store's table
// and marks them set: each to the item of its name when the file names the
// items it was written for (CopyForEachItem), else by position.
void ApplyItemProperties(CCardStore& store);
// Which copy belongs to each of items (-1: none). Without the copies' names
// (copyNames not one per copy), by position. Otherwise by name, the k-th item
// of a name taking the k-th copy of that name; an item whose name no copy
// has takes the copy at its place when no other item took it (a renamed item).
std::vector<int> CopyForEachItem(const QStringList& items, const QStringList& copyNames, int copies);
// The property file of a save, written in two steps so that the card file and
// it replace their old files together: Prepare writes the new bytes to a
// temporary file (the old file stays), Commit replaces the old file.
class CPropertyFileSave {
 public:
  // Replaces the item copies by the store's records; then, when the file
  // record or an item record is set, or when the file there is the damaged
  // one read (which is first copied to its backup), writes the temporary
  // file. newMode: the permission bits of a property file that does not exist
  // yet (those of the card file; -1 for the umask's). False on failure, with
  // Error() ("PATH: reason"), also when the bytes would pass kMaxPropertyFile,
  // the most the reader takes.
  bool Prepare(CCardStore& store, const QString& cardPath, mode_t newMode);
  // Whether Prepare made a file to commit.
  bool Writes() const { return m_file.has_value(); }
  // Replaces the old property file; true when there was nothing to write.
  bool Commit(CCardStore& store);
  const QString& Error() const { return m_error; }
  // The file's owner or permissions could not be kept (CFileCommit::Warning).
  QString Warning() const { return m_file ? m_file->Warning() : QString(); }

 private:
  std::optional<CFileCommit> m_file;
  QString m_error;
};

// The bytes of a property file and back. Reading goes onto the values record
// holds; it answers an empty text when the bytes were sound, else what was
// wrong, and *offset (when given) the byte at which it was found. The names
// of the items (m_itemNames) follow the record when they are known.
QString ReadPropertyBytes(QByteArrayView bytes, CVelumProperty* record, qsizetype* offset = nullptr);
QByteArray WritePropertyBytes(const CVelumProperty& record);

namespace msg {
inline const QString kPropertySaveFailed = QStringLiteral("vcvファイルの保存に失敗しました。再度保存してください。 - ");
// After the reason of a failed save: what was kept.
inline const QString kPairKept = QStringLiteral("（カードファイルとvcvファイルはどちらも元のままです）");
inline const QString kCardSavedPropertyKept = QStringLiteral("（カードファイルは保存しました。vcvファイルは元のままです）");
// %1: the property file's name, %2: byte offset from 1, %3: what was wrong,
// %4: the name of the backup.
inline const QString kPropertyDamaged = QStringLiteral(
    "プロパティファイル「%1」を正しく読み込めませんでした（%2バイト目：%3）。読み込めなかった設定は既定値になります。"
    "上書き保存すると、元のファイルは「%4」として残ります");
// %1: the property file's name, %2: the reason.
inline const QString kPropertyUnreadable = QStringLiteral(
    "プロパティファイル「%1」を読み込めませんでした（%2）。設定は既定値になります。"
    "上書き保存すると、元のファイルは「%3」として残ります");
}  // namespace msg
