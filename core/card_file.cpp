#include "core/card_file.h"

#include "core/card_file_checks.h"
#include "core/card_line.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "core/property_file.h"
#include "platform/file_io.h"
#include "platform/input_file.h"
#include "platform/progress.h"

#include <QFile>
#include <QSemaphore>
#include <QThreadPool>

#include <deque>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include <sys/stat.h>

using namespace card_char;

int ReadCardFile(CCardStore& store, const QString& path, qint64 maxBytes, bool reportCannotOpen) {
  store.SetFilePath(path);
  QFile file;
  QString reason;
  const InputStatus status = OpenInputFile(file, path, maxBytes, &reason);
  if (status != InputStatus::kOk) {
    // A device or a FIFO is no card file, and a file beyond the limit is not
    // read: say why rather than only that it could not be opened.
    if (status == InputStatus::kNotRegular || status == InputStatus::kTooLarge ||
        (status == InputStatus::kCannotOpen && reportCannotOpen))
      store.Services().prompt.Notice(input_msg::kCannotRead.arg(path, reason));
    return 0;
  }
  store.Clear();
  const bool hasProperties = LoadPropertyFile(store, path);
  const qint64 size = file.size();
  CProgressScope progress(store.Services().Progress(), progress_msg::kOpening, size);
  qint64 done = 0;
  QString failure;
  const int result = ReadCardStream(
      store,
      [&](char* to, qint64 max) {
        const qint64 n = failure.isEmpty() ? file.read(to, max) : 0;
        if (n < 0) {
          failure = msg::kReadFailed.arg(path, file.errorString());
          return qint64(0);
        }
        done += n;
        // The end came before the size the file had when it was opened:
        // another program cut it while it was read.
        if (n < max && done < size && failure.isEmpty())
          failure = msg::kCutWhileReading.arg(path).arg(done).arg(size);
        progress.Step(done);
        return n;
      },
      hasProperties, kReadPiece, maxBytes < 0 ? -1 : maxBytes * kCardMemoryFactor,
      CReadSplit{size >= kParallelRead ? 0 : 1});
  if (result == 0 || failure.isEmpty()) return result;
  // What was read is kept, as after any read that stopped early, and the
  // file is not saved over.
  store.Services().prompt.Notice(failure);
  return -1;
}

