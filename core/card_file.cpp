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

namespace {

// The quote scan of line joining: 0 at the start of an item, 1 in a bare item,
// 2 in a quoted item. Continues from state over the line up to its line feed.
int ScanQuotes(QStringView line, int state) {
  const qsizetype n = line.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = line[i].unicode();
    if (c == kLf) break;
    switch (state) {
      case 0:
        state = c == kQuote ? 2 : c == kComma ? 0 : 1;
        break;
      case 1:
        if (c == kComma) state = 0;
        break;
      default:
        if (c == kQuote) {
          if (i + 1 < n && line[i + 1] == kQuote)
            ++i;
          else
            state = 0;
        }
        break;
    }
  }
  return state;
}

// Reads the records of a file into the store, line by line as the text is
// decoded: the whole file never stands in memory beside its cards.
class CLineReader {
 public:
  CLineReader(CCardStore& store, bool firstLine, qint64 memoryBudget)
      : m_store(store), m_firstLine(firstLine), m_haveWidth(firstLine), m_budget(memoryBudget) {}

  // One line without its line end; -1 when reading must stop, 0 when the cards
  // would take more memory than the budget.
  int Line(QStringView line) {
    const qsizetype thisLine = m_lineNo++;
    if (m_firstLine && thisLine == 0) {
      if (ParseLine(m_store, line) != ParseStatus::kOk) return TooMany(0);
      m_width = m_store.ItemCount();
      return 1;
    }
    QString joined;
    if (m_store.MsCsvIn() != 0) {
      if (!Join(line, thisLine, &joined)) return 1;
      if (!joined.isNull()) line = joined;
    }
    const int rc = AddRecord(line, m_joinStart >= 0 ? m_joinStart : thisLine);
    m_joinStart = -1;
    return rc;
  }

  // After the last line.
  int Finish() {
    if (m_acc.isEmpty()) return 1;
    // A quoted item left open at the end: keep what was collected as the last
    // card, closing the quote, rather than lose it.
    m_acc.chop(2);  // the 0x01 0x02 that stood for the final line feed
    m_acc += QStringLiteral("\"\n");
    m_store.Services().prompt.Notice(msg::kUnclosedQuote.arg(m_joinStart + 1));
    return AddRecord(m_acc, m_joinStart);
  }

  int Width() const { return m_width; }

 private:
  // Answers false when the line is kept back; otherwise the line to process is
  // the line itself (joined stays null) or the joined text.
  bool Join(QStringView line, qsizetype lineNo, QString* joined) {
    m_state = ScanQuotes(line, m_state);
    const bool unfinished = m_state == 2;
    if (m_acc.isEmpty()) {
      if (!unfinished) {
        m_state = 0;
        return true;
      }
      m_acc = line.toString();
      m_acc += QStringLiteral("\x01\x02");
      m_joinStart = lineNo;
      m_store.SetMultiLine(true);
      return false;
    }
    m_acc += line;
    if (!unfinished) {
      m_acc += kLf;
      *joined = std::move(m_acc);
      m_acc.clear();
      m_state = 0;
      return true;
    }
    m_acc += QStringLiteral("\x01\x02");
    return false;
  }

  int AddRecord(QStringView line, qsizetype lineNo) {
    auto card = std::make_unique<CCardRow>();
    if (ParseLine(*card, line) != ParseStatus::kOk) return TooMany(lineNo);
    if (!m_haveWidth) {
      m_width = card->ItemCount();
      m_haveWidth = true;
    }
    while (card->ItemCount() < m_width) card->InsertEmptyItem(-1);
    while (card->ItemCount() > m_width) card->DeleteItem(card->ItemCount() - 1);
    // A card costs its text, the row and its places in the two card lists,
    // each with the allocator's own few words.
    m_held += qint64(card->HeapBytes() + sizeof(CCardRow)) + 48;
    if (m_budget >= 0 && m_held > m_budget) return 0;
    m_store.AllCards().push_back(std::move(card));
    return 1;
  }

  int TooMany(qsizetype lineNo) {
    m_store.Services().prompt.Notice(msg::kTooManyItems.arg(lineNo + 1));
    return -1;
  }

  CCardStore& m_store;
  const bool m_firstLine;
  bool m_haveWidth;
  qsizetype m_lineNo = 0;
  int m_width = 0;
  int m_state = 0;
  QString m_acc;
  qsizetype m_joinStart = -1;
  const qint64 m_budget;
  qint64 m_held = 0;
};

// Names the items "項目1", "項目2", ... as a file without a header line has them.
// Only the names and their quote flags change; the records stay as loaded.
void MakeItemNames(CCardStore& store, int width) {
  store.CCardRow::MakeEmpty(width);
  for (int i = 0; i < width; ++i) store.CCardRow::SetItem(i, QStringLiteral("項目%1").arg(i + 1));
}

// After a read that stopped early: at least one item and one card, and a
// visible list derived from the all-cards list.
void MakeConsistent(CCardStore& store, int width, bool namesRead) {
  if (width <= 0) width = std::max(store.ItemCount(), 1);
  if (!namesRead || store.ItemCount() != width) MakeItemNames(store, width);
  for (auto& card : store.AllCards()) {
    while (card->ItemCount() < width) card->InsertEmptyItem(-1);
    while (card->ItemCount() > width) card->DeleteItem(card->ItemCount() - 1);
  }
  if (store.AllCards().empty()) store.AppendEmptyCard();
  store.RebuildVisible();
}

}  // namespace

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
      hasProperties, kReadPiece, maxBytes < 0 ? -1 : maxBytes * kCardMemoryFactor);
}

