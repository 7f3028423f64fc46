#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class CCardStore;
class CVelumProperty;

// The property file beside a card file: the path with the text after the last
// full stop replaced by "vcv" (appended when there is no full stop).
QString PropertyFilePath(const QString& cardPath);

// Reads the property file into the store's file record, which holds the
// defaults (the store was just cleared); fields an older file lacks keep them.
// When the file is damaged, what was read before the damage is kept, the rest
// keeps the defaults, the user is told, and the file is marked to be kept as a
// backup when it is first saved over. Answers whether a property file exists.
// A card file that is itself named .vcv has no property file.
bool LoadPropertyFile(CCardStore& store, const QString& cardPath);
// Copies the item records read from the property file into the store's table
// and marks them set.
void ApplyItemProperties(CCardStore& store);
// Replaces the item copies by the store's records, then writes the property
// file when the file record or an item record is set, or when the file there
// is the damaged one read (which is first copied to its backup). On failure
// shows "vcvファイルの保存に失敗しました。再度保存してください。 - " and the
// reason, and answers false; the card file is already written.
bool SavePropertyFile(CCardStore& store, const QString& cardPath);

// The bytes of a property file and back. Reading goes onto the values record
// holds; it answers an empty text when the bytes were sound, else what was
// wrong, and *offset (when given) the byte at which it was found.
QString ReadPropertyBytes(QByteArrayView bytes, CVelumProperty* record, qsizetype* offset = nullptr);
QByteArray WritePropertyBytes(const CVelumProperty& record);

namespace msg {
inline const QString kPropertySaveFailed = QStringLiteral("vcvファイルの保存に失敗しました。再度保存してください。 - ");
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
