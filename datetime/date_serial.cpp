#include "datetime/date_serial.h"

#include <cstdint>
#include <limits>

namespace {

constexpr int kMonthDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days of the months before month m (1-12) in a common year.
constexpr int kDaysBeforeMonth[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Days of the years 0 .. year - 1; none for a year of 0 or below, as the
// year-by-year count from year 0 gives.
std::int64_t DaysBeforeYear(std::int64_t year)
{
    if (year <= 0)
        return 0;
    // Leap years among 0 .. year - 1: multiples of 4, less multiples of 100,
    // plus multiples of 400 (0 counts as each).
    return 365 * year + (year + 3) / 4 - (year + 99) / 100 + (year + 399) / 400;
}

}  // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && IsLeapYear(year))
        return 29;
    return kMonthDays[month];
}

DateSerial DateToSerial(int year, int month, int day)
{
    if (month < 1)
        month = 1;
    std::int64_t days = DaysBeforeYear(year);
    if (month > 12) {
        // Every month of the year lies before it.
        days += IsLeapYear(year) ? 366 : 365;
    } else {
        days += kDaysBeforeMonth[month];
        if (month > 2 && IsLeapYear(year))
            ++days;
    }
    days += day;
    // Far-off years overflow the day count; saturate rather than wrap.
    constexpr std::int64_t kMax = std::numeric_limits<DateSerial>::max();
    constexpr std::int64_t kMin = std::numeric_limits<DateSerial>::min();
    if (days > kMax)
        return static_cast<DateSerial>(kMax);
    if (days < kMin)
        return static_cast<DateSerial>(kMin);
    return static_cast<DateSerial>(days);
}

void SerialToDate(DateSerial serial, int* year, int* month, int* day)
{
    if (serial < 1) {
        // The count from year 0 stops at once: the remainder is already 0 or
        // below, so the date is January of year 0 with the serial as its day.
        *year = 0;
        *month = 1;
        *day = serial;
        return;
    }
    // Civil-from-days over 400-year cycles (146097 days), with years that start
    // on 1 March so that the leap day is the last day of its year. Serial 61 is
    // 1 March of year 0. Checked against the year-by-year count for every
    // serial up to the end of year 9999 by the tests.
    const std::int64_t z = static_cast<std::int64_t>(serial) - 61;
    const std::int64_t cycle = (z >= 0 ? z : z - 146096) / 146097;
    const auto dayOfCycle = static_cast<std::uint32_t>(z - cycle * 146097);
    const std::uint32_t yearOfCycle =
        (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365;
    const std::uint32_t dayOfYear =
        dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
    const std::uint32_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
    const std::uint32_t d = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const std::uint32_t m = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t y = static_cast<std::int64_t>(yearOfCycle) + cycle * 400 + (m <= 2 ? 1 : 0);
    *year = static_cast<int>(y);
    *month = static_cast<int>(m);
    *day = static_cast<int>(d);
}