namespace {

// The most of the platform's error text shown after the property file's message.
constexpr qsizetype kMaxErrorText = 255;

// The first item whose text the code page cannot hold, for the question
// whether to save as UTF-8 instead, or (not offer) for the reason of a failure.
QString DescribeUnencodable(CCardStore& store, CodePage cp, bool offer) {
  const QString& text = offer ? msg::kUnencodable : msg::kUnencodableReason;
  auto check = [&](const CCardRow& row, const QString& where) -> QString {
    for (int i = 0; i < row.ItemCount(); ++i) {
      const EncodeResult r = EncodeText(row.Item(i), cp);
      if (!r.ok())
        return text.arg(where, store.Item(i).toString(), CharacterAt(row.Item(i), r.failedAt), CodePageName(cp));
    }
    return {};
  };
  if (store.FirstLineIsItems()) {
    const QString m = check(store, msg::kItemNamesRow);
    if (!m.isEmpty()) return m;
  }
  for (int k = 0; k < store.AllCount(); ++k) {
    const QString m = check(*store.AllCard(k), msg::kCardN.arg(k + 1));
    if (!m.isEmpty()) return m;
  }
  return text.arg(msg::kItemNamesRow, QString(), QString(), CodePageName(cp));
}

// An item the save writes quoted whose flag is not yet set (card -1: the
// item names): the flags are set once the whole file is written, so that a
// save that fails leaves the cards as they were.
struct CQuoteFlag {
  int card, item;
};

void AppendCard(QString& text, const CCardRow& row, int card, const CLineForm& form, std::vector<CQuoteFlag>* flags) {
  thread_local std::vector<int> quote;
  quote.clear();
  AppendLine(text, row, form, &quote);
  for (const int i : quote) flags->push_back({card, i});
}

// The form every record of the store is written in.
CLineForm StoreLineForm(const CCardStore& store) {
  return {store.MultiLine(), store.LineEnds().record, store.LineEnds().inner};
}

// A file read without a line end after its last record is written so again.
void EndLastRecord(QString& text, const CCardStore& store) {
  const QStringView end = LineEndText(store.LineEnds().record);
  if (!store.LineEnds().finalEnd && text.endsWith(end)) text.chop(end.size());
}

// Writes the lines of the file in pieces of about a mebibyte of text, each
// encoded and written at once, so that a save holds no copy of the whole file
// beside the cards. 1 written; 0 a write failed (file.Error() says why); -1 a
// text the code page cannot hold (what was written is to be thrown away).
int WritePieces(CCardStore& store, CFileCommit& file, CodePage cp, CProgressScope& progress,
                std::vector<CQuoteFlag>* flags) {
  constexpr qsizetype kPiece = qsizetype(1) << 20;
  QString text;
  text.reserve(kPiece + kPiece / 8);
  auto flush = [&]() -> int {
    const EncodeResult encoded = EncodeText(text, cp);
    if (!encoded.ok()) return -1;
    if (!file.Write(encoded.bytes)) return 0;
    text.resize(0);
    return 1;
  };
  const CLineForm form = StoreLineForm(store);
  const int count = store.AllCount();
  if (store.FirstLineIsItems()) AppendCard(text, store, -1, form, flags);
  for (int k = 0; k < count; ++k) {
    AppendCard(text, *store.AllCard(k), k, form, flags);
    // The last record stays for the final piece, which may drop its end.
    if (text.size() >= kPiece && k + 1 < count)
      if (const int r = flush(); r != 1) return r;
    if ((k & 0xFFF) == 0) progress.Step(k);
  }
  EndLastRecord(text, store);
  return flush();
}

// One batch of cards formatted and encoded by a worker of a parallel save.
struct CWriteBatch {
  int begin = 0, end = 0;
  bool names = false;  // the item names' line comes first
  bool last = false;   // the file's last record is in this batch
  QByteArray bytes;
  std::vector<CQuoteFlag> flags;
  enum { kEncoded, kUnencodable, kNoMemory } status = kNoMemory;
  QSemaphore done;
};

void EncodeBatch(const CCardStore& store, CWriteBatch& batch, CodePage cp, const CLineForm& form) {
  try {
    QString text;
    if (batch.names) AppendCard(text, store, -1, form, &batch.flags);
    for (int k = batch.begin; k < batch.end; ++k) AppendCard(text, *store.AllCard(k), k, form, &batch.flags);
    if (batch.last) EndLastRecord(text, store);
    EncodeResult encoded = EncodeText(text, cp);
    batch.status = encoded.ok() ? CWriteBatch::kEncoded : CWriteBatch::kUnencodable;
    batch.bytes = std::move(encoded.bytes);
  } catch (const std::bad_alloc&) {
    batch.status = CWriteBatch::kNoMemory;
  }
}

// WritePieces on a pool of threads: batches of cards are formatted and
// encoded side by side, at most a few more than threads at once, and written
// in order; the workers only read the cards. A lack of memory in a worker
// reaches the caller as it would from WritePieces.
int WriteParallel(const CCardStore& store, CFileCommit& file, CodePage cp, CProgressScope& progress, int threads,
                  int batchCards, std::vector<CQuoteFlag>* flags) {
  const CLineForm form = StoreLineForm(store);
  const int count = store.AllCount();
  const CWorkerHeaps heaps;
  QThreadPool pool;
  pool.setMaxThreadCount(threads);
  std::deque<std::shared_ptr<CWriteBatch>> held;
  int next = 0;
  bool names = store.FirstLineIsItems();
  int result = 1;
  while (result == 1) {
    while ((next < count || names) && held.size() < std::size_t(threads) + 2) {
      auto batch = std::make_shared<CWriteBatch>();
      batch->begin = next;
      batch->end = std::min(count, next + batchCards);
      batch->names = names;
      names = false;
      next = batch->end;
      batch->last = next == count;
      held.push_back(batch);
      pool.start([batch, &store, cp, form] {
        EncodeBatch(store, *batch, cp, form);
        batch->done.release();
      });
    }
    if (held.empty()) break;
    const std::shared_ptr<CWriteBatch> batch = std::move(held.front());
    held.pop_front();
    batch->done.acquire();
    if (batch->status == CWriteBatch::kNoMemory) throw std::bad_alloc();
    if (batch->status == CWriteBatch::kUnencodable)
      result = -1;
    else if (!file.Write(batch->bytes))
      result = 0;
    flags->insert(flags->end(), batch->flags.begin(), batch->flags.end());
    progress.Step(batch->end);
  }
  pool.clear();  // after a failure, the batches not begun
  return result;
}

}  // namespace

