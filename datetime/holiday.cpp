#include "datetime/holiday.h"

#include "datetime/date_serial.h"

#include <cstdint>

namespace {

constexpr int kMonday = 1;
constexpr int kSunday = 0;

struct MonthDay {
  int month;
  int day;
};
constexpr MonthDay kFixedHolidays[] = {{1, 1}, {2, 11}, {4, 29}, {5, 3}, {5, 4}, {5, 5}, {11, 3}, {11, 23}, {12, 23}};

// v = year * 242194 - floor((year - 1980) / 4) * 1000000, in 64 bits so that
// far-off years do not overflow.
std::int64_t EquinoxBase(int year) {
  const std::int64_t quarter = (static_cast<std::int64_t>(year) - 1980) >> 2;  // rounds down
  return static_cast<std::int64_t>(year) * 242194 - quarter * 1000000;
}

// Whether a Monday is the n-th Monday of its month.
bool IsNthMonday(int day, int n) { return (day - 1) / 7 == n - 1; }

}  // namespace

int VernalEquinoxDay(int year) { return static_cast<int>((EquinoxBase(year) - 458701020) / 1000000); }

int AutumnalEquinoxDay(int year) { return static_cast<int>((EquinoxBase(year) - 456295320) / 1000000); }

bool IsHoliday(int year, int month, int day) {
  for (const MonthDay& f : kFixedHolidays)
    if (f.month == month && f.day == day) return true;

  const bool monday = DayOfWeek(DateToSerial(year, month, day)) == kMonday;
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

bool IsDayOff(int year, int month, int day, bool countSundays) {
  const DateSerial serial = DateToSerial(year, month, day);
  const int weekday = DayOfWeek(serial);
  if (countSundays && weekday == kSunday) return true;
  if (IsHoliday(year, month, day)) return true;
  if (weekday == kMonday) {
    int y = 0;
    int m = 0;
    int d = 0;
    SerialToDate(serial - 1, &y, &m, &d);
    return IsHoliday(y, m, d);
  }
  return false;
}
