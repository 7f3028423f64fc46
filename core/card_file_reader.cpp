// The card-file reader: the text cut into chunks after line ends, each chunk
// decoded and split into records, on the calling thread or on a pool of
// threads whose results are joined in file order.
#include "core/card_file.h"

#include "core/card_file_checks.h"
#include "core/byte_scan.h"
#include "core/card_line.h"
#include "core/line_joiner.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "core/property_file.h"
#include "platform/input_file.h"

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include <sched.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace card_char;

namespace {

// The least of the text read before the kind of its line ends is told.
constexpr qsizetype kLineEndSample = 64 * 1024;

// One chunk of the text: bytes that end just after a line end (the last chunk
// anywhere), then what decoding and splitting made of them.
struct CChunk {
  QByteArray bytes;
  qsizetype offset = 0;  // of bytes[0] from the start of the text
  bool first = false;    // holds line 0
  bool last = false;
  bool loneCr = false;   // a lone CR ends a line (CUnitScan)

  QString text;
  qsizetype badCount = 0;
  qsizetype firstBad = -1;
  CTextScan scan;  // the text's line ends and escapes

  // What a worker made of the chunk as if a record began at its start.
  struct CRecord {
    std::unique_ptr<CCardRow> card;
    qsizetype firstLine, lastLine;  // within the chunk
    int items;                      // of the card, and what it costs, so that
    qint64 cost;                    // the join need not touch it
    CLineEndCount inner;            // line breaks inside its items
  };
  std::vector<CRecord> records;
  qsizetype lines = 0;               // lines seen
  qsizetype stopStart = -1;          // a record of too many items began here
  qsizetype stopLine = -1;           // and ended here
  QString header;                    // line 0 when it names the items
  QString open;                      // a record still open at the end
  qsizetype openStart = -1;
  CLineEndCount openInner;
  bool failed = false;               // out of memory

