#include "datetime/date_serial.h"

#include <limits>

namespace {

constexpr int kMonthDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days of the months before month m (1-12) in a common year.
constexpr int kDaysBeforeMonth[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Days of the years 0 .. year - 1; none for a year of 0 or below, as the
// year-by-year count from year 0 gives.
std::int64_t DaysBeforeYear(std::int64_t year) {
  if (year <= 0) return 0;
  // Leap years among 0 .. year - 1: multiples of 4, less multiples of 100, plus
  // multiples of 400 (0 is each of them).
  return 365 * year + (year + 3) / 4 - (year + 99) / 100 + (year + 399) / 400;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kMonthDays[month];
}

DateSerial DateToSerial(int year, int month, int day) {
  if (month < 1) month = 1;
  std::int64_t days = DaysBeforeYear(year);
  if (month > 12) {
    days += IsLeapYear(year) ? 366 : 365;
  } else {
    days += kDaysBeforeMonth[month];
    if (month > 2 && IsLeapYear(year)) ++days;
  }
  days += day;
  constexpr std::int64_t kMax = std::numeric_limits<DateSerial>::max();
  constexpr std::int64_t kMin = std::numeric_limits<DateSerial>::min();
  if (days > kMax) return static_cast<DateSerial>(kMax);
  if (days < kMin) return static_cast<DateSerial>(kMin);
  return static_cast<DateSerial>(days);
}

void SerialToDate(DateSerial serial, int* year, int* month, int* day) {
  if (serial < 1) {
    *year = 0;
    *month = 1;
    *day = serial;
    return;
  }
  // Civil-from-days over 400-year cycles of 146097 days, with years that begin
  // on 1 March so that the leap day is the last day of its year. Serial 61 is
  // 1 March of year 0. The tests compare this with the year-by-year count for
  // every serial up to the end of year 9999.
  const std::int64_t z = static_cast<std::int64_t>(serial) - 61;
  const std::int64_t cycle = (z >= 0 ? z : z - 146096) / 146097;
  const auto dayOfCycle = static_cast<std::uint32_t>(z - cycle * 146097);
  const std::uint32_t yearOfCycle = (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365;
  const std::uint32_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
  const std::uint32_t marchMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
  const std::uint32_t m = marchMonth < 10 ? marchMonth + 3 : marchMonth - 9;
  *year = static_cast<int>(yearOfCycle + cycle * 400 + (m <= 2 ? 1 : 0));
  *month = static_cast<int>(m);
  *day = static_cast<int>(dayOfYear - (153 * marchMonth + 2) / 5 + 1);
}

int DayOfWeek(DateSerial serial) {
  // 1 January of year 0 (serial 1) was a Saturday.
  const int r = static_cast<int>((static_cast<std::int64_t>(serial) + 5) % 7);
  return r < 0 ? r + 7 : r;
}
