#include "core/card_file.h"

#include "core/card_line.h"
#include "core/card_store.h"
#include "core/input_file.h"
#include "core/messages.h"
#include "core/property_file.h"
#include "platform/file_io.h"
#include "platform/progress.h"

#include <QFile>

#include <functional>
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
  CProgressScope progress(store.Services().Progress(), progress_msg::kOpening, file.size());
  qint64 done = 0;
  return ReadCardStream(
      store,
      [&](char* to, qint64 max) {
        const qint64 n = file.read(to, max);
        done += std::max<qint64>(n, 0);
        progress.Step(done);
        return n;
      },
      hasProperties, kReadPiece, maxBytes < 0 ? -1 : maxBytes * kCardMemoryFactor,
      CReadSplit{file.size() >= kParallelRead ? 0 : 1});
}

namespace {

// The most of the platform's error text shown after the property file's message.
constexpr qsizetype kMaxErrorText = 255;

// The first item whose text the code page cannot hold, for the message.
QString DescribeUnencodable(CCardStore& store, CodePage cp) {
  auto check = [&](const CCardRow& row, const QString& where) -> QString {
    for (int i = 0; i < row.ItemCount(); ++i) {
      const EncodeResult r = EncodeText(row.Item(i), cp);
      if (!r.ok())
        return msg::kUnencodable.arg(where, store.Item(i).toString(), CharacterAt(row.Item(i), r.failedAt),
                                     CodePageName(cp));
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
  return msg::kUnencodable.arg(msg::kItemNamesRow, QString(), QString(), CodePageName(cp));
}

// Writes the lines of the file in pieces of about a mebibyte of text, each
// encoded and written at once, so that a save holds no copy of the whole file
// beside the cards. 1 written; 0 a write failed (file.Error() says why); -1 a
// text the code page cannot hold (what was written is to be thrown away).
int WritePieces(CCardStore& store, CFileCommit& file, CodePage cp, CProgressScope& progress) {
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
  const bool multiLine = store.MultiLine();
  if (store.FirstLineIsItems()) AppendLine(text, store, multiLine);
  for (int k = 0; k < store.AllCount(); ++k) {
    AppendLine(text, *store.AllCard(k), multiLine);
    if (text.size() >= kPiece)
      if (const int r = flush(); r != 1) return r;
    if ((k & 0xFFF) == 0) progress.Step(k);
  }
  return flush();
}

}  // namespace

int WriteCardFile(CCardStore& store, const QString& path) {
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

  FileEncoding enc = store.Encoding();
  // Every write and the commit are checked: on any failure the old file stays
  // as it was and the user learns the path and the system's reason. A text
  // the code page cannot hold is never replaced behind the user's back:
  // UTF-8, which holds every text, is offered and the file written anew;
  // declined, nothing is written.
  std::optional<CFileCommit> file;
  for (bool retried = false;; retried = true) {
    file.emplace(path);
    const QByteArray bom = ByteOrderMark(enc);
    const bool opened = file->Open() && (bom.isEmpty() || file->Write(bom));
    const int r = opened ? WritePieces(store, *file, enc.codePage, progress) : 0;
    if (r == 1 && file->Prepare()) break;
    if (r >= 0) {
      prompt.Notice(msg::kCannotWrite + msg::kReasonSeparator + file->Error());
      return 0;
    }
    file.reset();  // the temporary file goes, the old file stays
    if (retried) {
      prompt.Notice(msg::kCannotWrite);
      return 0;
    }
    if (!prompt.Question(DescribeUnencodable(store, enc.codePage))) return 0;
    enc = {CodePage::Utf8, true};
  }

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
  return 1;
}
