#pragma once

#include "core/card_line.h"
#include "core/input_file.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

class CCardStore;

// The reader and writer behind CCardStore::Read and Write.
// Only a regular file is read (a message says why another is not), of at most
// maxBytes (-1: any size), whose cards take at most kCardMemoryFactor times
// maxBytes. Answers 1 read, -1 read in part (the user was told why), 0 not read
// (a file too large or not regular was named to the user; one that could not
// be opened only when reportCannotOpen, except one that does not exist).
int ReadCardFile(CCardStore& store, const QString& path, qint64 maxBytes = kMaxCardFile,
                 bool reportCannotOpen = false);
// The reader's work once the file is open and the store cleared: decoding,
// lines, records, item names, taking the bytes piece by piece from read (which
// answers how many it gave; fewer than asked means the end). hasProperties: a
// property file was loaded. When the cards would take more than memoryBudget
// bytes (-1: no limit) reading stops, the store is cleared, the user is told
// and the answer is 0.
inline constexpr qint64 kReadPiece = 1 << 20;
int ReadCardStream(CCardStore& store, const std::function<qint64(char*, qint64)>& read, bool hasProperties,
                   qint64 pieceSize = kReadPiece, qint64 memoryBudget = -1);
// The same over bytes in memory.
int ReadCardBytes(CCardStore& store, QByteArray bytes, bool hasProperties, qint64 pieceSize = kReadPiece);
int WriteCardFile(CCardStore& store, const QString& path);
