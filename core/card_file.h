#pragma once

#include "core/card_line.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

class CCardStore;

// The reader and writer behind CCardStore::Read and Write.
// Only a regular file is read (a message says why another is not), of at most
// maxBytes (-1: any size).
int ReadCardFile(CCardStore& store, const QString& path, qint64 maxBytes = -1);
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
