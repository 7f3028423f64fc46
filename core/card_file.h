#pragma once

#include "core/card_row.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

class CCardStore;

// The card-file format: one record a line, items separated by commas, each item
// bare or between double quotes, with the escape characters of the own style:
//   0x01 0x02  a line break (CR LF) inside an item
//   0x03 0x03  a double quote inside a bare item
//   0x04       a comma inside a bare item

enum class ParseStatus { kOk, kTooManyItems };

// Fills row from one record. The line may end with its line feed; one is assumed
// when it does not. Fails (row left empty) when the record has more than 200 items.
ParseStatus ParseLine(CCardRow& row, QStringView line);

// The record of one card for the file, ended by CR LF. In the Microsoft-CSV
// style (multiLine) an item with a line break, a comma or a double quote is
// written quoted, and its quote flag is set in the row.
QString FormatLine(CCardRow& row, bool multiLine);

// The record of one card for the clipboard and for moving a card into the item
// names, ended by a lone line feed; ParseLine reads every text back unchanged.
QString FormatInternalLine(const CCardRow& row);

// The reader and writer behind CCardStore::Read and Write.
int ReadCardFile(CCardStore& store, const QString& path);
// The reader's work once the file is open and the store cleared: decoding,
// lines, records, item names, taking the bytes piece by piece from read (which
// answers how many it gave; fewer than asked means the end). hasProperties: a
// property file was loaded.
inline constexpr qint64 kReadPiece = 1 << 20;
int ReadCardStream(CCardStore& store, const std::function<qint64(char*, qint64)>& read, bool hasProperties,
                   qint64 pieceSize = kReadPiece);
// The same over bytes in memory.
int ReadCardBytes(CCardStore& store, QByteArray bytes, bool hasProperties, qint64 pieceSize = kReadPiece);
int WriteCardFile(CCardStore& store, const QString& path);
