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

// Marks in bits (one a unit, in words of 64, an empty word after the last)
// where the n units of s hold a line feed, a carriage return, a quote or a
// comma: the units a written item may have to rewrite.
void MarkSpecials(const char16_t* s, qsizetype n, std::vector<std::uint64_t>& bits) {
  bits.assign(std::size_t(n / 64 + 2), 0);
  qsizetype i = 0;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi16(kLf), cr = _mm_set1_epi16(kCr), quote = _mm_set1_epi16(kQuote);
  const __m128i comma = _mm_set1_epi16(kComma);
  auto hits = [&](__m128i v) {
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr)),
                        _mm_or_si128(_mm_cmpeq_epi16(v, quote), _mm_cmpeq_epi16(v, comma)));
  };
  // Sixteen units from at; the last block may overlap the one before it.
  auto block = [&](qsizetype at) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + 8));
    const std::uint64_t sixteen = unsigned(_mm_movemask_epi8(_mm_packs_epi16(hits(a), hits(b))));
    const int shift = int(at & 63);
    bits[std::size_t(at >> 6)] |= sixteen << shift;
    if (shift > 48) bits[std::size_t(at >> 6) + 1] |= sixteen >> (64 - shift);
  };
  for (; i + 16 <= n; i += 16) block(i);
  if (i < n && n >= 16) {
    block(n - 16);
    i = n;
  }
#endif
  for (; i < n; ++i)
    if (s[i] == kLf || s[i] == kCr || s[i] == kQuote || s[i] == kComma)
      bits[std::size_t(i >> 6)] |= std::uint64_t(1) << (i & 63);
}

// The first bit at or after from and before to, to when there is none.
[[gnu::always_inline]] inline qsizetype NextBit(const std::vector<std::uint64_t>& bits, qsizetype from, qsizetype to) {
  std::size_t w = std::size_t(from >> 6);
  const std::size_t last = std::size_t((to + 63) >> 6);
  for (std::uint64_t keep = ~std::uint64_t(0) << (from & 63); w < last; ++w, keep = ~std::uint64_t(0))
    if (const std::uint64_t b = bits[w] & keep; b != 0) return std::min(to, qsizetype(w * 64 + __builtin_ctzll(b)));
  return to;
}

// Undoes the own form's escapes of an item in place, one kind after the
// other as each was written, and answers the new length: 0x01 0x02 a line
// break, 0x03 0x03 a quote, 0x03 0x04 a quote and a comma, 0x04 0x03 a comma
// and a quote, 0x04 a comma. No kind makes a text longer.
std::size_t Unescape(char16_t* s, std::size_t n) {
  auto pass = [&](char16_t first, char16_t second, char16_t to1, char16_t to2) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < n;) {
      if (s[r] == first && (second == 0 || (r + 1 < n && s[r + 1] == second))) {
        s[w++] = to1;
        if (to2 != 0) s[w++] = to2;
        r += second == 0 ? 1 : 2;
      } else {
        s[w++] = s[r++];
      }
    }
    n = w;
  };
  pass(kBreak1, kBreak2, kCr, kLf);
  pass(kEsc3, kEsc3, kQuote, 0);
  pass(kEsc3, kEsc4, kQuote, kComma);
  pass(kEsc4, kEsc3, kComma, kQuote);
  pass(kEsc4, 0, kComma, 0);
  return n;
}

// Where a line's commas, quotes, line feeds and escape units 0x01-0x04 stand,
// one bit a unit in words of 64, found in one pass over the line; the line
// feed that ends the line (there or assumed) included.
struct CLineBits {
  std::vector<std::uint64_t> comma, quote, lf, esc;
  bool escapes = false;  // an escape unit stands anywhere

