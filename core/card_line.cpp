#include "core/card_line.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace card_char;

namespace {

// The first index at or after from where unit c stands, -1 when there is
// none; eight units at a time where the processor allows.
qsizetype FindUnit(const char16_t* s, qsizetype n, qsizetype from, char16_t c) {
  qsizetype i = from;
#ifdef __SSE2__
  const __m128i needle = _mm_set1_epi16(static_cast<short>(c));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, needle));
    if (mask != 0) return i + (__builtin_ctz(unsigned(mask)) >> 1);
  }
#endif
  for (; i < n; ++i)
    if (s[i] == c) return i;
  return -1;
}

// The first index at or after from of a line feed, a carriage return, a quote
// or (with commas) a comma: the units a written item may have to rewrite; n
// when there is none.
qsizetype NextSpecial(const char16_t* s, qsizetype n, qsizetype from, bool commas) {
  qsizetype i = from;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi16(kLf), cr = _mm_set1_epi16(kCr), quote = _mm_set1_epi16(kQuote);
  const __m128i comma = _mm_set1_epi16(commas ? short(kComma) : short(kLf));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr)),
                                     _mm_or_si128(_mm_cmpeq_epi16(v, quote), _mm_cmpeq_epi16(v, comma)));
    if (const int mask = _mm_movemask_epi8(hit); mask != 0) return i + (__builtin_ctz(unsigned(mask)) >> 1);
  }
#endif
  for (; i < n; ++i)
    if (s[i] == kLf || s[i] == kCr || s[i] == kQuote || (commas && s[i] == kComma)) return i;
  return n;
}

// The first needle of one or two units at or after from, -1 when none.
qsizetype Find(const std::u16string& buf, std::u16string_view needle, qsizetype from) {
  const char16_t* s = buf.data();
  const qsizetype n = qsizetype(buf.size());
  for (qsizetype at = FindUnit(s, n, from, needle[0]); at >= 0; at = FindUnit(s, n, at + 1, needle[0]))
    if (needle.size() == 1 || (at + 1 < n && s[at + 1] == needle[1])) return at;
  return -1;
}

// indexOf with memory: the parser searches the same needle from positions that
// only grow, and the characters it has already passed are the only ones it
// changes, so an earlier answer at or after the new start still holds. This
// keeps a line of many items linear.
class CNextFinder {
 public:
  CNextFinder(const std::u16string& buf, std::u16string_view needle) : m_buf(buf), m_needle(needle) {}
  qsizetype From(qsizetype from) {
    if (m_searched && from >= m_from && (m_found < 0 || m_found >= from)) return m_found;
    m_found = Find(m_buf, m_needle, from);
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

// Every from replaced by to in one pass: a text of many escapes stays linear.
void ReplaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to) {
  std::size_t pos = s.find(from);
  if (pos == std::u16string::npos) return;
  std::u16string out;
  out.reserve(s.size());
  std::size_t done = 0;
  for (; pos != std::u16string::npos; pos = s.find(from, done)) {
    out.append(s, done, pos - done);
    out.append(to);
    done = pos + from.size();
  }
  out.append(s, done);
  s = std::move(out);
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

// Whether the text holds one of the escape units 0x01-0x04.
bool HasControl(std::u16string_view s) {
  std::size_t i = 0;
#ifdef __SSE2__
  // c - 1 <= 3 unsigned, as a saturating c - 1 - 3 that comes out 0.
  const __m128i one = _mm_set1_epi16(1), three = _mm_set1_epi16(3), zero = _mm_setzero_si128();
  for (; i + 8 <= s.size(); i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, one), three), zero);
    if (_mm_movemask_epi8(low) != 0) return true;
  }
