#pragma once

#include <cstdint>

// Calendar rules and the day count of dates. All dates follow the Gregorian
// calendar extended backwards; year 0 is a leap year.

// A day count: 1 January of year 0 is 1, 1 January 2000 is 730486.
using DateSerial = std::int32_t;
// Seconds since midnight: hours * 3600 + minutes * 60 + seconds; no upper bound.
using TimeSerial = double;

bool IsLeapYear(int year);
// Days of month 1-12 of the year (0 for any other month).
int DaysInMonth(int year, int month);
// Days of all years before year, plus the days of the months before month,
// plus day. Day is not checked (0 is the last day of the month before); a month
// below 1 counts as January.
// Years of 0 and below add no days (the count starts at year 0); a month above
// 12 counts the whole year before it; a count beyond the range of DateSerial
// saturates at its limit.
DateSerial DateToSerial(int year, int month, int day);
// The inverse, for serials >= 1.
// A serial below 1 gives January of year 0 with the serial as its day (what
// the count from year 0 gives), so the result is defined for every serial.
void SerialToDate(DateSerial serial, int* year, int* month, int* day);

// The weekday of the date with that serial: 0 Sunday to 6 Saturday. The
// calendar has no gaps, so this is the weekday in any time zone.
int DayOfWeek(DateSerial serial);