  QSemaphore done;
};

// The first line end at or after pos: a line feed, or with loneCr a CR too;
// -1 when there is none.
qsizetype NextLineEnd(QStringView t, qsizetype pos, bool loneCr) {
  if (!loneCr) return t.indexOf(QChar(kLf), pos);
  for (qsizetype i = pos; i < t.size(); ++i)
    if (t[i] == kLf || t[i] == kCr) return i;
  return -1;
}

// Calls line(view, index, end) for every line of a chunk's text: a line ends
// at a line feed and a carriage return just before it is dropped (with
// loneCr, also at a lone CR); a last line without a line feed counts in the
// last chunk, with no end. Stops when line answers <= 0 and answers that.
template <typename Line>
int ForEachLine(const CChunk& chunk, Line&& line) {
  const QStringView t(chunk.text);
  qsizetype pos = 0;
  qsizetype index = 0;
  while (pos < t.size()) {
    const qsizetype found = NextLineEnd(t, pos, chunk.loneCr);
    if (found < 0 && !chunk.last) break;
    const qsizetype nl = found < 0 ? t.size() : found;
    qsizetype len = nl - pos;
    qsizetype next = nl + 1;
    std::optional<LineEnd> end;
    if (found >= 0 && t[nl] == kLf) {
      end = len > 0 && t[nl - 1] == kCr ? LineEnd::kCrLf : LineEnd::kLf;
      if (end == LineEnd::kCrLf) --len;
    } else if (found >= 0) {
      end = nl + 1 < t.size() && t[nl + 1] == kLf ? LineEnd::kCrLf : LineEnd::kCr;
      if (end == LineEnd::kCrLf) ++next;
    }
    if (const int rc = line(t.mid(pos, len), index++, end); rc <= 0) return rc;
    pos = next;
  }
  return 1;
}

void Decode(CChunk& chunk, CodePage cp) {
  CStreamDecoder decoder(cp, chunk.offset);
  decoder.Feed(chunk.bytes.constData(), chunk.bytes.size(), true, chunk.text);
  chunk.badCount = decoder.BadCount();
  chunk.firstBad = decoder.FirstBadOffset();
  chunk.scan = ScanText(chunk.text, chunk.loneCr);
}

// Cards are cut or padded to the width of the item names.
void FitWidth(CCardRow& card, int width) {
  while (card.ItemCount() < width) card.InsertEmptyItem(-1);
  while (card.ItemCount() > width) card.DeleteItem(card.ItemCount() - 1);
}

// A card costs its text, the row and its places in the two card lists,
// each with the allocator's own few words.
qint64 CardCost(const CCardRow& card) { return qint64(card.HeapBytes() + sizeof(CCardRow)) + 48; }

// The width of a file's cards, published by the worker that reads line 0 so
// that the others can fit their cards as they make them; -1 until known.
using CSharedWidth = std::atomic<int>;

// A worker's part: decodes the chunk and splits it into records as if a record
// began at its start (true unless a quoted item spans the cut, which the join
// finds and mends), stopping at a record of too many items.
void SplitChunk(CChunk& chunk, CodePage cp, bool firstLine, bool join, CSharedWidth& width) {
  try {
    Decode(chunk, cp);
    CLineJoiner joiner(join);
    bool widthKnown = false;
    int fit = -1;
    auto currentWidth = [&] {
      if (!widthKnown) {
        fit = width.load(std::memory_order_acquire);
        widthKnown = fit >= 0;
      }
      return fit;
    };
    ForEachLine(chunk, [&](QStringView line, qsizetype index, std::optional<LineEnd> end) {
      chunk.lines = index + 1;
      if (chunk.first && firstLine && index == 0) {
        chunk.header = line.toString();
        CCardRow names;
        if (ParseLine(names, line) != ParseStatus::kOk) {
          chunk.stopStart = chunk.stopLine = 0;
          return -1;
        }
        width.store(names.ItemCount(), std::memory_order_release);
        return 1;
      }
      return joiner.Line(line, index, end, [&](QStringView record, qsizetype start) {
        auto card = std::make_unique<CCardRow>();
        if (ParseLine(*card, record) != ParseStatus::kOk) {
          chunk.stopStart = start;
          chunk.stopLine = index;
          return -1;
        }
        if (chunk.first && !firstLine && chunk.records.empty())
          width.store(card->ItemCount(), std::memory_order_release);
        if (const int w = currentWidth(); w >= 0) FitWidth(*card, w);
        const int items = card->ItemCount();
        const qint64 cost = CardCost(*card);
        chunk.records.push_back({std::move(card), start, index, items, cost, joiner.Inner()});
        return 1;
      });
    });
    if (!joiner.Clean()) {
      chunk.open = joiner.Open();
      chunk.openStart = joiner.OpenStart();
      chunk.openInner = joiner.OpenInner();
    }
  } catch (const std::bad_alloc&) {
    chunk.failed = true;
  }
}

// Reads the records of a file into the store in file order, chunk by chunk.
class CStoreFiller {
 public:
  CStoreFiller(CCardStore& store, CodePage cp, bool loneCr, qint64 memoryBudget)
      : m_store(store),
        m_cards(store.AllCards()),
        m_firstLine(store.FirstLineIsItems()),
        m_haveWidth(m_firstLine),
        m_cp(cp),
        m_loneCr(loneCr),
        m_budget(memoryBudget),
        m_joiner(store.MsCsvIn() != 0) {}

  // Reads a chunk on this thread. 1 go on; -1 reading stopped (the user was
  // told); 0 the cards would take more memory than the budget.
  int Read(CChunk& chunk) {
    Decode(chunk, m_cp);
    return ReadLines(chunk, nullptr);
  }

