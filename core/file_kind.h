#pragma once

#include <QByteArrayView>
#include <QString>

// What a file that is no card file looks like. Such files (an address book
// exported as vCards, a spreadsheet, a picture) would open as cards of
// garbage; they are refused with what they seem to be instead. Judged from the
// first bytes, and for the formats that only their name tells apart (a
// spreadsheet inside a zip or a compound file) from the name.
enum class FileKind { kText, kVCard, kSpreadsheet, kZip, kImage, kPdf, kBinary };

// How many bytes of the start of a file SniffFileKind needs.
inline constexpr qsizetype kSniffBytes = 64 * 1024;

// kText for whatever a card file may be: text in any encoding the reader
// takes. A NUL byte makes binary data, except in UTF-16 (with its BOM).
FileKind SniffFileKind(QByteArrayView head, const QString& fileName);

// For a file that is no card file: the reason to show ("カードファイルでは
// ありません（…のようです）"). Empty for a card file and for a file that cannot
// be read (its reader says why).
QString NotCardFileReason(const QString& path);

namespace msg {
// %1: the path, %2: the reason.
inline const QString kCannotOpenPath = QStringLiteral("ファイルが開けません\n%1: %2");
// %1: what the file seems to be (one of the names below).
inline const QString kNotCardFile = QStringLiteral("カードファイルではありません（%1のようです）");
inline const QString kKindVCard = QStringLiteral("vCard（連絡先）のファイル");
inline const QString kKindSpreadsheet = QStringLiteral("表計算のファイル");
inline const QString kKindZip = QStringLiteral("ZIP形式の圧縮ファイル");
inline const QString kKindImage = QStringLiteral("画像ファイル");
inline const QString kKindPdf = QStringLiteral("PDFファイル");
inline const QString kKindBinary = QStringLiteral("バイナリデータ");
}  // namespace msg