int WriteCardFile(CCardStore& store, const QString& path, const CWriteSplit& split, qint64 maxBytes) {
  IPrompt& prompt = store.Services().prompt;
  // A device, a FIFO or a folder is never replaced by a regular file; say so
  // before anything changes.
  if (const QString why = CheckWriteTarget(path); !why.isEmpty()) {
    prompt.Notice(msg::kCannotWrite + msg::kReasonSeparator + why);
    return 0;
  }
  store.SetFilePath(path);
  CProgressScope progress(store.Services().Progress(), progress_msg::kSaving, store.AllCount());
  store.RecalcAll();
  if (!CheckDeckForSave(store, path, maxBytes)) return 0;

  FileEncoding enc = store.Encoding();
  // Every write and the commit are checked: on any failure the old file stays
  // as it was and the user learns the path and the system's reason. A text
  // the code page cannot hold is never replaced behind the user's back:
  // UTF-8, which holds every text, is offered and the file written anew;
  // declined, nothing is written.
  std::optional<CFileCommit> file;
  std::vector<CQuoteFlag> flags;
  for (bool retried = false;; retried = true) {
    flags.clear();
    file.emplace(path);
    file->SetSizeLimit(maxBytes, msg::kLargerThanReadable.arg(maxBytes >> 20));
    const QByteArray bom = ByteOrderMark(enc);
    const bool opened = file->Open() && (bom.isEmpty() || file->Write(bom));
    const int threads = split.threads > 0 ? split.threads : AvailableThreads();
    const int batch = std::max(split.batchCards, 1);
    const int r = !opened                                          ? 0
                  : threads > 1 && store.AllCount() > batch ? WriteParallel(store, *file, enc.codePage, progress,
                                                                            threads, batch, &flags)
                                                            : WritePieces(store, *file, enc.codePage, progress, &flags);
    if (r == 1 && file->Prepare()) break;
    if (r >= 0) {
      prompt.Notice(msg::kCannotWrite + msg::kReasonSeparator + file->Error());
      return 0;
    }
    file.reset();  // the temporary file goes, the old file stays
    // UTF-8 is offered only to a file in another code page.
    if (retried || enc.codePage != CodePage::Cp932) {
      prompt.Notice(msg::kCannotWrite + msg::kReasonSeparator + DescribeUnencodable(store, enc.codePage, false));
      return 0;
    }
    if (!prompt.Question(DescribeUnencodable(store, enc.codePage, true))) return 0;
    enc = {CodePage::Utf8, true};
  }

  for (const CQuoteFlag& f : flags) (f.card < 0 ? store : *store.AllCard(f.card)).SetQuoted(f.item, true);

  // The property file is written out too before either file replaces its old
  // one, so that a disk too full for it keeps both old files: records are
  // applied to items by position, and a new card file beside the old records
  // would put them on the wrong items. A new property file is as open to
  // others as its card file, no more.
  CPropertyFileSave properties;
  struct stat cardStat {};
  const mode_t cardMode =
      ::stat(QFile::encodeName(path).constData(), &cardStat) == 0 ? cardStat.st_mode & 0777 : mode_t(-1);
  if (!properties.Prepare(store, path, cardMode)) {
    file->Discard();
    prompt.Notice(msg::kPropertySaveFailed + properties.Error().left(kMaxErrorText) + msg::kPairKept);
    return 0;
  }
  if (!file->Commit()) {
    prompt.Notice(msg::kCannotWrite + msg::kReasonSeparator + file->Error() +
                  (properties.Writes() ? msg::kPairKept : QString()));
    return 0;
  }
  if (!file->Warning().isEmpty()) prompt.Notice(file->Warning());
  store.SetEncoding(enc);
  // The card file is written; a property file that could not replace its old
  // one is still a failed save (the user was told), so that the document
  // stays modified and velum-cli reports it.
  if (!properties.Commit(store)) {
    prompt.Notice(msg::kPropertySaveFailed + properties.Error().left(kMaxErrorText) + msg::kCardSavedPropertyKept);
    return 0;
  }
  if (!properties.Warning().isEmpty()) prompt.Notice(properties.Warning());
  // The line ends of a file read with more than one kind are now all alike:
  // said at its first save, once.
  if (CLineEnds ends = store.LineEnds(); ends.mixed) {
    prompt.Notice(msg::kMixedLineEnds.arg(LineEndName(ends.record)));
    ends.mixed = false;
    store.SetLineEnds(ends);
  }
  return 1;
}
