#include "formula/number_text.h"

#include "platform/text_util.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>

double TextToNumber(QStringView text) {
  if (!text.isEmpty() && text.front() == u'\\') text = text.mid(1);
  if (!text.contains(u',')) return WcsToD(text);
  QVarLengthArray<QChar, 64> copy;
  for (const QChar c : text)
    if (c != u',') copy.append(c);
  return WcsToD(QStringView(copy.data(), copy.size()));
}

QString FormatDouble(double value, int precision) {
  // std::to_chars with a precision is specified as printf in the "C" locale;
  // snprintf would follow the locale that QCoreApplication sets from the
  // environment and could write a decimal comma.
  precision = std::clamp(precision, 0, 100);
  char buffer[160];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  return QString::fromLatin1(buffer, result.ptr - buffer);
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