  // Takes a chunk a worker split. Where a record was left open before the
  // chunk, its lines are read here until this reading and the worker's agree
  // on where a record ends; from there on the worker's records are taken.
  int Join(CChunk& chunk) {
    if (chunk.failed) throw std::bad_alloc();
    std::size_t next = 0;
    if (!m_joiner.Clean()) {
      const int rc = ReadLines(chunk, &next);
      if (rc <= 0 || next == std::size_t(-1)) return rc;
    } else if (chunk.first && m_firstLine && chunk.lines > 0) {
      if (const int rc = Header(chunk, chunk.header); rc <= 0) return rc;
    }
    return Replay(chunk, next);
  }

  // After the last chunk.
  int Finish() {
    if (m_joiner.Clean()) return 1;
    // A quoted item left open at the end: keep what was collected as the last
    // card, closing the quote, rather than lose it.
    const qsizetype start = m_joiner.OpenStart();
    m_store.Services().prompt.Notice(msg::kUnclosedQuote.arg(start + 1));
    const QString text = m_joiner.Closed();
    return Record(text, start, nullptr, -1);
  }

  // Whether a record spanned lines (the Microsoft-CSV form).
  bool Joined() const { return m_joined; }
  // Whether the text held an escape of the own form.
  bool Escapes() const { return m_escapes; }
  // The line ends of the text read: after records, inside items, and whether
  // the text ended with one.
  CLineEnds LineEnds() const {
    CLineEndCount records = m_ends;
    records -= m_inner;
    CLineEnds ends;
    ends.record = records.Most(LineEnd::kCrLf);
    ends.mixed = records.Mixed();
    ends.inner = m_inner.Most(ends.record == LineEnd::kCr ? LineEnd::kCr : LineEnd::kLf);
    ends.finalEnd = m_lastUnit == 0 || m_lastUnit == kLf || (m_loneCr && m_lastUnit == kCr);
    return ends;
  }

  int Width() const { return m_width; }
  // The lines read so far, a last one without a line feed included.
  qsizetype Lines() const { return m_lineNo; }
  // The bytes no character of the text read so far; after a stop, up to the
  // end of the line where it stopped.
  qsizetype BadCount() const { return m_badCount; }
  qsizetype FirstBad() const { return m_firstBad; }

 private:
  // The chunk's lines read here. With sync, stops as soon as
  // this reading and the worker's stand between records after the same line:
  // *sync is then the index of the worker's next record (size_t(-1): the whole
  // chunk was read here).
  int ReadLines(CChunk& chunk, std::size_t* sync) {
    const qsizetype base = m_lineNo;
    std::size_t w = 0;
    if (sync) *sync = std::size_t(-1);
    const int rc = ForEachLine(chunk, [&](QStringView line, qsizetype index, std::optional<LineEnd> end) {
      m_lineNo = base + index + 1;
      int r;
      if (chunk.first && m_firstLine && index == 0)
        r = Header(chunk, line);
      else
        r = m_joiner.Line(line, base + index, end, [&](QStringView record, qsizetype start) {
          return Record(record, start, &chunk, index);
        });
      if (m_joiner.MultiLine()) m_joined = true;
      if (r <= 0 || !sync || !m_joiner.Clean()) return r;
      while (w < chunk.records.size() && chunk.records[w].lastLine < index) ++w;
      if (w < chunk.records.size() && chunk.records[w].lastLine == index) {
        *sync = w + 1;
        return 0;
      }
      return 1;
    });
    if (sync && *sync != std::size_t(-1)) {
      m_lineNo = base;  // Replay counts the chunk's lines
      return 1;
    }
    if (rc <= 0) return rc;
    AddChunk(chunk);
    return 1;
  }

  // The worker's records from index next on, then its stop or its open record.
  int Replay(CChunk& chunk, std::size_t next) {
    const qsizetype base = m_lineNo;
    for (std::size_t k = next; k < chunk.records.size(); ++k) {
      CChunk::CRecord& r = chunk.records[k];
      if (r.firstLine != r.lastLine) m_joined = true;
      m_inner += r.inner;
      if (const int rc = Add(std::move(r.card), r.items, r.cost); rc <= 0) return rc;
    }
    if (chunk.stopLine >= 0) {
      if (chunk.stopStart != chunk.stopLine) m_joined = true;
      return TooMany(base + chunk.stopStart, &chunk, chunk.stopLine);
    }
    if (!chunk.open.isEmpty()) {
      m_joined = true;
      m_joiner.Resume(std::move(chunk.open), base + chunk.openStart, chunk.openInner);
    }
    m_lineNo = base + chunk.lines;
    AddChunk(chunk);
    return 1;
  }