  // Scans the m units of s; a line feed is taken to follow them.
  void Scan(const char16_t* s, qsizetype m) {
    const std::size_t words = std::size_t(m / 64 + 2);
    std::uint64_t any = 0;
#ifdef __SSE2__
    for (auto* v : {&comma, &quote, &lf, &esc}) v->resize(words);
    const __m128i vComma = _mm_set1_epi16(kComma), vQuote = _mm_set1_epi16(kQuote), vLf = _mm_set1_epi16(kLf);
    const __m128i one = _mm_set1_epi16(1), three = _mm_set1_epi16(3), zero = _mm_setzero_si128();
    auto mask = [](__m128i a, __m128i b) { return std::uint64_t(unsigned(_mm_movemask_epi8(_mm_packs_epi16(a, b)))); };
    // c - 1 <= 3 unsigned, as a saturating c - 1 - 3 that comes out 0.
    auto control = [&](__m128i v) { return _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, one), three), zero); };
    // The bits of a word are gathered sixteen units at a time and stored once.
    std::uint64_t c = 0, q = 0, l = 0, e = 0;
    auto block = [&](qsizetype at, int shift) __attribute__((always_inline)) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + 8));
      // A block that begins in the word before (shift < 0) keeps only its
      // units in this word: the others were marked with that word.
      auto place = [shift](std::uint64_t sixteen) { return shift >= 0 ? sixteen << shift : sixteen >> -shift; };
      c |= place(mask(_mm_cmpeq_epi16(a, vComma), _mm_cmpeq_epi16(b, vComma)));
      q |= place(mask(_mm_cmpeq_epi16(a, vQuote), _mm_cmpeq_epi16(b, vQuote)));
      l |= place(mask(_mm_cmpeq_epi16(a, vLf), _mm_cmpeq_epi16(b, vLf)));
      e |= place(mask(control(a), control(b)));
    };
    auto store = [&](std::size_t w) {
      comma[w] = c, quote[w] = q, lf[w] = l, esc[w] = e;
      any |= e;
      c = q = l = e = 0;
    };
    qsizetype i = 0;
    std::size_t w = 0;
    for (; i + 64 <= m; i += 64, ++w) {
      for (int k = 0; k < 64; k += 16) block(i + k, k);
      store(w);
    }
    const qsizetype base = i;  // of word w, which holds the rest
    for (; i + 16 <= m; i += 16) block(i, int(i - base));
    if (i < m && m >= 16) {
      block(m - 16, int(m - 16 - base));
      i = m;
    }
    for (; i < m; ++i) {
      const std::uint64_t bit = std::uint64_t(1) << (i - base);
      if (s[i] == kComma) c |= bit;
      if (s[i] == kQuote) q |= bit;
      if (s[i] == kLf) l |= bit;
      if (s[i] >= kBreak1 && s[i] <= kEsc4) e |= bit;
    }
    store(w);
    for (++w; w < words; ++w) store(w);
#else
    for (auto* v : {&comma, &quote, &lf, &esc}) v->assign(words, 0);
    for (qsizetype i = 0; i < m; ++i) {
      const std::uint64_t bit = std::uint64_t(1) << (i & 63);
      const std::size_t w = std::size_t(i >> 6);
      if (s[i] == kComma) comma[w] |= bit;
      if (s[i] == kQuote) quote[w] |= bit;
      if (s[i] == kLf) lf[w] |= bit;
      if (s[i] >= kBreak1 && s[i] <= kEsc4) esc[w] |= bit, any = 1;
    }
#endif
    lf[std::size_t(m >> 6)] |= std::uint64_t(1) << (m & 63);
    escapes = any != 0;
  }

  // Whether a bit stands in [from, to).
  static bool Any(const std::vector<std::uint64_t>& bits, qsizetype from, qsizetype to) {
    if (from >= to) return false;
    const std::size_t first = std::size_t(from >> 6), last = std::size_t((to - 1) >> 6);
    const std::uint64_t head = ~std::uint64_t(0) << (from & 63);
    const std::uint64_t tail = ~std::uint64_t(0) >> (63 - ((to - 1) & 63));
    if (first == last) return (bits[first] & head & tail) != 0;
    if ((bits[first] & head) != 0 || (bits[last] & tail) != 0) return true;
    for (std::size_t w = first + 1; w < last; ++w)
      if (bits[w] != 0) return true;
    return false;
  }

  // The first unit at or after from whose bit stands in the words word(w)
  // gives, -1 when none does.
  template <typename Word>
  qsizetype FirstOf(qsizetype from, Word&& word) const {
    const std::size_t words = comma.size() - 1;  // the last word is always empty
    std::size_t w = std::size_t(from >> 6);
    for (std::uint64_t keep = ~std::uint64_t(0) << (from & 63); w < words; ++w, keep = ~std::uint64_t(0))
      if (const std::uint64_t b = word(w) & keep; b != 0) return qsizetype(w * 64 + std::size_t(__builtin_ctzll(b)));
    return -1;
  }
  // The words of the units where a quote stands before a comma, and before a line feed.
  std::uint64_t QuoteComma(std::size_t w) const { return quote[w] & ((comma[w] >> 1) | (comma[w + 1] << 63)); }
  std::uint64_t QuoteLf(std::size_t w) const { return quote[w] & ((lf[w] >> 1) | (lf[w + 1] << 63)); }
  bool Quote(qsizetype i) const { return (quote[std::size_t(i >> 6)] >> (i & 63)) & 1; }

  // Whether two quotes stand side by side, the first not at the start.
  bool DoubledQuote() const {
    for (std::size_t w = 0; w + 1 < quote.size(); ++w) {
      std::uint64_t b = quote[w] & ((quote[w] >> 1) | (quote[w + 1] << 63));
      if (w == 0) b &= ~std::uint64_t(1);
      if (b != 0) return true;
    }
    return false;
  }
};

