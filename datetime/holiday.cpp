#include "datetime/holiday.h"

#include "datetime/date_serial.h"
#include "settings/settings.h"

#include <array>
#include <atomic>
#include <climits>
#include <cstdint>

namespace {

constexpr int kMonday = 1;
constexpr int kSunday = 0;

std::atomic<HolidayRules> g_rules{HolidayRules::kCurrentLaw};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Whether a Monday is the n-th Monday of its month.
bool IsNthMonday(int day, int n) { return (day - 1) / 7 == n - 1; }

bool IsMonday(int year, int month, int day) { return DayOfWeek(DateToSerial(year, month, day)) == kMonday; }

// --- The classic rules ------------------------------------------------------

struct MonthDay {
  int month;
  int day;
};
constexpr MonthDay kClassicFixedDays[] = {{1, 1},  {2, 11}, {4, 29},  {5, 3},  {5, 4},
                                          {5, 5}, {11, 3}, {11, 23}, {12, 23}};

// v = year * 242194 - floor((year - 1980) / 4) * 1000000, in 64 bits so that
// far-off years do not overflow.
std::int64_t EquinoxBase(int year) {
  const std::int64_t quarter = (static_cast<std::int64_t>(year) - 1980) >> 2;  // rounds down
  return static_cast<std::int64_t>(year) * 242194 - quarter * 1000000;
}

bool IsClassicHoliday(int year, int month, int day) {
  for (const MonthDay& f : kClassicFixedDays)
    if (f.month == month && f.day == day) return true;

  const bool monday = IsMonday(year, month, day);
  if (month == 1 || month == 10) {
    if (year < 2000) {
      if ((month == 1 && day == 15) || (month == 10 && day == 10)) return true;
    } else if (monday && IsNthMonday(day, 2)) {
      return true;
    }
  }
  if (month == 7 || month == 9) {
    if (year < 2003) {
      if (month == 9 && day == 15) return true;
      if (month == 7 && day == 20 && year >= 1996) return true;
    } else if (monday && IsNthMonday(day, 3)) {
      return true;
    }
  }
  if (month == 3) return day == VernalEquinoxDay(year);
  if (month == 9) return day == AutumnalEquinoxDay(year);
  return false;
}

bool IsClassicDayOff(int year, int month, int day, bool countSundays) {
  const DateSerial serial = DateToSerial(year, month, day);
  const int weekday = DayOfWeek(serial);
  if (countSundays && weekday == kSunday) return true;
  if (IsClassicHoliday(year, month, day)) return true;
  if (weekday == kMonday) {
    int y = 0;
    int m = 0;
    int d = 0;
    SerialToDate(serial - 1, &y, &m, &d);
    return IsClassicHoliday(y, m, d);
  }
  return false;
}

// --- The current law --------------------------------------------------------

// The usual equinox formula in millionths of a day: floor(a + 0.242194 *
// (year - 1980) - int((year - b) / 4)), with a and b by span of years; the
// quarter truncates toward zero (before 1980 it is negative).
int EquinoxByLaw(int year, std::int64_t before1980, std::int64_t from1980, std::int64_t from2100) {
  const std::int64_t y = year;
  const std::int64_t a = y < 1980 ? before1980 : y < 2100 ? from1980 : from2100;
  const std::int64_t b = y < 1980 ? 1983 : 1980;
  const std::int64_t v = a + 242194 * (y - 1980) - (y - b) / 4 * 1000000;
  return static_cast<int>(FloorDiv(v, 1000000));
}

// A day the law names (国民の祝日, the one-off days included), without
// substitute holidays and 国民の休日.
bool IsNamedHoliday(int y, int m, int d) {
  if (y < 1948 || (y == 1948 && (m < 7 || (m == 7 && d < 20)))) return false;
  const auto nthMonday = [&](int n) { return IsNthMonday(d, n) && IsMonday(y, m, d); };
  switch (m) {
    case 1:
      if (d == 1) return true;
      return y < 2000 ? d == 15 : nthMonday(2);  // 成人の日
    case 2:
      return (d == 11 && y >= 1967) || (d == 23 && y >= 2020) || (y == 1989 && d == 24);
    case 3:
      return d == VernalEquinoxDayByLaw(y);
    case 4:
      return d == 29 || (y == 1959 && d == 10);
    case 5:
      return d == 3 || d == 5 || (d == 4 && y >= 2007) || (y == 2019 && d == 1);
    case 6:
      return y == 1993 && d == 9;
    case 7:
      if (y == 2020) return d == 23 || d == 24;  // 海の日 and スポーツの日, moved
      if (y == 2021) return d == 22 || d == 23;
      if (y >= 2003) return nthMonday(3);
      return y >= 1996 && d == 20;
    case 8:  // 山の日
      if (y == 2020) return d == 10;
      if (y == 2021) return d == 8;
      return y >= 2016 && d == 11;
    case 9:
      if (d == AutumnalEquinoxDayByLaw(y)) return true;
      if (y >= 2003) return nthMonday(3);  // 敬老の日
      return y >= 1966 && d == 15;
    case 10:
      if (y == 2020 || y == 2021) return false;  // スポーツの日 moved to July
      if (y == 2019 && d == 22) return true;
      if (y >= 2000) return nthMonday(2);
      return y >= 1966 && d == 10;
    case 11:
      return d == 3 || d == 23 || (y == 1990 && d == 12);
    case 12:
      return d == 23 && y >= 1989 && y <= 2018;
    default:
      return false;
  }
}

bool IsNamedHoliday(DateSerial serial) {
  int y = 0;
  int m = 0;
  int d = 0;
  SerialToDate(serial, &y, &m, &d);
  return IsNamedHoliday(y, m, d);
}

// A day off by law that is not a named holiday itself: a substitute holiday
// or a day between two holidays.
bool IsSubstituteOrBetween(DateSerial serial) {
  int y = 0;
  int m = 0;
  int d = 0;
  SerialToDate(serial, &y, &m, &d);
  const int weekday = DayOfWeek(serial);
  bool substitute = false;
  if (serial >= DateToSerial(1973, 4, 12)) {
    if (y < 2007) {
      substitute = weekday == kMonday && IsNamedHoliday(serial - 1);
    } else {
      // The first day after a Sunday holiday that is no holiday itself.
      for (DateSerial s = serial - 1; IsNamedHoliday(s); --s) {
        if (DayOfWeek(s) == kSunday) {
          substitute = true;
          break;
        }
      }
    }
  }
  if (substitute) return true;
  if (serial < DateToSerial(1985, 12, 27)) return false;
  if (y < 2007 && weekday == kSunday) return false;
  return IsNamedHoliday(serial - 1) && IsNamedHoliday(serial + 1);
}

bool IsHolidayByLawUncached(int y, int m, int d) {
  if (IsNamedHoliday(y, m, d)) return true;
  return IsSubstituteOrBetween(DateToSerial(y, m, d));
}

// The days off of one year as one bit per day of each month. The working-day
// functions walk the calendar day by day, so the last year is kept.
struct CYearHolidays {
  int year = INT_MIN;
  std::array<std::uint32_t, 13> months{};
};

bool IsHolidayByLaw(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return IsHolidayByLawUncached(year, month, day);
  if (year < 1948) return false;
  thread_local CYearHolidays cache;
  if (cache.year != year) {
    cache.months = {};
    for (int mm = 1; mm <= 12; ++mm)
      for (int dd = 1; dd <= DaysInMonth(year, mm); ++dd)
        if (IsHolidayByLawUncached(year, mm, dd)) cache.months[mm] |= std::uint32_t{1} << dd;
    cache.year = year;
  }
  return (cache.months[month] >> day) & 1;
}

}  // namespace