  int Header(CChunk& chunk, QStringView line) {
    if (ParseLine(m_store, line) != ParseStatus::kOk) return TooMany(0, &chunk, 0);
    m_width = m_store.ItemCount();
    return 1;
  }

  int Record(QStringView text, qsizetype start, CChunk* chunk, qsizetype index) {
    auto card = std::make_unique<CCardRow>();
    if (ParseLine(*card, text) != ParseStatus::kOk) return TooMany(start, chunk, index);
    m_inner += m_joiner.Inner();
    const int items = card->ItemCount();
    return Add(std::move(card), items, -1);
  }

  // A card of `items` items that costs `cost` (-1: not yet told).
  int Add(std::unique_ptr<CCardRow> card, int items, qint64 cost) {
    if (!m_haveWidth) {
      m_width = items;
      m_haveWidth = true;
    }
    if (items != m_width) {
      FitWidth(*card, m_width);
      cost = -1;
    }
    m_held += cost >= 0 ? cost : CardCost(*card);
    if (m_budget >= 0 && m_held > m_budget) return 0;
    m_cards.push_back(std::move(card));
    return 1;
  }

  // A record of too many items ending at line `index` of the chunk: the bad
  // bytes and the line ends are counted up to the end of that line, however
  // the text was cut into chunks.
  int TooMany(qsizetype lineNo, CChunk* chunk, qsizetype index) {
    m_store.Services().prompt.Notice(msg::kTooManyItems.arg(lineNo + 1));
    if (chunk) {
      CChunk part;
      part.offset = chunk->offset;
      part.last = true;
      part.loneCr = m_loneCr;
      part.bytes = QByteArray::fromRawData(chunk->bytes.constData(),
                                           CUnitScan(m_cp, m_loneCr).AfterLine(chunk->bytes.constData(),
                                                                               chunk->bytes.size(), index));
      Decode(part, m_cp);
      AddBad(part);
      m_ends += part.scan.ends;
      if (!part.text.isEmpty()) m_lastUnit = part.text.back().unicode();
    }
    return -1;
  }

  void AddBad(const CChunk& chunk) {
    if (m_firstBad < 0) m_firstBad = chunk.firstBad;
    m_badCount += chunk.badCount;
  }

  // A chunk read to its end.
  void AddChunk(const CChunk& chunk) {
    AddBad(chunk);
    m_ends += chunk.scan.ends;
    m_escapes = m_escapes || chunk.scan.escapes;
    if (!chunk.text.isEmpty()) m_lastUnit = chunk.text.back().unicode();
  }

  CCardStore& m_store;
  std::vector<std::unique_ptr<CCardRow>>& m_cards;
  const bool m_firstLine;
  bool m_haveWidth;
  const CodePage m_cp;
  const bool m_loneCr;
  const qint64 m_budget;
  CLineJoiner m_joiner;
  bool m_joined = false;
  bool m_escapes = false;
  CLineEndCount m_ends;   // every line end of the text
  CLineEndCount m_inner;  // those inside items
  char16_t m_lastUnit = 0;
  qsizetype m_lineNo = 0;  // lines before the chunk at hand
  int m_width = 0;
  qint64 m_held = 0;
  qsizetype m_badCount = 0;
  qsizetype m_firstBad = -1;
};

// Cuts the text into chunks: reads until a chunk's worth of bytes is there,
// then cuts after the last line end; a line longer than that makes a longer
// chunk. The first end-of-text mark ends the text.
class CChunkSource {
 public:
  CChunkSource(const std::function<qint64(char*, qint64)>& read, CodePage cp, bool loneCr, QByteArray body,
               bool ended, qint64 chunkBytes)
      : m_read(read), m_scan(cp, loneCr), m_pending(std::move(body)), m_ended(ended), m_chunk(std::max<qint64>(chunkBytes, 1)) {
    FindEnd(0);
  }

