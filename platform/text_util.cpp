#include "platform/text_util.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <limits>
#include <string>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

char16_t Lower(char16_t c) { return QChar::toLower(c); }

}  // namespace

double WcsToD(QStringView text, qsizetype* consumed) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n && IsBlank(text[i].unicode())) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  // A whole number of up to 15 digits is exact as a double: no need of the
  // C runtime (the common case of numbers in card texts).
  {
    qsizetype j = i;
    std::int64_t whole = 0;
    while (j < n && j - i < 16 && IsDigit(text[j].unicode())) whole = whole * 10 + (text[j++].unicode() - u'0');
    const char16_t next = j < n ? text[j].unicode() : 0;
    if (j > i && j - i <= 15 && !IsDigit(next) && next != u'.' && next != u'e' && next != u'E' && next != u'd' &&
        next != u'D') {
      if (consumed) *consumed = j;
      return negative ? -double(whole) : double(whole);
    }
  }
  std::string ascii;
  qsizetype digits = 0;
  while (i < n && IsDigit(text[i].unicode())) {
    ascii += static_cast<char>(text[i].unicode());
    ++i;
    ++digits;
  }
  if (i < n && text[i] == u'.') {
    qsizetype j = i + 1;
    std::string frac = ".";
    qsizetype fracDigits = 0;
    while (j < n && IsDigit(text[j].unicode())) {
      frac += static_cast<char>(text[j].unicode());
      ++j;
      ++fracDigits;
    }
    if (digits + fracDigits > 0) {
      ascii += frac;
      digits += fracDigits;
      i = j;
    }
  }
  if (digits == 0) {
    if (consumed) *consumed = 0;
    return 0.0;
  }
  if (i < n) {
    const char16_t e = text[i].unicode();
    if (e == u'e' || e == u'E' || e == u'd' || e == u'D') {
      qsizetype j = i + 1;
      std::string exp = "e";
      if (j < n && (text[j] == u'+' || text[j] == u'-')) {
        exp += static_cast<char>(text[j].unicode());
        ++j;
      }
      const qsizetype expStart = j;
      while (j < n && IsDigit(text[j].unicode())) {
        exp += static_cast<char>(text[j].unicode());
        ++j;
      }
      if (j > expStart) {
        ascii += exp;
        i = j;
      }
    }
  }
  if (consumed) *consumed = i;
  // The prefix is validated above; strtod in the C locale does the rounding,
  // overflow (HUGE_VAL) and underflow exactly as the C runtime does.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
  const double value = strtod_l(ascii.c_str(), nullptr, cLocale);
  return negative ? -value : value;
}

std::int32_t WcsToL(QStringView text, int base, qsizetype* consumed) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n && IsBlank(text[i].unicode())) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  const auto hasHexPrefix = [&] {
    return i + 2 < n + 0 && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
           DigitValue(text[i + 2].unicode()) < 16;
  };
  if (base == 0) {
    if (hasHexPrefix()) {
      base = 16;
      i += 2;
    } else if (i < n && text[i] == u'0') {
      base = 8;
    } else {
      base = 10;
    }
  } else if (base == 16 && hasHexPrefix()) {
    i += 2;
  }
  if (base < 2 || base > 36) {
    if (consumed) *consumed = 0;
    return 0;
  }
  const qsizetype start = i;
  long long value = 0;
  bool overflow = false;
  while (i < n && DigitValue(text[i].unicode()) < base) {
    if (!overflow) {
      value = value * base + DigitValue(text[i].unicode());
      if (value > static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1) overflow = true;
    }
    ++i;
  }
  if (i == start) {
    if (consumed) *consumed = 0;
    return 0;
  }
  if (consumed) *consumed = i;
  if (negative) value = -value;
  if (overflow || value > std::numeric_limits<std::int32_t>::max()) {
    return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
  }
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

QString CharUpper(QStringView text) {
  QString out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) out[i] = QChar(QChar::toUpper(text[i].unicode()));
  return out;
}

QString CharLower(QStringView text) {
  QString out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) out[i] = QChar(Lower(text[i].unicode()));
  return out;
}

int WcsNICmp(QStringView a, QStringView b, qsizetype n) {
  const qsizetype len = std::min({a.size(), b.size(), n});
  for (qsizetype i = 0; i < len; ++i) {
    const int d = int(Lower(a[i].unicode())) - int(Lower(b[i].unicode()));
    if (d != 0) return d;
  }
  const qsizetype la = std::min(a.size(), n);
  const qsizetype lb = std::min(b.size(), n);
  return la == lb ? 0 : (la < lb ? -1 : 1);
}

int WcsICmp(QStringView a, QStringView b) {
  return WcsNICmp(a, b, std::max(a.size(), b.size()));
}
