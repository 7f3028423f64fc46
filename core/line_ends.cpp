#include "core/line_ends.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

QStringView LineEndText(LineEnd end) {
  switch (end) {
    case LineEnd::kLf:
      return u"\n";
    case LineEnd::kCr:
      return u"\r";
    case LineEnd::kCrLf:
      break;
  }
  return u"\r\n";
}

QString LineEndName(LineEnd end) {
  switch (end) {
    case LineEnd::kLf:
      return QStringLiteral("LF");
    case LineEnd::kCr:
      return QStringLiteral("CR");
    case LineEnd::kCrLf:
      break;
  }
  return QStringLiteral("CR LF");
}

bool ParseLineEndName(QStringView name, LineEnd* out) {
  const QString n = name.toString().toLower();
  if (n == u"crlf")
    *out = LineEnd::kCrLf;
  else if (n == u"lf")
    *out = LineEnd::kLf;
  else if (n == u"cr")
    *out = LineEnd::kCr;
  else
    return false;
  return true;
}

LineEnd CLineEndCount::Most(LineEnd def) const {
  if (Total() == 0) return def;
  if (crLf >= lf && crLf >= cr) return LineEnd::kCrLf;
  return lf >= cr ? LineEnd::kLf : LineEnd::kCr;
}

CTextScan ScanText(QStringView text, bool loneCr) {
  CTextScan scan;
  const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype n = text.size();
  auto unit = [&](qsizetype i) {
    const char16_t c = s[i];
    if (c == u'\n') {
      if (i > 0 && s[i - 1] == u'\r')
        ++scan.ends.crLf;
      else
        ++scan.ends.lf;
    } else if (c == u'\r') {
      if (loneCr && (i + 1 >= n || s[i + 1] != u'\n')) ++scan.ends.cr;
    } else if (c >= 0x01 && c <= 0x04) {
      scan.escapes = true;
    }
  };
  qsizetype i = 0;
#ifdef __SSE2__
  // Most blocks of eight units hold none of LF, CR and 0x01-0x04 (all at or
  // below 0x0D, where a saturating subtraction of 0x0D leaves 0): one
  // comparison finds the blocks to look at unit by unit.
  const __m128i limit = _mm_set1_epi16(0x0D), zero = _mm_setzero_si128();
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, limit), zero)) == 0) continue;
    for (qsizetype k = i; k < i + 8; ++k) unit(k);
  }
#endif
  for (; i < n; ++i) unit(i);
  return scan;
}
