#include "core/line_joiner.h"

#include "core/card_line.h"

using namespace card_char;

int ScanQuotes(QStringView line, int state) {
  const char16_t* s = reinterpret_cast<const char16_t*>(line.utf16());
  const qsizetype full = line.size();
  const qsizetype lf = line.indexOf(QChar(kLf));
  const qsizetype n = lf < 0 ? full : lf;
  qsizetype i = 0;
  while (i < n) {
    if (state == 0) {
      const char16_t c = s[i++];
      state = c == kQuote ? 2 : c == kComma ? 0 : 1;
    } else if (state == 1) {
      while (i < n && s[i] != kComma) ++i;
      if (i == n) break;
      ++i;
      state = 0;
    } else {
      while (i < n && s[i] != kQuote) ++i;
      if (i == n) break;
      if (i + 1 < full && s[i + 1] == kQuote) {
        i += 2;
      } else {
        ++i;
        state = 0;
      }
    }
  }
  return state;
}
