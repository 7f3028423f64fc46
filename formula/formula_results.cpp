#include "formula/formula_results.h"

#include "japanese/wide_digits.h"

bool IsNumericText(QStringView text) {
  if (text.isEmpty()) return false;
  if (WideDigitsAsNumbers() && HasWideNumberChars(text)) return IsNumericText(NarrowNumberText(text));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if ((c >= u'0' && c <= u'9') || c == u'.' || c == u',') continue;
    if (i == 0 && (c == u'-' || c == u'+' || c == u'\\')) continue;
    return false;
  }
  return true;
}