int ReadCardBytes(CCardStore& store, QByteArray bytes, bool hasProperties, qint64 pieceSize) {
  qsizetype pos = 0;
  return ReadCardStream(
      store,
      [&](char* to, qint64 max) {
        const qint64 n = std::min<qint64>(max, bytes.size() - pos);
        std::copy(bytes.constData() + pos, bytes.constData() + pos + n, to);
        pos += n;
        return n;
      },
      hasProperties, pieceSize);
}

namespace {

// Feeds the decoded text line by line to the reader: a line ends at a line
// feed, a carriage return just before it is dropped, the first 0x1A ends the
// text, and a last line without a line feed counts as a line.
class CLineSplitter {
 public:
  explicit CLineSplitter(CLineReader& reader) : m_reader(reader) {}

  // Hands on every complete line of pending and keeps the rest; -1 to stop.
  // fresh: where the text added since the last call begins (no line feed
  // stands before it).
  int Take(QString& pending, qsizetype fresh, bool last) {
    qsizetype pos = 0;
    int rc = 1;
    while (rc > 0) {
      const qsizetype nl = pending.indexOf(QChar(kLf), std::max(pos, fresh));
      if (nl < 0) break;
      qsizetype len = nl - pos;
      if (len > 0 && pending[nl - 1] == kCr) --len;
      rc = m_reader.Line(QStringView(pending).mid(pos, len));
      pos = nl + 1;
    }
    if (rc > 0 && last && pos < pending.size()) {
      rc = m_reader.Line(QStringView(pending).mid(pos));
      pos = pending.size();
    }
    pending.remove(0, pos);
    return rc;
  }

 private:
  CLineReader& m_reader;
};

}  // namespace

int ReadCardStream(CCardStore& store, const std::function<qint64(char*, qint64)>& read, bool hasProperties,
                   qint64 pieceSize, qint64 memoryBudget) {
  const qint64 kPiece = std::max<qint64>(pieceSize, 1);
  const bool firstLine = store.FirstLineIsItems();
  CLineReader reader(store, firstLine, memoryBudget);
  CLineSplitter splitter(reader);
  QByteArray piece(kPiece, Qt::Uninitialized);
  QString pending;
  std::optional<CStreamDecoder> decoder;
  QByteArray head;  // the first bytes, until there are enough to tell the encoding
  qsizetype bom = 0;
  int result = 1;
  try {
    bool done = false;
    while (!done && result > 0) {
      qint64 n = read(piece.data(), kPiece);
      if (n < 0) n = 0;
      const bool last = n < kPiece;
      const char* data = piece.constData();
      if (!decoder) {
        // The encoding is told by the first bytes: a byte-order mark, the code
        // page chosen for good, UTF-8 for text that UTF-8 reads, else CP932.
        head.append(data, n);
        const CodePage configured = store.Services().FileCodePage();
        const bool forced = store.Services().CodePageForced();
        if (!EncodingSettled(head, configured, forced, last)) continue;
        const FileEncoding enc = DetectEncoding(head, configured, forced, &bom, last);
        store.SetEncoding(enc);
        decoder.emplace(enc.codePage);
        data = head.constData() + bom;
        n = head.size() - bom;
      }
      const qsizetype before = pending.size();
      decoder->Feed(data, n, last, pending);
      const qsizetype eof = pending.indexOf(QChar(kEndOfFile), before);
      if (eof >= 0) {
        pending.truncate(eof);
        done = true;
      }
      result = splitter.Take(pending, before, last || done);
      done = done || last;
    }
    if (result > 0) result = reader.Finish();
  } catch (const std::bad_alloc&) {
    store.Services().prompt.Notice(msg::kNoMemory);
    result = -1;
  }
  store.SetReplacedBytes(decoder && decoder->BadCount() > 0);
  if (store.HasReplacedBytes() && result != 0)
    store.Services().prompt.Notice(msg::kUndecodable.arg(CodePageName(store.Encoding().codePage))
                                       .arg(decoder->BadCount())
                                       .arg(decoder->FirstBadOffset() + bom + 1));

  if (result == 0) {
    const QString path = store.FilePath();
    store.Clear();
    store.SetFilePath(path);
    store.Services().prompt.Notice(input_msg::kCannotRead.arg(path, input_msg::kTooManyCards.arg(memoryBudget >> 20)));
    return 0;
  }
  int width = reader.Width();
  if (result < 0) {
    MakeConsistent(store, width, firstLine && store.ItemCount() == width && width > 0);
    if (hasProperties) ApplyItemProperties(store);
    return -1;
  }
  if (width == 0) {
    // An empty file (or an empty header): one item, named as a file without
    // a header line would name it.
    width = 1;
    MakeItemNames(store, width);
  } else if (!firstLine) {
    MakeItemNames(store, width);
  }
  if (store.AllCards().empty()) store.AddCard(-1);
  store.RebuildVisible();
  if (hasProperties) ApplyItemProperties(store);
  return 1;
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
