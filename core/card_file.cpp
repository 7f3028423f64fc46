#include "core/card_file.h"

#include "core/card_store.h"
#include "core/messages.h"
#include "core/property_file.h"

#include <QFile>
#include <QSaveFile>

#include <new>
#include <vector>

namespace {

constexpr char16_t kQuote = u'"';
constexpr char16_t kComma = u',';
constexpr char16_t kLf = u'\n';
constexpr char16_t kCr = u'\r';
constexpr char16_t kBreak1 = 0x01;  // 0x01 0x02: a line break
constexpr char16_t kBreak2 = 0x02;
constexpr char16_t kEsc3 = 0x03;  // 0x03 0x03: a quote; 0x03 0x04: quote + comma
constexpr char16_t kEsc4 = 0x04;  // 0x04: a comma; 0x04 0x03: comma + quote
constexpr char16_t kEndOfFile = 0x1A;

// indexOf with memory: the parser searches the same needle from positions that
// only grow, and the characters it has already passed are the only ones it
// changes, so an earlier answer at or after the new start still holds. This
// keeps a line of many items linear.
class CNextFinder {
 public:
  CNextFinder(const std::u16string& buf, std::u16string_view needle) : m_buf(buf), m_needle(needle) {}
  qsizetype From(qsizetype from) {
    if (m_searched && from >= m_from && (m_found < 0 || m_found >= from)) return m_found;
    const auto at = m_buf.find(m_needle, from);
    m_found = at == std::u16string::npos ? -1 : qsizetype(at);
    m_from = from;
    m_searched = true;
    return m_found;
  }

 private:
  const std::u16string& m_buf;
  std::u16string_view m_needle;
  bool m_searched = false;
  qsizetype m_from = 0;
  qsizetype m_found = -1;
};

void ReplaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to) {
  std::size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::u16string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}

// Doubled quotes become 0x03 0x03 so that they cannot be taken for a closing quote.
void MarkDoubledQuotes(std::u16string& b) {
  const std::size_t n = b.size();
  std::size_t lastPair = std::u16string::npos;
  for (std::u16string_view pair : {std::u16string_view(u"\",", 2), std::u16string_view(u"\"\n", 2)}) {
    const auto at = b.rfind(pair);
    if (at != std::u16string::npos && (lastPair == std::u16string::npos || at > lastPair)) lastPair = at;
  }
  auto twoQuotes = [&](std::size_t i) { return i + 1 < n && b[i] == kQuote && b[i + 1] == kQuote; };
  int state = 0;
  std::size_t i = 0;
  while (i < n) {
    const char16_t c = b[i];
    if (state == 0) {
      if (c == kQuote) {
        if (lastPair != std::u16string::npos && lastPair >= i) {
          state = 2;
          ++i;
        } else {
          state = 1;
          if (twoQuotes(i)) {
            b[i] = b[i + 1] = kEsc3;
            i += 2;
          } else {
            ++i;
          }
        }
      } else {
        state = c == kComma ? 0 : 1;
        ++i;
      }
    } else if (state == 1) {
      if (c == kComma) {
        state = 0;
        ++i;
      } else if (twoQuotes(i)) {
        b[i] = b[i + 1] = kEsc3;
        i += 2;
      } else {
        ++i;
      }
    } else {
      if (twoQuotes(i)) {
        b[i] = b[i + 1] = kEsc3;
        i += 2;
      } else {
        if (c == kQuote) state = 0;
        ++i;
      }
    }
  }
}

bool HasControl(std::u16string_view s) {
  for (char16_t c : s)
    if (c >= kBreak1 && c <= kEsc4) return true;
  return false;
}

std::u16string Unescape(std::u16string_view raw) {
  std::u16string t(raw);
  ReplaceAll(t, u"\x01\x02", u"\r\n");
  ReplaceAll(t, u"\x03\x03", u"\"");
  ReplaceAll(t, u"\x03\x04", u"\",");
  ReplaceAll(t, u"\x04\x03", u",\"");
  ReplaceAll(t, u"\x04", u",");
  return t;
}

}  // namespace

