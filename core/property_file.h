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
// and marks them set, each to the item it was written for (CopyForEachItem).
// Records that go to no item and carry anything are named to the user, and
// the file is kept as a backup when it is first saved over.
void ApplyItemProperties(CCardStore& store);
// Which copy belongs to each of items (-1: none); computes: for each copy,
// whether it computes its item's value (a formula or a linked item). When the
// names of the items the copies were written for are known (copyNames, one
// per copy), by name only: the k-th item of a name takes the k-th copy of that
// name, and an item whose name no copy has (renamed or replaced elsewhere)
// takes none. Otherwise by position; but when the counts differ the files are
// of different saves or were changed elsewhere, and a copy that computes,
// whose item cannot be known, goes to none (it would overwrite the item's
// texts).
std::vector<int> CopyForEachItem(const QStringList& items, const QStringList& copyNames,
                                 const std::vector<bool>& computes);
// The property file of a save, written in two steps so that the card file and
// it replace their old files together: Prepare writes the new bytes to a
// temporary file (the old file stays), Commit replaces the old file.
class CPropertyFileSave {
 public:
  // Replaces the item copies by the store's records; then, when the file
  // record or an item record is set, or the record differs from a new
  // document's, or when the file there is one read with damage or with
  // records that were not applied (which is first copied to its backup),
  // writes the temporary file. newMode: the permission bits of a property file that does not exist
  // yet (those of the card file; -1 for the umask's). False on failure, with
  // Error() ("PATH: reason"), also when the bytes would pass kMaxPropertyFile,
  // the most the reader takes.
  bool Prepare(CCardStore& store, const QString& cardPath, mode_t newMode);
  // Whether Prepare made a file to commit.
  bool Writes() const { return m_file.has_value(); }
  // Replaces the old property file, and notes in the settings the items its
  // records were written for and the label lines (core/property_notes.h);
  // true when there was nothing to write.
  bool Commit(CCardStore& store);
  const QString& Error() const { return m_error; }
  // The file's owner or permissions could not be kept (CFileCommit::Warning).
  QString Warning() const { return m_file ? m_file->Warning() : QString(); }

 private:
  std::optional<CFileCommit> m_file;
  QString m_path;
  QByteArray m_bytes;
  QString m_error;
};

// The bytes of a property file and back: the record alone, as it is stored.
// Reading goes onto the values record holds; it answers an empty text when
// the bytes were sound, else what was wrong, and *offset (when given) the
// byte at which it was found. It also takes the names of the items
// (m_itemNames) that files of earlier versions write after the record.
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
// %1: the property file's name, %2: why (kItemsGone, kItemCountDiffers), %3:
// the records not applied (kNamedItem or kNthItem + kItsFormula ...), joined by
// kListSeparator, %4: the name of the backup.
inline const QString kRecordsNotApplied = QStringLiteral(
    "プロパティファイル「%1」の次の設定は、%2ため適用しませんでした：%3。"
    "項目の内容はカードファイルのままです。上書き保存すると、元のファイルは「%4」として残ります");
inline const QString kItemsGone = QStringLiteral("書かれたときの項目がカードファイルにない（名前が変わったか、置き換えられた）");
// %1: the card file's items, %2: the property file's.
inline const QString kItemCountDiffers =
    QStringLiteral("カードファイルとプロパティファイルで項目の数が違い（%1項目と%2項目）、どの項目のものか分からない");
inline const QString kNamedItem = QStringLiteral("「%1」");
inline const QString kNthItem = QStringLiteral("%1番目の項目");
inline const QString kItsFormula = QStringLiteral("の計算式");
inline const QString kItsLink = QStringLiteral("の連動項目");
inline const QString kItsSettings = QStringLiteral("の設定");
inline const QString kListSeparator = QStringLiteral("、");
// %1: the property file's name, %2: the reason.
inline const QString kPropertyUnreadable = QStringLiteral(
    "プロパティファイル「%1」を読み込めませんでした（%2）。設定は既定値になります。"
    "上書き保存すると、元のファイルは「%3」として残ります");
}  // namespace msg