  // Whether text other than line ends followed the end-of-text mark (it was
  // not read), and whether the mark began a line of its own.
  bool TextAfterMark() const { return m_textAfterMark; }
  bool MarkBeginsLine() const { return m_markBeginsLine; }

  // The next chunk; null after the last.
  std::unique_ptr<CChunk> Next() {
    if (m_done) return nullptr;
    for (;;) {
      if (m_pending.size() >= m_chunk || m_ended) {
        qsizetype cut = m_ended ? m_pending.size() : m_scan.LastLineEnd(m_pending.constData(), m_scanned, m_pending.size());
        if (cut > 0 || m_ended) return Cut(cut);
        m_scanned = m_scan.Align(m_pending.size());
      }
      const qsizetype before = m_pending.size();
      const qint64 want = std::max<qint64>(m_chunk - before, m_chunk / 2 + 1);
      m_pending.resize(before + want);
      qint64 n = m_read(m_pending.data() + before, want);
      if (n < 0) n = 0;
      m_pending.resize(before + n);
      if (n < want) m_ended = true;
      FindEnd(before);
    }
  }

 private:
  std::unique_ptr<CChunk> Cut(qsizetype cut) {
    auto chunk = std::make_unique<CChunk>();
    chunk->offset = m_offset;
    chunk->first = m_offset == 0;
    chunk->loneCr = m_scan.LoneCr();
    // The chunk takes the buffer; the start of the next line moves to a new
    // one with room for the next chunk's reads.
    QByteArray rest;
    if (!m_ended) rest.reserve(m_pending.size() - cut + m_chunk + m_chunk / 2 + 2);
    rest.append(m_pending.constData() + cut, m_pending.size() - cut);
    chunk->bytes = std::move(m_pending);
    chunk->bytes.truncate(cut);
    m_pending = std::move(rest);
    m_offset += cut;
    m_scanned = 0;
    chunk->last = m_ended && m_pending.isEmpty();
    m_done = chunk->last;
    return chunk;
  }

  void FindEnd(qsizetype from) {
    const qsizetype at = m_scan.EndOfText(m_pending.constData(), m_scan.Align(from), m_pending.size());
    if (at < 0) return;
    // A chunk is cut just after a line end, so a mark at the start of what is
    // pending begins a line.
    m_markBeginsLine = at == 0 || m_scan.LineFeedBefore(m_pending.constData(), at);
    // Line ends and more marks after it (a file padded to whole records) end
    // the text quietly; anything else is text the reader leaves out, which
    // the user is told of. The rest is read only as far as it takes to know.
    QByteArray rest = m_pending.sliced(at + m_scan.UnitSize());
    m_pending.truncate(at);
    for (;;) {
      const qsizetype whole = m_scan.Align(rest.size());
      if (!m_scan.OnlyLineEnds(rest.constData(), whole) || (m_ended && whole < rest.size())) {
        m_textAfterMark = true;
        break;
      }
      if (m_ended) break;
      rest.remove(0, whole);
      constexpr qint64 kPeek = 4096;
      const qsizetype before = rest.size();
      rest.resize(before + kPeek);
      const qint64 n = std::max<qint64>(m_read(rest.data() + before, kPeek), 0);
      rest.resize(before + n);
      if (n < kPeek) m_ended = true;
    }
    m_ended = true;
  }