ParseStatus ParseLine(CCardRow& row, QStringView line) {
  thread_local std::u16string b;
  b.assign(reinterpret_cast<const char16_t*>(line.utf16()), line.size());
  if (b.empty() || b.back() != kLf) b.push_back(kLf);

  if (b.find(u"\"\"", 1) != std::u16string::npos) MarkDoubledQuotes(b);

  struct Span {
    std::size_t begin, end;
    bool quoted;
  };
  thread_local std::vector<Span> spans;
  spans.clear();
  CNextFinder quoteComma(b, std::u16string_view(u"\",", 2));
  CNextFinder quoteLf(b, std::u16string_view(u"\"\n", 2));
  CNextFinder comma(b, std::u16string_view(u",", 1));
  CNextFinder lf(b, std::u16string_view(u"\n", 1));
  const qsizetype n = qsizetype(b.size());
  qsizetype p = 0;
  while (p < n) {
    if (spans.size() > std::size_t(CCardRow::kMaxItems)) break;
    if (b[p] == kQuote) {
      qsizetype q = quoteComma.From(p + 1);
      if (q < 0) q = quoteLf.From(p);
      if (q >= 0) {
        spans.push_back({std::size_t(p + 1), std::size_t(std::max(q, p + 1)), true});
        b[q] = b[q + 1] = 0;
        p = q + 2;
        continue;
      }
    }
    qsizetype e = comma.From(p);
    if (e < 0) e = lf.From(p);
    if (e < 0) break;
    spans.push_back({std::size_t(p), std::size_t(e), false});
    b[e] = 0;
    p = e + 1;
  }
  if (spans.size() > std::size_t(CCardRow::kMaxItems)) {
    row.MakeEmpty(0);
    return ParseStatus::kTooManyItems;
  }

  const int count = int(spans.size());
  std::size_t total = 0;
  for (const Span& s : spans) total += s.end - s.begin + 1;
  QString buffer(qsizetype(total), Qt::Uninitialized);
  auto offsets = count > 0 ? std::make_unique<std::uint32_t[]>(count) : nullptr;
  char16_t* out = reinterpret_cast<char16_t*>(buffer.data());
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    const std::u16string_view raw(b.data() + spans[i].begin, spans[i].end - spans[i].begin);
    offsets[i] = std::uint32_t(pos);
    if (HasControl(raw)) {
      const std::u16string t = Unescape(raw);
      std::copy(t.begin(), t.end(), out + pos);
      pos += t.size();
    } else {
      std::copy(raw.begin(), raw.end(), out + pos);
      pos += raw.size();
    }
    out[pos++] = 0;
    row.SetQuoted(i, spans[i].quoted);
  }
  if (pos < total) buffer.truncate(qsizetype(pos));
  row.Adopt(std::move(buffer), std::move(offsets), count);
  return ParseStatus::kOk;
}

QString FormatLine(CCardRow& row, bool multiLine) {
  QString out;
  const int count = row.ItemCount();
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += kComma;
    QString t = row.Item(i).toString();
    if (multiLine) {
      t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      // An item with a line break, a comma or a quote reads back as one text
      // only between quotes.
      if (t.contains(kLf) || t.contains(kComma) || t.contains(kQuote)) row.SetQuoted(i, true);
      t.replace(QChar(kQuote), QStringLiteral("\"\""));
    } else {
      t.replace(QStringLiteral("\r\n"), QStringLiteral("\x01\x02"));
      // A lone line feed would end the record: it is kept as a line break.
      t.replace(QChar(kLf), QStringLiteral("\x01\x02"));
      t.replace(QChar(kQuote), QStringLiteral("\"\""));
      if (!row.Quoted(i)) {
        t.replace(QChar(kComma), QChar(kEsc4));
        t.replace(QChar(kQuote), QChar(kEsc3));
      }
    }
    if (row.Quoted(i)) {
      out += kQuote;
      out += t;
      out += kQuote;
    } else {
      out += t;
    }
  }
  out += QStringLiteral("\r\n");
  return out;
}

QString FormatInternalLine(const CCardRow& row) {
  QString out;
  const int count = row.ItemCount();
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += kComma;
    QString t = row.Item(i).toString();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\x01\x02"));
    t.replace(QChar(kLf), QStringLiteral("\x01\x02"));
    // Every quote as 0x03 0x03 and, in a bare item, every comma as 0x04: the
    // parser turns both back, and no quote in a text can close the item early.
    t.replace(QChar(kQuote), QStringLiteral("\x03\x03"));
    if (row.Quoted(i)) {
      out += kQuote;
      out += t;
      out += kQuote;
    } else {
      t.replace(QChar(kComma), QChar(kEsc4));
      out += t;
    }
  }
  out += kLf;
  return out;
}

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

// Reads the records of a decoded file into the store.
class CLineReader {
 public:
  CLineReader(CCardStore& store, QStringView text) : m_store(store), m_text(text) {}

  int Run(bool firstLine) {
    qsizetype lineNo = 0;
    QStringView line;
    if (firstLine && NextLine(&line)) {
      if (ParseLine(m_store, line) != ParseStatus::kOk) return TooMany(0);
      m_width = m_store.ItemCount();
      ++lineNo;
    }
    bool haveWidth = firstLine;
    while (NextLine(&line)) {
      const qsizetype thisLine = lineNo++;
      QString joined;
      if (m_store.MsCsvIn() != 0) {
        if (!Join(line, thisLine, &joined)) continue;
        if (!joined.isNull()) line = joined;
      }
      if (AddRecord(line, m_joinStart >= 0 ? m_joinStart : thisLine, &haveWidth) < 0) return -1;
      m_joinStart = -1;
    }
    if (!m_acc.isEmpty()) {
      // A quoted item left open at the end: keep what was collected as the last
      // card, closing the quote, rather than lose it.
      m_acc.chop(2);  // the 0x01 0x02 that stood for the final line feed
      m_acc += QStringLiteral("\"\n");
      m_store.Services().prompt.Notice(msg::kUnclosedQuote.arg(m_joinStart + 1));
      if (AddRecord(m_acc, m_joinStart, &haveWidth) < 0) return -1;
    }
    return 1;
  }

