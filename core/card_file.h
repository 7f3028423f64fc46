#pragma once

#include "core/card_line.h"
#include "platform/input_file.h"

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
// How the reader shares out its work. The text is cut after line ends into
// chunks of about chunkBytes; with more than one thread the chunks are decoded
// and split into cards on a pool of that many threads (0: one for each
// processor the process may run on, at most kMaxReadThreads) and joined in
// file order. Either way the cards, the item names, the flags and the
// messages are the same.
inline constexpr qint64 kReadPiece = 1 << 20;
inline constexpr qint64 kReadChunk = qint64(2) << 20;
inline constexpr int kMaxReadThreads = 8;
// ReadCardFile reads a smaller file on the calling thread.
inline constexpr qint64 kParallelRead = qint64(4) << 20;
struct CReadSplit {
  int threads = 1;
  qint64 chunkBytes = kReadChunk;
};
// The threads a read or a save may use when asked for 0: the processors the
// process may run on, at most kMaxReadThreads.
int AvailableThreads();
// Readies the C library's allocator for threads that allocate much at once
// while it lives: made before work is shared out, gone when it is done.
class CWorkerHeaps {
 public:
  CWorkerHeaps();
  ~CWorkerHeaps();
  CWorkerHeaps(const CWorkerHeaps&) = delete;
  CWorkerHeaps& operator=(const CWorkerHeaps&) = delete;
};

// The reader's work once the file is open and the store cleared: decoding,
// lines, records, item names, taking the bytes piece by piece from read (which
// answers how many it gave; fewer than asked means the end). hasProperties: a
// property file was loaded. pieceSize: the size of the reads that tell the
// encoding. When the cards would take more than memoryBudget bytes (-1: no
// limit) reading stops, the store is cleared, the user is told and the answer
// is 0. The first byte 0x1A ends the text: nothing after it is read or counted;
// when more than line ends follow it, the user is told the line and the
// answer is -1, so that a save does not cut the rest from the file.
// Bytes that are no character are counted over the text, or up to the end of
// the line where reading stopped.
int ReadCardStream(CCardStore& store, const std::function<qint64(char*, qint64)>& read, bool hasProperties,
                   qint64 pieceSize = kReadPiece, qint64 memoryBudget = -1, const CReadSplit& split = {});
// The same over bytes in memory.
int ReadCardBytes(CCardStore& store, QByteArray bytes, bool hasProperties, qint64 pieceSize = kReadPiece,
                  const CReadSplit& split = {});
// How a save shares out its work: with more than one thread (0: as for a
// read) and more cards than one batch, the cards are formatted and encoded in
// batches of batchCards on a pool of threads and written in order. The file
// is the same either way.
struct CWriteSplit {
  int threads = 0;
  int batchCards = 8192;
};
// Never writes a file that ReadCardFile with maxBytes would refuse: the user
// is told and the old file stays (card_file_checks.h).
int WriteCardFile(CCardStore& store, const QString& path, const CWriteSplit& split = {},
                  qint64 maxBytes = kMaxCardFile);
