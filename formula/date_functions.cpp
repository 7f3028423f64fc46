#include "formula/date_functions.h"

#include "datetime/date_serial.h"
#include "datetime/date_text.h"
#include "datetime/dtime.h"
#include "datetime/holiday.h"
#include "formula/expression_evaluator.h"
#include "formula/formula_text.h"
#include "japanese/wide_digits.h"
#include "japanese/wareki.h"
#include "platform/clock.h"
#include "platform/text_util.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

enum class Unit { kNone, kYear, kMonth, kDay };

struct CDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// A date argument: normalised (form 0), then parsed; valid only within the
// supported years.
// ParseDateText of a text of digits and '/': short fields are read here
// (the leading integer of digits is their value), others by ParseDateText.
bool ReadPlainDate(QStringView text, CDate* date) {
  int fields[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int f = 0;
  for (QChar c : text) {
    if (c == u'/') {
      if (f == 2) break;  // the day is read up to here
      ++f;
      continue;
    }
    // Only short fields are read here: a longer one would overflow the
    // field, and goes to ParseDateText, which reads it as out of range.
    if (++digits[f] <= 4) fields[f] = fields[f] * 10 + (c.unicode() - u'0');
  }
  if (f < 2) return false;
  if (digits[0] > 4 || digits[1] > 2 || digits[2] > 2)
    return ParseDateText(text, &date->year, &date->month, &date->day);
  date->year = fields[0];
  date->month = fields[1];
  date->day = fields[2];
  return IsValidDate(date->year, date->month, date->day);
}

// A text of digits and '/' alone that ParseDateText reads as a valid date
// normalises to that same date: read it as it stands, without making the
// normal text.
bool ReadDate(QStringView text, CDate* date) {
  QString narrowed;
  if (WideDigitsAsNumbers() && HasWideNumberChars(text)) {
    narrowed = NarrowNumberText(text);
    text = narrowed;
  }
  const bool plain = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'/';
  });
  if (plain && ReadPlainDate(text, date)) return true;
  return ParseDateText(NormalizeDateText(text, kDateFormSlash), &date->year, &date->month, &date->day);
}

Unit ReadUnit(QStringView text) {
  const QString unit = CharLower(text);
  if (unit == u"\"yyyy\"") return Unit::kYear;
  if (unit == u"\"m\"") return Unit::kMonth;
  if (unit == u"\"d\"") return Unit::kDay;
  return Unit::kNone;
}

// Arguments with the white space at both ends removed.
QStringList TrimmedArguments(QStringView text) {
  QStringList args = SplitArguments(text);
  for (QString& a : args) a = a.trimmed();
  return args;
}

// The argument computed with Evaluate and truncated toward zero; fallback when
// it does not evaluate. Kept within a range where the calendar arithmetic
// cannot overflow.
std::int64_t EvaluateWhole(QStringView text, const IClock& clock, std::int64_t fallback) {
  const CEvalResult r = Evaluate(text, clock);
  if (!r.Ok() || std::isnan(r.value)) return fallback;
  constexpr double kLimit = 1e15;
  return static_cast<std::int64_t>(std::clamp(std::trunc(r.value), -kLimit, kLimit));
}

DateSerial ClampSerial(std::int64_t serial) {
  return static_cast<DateSerial>(std::clamp<std::int64_t>(serial, std::numeric_limits<DateSerial>::min(),
                                                          std::numeric_limits<DateSerial>::max()));
}

QString DateText(long long year, int month, int day) {
  return QString::asprintf("%lld/%02d/%02d", year, month, day);
}

// The day kept inside the month (31 January plus one month is 28 or 29
// February); the empty text for a year before year 1, which no date text
// can name.
QString ClampedDateText(std::int64_t year, int month, int day) {
  if (year < 1) return QString();
  const int last = year > 1000000 ? 31 : DaysInMonth(int(year), month);
  return DateText(year, month, std::min(day, last));
}

QString SerialText(DateSerial serial) {
  int y = 0;
  int m = 0;
  int d = 0;
  SerialToDate(serial, &y, &m, &d);
  return DateText(y, m, d);
}

