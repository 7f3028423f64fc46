#include "datetime/date_serial.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <utility>

namespace {

// The defining count: whole years from year 0 while the remainder stays above
// 0, then whole months of that year the same way.
void CountedSerialToDate(DateSerial serial, int* year, int* month, int* day) {
  int y = 0;
  std::int64_t rest = serial;
  while (rest - (IsLeapYear(y) ? 366 : 365) > 0) rest -= IsLeapYear(y++) ? 366 : 365;
  int m = 1;
  while (m < 12 && rest - DaysInMonth(y, m) > 0) rest -= DaysInMonth(y, m++);
  *year = y;
  *month = m;
  *day = static_cast<int>(rest);
}

struct SerialCase {
  int year, month, day;
  DateSerial serial;
};

TEST(DateSerial, KnownDates) {
  const SerialCase cases[] = {
      {0, 1, 1, 1},          {0, 2, 29, 60},        {0, 3, 1, 61},         {0, 12, 31, 366},
      {1, 1, 1, 367},        {1899, 12, 31, 693961}, {1900, 3, 1, 694021},  {1970, 1, 1, 719529},
      {1999, 12, 31, 730485}, {2000, 1, 1, 730486},  {2000, 2, 29, 730545}, {2000, 3, 1, 730546},
      {2010, 9, 25, 734406}, {2036, 12, 31, 744000}, {9999, 12, 31, 3652425},
  };
  for (const SerialCase& c : cases) {
    EXPECT_EQ(DateToSerial(c.year, c.month, c.day), c.serial) << c.year << '/' << c.month << '/' << c.day;
    int y = 0, m = 0, d = 0;
    SerialToDate(c.serial, &y, &m, &d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{c.year, c.month, c.day})) << c.serial;
  }
}

TEST(DateSerial, LeapRules) {
  EXPECT_TRUE(IsLeapYear(0));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2010));
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2010, 9), 30);
  EXPECT_EQ(DaysInMonth(2010, 0), 0);
  EXPECT_EQ(DaysInMonth(2010, 13), 0);
  EXPECT_EQ(DateToSerial(2000, 2, 29) - DateToSerial(2000, 2, 28), 1);
  EXPECT_EQ(DateToSerial(1900, 3, 1) - DateToSerial(1900, 2, 28), 1);
}

TEST(DateSerial, UncheckedFieldsCarryOver) {
  EXPECT_EQ(DateToSerial(2010, 3, 0), DateToSerial(2010, 2, 28));
  EXPECT_EQ(DateToSerial(2010, 1, 32), DateToSerial(2010, 2, 1));
  EXPECT_EQ(DateToSerial(2010, 0, 5), DateToSerial(2010, 1, 5));
  EXPECT_EQ(DateToSerial(2010, -3, 5), DateToSerial(2010, 1, 5));
  EXPECT_EQ(DateToSerial(2010, 13, 1), DateToSerial(2011, 1, 1));
  EXPECT_EQ(DateToSerial(-5, 1, 1), 1);
  EXPECT_EQ(DateToSerial(std::numeric_limits<int>::max(), 12, 31), std::numeric_limits<DateSerial>::max());
}

// The fast conversion must agree with the defining count for every serial up
// to the end of year 9999, and round-trip through DateToSerial.
TEST(DateSerial, EverySerialMatchesTheCount) {
  const DateSerial last = DateToSerial(9999, 12, 31);
  int y = 0, m = 1, d = 0;  // the count, carried forward one day at a time
  for (DateSerial s = 1; s <= last; ++s) {
    if (++d > DaysInMonth(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    int fy = 0, fm = 0, fd = 0;
    SerialToDate(s, &fy, &fm, &fd);
    ASSERT_TRUE(fy == y && fm == m && fd == d) << "serial " << s << ": " << fy << '/' << fm << '/' << fd
                                               << " instead of " << y << '/' << m << '/' << d;
    ASSERT_EQ(DateToSerial(fy, fm, fd), s);
  }
  // The carried count itself agrees with the definition at spot checks.
  for (DateSerial s : {1, 59, 60, 61, 366, 367, 730485, 730486, 3652425}) {
    int cy = 0, cm = 0, cd = 0, fy = 0, fm = 0, fd = 0;
    CountedSerialToDate(s, &cy, &cm, &cd);
    SerialToDate(s, &fy, &fm, &fd);
    EXPECT_EQ((std::array{fy, fm, fd}), (std::array{cy, cm, cd})) << s;
  }
}

TEST(DateSerial, ExtremeSerials) {
  int y = 0, m = 0, d = 0;
  for (DateSerial s : {0, -1, std::numeric_limits<DateSerial>::min()}) {
    int cy = 0, cm = 0, cd = 0;
    SerialToDate(s, &y, &m, &d);
    CountedSerialToDate(s, &cy, &cm, &cd);
    EXPECT_EQ((std::array{y, m, d}), (std::array{cy, cm, cd})) << s;
  }
  const DateSerial max = std::numeric_limits<DateSerial>::max();
  SerialToDate(max, &y, &m, &d);
  EXPECT_EQ(DateToSerial(y, m, d), max);
  EXPECT_EQ((std::array{y, m, d}), (std::array{5879610, 7, 10}));
}

TEST(DateSerial, DayOfWeek) {
  const std::pair<DateSerial, int> cases[] = {
      {1, 6},                         // 0000-01-01 Saturday
      {DateToSerial(1970, 1, 1), 4},  // Thursday
      {DateToSerial(2000, 1, 1), 6},  {DateToSerial(2010, 9, 25), 6}, {DateToSerial(2010, 9, 26), 0},
      {DateToSerial(2024, 5, 6), 1},  {0, 5}, {-6, 6},
  };
  for (const auto& [serial, weekday] : cases) EXPECT_EQ(DayOfWeek(serial), weekday) << serial;
}

}  // namespace