// Doubled quotes become 0x03 0x03 so that they cannot be taken for a closing
// quote: in a bare item every pair, in a quoted item every pair up to its
// closing quote. An item that begins with a quote counts as quoted only up to
// the last quote that stands before a comma or a line feed. The bits of the
// quotes marked are cleared. The state moves only at quotes and commas, so
// the walk goes from one to the next.
void MarkDoubledQuotes(char16_t* b, qsizetype m, CLineBits& bits) {
  qsizetype lastPair = -1;
  for (std::size_t w = bits.quote.size() - 1; w-- > 0 && lastPair < 0;)
    if (const std::uint64_t q = bits.QuoteComma(w) | bits.QuoteLf(w); q != 0)
      lastPair = qsizetype(w * 64 + 63 - std::size_t(__builtin_clzll(q)));
  auto markPair = [&](qsizetype i) {
    if (!bits.Quote(i) || !bits.Quote(i + 1)) return false;
    b[i] = b[i + 1] = kEsc3;
    bits.quote[std::size_t(i >> 6)] &= ~(std::uint64_t(1) << (i & 63));
    bits.quote[std::size_t((i + 1) >> 6)] &= ~(std::uint64_t(1) << ((i + 1) & 63));
    bits.esc[std::size_t(i >> 6)] |= std::uint64_t(1) << (i & 63);
    bits.esc[std::size_t((i + 1) >> 6)] |= std::uint64_t(1) << ((i + 1) & 63);
    bits.escapes = true;
    return true;
  };
  enum { kStart, kBare, kQuoted } state = kStart;
  qsizetype i = 0;
  while (i < m) {
    if (state == kStart) {
      const char16_t c = b[i];
      if (c == kQuote && lastPair >= i) {
        state = kQuoted;
        ++i;
      } else {
        state = c == kComma ? kStart : kBare;
        i += c == kQuote && markPair(i) ? 2 : 1;
      }
      continue;
    }
    if (state == kBare) {
      const qsizetype k = bits.FirstOf(i, [&](std::size_t w) { return bits.quote[w] | bits.comma[w]; });
      if (k < 0) break;
      if (b[k] == kComma) {
        state = kStart;
        i = k + 1;
      } else {
        i = k + (markPair(k) ? 2 : 1);
      }
      continue;
    }
    const qsizetype k = bits.FirstOf(i, [&](std::size_t w) { return bits.quote[w]; });
    if (k < 0) break;
    if (markPair(k)) {
      i = k + 2;
    } else {
      state = kStart;
      i = k + 1;
    }
  }
}

}  // namespace