#endif
  for (; i < s.size(); ++i)
    if (s[i] >= kBreak1 && s[i] <= kEsc4) return true;
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

  if (Find(b, std::u16string_view(u"\"\"", 2), 1) >= 0) MarkDoubledQuotes(b);

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
  std::size_t total = std::size_t(CCardRow::HeaderSize(count));
  for (const Span& s : spans) total += s.end - s.begin + 1;
  QString buffer(qsizetype(total), Qt::Uninitialized);
  QChar* header = buffer.data();
  char16_t* out = reinterpret_cast<char16_t*>(buffer.data()) + CCardRow::HeaderSize(count);
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    const std::u16string_view raw(b.data() + spans[i].begin, spans[i].end - spans[i].begin);
    CCardRow::PutWord(header, i, std::uint32_t(pos) | (spans[i].quoted ? CCardRow::kQuotedBit : 0));
    if (HasControl(raw)) {
      const std::u16string t = Unescape(raw);
      std::copy(t.begin(), t.end(), out + pos);
      pos += t.size();
    } else {
      std::copy(raw.begin(), raw.end(), out + pos);
      pos += raw.size();
    }
    out[pos++] = 0;
  }
  if (qsizetype(pos) + CCardRow::HeaderSize(count) < qsizetype(total))
    buffer.truncate(qsizetype(pos) + CCardRow::HeaderSize(count));
  row.Adopt(std::move(buffer), count);
  return ParseStatus::kOk;
}

void AppendLine(QString& out, CCardRow& row, bool multiLine) {
  thread_local std::vector<int> quote;
  quote.clear();
  AppendLine(out, std::as_const(row), CLineForm{multiLine}, &quote);
  for (const int i : quote) row.SetQuoted(i, true);
}

void AppendLine(QString& out, const CCardRow& row, const CLineForm& form, std::vector<int>* quote) {
  const bool multiLine = form.multiLine;
  // With CR record ends a lone CR ends a line as a lone LF does.
  const bool loneCr = form.record == LineEnd::kCr;
  // A lone CR inside an item stays a line break only in a file whose records
  // end with CR.
  const QStringView inner = LineEndText(form.inner == LineEnd::kCr && !loneCr ? LineEnd::kLf : form.inner);
  const QStringView record = LineEndText(form.record);
  const int count = row.ItemCount();
  // Every unit is written as at most two, each item between two quotes and
  // after a comma: the line is written into room reserved once, with no
  // capacity check per character.
  qsizetype bound = record.size();
  for (int i = 0; i < count; ++i) bound += 2 * row.Item(i).size() + 3;
  const qsizetype start = out.size();
  if (out.capacity() < start + bound) out.reserve(std::max(start + bound, 2 * out.capacity()));
  out.resize(start + bound);
  char16_t* const begin = reinterpret_cast<char16_t*>(out.data()) + start;
  char16_t* o = begin;
  auto put = [&o](QStringView text) {
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), o);
    o += text.size();
  };
  for (int i = 0; i < count; ++i) {
    if (i > 0) *o++ = kComma;
    const QStringView t = row.Item(i);
    const qsizetype n = t.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(t.utf16());
    // In the Microsoft-CSV style an item with a line break, a comma or a
    // quote reads back as one text only between quotes.
    bool quoted = row.Quoted(i);
    if (multiLine && !quoted) {
      qsizetype k = NextSpecial(units, n, 0, true);
      while (k < n && units[k] == kCr && !loneCr) k = NextSpecial(units, n, k + 1, true);
      if (k < n) {
        quote->push_back(i);
        quoted = true;
      }
    }
    if (quoted) *o++ = kQuote;
    // Runs of ordinary characters are copied whole; only line breaks, quotes
    // and (in a bare item of the own style) commas are rewritten.
    const bool commas = !quoted && !multiLine;
    qsizetype run = 0;
    for (qsizetype k = NextSpecial(units, n, 0, commas); k < n; k = NextSpecial(units, n, k + 1, commas)) {
      const char16_t c = units[k];
      const bool crLf = c == kCr && k + 1 < n && units[k + 1] == kLf;
      if (c == kCr && !crLf && !loneCr) continue;
      o = std::copy(units + run, units + k, o);
      if (c == kCr || c == kLf) {
        // CR LF, or a lone line feed (or CR), which in the own style would
        // end the record: each is kept as a line break.
        if (crLf) ++k;
        if (multiLine) {
          put(inner);
        } else {
          *o++ = kBreak1;
          *o++ = kBreak2;
        }
      } else if (c == kQuote) {
        const char16_t mark = quoted || multiLine ? kQuote : kEsc3;
        *o++ = mark;
        *o++ = mark;
      } else {
        *o++ = kEsc4;
      }
      run = k + 1;
    }
    o = std::copy(units + run, units + n, o);
    if (quoted) *o++ = kQuote;
  }
  put(record);
  out.resize(start + (o - begin));
}

QString FormatLine(CCardRow& row, bool multiLine) {
  QString out;
  AppendLine(out, row, multiLine);
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
