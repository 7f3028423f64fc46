#include "core/digit_grouping.h"

#include <algorithm>

QString GroupDigits(QStringView text) {
  // Built back to front, then reversed.
  QString out;
  out.reserve(text.size() + text.size() / 3 + 1);
  bool active = !text.contains(u'.');
  int counter = 0;
  for (qsizetype i = text.size() - 1; i >= 0; --i) {
    const char16_t c = text[i].unicode();
    switch (c) {
      case u'.':
        out += QChar(c);
        active = true;
        counter = 0;
        break;
      case u',':
        break;
      case u'$':
      case u'%':
      case u'(':
      case u')':
      case u'+':
      case u'-':
      case u'=':
      case u'\\':
        out += QChar(c);
        break;
      default:
        if (c < u'0' || c > u'9') return text.toString();
        if (counter == 3 && active) {
          out += u',';
          counter = 0;
        }
        out += QChar(c);
        ++counter;
        break;
    }
  }
  std::reverse(out.begin(), out.end());
  return out;
}