// Completed years from a to b: less one before the anniversary.
int CompletedYears(const CDate& a, const CDate& b) {
  int years = b.year - a.year;
  if (b.month < a.month || (b.month == a.month && b.day < a.day)) --years;
  return years;
}

// The valid holiday arguments (from index 2 on), as day serials.
std::vector<DateSerial> HolidayArguments(const QStringList& args) {
  std::vector<DateSerial> days;
  CDate d;
  for (qsizetype i = 2; i < args.size(); ++i)
    if (ReadDate(args[i], &d)) days.push_back(DateToSerial(d.year, d.month, d.day));
  std::sort(days.begin(), days.end());
  return days;
}

bool IsWorkingDay(DateSerial serial, const std::vector<DateSerial>& holidays) {
  const int weekday = DayOfWeek(serial);
  if (weekday == 0 || weekday == 6) return false;
  int y = 0;
  int m = 0;
  int d = 0;
  SerialToDate(serial, &y, &m, &d);
  return !IsHoliday(y, m, d) && !std::binary_search(holidays.begin(), holidays.end(), serial);
}

// How many of the days first to last (both included) are Monday to Friday.
std::int64_t WeekdaysBetween(DateSerial first, DateSerial last) {
  if (last < first) return 0;
  const std::int64_t days = std::int64_t(last) - first + 1;
  std::int64_t weekdays = days / 7 * 5;
  for (int k = 0, weekday = DayOfWeek(first); k < days % 7; ++k, weekday = (weekday + 1) % 7)
    if (weekday != 0 && weekday != 6) ++weekdays;
  return weekdays;
}

}  // namespace

QString DateAdd(QStringView text, const IClock& clock) {
  const QStringList args = TrimmedArguments(text);
  if (args.size() != 3) return QString();
  const std::int64_t interval = EvaluateWhole(args[1], clock, 0);
  CDate d;
  const Unit unit = ReadUnit(args[0]);
  if (!ReadDate(args[2], &d) || unit == Unit::kNone) return WrapStr(u"");
  switch (unit) {
    case Unit::kYear:
      return WrapStr(ClampedDateText(d.year + interval, d.month, d.day));
    case Unit::kMonth: {
      const std::int64_t c = std::int64_t(d.year) * 12 + (d.month - 1) + interval;
      const std::int64_t year = c >= 0 ? c / 12 : -((-c + 11) / 12);  // rounded down
      return WrapStr(ClampedDateText(year, int(c - 12 * year + 1), d.day));
    }
    default: {
      const std::int64_t serial = std::int64_t(DateToSerial(d.year, d.month, d.day)) + interval;
      if (serial < 1) return WrapStr(u"");
      return WrapStr(SerialText(ClampSerial(serial)));
    }
  }
}

QString DateDiff(QStringView text, const IClock&) {
  const QStringList args = TrimmedArguments(text);
  if (args.size() != 3) return QString();
  const std::optional<std::int64_t> difference = DateDifference(args[0], args[1], args[2]);
  return difference ? IntText(*difference) : QString();
}

std::optional<std::int64_t> DateDifference(QStringView unitText, QStringView date1, QStringView date2) {
  CDate a;
  CDate b;
  const Unit unit = ReadUnit(unitText.trimmed());
  if (unit == Unit::kNone || !ReadDate(date1.trimmed(), &a) || !ReadDate(date2.trimmed(), &b)) return std::nullopt;
  switch (unit) {
    case Unit::kYear:
      return CompletedYears(a, b);
    case Unit::kMonth:
      return (b.month - a.month) + 12 * (b.year - a.year) - (b.day < a.day ? 1 : 0);
    default:
      return std::int64_t(DateToSerial(b.year, b.month, b.day)) - DateToSerial(a.year, a.month, a.day);
  }
}

QString Years(QStringView text, const IClock& clock) {
  CDate a;
  if (text.contains(u',')) {
    const QStringList args = TrimmedArguments(text);
    if (args.size() != 2) return QString();
    CDate b;
    if (!ReadDate(args[0], &a) || !ReadDate(args[1], &b)) return kDateConversionError.toString();
    return IntText(CompletedYears(a, b));
  }
  if (!ReadDate(text.trimmed(), &a)) return kDateConversionError.toString();
  const QDate today = clock.Now().date();
  return IntText(CompletedYears(a, {today.year(), today.month(), today.day()}));
}

