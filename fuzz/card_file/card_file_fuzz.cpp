// Feeds any bytes to the card-file reader as a file, then checks that every
// card it made is sound and that writing a card in the own style and in the
// internal line form and parsing it again gives the same texts; when the mode
// byte asks, reads the bytes again on two threads in small chunks and checks
// that this gives the same store.
#include "core/card_file.h"
#include "core/card_store.h"

#include <cstdint>
#include <optional>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "card_file_fuzz: %s\n", what);
    std::abort();
  }
}

// Texts with the escape characters themselves, or a line feed without its
// carriage return, have no exact written form.
bool Writable(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= 0x01 && c <= 0x04) return false;
    if (c == u'\n' && (i == 0 || text[i - 1] != u'\r')) return false;
  }
  return true;
}

bool SameRow(const CCardRow& a, const CCardRow& b) {
  if (a.ItemCount() != b.ItemCount()) return false;
  for (int i = 0; i < a.ItemCount(); ++i)
    if (a.Item(i) != b.Item(i) || a.Quoted(i) != b.Quoted(i)) return false;
  return true;
}

void CheckSameStore(const CCardStore& a, const CCardStore& b) {
  Check(a.Encoding() == b.Encoding(), "threads: encoding");
  Check(a.MultiLine() == b.MultiLine(), "threads: multi-line flag");
  Check(a.LineEnds() == b.LineEnds(), "threads: line ends");
  Check(a.HasReplacedBytes() == b.HasReplacedBytes(), "threads: replaced bytes");
  Check(SameRow(a, b), "threads: item names");
  Check(a.AllCount() == b.AllCount(), "threads: card count");
  for (int k = 0; k < a.AllCount(); ++k) Check(SameRow(*a.AllCard(k), *b.AllCard(k)), "threads: card");
}

void CheckRoundTrips(const CCardRow& card) {
  for (int i = 0; i < card.ItemCount(); ++i)
    if (!Writable(card.Item(i))) return;
  CCardRow copy(card);
  QString own = FormatLine(copy, false);
  own.chop(2);  // the reader drops the CR LF that ends a line
  CCardRow back;
  Check(ParseLine(back, own) == ParseStatus::kOk, "own line not parsed");
  Check(back.ItemCount() == card.ItemCount(), "own line: item count");
  for (int i = 0; i < card.ItemCount(); ++i) Check(back.Item(i) == card.Item(i), "own line: text");

  CCardRow internal;
  Check(ParseLine(internal, FormatInternalLine(card)) == ParseStatus::kOk, "internal line not parsed");
  Check(internal.ItemCount() == card.ItemCount(), "internal line: item count");
  for (int i = 0; i < card.ItemCount(); ++i) Check(internal.Item(i) == card.Item(i), "internal line: text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CSilentPrompt prompt;
  static CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 0), Qt::LocalTime));
  static CMemoryClipboard clipboard;
  static CRecordingShell shell;
  static CSettingsStore settings(QStringLiteral("/nonexistent/velum-fuzz.reg"));
  // The first byte chooses the code page (UTF-8 for good, or told from the
  // bytes), whether line 0 names the items, and the size of the pieces the file
  // is read in (a character or a line feed may be cut between two pieces);
  // bit 5 reads again on two threads, in chunks of the size bits 6-7 choose.
  const std::uint8_t mode = size > 0 ? data[0] : 0;
  const CServices services{prompt, clock, clipboard, shell, settings,
                           (mode & 1) ? std::optional(CodePage::Utf8) : std::nullopt};
  CCardStore store(services);
  store.FileProperty().m_firstLine = (mode & 2) ? 1 : 0;
  QByteArray bytes(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), qsizetype(size > 0 ? size - 1 : 0));
  static constexpr qint64 kPieces[] = {1, 2, 3, 7, 64, 4096, kReadPiece, kReadPiece};
  const qint64 pieceSize = kPieces[(mode >> 2) & 7];
  const int result = ReadCardBytes(store, bytes, false, pieceSize);
  Check(result == 1 || result == -1, "read result");
  Check(store.ItemCount() >= 1 && store.ItemCount() <= CCardRow::kMaxItems, "item count");
  Check(store.AllCount() >= 1, "no card");
  Check(store.VisibleCount() == store.AllCount(), "visible list");
  for (int k = 0; k < store.AllCount(); ++k) {
    Check(store.AllCard(k)->ItemCount() == store.ItemCount(), "card width");
    CheckRoundTrips(*store.AllCard(k));
  }
  if (mode & 0x20) {
    static constexpr qint64 kChunks[] = {1, 3, 16, 256};
    CCardStore shared(services);
    shared.FileProperty().m_firstLine = store.FileProperty().m_firstLine;
    Check(ReadCardBytes(shared, bytes, false, pieceSize, {2, kChunks[mode >> 6]}) == result, "threads: result");
    CheckSameStore(store, shared);
  }
  return 0;
}