  int Width() const { return m_width; }

 private:
  bool NextLine(QStringView* line) {
    if (m_pos >= m_text.size()) return false;
    qsizetype nl = m_text.indexOf(QChar(kLf), m_pos);
    qsizetype end = nl < 0 ? m_text.size() : nl;
    qsizetype len = end - m_pos;
    if (nl >= 0 && len > 0 && m_text[end - 1] == kCr) --len;
    *line = m_text.mid(m_pos, len);
    m_pos = nl < 0 ? m_text.size() : nl + 1;
    return true;
  }

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

  int AddRecord(QStringView line, qsizetype lineNo, bool* haveWidth) {
    auto card = std::make_unique<CCardRow>();
    if (ParseLine(*card, line) != ParseStatus::kOk) return TooMany(lineNo);
    if (!*haveWidth) {
      m_width = card->ItemCount();
      *haveWidth = true;
    }
    while (card->ItemCount() < m_width) card->InsertEmptyItem(-1);
    while (card->ItemCount() > m_width) card->DeleteItem(card->ItemCount() - 1);
    m_store.AllCards().push_back(std::move(card));
    return 1;
  }

  int TooMany(qsizetype lineNo) {
    m_store.Services().prompt.Notice(msg::kTooManyItems.arg(lineNo + 1));
    return -1;
  }

  CCardStore& m_store;
  QStringView m_text;
  qsizetype m_pos = 0;
  int m_width = 0;
  int m_state = 0;
  QString m_acc;
  qsizetype m_joinStart = -1;
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

int ReadCardFile(CCardStore& store, const QString& path) {
  store.SetFilePath(path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 0;
  QByteArray bytes = file.readAll();
  file.close();

  store.Clear();
  const bool hasProperties = LoadPropertyFile(store, path);
  return ReadCardBytes(store, std::move(bytes), hasProperties);
}

int ReadCardBytes(CCardStore& store, QByteArray bytes, bool hasProperties) {
  const bool firstLine = store.FirstLineIsItems();
  QString text;
  {
    qsizetype body = 0;
    const FileEncoding enc = DetectEncoding(bytes, store.Services().FileCodePage(), &body);
    store.SetEncoding(enc);
    if (body > 0) bytes.remove(0, body);
    DecodeResult decoded = DecodeBytes(bytes, enc.codePage);
    bytes = QByteArray();  // the bytes are not needed once decoded
    decoded.text.squeeze();  // the buffer was sized for the worst case
    if (decoded.badCount > 0)
      store.Services().prompt.Notice(
          msg::kUndecodable.arg(CodePageName(enc.codePage)).arg(decoded.badCount).arg(decoded.firstBadOffset + body + 1));
    text = std::move(decoded.text);
  }
  const qsizetype eof = text.indexOf(QChar(kEndOfFile));
  if (eof >= 0) text.truncate(eof);

  CLineReader reader(store, text);
  int result;
  try {
    result = reader.Run(firstLine);
  } catch (const std::bad_alloc&) {
    store.Services().prompt.Notice(msg::kNoMemory);
    result = -1;
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

}  // namespace

int WriteCardFile(CCardStore& store, const QString& path) {
  store.SetFilePath(path);
  store.RecalcAll();

  QString text;
  const bool multiLine = store.MultiLine();
  if (store.FirstLineIsItems()) text += FormatLine(store, multiLine);
  for (int k = 0; k < store.AllCount(); ++k) text += FormatLine(*store.AllCard(k), multiLine);

  FileEncoding enc = store.Encoding();
  EncodeResult encoded = EncodeText(text, enc.codePage);
  if (!encoded.ok()) {
    // Never replace a character behind the user's back: offer UTF-8, which
    // holds every text, and write nothing when declined.
    if (!store.Services().prompt.Question(DescribeUnencodable(store, enc.codePage))) return 0;
    enc = {CodePage::Utf8, true};
    encoded = EncodeText(text, enc.codePage);
    if (!encoded.ok()) {
      store.Services().prompt.Notice(msg::kCannotWrite);
      return 0;
    }
  }
  text.clear();
  text.squeeze();

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    store.Services().prompt.Notice(msg::kCannotWrite);
    return 0;
  }
  if (enc.bom) file.write("\xEF\xBB\xBF", 3);
  file.write(encoded.bytes);
  if (!file.commit()) {
    store.Services().prompt.Notice(msg::kCannotWrite);
    return 0;
  }
  store.SetEncoding(enc);
  SavePropertyFile(store, path);
  return 1;
}