void SetHolidayRules(HolidayRules rules) { g_rules.store(rules, std::memory_order_relaxed); }

HolidayRules ActiveHolidayRules() { return g_rules.load(std::memory_order_relaxed); }

HolidayRules ReadHolidayRules(const CSettingsStore& store) {
  return ReadSetting(store, settings::kHolidayRules) == 1 ? HolidayRules::kClassic : HolidayRules::kCurrentLaw;
}

void ApplyHolidayRulesSetting(const CSettingsStore& store) { SetHolidayRules(ReadHolidayRules(store)); }

int VernalEquinoxDay(int year) { return static_cast<int>((EquinoxBase(year) - 458701020) / 1000000); }

int AutumnalEquinoxDay(int year) { return static_cast<int>((EquinoxBase(year) - 456295320) / 1000000); }

int VernalEquinoxDayByLaw(int year) { return EquinoxByLaw(year, 20835700, 20843100, 21851000); }

int AutumnalEquinoxDayByLaw(int year) { return EquinoxByLaw(year, 23258800, 23248800, 24248800); }

bool IsHoliday(int year, int month, int day) { return IsHoliday(year, month, day, ActiveHolidayRules()); }

bool IsHoliday(int year, int month, int day, HolidayRules rules) {
  return rules == HolidayRules::kClassic ? IsClassicHoliday(year, month, day) : IsHolidayByLaw(year, month, day);
}

bool IsDayOff(int year, int month, int day, bool countSundays) {
  return IsDayOff(year, month, day, countSundays, ActiveHolidayRules());
}

bool IsDayOff(int year, int month, int day, bool countSundays, HolidayRules rules) {
  if (rules == HolidayRules::kClassic) return IsClassicDayOff(year, month, day, countSundays);
  if (countSundays && DayOfWeek(DateToSerial(year, month, day)) == kSunday) return true;
  return IsHolidayByLaw(year, month, day);
}
