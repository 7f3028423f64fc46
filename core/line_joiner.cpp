#include "core/line_joiner.h"

#include "core/card_line.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace card_char;

namespace {

// The first index at or after i of unit a or unit b, n when there is none;
// eight units at a time where the processor allows.
[[gnu::always_inline]] inline qsizetype NextOf(const char16_t* s, qsizetype i, qsizetype n, char16_t a, char16_t b) {
#ifdef __SSE2__
  const __m128i va = _mm_set1_epi16(short(a)), vb = _mm_set1_epi16(short(b));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)));
    if (mask != 0) return i + (__builtin_ctz(unsigned(mask)) >> 1);
  }
#endif
  for (; i < n; ++i)
    if (s[i] == a || s[i] == b) return i;
  return n;
}

}  // namespace

int ScanQuotes(QStringView line, int state) {
  const char16_t* s = reinterpret_cast<const char16_t*>(line.utf16());
  const qsizetype n = line.size();
  qsizetype i = 0;
  // The scan ends at a line feed: each state looks for its own character or
  // for one.
  while (i < n && s[i] != kLf) {
    if (state == 0) {
      const char16_t c = s[i++];
      state = c == kQuote ? 2 : c == kComma ? 0 : 1;
    } else if (state == 1) {
      i = NextOf(s, i, n, kComma, kLf);
      if (i == n || s[i] == kLf) break;
      ++i;
      state = 0;
    } else {
      i = NextOf(s, i, n, kQuote, kLf);
      if (i == n || s[i] == kLf) break;
      if (i + 1 < n && s[i + 1] == kQuote) {
        i += 2;
      } else {
        ++i;
        state = 0;
      }
    }
  }
  return state;
}