  const std::function<qint64(char*, qint64)>& m_read;
  const CUnitScan m_scan;
  QByteArray m_pending;
  bool m_ended;
  const qint64 m_chunk;
  qsizetype m_offset = 0;
  qsizetype m_scanned = 0;  // no line end before this offset of m_pending
  bool m_done = false;
  bool m_textAfterMark = false;
  bool m_markBeginsLine = false;
};

// The chunks on a pool of threads, joined in order. Twice as many chunks as
// threads, and two more, are held at once, so that the workers have work
// while this thread waits to be scheduled on a busy machine.
int ReadParallel(CChunkSource& source, CStoreFiller& filler, CodePage cp, bool firstLine, bool join, int threads) {
  const CWorkerHeaps heaps;
  QThreadPool pool;
  pool.setMaxThreadCount(threads);
  auto width = std::make_shared<CSharedWidth>(-1);
  std::deque<std::shared_ptr<CChunk>> held;
  bool more = true;
  int rc = 1;
  try {
    while (rc > 0) {
      while (more && held.size() < std::size_t(threads) * 2 + 2) {
        std::shared_ptr<CChunk> chunk = source.Next();
        if (!chunk) {
          more = false;
          break;
        }
        held.push_back(chunk);
        pool.start([chunk, width, cp, firstLine, join] {
          SplitChunk(*chunk, cp, firstLine, join, *width);
          chunk->done.release();
        });
      }
      if (held.empty()) break;
      std::shared_ptr<CChunk> chunk = std::move(held.front());
      held.pop_front();
      chunk->done.acquire();
      rc = filler.Join(*chunk);
    }
  } catch (...) {
    pool.clear();
    pool.waitForDone();
    throw;
  }
  pool.clear();
  pool.waitForDone();
  return rc;
}

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
  for (auto& card : store.AllCards()) FitWidth(*card, width);
  if (store.AllCards().empty()) store.AppendEmptyCard();
  store.RebuildVisible();
}

}  // namespace

CWorkerHeaps::CWorkerHeaps() {
#ifdef __GLIBC__
  // glibc gives each thread's arena a heap that grows a page at a time, each
  // step an mprotect that holds up the page faults of every other thread (a
  // million cards made on two threads took 43,000 of them). A top pad as
  // large as such a heap maps each heap whole when it is made; the main
  // arena then grows in steps of that size too, which costs address space,
  // not memory. Setting it stops glibc from raising the size above which a
  // block is mapped on its own as large blocks are freed, so that size is set
  // to glibc's own ceiling: the buffers of the chunks are then reused rather
  // than mapped and faulted in anew for every chunk.
  static std::once_flag once;
  std::call_once(once, [] { ::mallopt(M_MMAP_THRESHOLD, 32 << 20); });
  ::mallopt(M_TOP_PAD, 64 << 20);
#endif
}

CWorkerHeaps::~CWorkerHeaps() {
#ifdef __GLIBC__
  // Back to glibc's own pad: the top pad is also what stays mapped at the
  // heap's top after frees, so a pad of 64 MiB kept the memory of every
  // sort's or filter's scratch after the work (+14 % at a million cards).
  ::mallopt(M_TOP_PAD, 128 * 1024);
#endif
}

int AvailableThreads() {
  cpu_set_t set;
  CPU_ZERO(&set);
  const int count = ::sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 1;
  return std::clamp(count, 1, kMaxReadThreads);
}

int ReadCardBytes(CCardStore& store, QByteArray bytes, bool hasProperties, qint64 pieceSize, const CReadSplit& split) {
  qsizetype pos = 0;
  return ReadCardStream(
      store,
      [&](char* to, qint64 max) {
        const qint64 n = std::min<qint64>(max, bytes.size() - pos);
        std::copy(bytes.constData() + pos, bytes.constData() + pos + n, to);
        pos += n;
        return n;
      },
      hasProperties, pieceSize, -1, split);
}

