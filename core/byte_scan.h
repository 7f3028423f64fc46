#pragma once

#include "core/card_line.h"
#include "platform/code_page.h"

#include <QtGlobal>

#include <cstring>

// Line ends and the end-of-text mark in the bytes of an encoding: in CP932 and
// UTF-8 a line feed and 0x1A are single bytes that no other character
// contains; in UTF-16 they are units at even offsets from the start of the
// text. A chunk cut just after a line end therefore decodes on its own as it
// would inside the whole text.
//
// A file whose lines end with a lone CR (loneCr) ends a line at a CR, a CR LF
// or a lone LF; it is cut only where the unit after a CR is known.
class CUnitScan {
 public:
  explicit CUnitScan(CodePage cp, bool loneCr = false)
      : m_wide(cp == CodePage::Utf16Le || cp == CodePage::Utf16Be),
        m_bigEndian(cp == CodePage::Utf16Be),
        m_loneCr(loneCr) {}

  // Whether the lines of a text that begins with these bytes end with a lone
  // CR: there are more of them than line feeds.
  bool LoneCrText(const char* p, qsizetype n) const {
    const qsizetype step = m_wide ? 2 : 1;
    qsizetype cr = 0, lf = 0;
    for (qsizetype i = 0; i + step <= n; i += step) {
      if (Is(p, i, card_char::kLf))
        ++lf;
      else if (Is(p, i, card_char::kCr) && !(i + 2 * step <= n && Is(p, i + step, card_char::kLf)))
        ++cr;
    }
    return cr > lf;
  }

  // The offset just past the last line end in [from, n) (from at a unit), 0
  // when there is none.
  qsizetype LastLineEnd(const char* p, qsizetype from, qsizetype n) const {
    if (m_loneCr) {
      const qsizetype step = m_wide ? 2 : 1;
      for (qsizetype i = (n & ~(step - 1)) - step; i >= from; i -= step)
        if (Is(p, i, card_char::kLf) ||
            (Is(p, i, card_char::kCr) && i + 2 * step <= n && !Is(p, i + step, card_char::kLf)))
          return i + step;
      return 0;
    }
    if (!m_wide) {
      const void* at = ::memrchr(p + from, card_char::kLf, size_t(n - from));
      return at ? static_cast<const char*>(at) - p + 1 : 0;
    }
    for (qsizetype i = (n & ~qsizetype(1)) - 2; i >= from; i -= 2)
      if (Is(p, i, card_char::kLf)) return i + 2;
    return 0;
  }
  // The offset of the first end-of-text mark in [from, n) (from at a unit), -1
  // when there is none.
  qsizetype EndOfText(const char* p, qsizetype from, qsizetype n) const {
    if (!m_wide) {
      const void* at = std::memchr(p + from, card_char::kEndOfFile, size_t(n - from));
      return at ? static_cast<const char*>(at) - p : -1;
    }
    for (qsizetype i = from; i + 1 < n; i += 2)
      if (Is(p, i, card_char::kEndOfFile)) return i;
    return -1;
  }
  // The offset just past the line end of line `line` (0: the first), n when
  // the text has fewer line ends.
  qsizetype AfterLine(const char* p, qsizetype n, qsizetype line) const {
    qsizetype pos = 0;
    if (m_loneCr) {
      const qsizetype step = m_wide ? 2 : 1;
      for (qsizetype k = 0; k <= line; ++k) {
        while (pos + step <= n && !Is(p, pos, card_char::kLf) && !Is(p, pos, card_char::kCr)) pos += step;
        if (pos + step > n) return n;
        const bool crLf = Is(p, pos, card_char::kCr) && pos + 2 * step <= n && Is(p, pos + step, card_char::kLf);
        pos += crLf ? 2 * step : step;
      }
      return pos;
    }
    for (qsizetype k = 0; k <= line; ++k) {
      qsizetype at = -1;
      if (!m_wide) {
        const void* f = std::memchr(p + pos, card_char::kLf, size_t(n - pos));
        at = f ? static_cast<const char*>(f) - p : -1;
      } else {
        for (qsizetype i = pos; i + 1 < n && at < 0; i += 2)
          if (Is(p, i, card_char::kLf)) at = i;
      }
      if (at < 0) return n;
      pos = at + (m_wide ? 2 : 1);
    }
    return pos;
  }
  // Reads of a UTF-16 text are cut only between units.
  qsizetype Align(qsizetype offset) const { return m_wide ? offset & ~qsizetype(1) : offset; }
  qsizetype UnitSize() const { return m_wide ? 2 : 1; }
  // Whether the whole units of [0, n) are all line ends and end-of-text marks.
  bool OnlyLineEnds(const char* p, qsizetype n) const {
    for (qsizetype i = 0; i + UnitSize() <= n; i += UnitSize())
      if (!Is(p, i, card_char::kLf) && !Is(p, i, card_char::kCr) && !Is(p, i, card_char::kEndOfFile)) return false;
    return true;
  }
  // Whether the unit before offset i (at a unit) is a line feed.
  bool LineFeedBefore(const char* p, qsizetype i) const {
    return i >= UnitSize() && Is(p, i - UnitSize(), card_char::kLf);
  }
  bool LoneCr() const { return m_loneCr; }

 private:
  bool Is(const char* p, qsizetype i, char16_t unit) const {
    if (!m_wide) return static_cast<unsigned char>(p[i]) == unit;
    const auto hi = static_cast<unsigned char>(p[m_bigEndian ? i : i + 1]);
    const auto lo = static_cast<unsigned char>(p[m_bigEndian ? i + 1 : i]);
    return hi == 0 && lo == unit;
  }

  bool m_wide;
  bool m_bigEndian;
  bool m_loneCr;
};
