#include "print/postcard/postcard_code.h"

bool IsPostcardHyphen(QChar c) {
  switch (c.unicode()) {
    case u'-':
    case u'\u2010':
    case u'\u2011':
    case u'\u2012':
    case u'\u2013':
    case u'\u2212':
    case u'\uFF0D':
    case u'\uFF70':
    case u'\u30FC':
      return true;
    default:
      return false;
  }
}

int PostcardDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'\uFF10' && u <= u'\uFF19') return u - u'\uFF10';
  return -1;
}

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\u3000' || c == u'\t'; }

}  // namespace

CPostcardCode ParsePostcardCode(QStringView text) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  CPostcardCode code;
  code.text = text.sliced(begin, end - begin).toString();
  QStringView rest = QStringView(code.text);
  if (rest.startsWith(u'〒')) {
    rest = rest.sliced(1);
    while (!rest.isEmpty() && IsBlank(rest.front())) rest = rest.sliced(1);
  }
  QString digits;
  for (qsizetype i = 0; i < rest.size(); ++i) {
    const int d = PostcardDigit(rest[i]);
    if (d >= 0) {
      digits += QChar(u'0' + d);
    } else if (!(IsPostcardHyphen(rest[i]) && digits.size() == 3 && i == 3)) {
      return code;
    }
  }
  if (digits.size() != 7) return code;
  code.digits = digits;
  code.ok = true;
  return code;
}