std::optional<QString> Days(QStringView text) {
  CDate d;
  if (!ReadDate(text, &d)) return std::nullopt;
  return IntText(DateToSerial(d.year, d.month, d.day));
}

QString DateStr(QStringView text, const IClock& clock) {
  const CEvalResult r = Evaluate(text, clock);
  if (!r.Ok() || std::isnan(r.value)) return QString();
  // Serials below 1 name no day.
  const double serial = std::trunc(r.value);
  if (serial < 1) return QString();
  return WrapStr(SerialText(static_cast<DateSerial>(std::min(serial, double(std::numeric_limits<DateSerial>::max())))));
}

QString Youbi(QStringView text) {
  CDate d;
  if (!ReadDate(text, &d)) return QString();
  return WrapStr(WeekdayKanji(DayOfWeek(DateToSerial(d.year, d.month, d.day))));
}

QString Wareki(QStringView text) {
  const QStringList args = TrimmedArguments(text);
  CDate d;
  if (args.isEmpty() || args.size() > 2 || !ReadDate(args[0], &d)) return QString();
  const int form = args.size() == 2 ? LeadingInt(args[1]) : 0;
  return WrapStr(WarekiText(DateToSerial(d.year, d.month, d.day), form));
}

QString NetworkDays(QStringView text, const IClock&) {
  const QStringList args = TrimmedArguments(text);
  CDate a;
  CDate b;
  if (args.size() < 2 || !ReadDate(args[0], &a) || !ReadDate(args[1], &b)) return QString();
  const std::vector<DateSerial> holidays = HolidayArguments(args);
  DateSerial start = DateToSerial(a.year, a.month, a.day);
  DateSerial end = DateToSerial(b.year, b.month, b.day);
  if (end < start) std::swap(start, end);
  // Both ends are valid dates, so the walk spans at most the supported years
  // (about 3 million days); the holiday rules keep the last year's days.
  int count = 0;
  for (DateSerial day = start; day <= end; ++day)
    if (IsWorkingDay(day, holidays)) ++count;
  return IntText(count);
}

QString WorkDay(QStringView text, const IClock& clock) {
  const QStringList args = TrimmedArguments(text);
  if (args.size() < 2) return QString();
  const std::int64_t n = EvaluateWhole(args[1], clock, 0);
  CDate d;
  if (!ReadDate(args[0], &d)) return WrapStr(u"");
  const std::vector<DateSerial> holidays = HolidayArguments(args);
  const DateSerial last = DateToSerial(kLastValidYear, 12, 31);
  DateSerial day = DateToSerial(d.year, d.month, d.day);
  // Working days are weekdays: a count beyond the weekdays left before the
  // last known date ends past it, whatever its size, without a walk. Any
  // other count is reached within the known years.
  if (n > WeekdaysBetween(day, last)) return WrapStr(u"");
  for (std::int64_t counted = 0; counted < n; ++day) {
    if (day > last) return WrapStr(u"");
    if (IsWorkingDay(day, holidays)) ++counted;
  }
  return WrapStr(SerialText(day));
}

std::int64_t TimeSeconds(QStringView text) {
  const QList<QStringView> parts = text.split(u':');
  std::int64_t seconds = 0;
  switch (parts.size()) {
    case 1:
    case 2:
    case 3:
      for (QStringView part : parts) seconds = seconds * 60 + LeadingInt(part);
      return seconds;
    default:
      return 0;
  }
}

QString TimeStr(QStringView text, const IClock& clock) {
  const CEvalResult r = Evaluate(text, clock);
  if (!r.Ok() || std::isnan(r.value)) return QString();
  // A negative count of seconds is no time of day or duration.
  if (r.value <= -1) return QString();
  const auto s = static_cast<long long>(std::clamp(std::trunc(r.value), 0.0, 1e15));
  const long long h = s / 3600;
  const long long m = (s / 60) % 60;
  const long long sec = s % 60;
  return WrapStr(sec != 0 ? QString::asprintf("%lld:%02lld:%02lld", h, m, sec) : QString::asprintf("%lld:%02lld", h, m));
}
