#include "core/card_file_checks.h"

#include "core/card_file.h"
#include "core/card_line.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "platform/code_page.h"
#include "platform/input_file.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Whether text may hold U+001A or a surrogate. Blocks of a fixed length
// without a branch inside, which the compiler turns into vector code, so that
// a deck of plain texts costs little more than reading it once.
bool MayNeedMending(QStringView text) {
  const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype n = text.size();
  auto odd = [](unsigned c) { return unsigned(c == card_char::kEndOfFile) | unsigned((c & 0xF800) == 0xD800); };
  unsigned any = 0;
  qsizetype i = 0;
  for (; i + 32 <= n; i += 32) {
    for (int k = 0; k < 32; ++k) any |= odd(s[i + k]);
    if (any) return true;
  }
  for (; i < n; ++i) any |= odd(s[i]);
  return any != 0;
}

bool WholePairAt(QStringView text, qsizetype i) {
  return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
}

struct CFound {
  bool mark = false;  // U+001A
  bool lone = false;  // half a surrogate pair
};

CFound Look(QStringView text) {
  CFound f;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == card_char::kEndOfFile)
      f.mark = true;
    else if (WholePairAt(text, i))
      ++i;
    else if (text[i].isSurrogate())
      f.lone = true;
  }
  return f;
}

QString Mended(QStringView text, const CFound& mend) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (WholePairAt(text, i)) {
      out += text.sliced(i, 2);
      ++i;
    } else if (text[i] == card_char::kEndOfFile && mend.mark) {
    } else if (text[i].isSurrogate() && mend.lone) {
      out += QChar(kReplacement);
    } else {
      out += text[i];
    }
  }
  return out;
}

// Where a kind of damage was first found, for the question.
struct CPlace {
  int card = -2;  // -1: the item names; -2: not found
  int item = 0;
  bool Found() const { return card > -2; }
};

QString Where(const CCardStore& store, const CPlace& p, const QString& question) {
  return question.arg(p.card < 0 ? msg::kItemNamesRow : msg::kCardN.arg(p.card + 1), store.Item(p.item).toString());
}

// What a card costs the reader once read back: the buffer the line parser
// makes for it (a word per item, then the texts with a NUL after each: span
// units and one), Qt's array header and closing NUL, the row and its places
// in the two card lists.
qint64 ReadCost(int items, qsizetype span) {
  return (CCardRow::HeaderSize(items) + span + 2) * 2 + 16 + qint64(sizeof(CCardRow)) + 48;
}

}  // namespace

bool RemoveEndOfFileMarks(QString& text) {
  if (!text.contains(QChar(card_char::kEndOfFile))) return false;
  text.remove(QChar(card_char::kEndOfFile));
  return true;
}

bool RemoveReaderEscapes(QString& text) {
  const qsizetype before = text.size();
  text.removeIf([](QChar c) { return c.unicode() >= 0x01 && c.unicode() <= 0x04; });
  return text.size() != before;
}

namespace {

// What the check finds over a run of cards: the units of their texts, the
// memory reading them back would take, the first U+001A and the first half
// surrogate pair.
struct CScan {
  qint64 units = 0;  // each is a byte at least in every encoding
  qint64 cost = 0;
  CPlace mark, lone;

  void Add(const CCardRow& row, int card) {
    const int n = row.ItemCount();
    if (n <= 0) {
      if (card >= 0) cost += ReadCost(0, 0);
      return;
    }
    // The texts stand back to back in one buffer, each followed by a NUL
    // (card_row.h): one look goes over all of them.
    const QStringView first = row.Item(0), last = row.Item(n - 1);
    const QStringView all(first.data(), last.data() + last.size());
    units += all.size() + 1;  // the texts, and a comma or the line end after each
    if (card >= 0) cost += ReadCost(n, all.size());
    if (!MayNeedMending(all)) return;
    for (int i = 0; i < n; ++i) {
      const CFound f = Look(row.Item(i));
      if (f.mark && !mark.Found()) mark = {card, i};
      if (f.lone && !lone.Found()) lone = {card, i};
    }
  }
  // Adds the scan of the cards after this one's.
  void Then(const CScan& later) {
    units += later.units;
    cost += later.cost;
    if (!mark.Found()) mark = later.mark;
    if (!lone.Found()) lone = later.lone;
  }
};

// A large deck is looked over in parts on as many threads as there are
// processors: after a sort its cards lie all over memory, and one thread
// waits for memory most of the time.
constexpr int kCardsPerThread = 50000;

}  // namespace

bool CheckDeckForSave(CCardStore& store, const QString& path, qint64 maxBytes) {
  IPrompt& prompt = store.Services().prompt;
  CScan scan;
  if (store.FirstLineIsItems()) scan.Add(store, -1);
  const int count = store.AllCount();
  const int parts = std::clamp(count / kCardsPerThread, 1, AvailableThreads());
  std::vector<CScan> scans(static_cast<std::size_t>(parts));
  const auto run = [&](int part) {
    const int begin = int(qint64(count) * part / parts), end = int(qint64(count) * (part + 1) / parts);
    for (int k = begin; k < end; ++k) scans[std::size_t(part)].Add(*store.AllCard(k), k);
  };
  std::vector<std::thread> threads;
  for (int part = 1; part < parts; ++part) threads.emplace_back(run, part);
  run(0);
  for (std::thread& t : threads) t.join();
  for (const CScan& part : scans) scan.Then(part);
  const qint64 units = scan.units, cost = scan.cost;
  const CPlace mark = scan.mark, lone = scan.lone;

  const CodePage cp = store.Encoding().codePage;
  const qint64 unitBytes = cp == CodePage::Utf16Le || cp == CodePage::Utf16Be ? 2 : 1;
  QString reason;
  if (maxBytes >= 0 && units * unitBytes > maxBytes)
    reason = path + QStringLiteral(": ") + msg::kLargerThanReadable.arg(maxBytes >> 20);
  else if (maxBytes >= 0 && cost > maxBytes * kCardMemoryFactor)
    reason = path + QStringLiteral(": ") + msg::kMoreCardsThanReadable.arg((maxBytes * kCardMemoryFactor) >> 20);
  if (!reason.isEmpty()) {
    prompt.Notice(msg::kCannotWrite + msg::kReasonSeparator + reason);
    return false;
  }

  if (!mark.Found() && !lone.Found()) return true;
  if (mark.Found() && !prompt.Question(Where(store, mark, msg::kEndOfFileQuestion))) return false;
  if (lone.Found() && !prompt.Question(Where(store, lone, msg::kLoneSurrogateQuestion))) return false;
  const CFound mend{mark.Found(), lone.Found()};
  auto fix = [&](CCardRow& row) {
    for (int i = 0; i < row.ItemCount(); ++i) {
      const QStringView text = row.Item(i);
      if (!MayNeedMending(text)) continue;
      const CFound f = Look(text);
      if (f.mark || f.lone) row.SetItem(i, Mended(text, mend));
    }
  };
  if (store.FirstLineIsItems()) fix(store);
  for (int k = 0; k < store.AllCount(); ++k) fix(*store.AllCard(k));
  return true;
}
