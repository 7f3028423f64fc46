#include "formula/number_text.h"

#include "japanese/wide_digits.h"
#include "platform/text_util.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

// Full-width digits and signs read as their ASCII forms ("１，２３４" ->
// 1234) while System/WideDigits is on (WideDigitsAsNumbers).
double TextToNumber(QStringView text) {
  QString narrowed;
  if (WideDigitsAsNumbers() && HasWideNumberChars(text)) {
    narrowed = NarrowNumberText(text);
    text = narrowed;
  }
  if (!text.isEmpty() && text.front() == u'\\') text = text.mid(1);
  if (!text.contains(u',')) return WcsToD(text);
  QVarLengthArray<QChar, 64> copy;
  for (const QChar c : text)
    if (c != u',') copy.append(c);
  return WcsToD(QStringView(copy.data(), copy.size()));
}

namespace {

QString Chars(const char* begin, const char* end) { return QString::fromLatin1(begin, end - begin); }

// Drops the zeros at the end of a fraction, and the point when nothing is
// left after it, as "%g" does.
void TrimFraction(char* begin, char** end) {
  if (std::find(begin, *end, '.') == *end) return;
  while (*end > begin && (*end)[-1] == '0') --*end;
  if (*end > begin && (*end)[-1] == '.') --*end;
}

}  // namespace

bool FormatWholeInto(double value, QString& into) {
  if (!(std::fabs(value) < 1e15 && value == std::trunc(value))) return false;
  char digits[24];
  const auto r = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
  into.resize(r.ptr - digits);
  QChar* out = into.data();
  for (const char* c = digits; c < r.ptr; ++c) *out++ = QLatin1Char(*c);
  return true;
}

bool ReadWholeDigits(QStringView text, double* out) {
  const bool negative = !text.isEmpty() && text.front() == u'-';
  const qsizetype digits = text.size() - (negative ? 1 : 0);
  if (digits < 1 || digits > 15) return false;
  std::int64_t n = 0;
  for (qsizetype i = negative ? 1 : 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return false;
    n = n * 10 + (c - u'0');
  }
  *out = negative ? -double(n) : double(n);
  return true;
}

QString FormatDouble(double value, int precision) {
  // std::to_chars with a precision is specified as printf in the "C" locale;
  // snprintf would follow the locale that QCoreApplication sets from the
  // environment and could write a decimal comma.
  precision = std::clamp(precision, 1, 100);
  // Whole numbers below 10^15 keep every digit at any precision (below, a
  // precision that covers them; above, the plain form): written at once, -0
  // as "0".
  if (QString whole; FormatWholeInto(value, whole)) return whole;
  char buffer[400];
  char* const end = buffer + sizeof buffer;
  if (!std::isfinite(value)) {
    const auto r = std::to_chars(buffer, end, value);
    return Chars(buffer, r.ptr);
  }
  // The decimal exponent of the value as "%.<precision>g" rounds it.
  auto r = std::to_chars(buffer, end, value, std::chars_format::scientific, precision - 1);
  const char* e = std::find(buffer, r.ptr, 'e');
  int exponent = 0;
  std::from_chars(e + (e[1] == '+' ? 2 : 1), r.ptr, exponent);
  constexpr double kPlainBelow = 1e15;  // up to 15 integer digits
  constexpr int kSmallestPlain = -200;
  if (exponent >= -4 && exponent < precision) {
    r = std::to_chars(buffer, end, value, std::chars_format::general, precision);
  } else if (exponent >= precision && std::fabs(value) < kPlainBelow) {
    r = std::to_chars(buffer, end, value, std::chars_format::fixed, 0);  // every integer digit
  } else if (exponent < -4 && exponent >= kSmallestPlain) {
    r = std::to_chars(buffer, end, value, std::chars_format::fixed, precision - 1 - exponent);
    char* last = r.ptr;
    TrimFraction(buffer, &last);
    return Chars(buffer, last);
  } else {
    r = std::to_chars(buffer, end, value, std::chars_format::general, precision);
  }
  return Chars(buffer, r.ptr);
}

double PopulationVariance(double meanOfSquares, double mean) {
  const double variance = meanOfSquares - mean * mean;
  if (!(variance > meanOfSquares * 1e-14)) return 0.0;
  return variance;
}

QString FormatGrouped(double value) {
  const QString plain = FormatDouble(value, 10);
  const qsizetype start = plain.startsWith(u'-') ? 1 : 0;
  if (plain.size() <= start || !plain[start].isDigit() || plain.contains(u'e')) return plain;
  qsizetype end = plain.indexOf(u'.');
  if (end < 0) end = plain.size();
  const qsizetype digits = end - start;
  if (digits <= 3) return plain;
  QString out;
  out.reserve(plain.size() + digits / 3);
  out += QStringView(plain).first(start);
  for (qsizetype i = start; i < end; ++i) {
    if (i > start && (end - i) % 3 == 0) out += u',';
    out += plain[i];
  }
  out += QStringView(plain).mid(end);
  return out;
}