int ReadCardStream(CCardStore& store, const std::function<qint64(char*, qint64)>& read, bool hasProperties,
                   qint64 pieceSize, qint64 memoryBudget, const CReadSplit& split) {
  const qint64 kPiece = std::max<qint64>(pieceSize, 1);
  const bool firstLine = store.FirstLineIsItems();
  std::optional<CStoreFiller> filler;
  CEncodingGuess guess;
  qsizetype bom = 0;
  int result = 1;
  try {
    // The encoding is told by the first bytes: a byte-order mark, the code
    // page chosen for good, UTF-8 for text that UTF-8 reads, else CP932.
    QByteArray head;
    bool ended = false;
    const CodePage configured = store.Services().FileCodePage();
    const bool forced = store.Services().CodePageForced();
    while (!ended) {
      const qsizetype before = head.size();
      head.resize(before + kPiece);
      qint64 n = read(head.data() + before, kPiece);
      if (n < 0) n = 0;
      head.resize(before + n);
      ended = n < kPiece;
      // The line ends of the head tell whether a lone CR ends the lines.
      if (EncodingSettled(head, configured, forced, ended) && head.size() >= kLineEndSample) break;
    }
    const FileEncoding enc = DetectEncoding(head, configured, forced, &bom, ended, &guess);
    store.SetEncoding(enc);
    const bool loneCr = CUnitScan(enc.codePage).LoneCrText(head.constData() + bom, head.size() - bom);
    filler.emplace(store, enc.codePage, loneCr, memoryBudget);
    CChunkSource source(read, enc.codePage, loneCr, head.mid(bom), ended, split.chunkBytes);
    head.clear();
    const int threads = split.threads > 0 ? std::min(split.threads, kMaxReadThreads) : AvailableThreads();
    if (threads > 1) {
      result = ReadParallel(source, *filler, enc.codePage, firstLine, store.MsCsvIn() != 0, threads);
    } else {
      while (result > 0) {
        const std::unique_ptr<CChunk> chunk = source.Next();
        if (!chunk) break;
        result = filler->Read(*chunk);
      }
    }
    if (result > 0) result = filler->Finish();
    if (result > 0 && source.TextAfterMark()) {
      // What follows the mark was never read: a save over the file would
      // lose it, so the file counts as read in part.
      store.Services().prompt.Notice(
          msg::kTextAfterEndOfFile.arg(filler->Lines() + (source.MarkBeginsLine() ? 1 : 0)));
      result = -1;
    }
  } catch (const std::bad_alloc&) {
    store.Services().prompt.Notice(msg::kNoMemory);
    result = -1;
  }
  const qsizetype badCount = filler ? filler->BadCount() : 0;
  store.SetReplacedBytes(badCount > 0);
  // Which encoding was taken for a file that is not plainly one or the
  // other, and why, in one message with the bytes that were replaced.
  QString told;
  if (guess.kind == CEncodingGuess::kUtf8DespiteBadBytes)
    told = msg::kMostlyUtf8;
  else if (guess.kind == CEncodingGuess::kCp932DespiteUtf8)
    told = msg::kNotUtf8.arg(guess.firstBad + 1).arg(CodePageName(store.Encoding().codePage));
  if (store.HasReplacedBytes())
    told += msg::kUndecodable.arg(CodePageName(store.Encoding().codePage))
                .arg(badCount)
                .arg(filler->FirstBad() + bom + 1);
  if (!told.isEmpty() && result != 0) store.Services().prompt.Notice(told);

  if (result == 0) {
    const QString path = store.FilePath();
    store.Clear();
    store.SetFilePath(path);
    store.Services().prompt.Notice(input_msg::kCannotRead.arg(path, input_msg::kTooManyCards.arg(memoryBudget >> 20)));
    return 0;
  }
  if (filler) {
    // Written back in the form and with the line ends it was read in; a file
    // that shows neither form (no record spans lines, no escape) takes a new
    // file's form.
    store.SetMultiLine(filler->Joined() || (!filler->Escapes() && store.NewFileMultiLine()));
    store.SetLineEnds(filler->LineEnds());
  }
  int width = filler ? filler->Width() : 0;
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
