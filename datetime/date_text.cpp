#include "datetime/date_text.h"

#include "datetime/date_serial.h"
#include "platform/text_util.h"

const CEra kEras[] = {
    {u"令和", u'R', 2018},
    {u"平成", u'H', 1988},
    {u"昭和", u'S', 1925},
    {u"大正", u'T', 1911},
    {u"明治", u'M', 1867},
};
const int kEraCount = static_cast<int>(std::size(kEras));

namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// "#月#日", "#月##日" or "##月#日": the month and day padded to two digits.
bool NormalizeMonthDay(QStringView text, QString* out) {
  const qsizetype n = text.size();
  if (n < 4 || n > 5 || text[n - 1] != u'日') return false;
  const qsizetype mark = text.indexOf(u'月');
  if (mark < 1 || mark > 2) return false;
  const QStringView month = text.first(mark);
  const QStringView day = text.sliced(mark + 1, n - mark - 2);
  if (day.isEmpty() || day.size() > 2 || month.size() + day.size() > 3) return false;
  for (QChar c : month)
    if (!IsDigit(c)) return false;
  for (QChar c : day)
    if (!IsDigit(c)) return false;
  out->clear();
  if (month.size() == 1) *out += u'0';
  *out += month;
  *out += u'月';
  if (day.size() == 1) *out += u'0';
  *out += day;
  *out += u'日';
  return true;
}

// The era year between the era's name or letter and the first '/', as
// the year's leading integer; 元 (the first year) counts as 1.
int EraYear(QStringView digits) {
  const QStringView trimmed = digits.trimmed();
  if (trimmed == u"元") return 1;
  return WcsToL(digits);
}

// Replaces the era prefix (prefixLength characters plus the era year before
// the first '/') by the Western year.
void ReplaceEraYear(QString* text, qsizetype prefixLength, int baseYear) {
  const qsizetype slash = text->indexOf(u'/');
  if (slash < prefixLength) return;
  // In 64 bits: an era year near the int limit must not wrap into the span.
  const qint64 year = qint64(baseYear) + EraYear(QStringView(*text).sliced(prefixLength, slash - prefixLength));
  text->replace(0, slash, QString::number(year));
}

// Reads a date text after turning 年月日, the other separators and a leading
// era into year/month/day.
bool ReadSeparatedDate(QStringView text, int* year, int* month, int* day) {
  QString t;
  t.reserve(text.size());
  for (QChar c : text) {
    switch (c.unicode()) {
      case u'日':
        break;
      case u'年':
      case u'月':
      case u'.':
      case u',':
      case u'-':
      case u'－':
      case u'．':
      case u'，':
      case u'／':
        t += u'/';
        break;
      default:
        t += c;
    }
  }
  for (const CEra& era : kEras) {
    if (t.startsWith(era.name)) ReplaceEraYear(&t, era.name.size(), era.baseYear);
    if (!t.isEmpty() && CharUpper(QStringView(t).first(1)) == QStringView(&era.letter, 1))
      ReplaceEraYear(&t, 1, era.baseYear);
  }
  return ParseDateText(t, year, month, day);
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  return year >= kFirstValidYear && year <= kLastValidYear && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
         day <= DaysInMonth(year, month);
}

bool ParseDateText(QStringView text, int* year, int* month, int* day) {
  const qsizetype first = text.indexOf(u'/');
  if (first < 0) return false;
  *year = WcsToL(text.first(first));
  const QStringView rest = text.sliced(first + 1);
  const qsizetype second = rest.indexOf(u'/');
  if (second < 0) return false;
  *month = WcsToL(rest.first(second));
  *day = WcsToL(rest.sliced(second + 1));
  return IsValidDate(*year, *month, *day);
}

QString NormalizeDateText(QStringView text, int form) {
  if (text.isEmpty()) return QString();
  QString monthDay;
  if (NormalizeMonthDay(text, &monthDay)) return monthDay;

  int year = 0;
  int month = 0;
  int day = 0;
  // A text that reads as year/month/day as it stands keeps that date. The
  // separators and era names are for texts that do not: applied to such a text
  // they could split a field ("2010/9.5/25") or join two ("2010/1日2/25"), and
  // its normal form would name another date than the text read by itself.
  if (!ParseDateText(text, &year, &month, &day) && !ReadSeparatedDate(text, &year, &month, &day))
    return text.toString();
  if (form == kDateFormSlash) return QString::asprintf("%4d/%02d/%02d", year, month, day);
  if (form == kDateFormKanji) return QString::asprintf("%4d年%02d月%02d日", year, month, day);
  return text.toString();
}