ParseStatus ParseLine(CCardRow& row, QStringView line) {
  const char16_t* s = reinterpret_cast<const char16_t*>(line.utf16());
  qsizetype m = line.size();
  if (m > 0 && s[m - 1] == kLf) --m;
  // Unit m is the line feed that ends the line.
  thread_local CLineBits bits;
  bits.Scan(s, m);
  if (bits.DoubledQuote()) {
    thread_local std::u16string marked;
    marked.assign(s, std::size_t(m));
    MarkDoubledQuotes(marked.data(), m, bits);
    s = marked.data();
  }

  // A quoted item ends at the first quote-comma after its opening quote,
  // else at the first quote before a line feed; without either it is bare.
  // A bare item ends at the next comma, else at the next line feed.
  struct Span {
    qsizetype begin, end;
    bool quoted;
  };
  Span spans[CCardRow::kMaxItems + 1];
  int count = 0;
  qsizetype noQuoteComma = -1;  // no quote-comma at or after this unit, once searched
  for (qsizetype p = 0; p <= m;) {
    if (count > CCardRow::kMaxItems) {
      row.MakeEmpty(0);
      return ParseStatus::kTooManyItems;
    }
    if (p < m && s[p] == kQuote) {
      qsizetype q = -1;
      if (noQuoteComma < 0 || p + 1 < noQuoteComma) {
        q = bits.FirstOf(p + 1, [&](std::size_t w) { return bits.QuoteComma(w); });
        if (q < 0) noQuoteComma = p + 1;
      }
      if (q < 0) q = bits.FirstOf(p, [&](std::size_t w) { return bits.QuoteLf(w); });
      if (q >= 0) {
        spans[count++] = {p + 1, std::max(q, p + 1), true};
        p = q + 2;
        continue;
      }
    }
    qsizetype e = bits.FirstOf(p, [&](std::size_t w) { return bits.comma[w]; });
    if (e < 0) e = bits.FirstOf(p, [&](std::size_t w) { return bits.lf[w]; });
    spans[count++] = {p, e, false};
    p = e + 1;
  }
  if (count > CCardRow::kMaxItems) {
    row.MakeEmpty(0);
    return ParseStatus::kTooManyItems;
  }

  qsizetype total = CCardRow::HeaderSize(count);
  for (int i = 0; i < count; ++i) total += spans[i].end - spans[i].begin + 1;
  QString buffer(total, Qt::Uninitialized);
  QChar* header = buffer.data();
  char16_t* out = reinterpret_cast<char16_t*>(header) + CCardRow::HeaderSize(count);
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t n = std::size_t(spans[i].end - spans[i].begin);
    CCardRow::PutWord(header, i, std::uint32_t(pos) | (spans[i].quoted ? CCardRow::kQuotedBit : 0));
    std::copy_n(s + spans[i].begin, n, out + pos);
    pos += bits.escapes && CLineBits::Any(bits.esc, spans[i].begin, spans[i].end) ? Unescape(out + pos, n) : n;
    out[pos++] = 0;
  }
  if (qsizetype(pos) + CCardRow::HeaderSize(count) < total) buffer.truncate(qsizetype(pos) + CCardRow::HeaderSize(count));
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
  const int count = std::max(row.ItemCount(), 0);
  // The items are read straight from the row's buffer (its layout is that
  // ParseLine builds): the offsets of their texts from the words of the
  // header, the end of the last from its view.
  const char16_t* header = static_cast<const char16_t*>(row.Buffer());
  const char16_t* texts = header + CCardRow::HeaderSize(count);
  auto word = [header](int i) { return std::uint32_t(header[2 * i]) | std::uint32_t(header[2 * i + 1]) << 16; };
  qsizetype textEnd = 0;  // the offset just past the last text's NUL
  if (count > 0) {
    const QStringView last = row.Item(count - 1);
    textEnd = reinterpret_cast<const char16_t*>(last.utf16()) - texts + last.size() + 1;
  }
  // Every unit is written as at most two, each item between two quotes and
  // after a comma: the line is written into room reserved once, with no
  // capacity check per character.
  const qsizetype bound = record.size() + 2 * textEnd + 3 * qsizetype(count);
  // The units to rewrite, found for the whole row at once; commas count only
  // in a bare item of the own style, and a lone CR only with CR record ends.
  thread_local std::vector<std::uint64_t> specials;
  MarkSpecials(texts, textEnd, specials);
  auto next = [&](qsizetype begin, qsizetype n, qsizetype from, bool commas) {
    for (qsizetype k = NextBit(specials, begin + from, begin + n) - begin; k < n;
         k = NextBit(specials, begin + k + 1, begin + n) - begin)
      if (commas || texts[begin + k] != kComma) return k;
    return n;
  };
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
    const std::uint32_t w = word(i);
    const qsizetype begin = qsizetype(w & ~CCardRow::kQuotedBit);
    const qsizetype n = (i + 1 < count ? qsizetype(word(i + 1) & ~CCardRow::kQuotedBit) : textEnd) - 1 - begin;
    const char16_t* units = texts + begin;
    // In the Microsoft-CSV style an item with a line break, a comma or a
    // quote reads back as one text only between quotes.
    bool quoted = (w & CCardRow::kQuotedBit) != 0;
    if (multiLine && !quoted) {
      qsizetype k = next(begin, n, 0, true);
      while (k < n && units[k] == kCr && !loneCr) k = next(begin, n, k + 1, true);
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
    for (qsizetype k = next(begin, n, 0, commas); k < n; k = next(begin, n, k + 1, commas)) {
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
