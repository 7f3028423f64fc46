#include "datetime/date_serial.h"
#include "datetime/holiday.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <QFile>
#include <QTextStream>

#include <cstdlib>
#include <set>

#include <array>

namespace {

struct DayCase {
  int year, month, day;
  bool expected;
};

TEST(ClassicHoliday, RulesAndTheirChanges) {
  const DayCase cases[] = {
      // Fixed days.
      {2010, 1, 1, true},    {2010, 2, 11, true},  {2010, 4, 29, true},  {2010, 5, 3, true},
      {2010, 5, 4, true},    {2010, 5, 5, true},   {2010, 11, 3, true},  {2010, 11, 23, true},
      {2010, 12, 23, true},  {2010, 5, 6, false},  {2010, 12, 24, false}, {2010, 9, 26, false},  // a Sunday
      // 15 January and 10 October until 1999; second Mondays from 2000.
      {1999, 1, 15, true},   {2000, 1, 15, false}, {2000, 1, 10, true},  {2000, 1, 3, false},
      {2000, 1, 17, false},  {1999, 10, 10, true}, {2000, 10, 10, false}, {2000, 10, 9, true},
      {2010, 1, 11, true},   {2010, 10, 11, true}, {1999, 1, 11, false}, {1999, 10, 11, false},
      // 20 July from 1996 to 2002 and 15 September until 2002; third Mondays from 2003.
      {1995, 7, 20, false},  {1996, 7, 20, true},  {2001, 7, 20, true},  {2002, 7, 20, true},
      {2003, 7, 20, false},  {2003, 7, 21, true},  {2003, 7, 14, false}, {2002, 7, 15, false},
      {2002, 9, 15, true},   {2003, 9, 15, true},  {2004, 9, 15, false}, {2004, 9, 20, true},
      {2002, 9, 16, false},  {1985, 9, 15, true},
      // Equinoxes.
      {2010, 3, 21, true},   {2010, 3, 20, false}, {2010, 9, 23, true},  {2010, 9, 22, false},
      {2012, 9, 22, true},   {2012, 9, 23, false}, {2025, 9, 23, true},  {1979, 9, 24, true},
  };
  for (const DayCase& c : cases)
    EXPECT_EQ(IsHoliday(c.year, c.month, c.day, HolidayRules::kClassic), c.expected) << c.year << '/' << c.month << '/' << c.day;
}

TEST(ClassicHoliday, EquinoxesOverTheSpan) {
  // Published equinox days.
  struct Equinox {
    int year, vernal, autumnal;
  };
  const Equinox known[] = {
      {1972, 20, 23}, {1975, 21, 24}, {1979, 21, 24}, {1980, 20, 23}, {1984, 20, 23}, {1988, 20, 23},
      {1992, 20, 23}, {1996, 20, 23}, {2000, 20, 23}, {2008, 20, 23}, {2010, 21, 23}, {2012, 20, 22},
      {2016, 20, 22}, {2020, 20, 22}, {2023, 21, 23}, {2024, 20, 22}, {2025, 20, 23}, {2030, 20, 23},
      {2036, 20, 22},
  };
  for (const Equinox& e : known) {
    EXPECT_EQ(VernalEquinoxDay(e.year), e.vernal) << e.year;
    EXPECT_EQ(AutumnalEquinoxDay(e.year), e.autumnal) << e.year;
  }
  for (int year = 1972; year <= 2036; ++year) {
    EXPECT_GE(VernalEquinoxDay(year), 19);
    EXPECT_LE(VernalEquinoxDay(year), 21);
    EXPECT_GE(AutumnalEquinoxDay(year), 22);
    EXPECT_LE(AutumnalEquinoxDay(year), 24);
  }
  // The quarter rounds down before 1980 too.
  EXPECT_EQ(VernalEquinoxDay(1979), 21);
  EXPECT_EQ(VernalEquinoxDay(1977), 21);
}

// From the year of its rule, the n-th Monday of the month is a holiday and the
// Mondays a week before and after are not (unless another rule names them:
// 1 January, the autumnal equinox), in every year of the span.
TEST(ClassicHoliday, MondayRulesInEveryYear) {
  for (int year = 1972; year <= 2036; ++year) {
    for (const auto [month, week, firstYear] : {std::array{1, 2, 2000}, {10, 2, 2000}, {7, 3, 2003}, {9, 3, 2003}}) {
      if (year < firstYear) continue;
      int firstMonday = 1;
      while (DayOfWeek(DateToSerial(year, month, firstMonday)) != 1) ++firstMonday;
      const int day = firstMonday + 7 * (week - 1);
      EXPECT_TRUE(IsHoliday(year, month, day, HolidayRules::kClassic)) << year << '/' << month << '/' << day;
      for (int other : {day - 7, day + 7}) {
        const bool otherRule = (month == 1 && other == 1) || (month == 9 && other == AutumnalEquinoxDay(year));
        if (!otherRule) {
          EXPECT_FALSE(IsHoliday(year, month, other, HolidayRules::kClassic)) << year << '/' << month << '/' << other;
        }
      }
    }
  }
}

TEST(ClassicHoliday, HolidaysPerYear) {
  const std::pair<int, int> counts[] = {{1972, 14}, {1995, 14}, {1996, 15}, {2002, 15}, {2003, 15}, {2010, 15}, {2036, 15}};
  for (const auto& [year, expected] : counts) {
    int n = 0;
    for (DateSerial s = DateToSerial(year, 1, 1); s <= DateToSerial(year, 12, 31); ++s) {
      int y = 0, m = 0, d = 0;
      SerialToDate(s, &y, &m, &d);
      n += IsHoliday(y, m, d, HolidayRules::kClassic) ? 1 : 0;
    }
    EXPECT_EQ(n, expected) << year;
  }
}

TEST(ClassicHoliday, DayOff) {
  struct Case {
    int year, month, day;
    bool sundays;
    bool expected;
  };
  const Case cases[] = {
      {2010, 5, 3, false, true},    // Monday, a holiday
      {2009, 5, 6, false, false},   // Wednesday after Sunday 3 May: no carrying
      {2009, 5, 4, false, true},    // Monday, a holiday itself
      {2008, 5, 6, false, false},   // Tuesday after Monday 5 May
      {2007, 12, 24, false, true},  // Monday after Sunday 23 December
      {2010, 3, 22, false, true},   // Monday after the Sunday equinox
      {2010, 9, 25, false, false},  // a plain Saturday
      {2010, 9, 25, true, false},
      {2010, 9, 26, false, false},  // a plain Sunday
      {2010, 9, 26, true, true},
      {2010, 9, 27, true, false},   // the Monday after it
      {2012, 1, 2, false, true},    // Monday after Sunday 1 January, across the year
      {2010, 9, 20, false, true},   // third Monday
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsDayOff(c.year, c.month, c.day, c.sundays, HolidayRules::kClassic), c.expected)
        << c.year << '/' << c.month << '/' << c.day << (c.sundays ? " with Sundays" : "");
}

// The days off of the published list, as serials.
std::set<DateSerial> PublishedHolidays(int* firstYear, int* lastYear) {
  QFile file(QString::fromLocal8Bit(std::getenv("VELUM_SOURCE_DIR")) + QStringLiteral("/tests/data/jp_holidays.txt"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  QTextStream in(&file);
  std::set<DateSerial> days;
  *firstYear = 9999;
  *lastYear = 0;
  while (!in.atEnd()) {
    const QString line = in.readLine();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    const QStringList ymd = line.section(u' ', 0, 0).split(u'/');
    EXPECT_EQ(ymd.size(), 3) << line.toStdString();
    if (ymd.size() != 3) continue;
    const int y = ymd[0].toInt();
    *firstYear = std::min(*firstYear, y);
    *lastYear = std::max(*lastYear, y);
    days.insert(DateToSerial(y, ymd[1].toInt(), ymd[2].toInt()));
  }
  return days;
}

// Every day of every published year, holiday or not, against the list.
TEST(HolidayByLaw, MatchesThePublishedList) {
  int first = 0;
  int last = 0;
  const std::set<DateSerial> published = PublishedHolidays(&first, &last);
  ASSERT_GT(published.size(), 1000u);
  EXPECT_EQ(first, 1955);
  for (DateSerial s = DateToSerial(first, 1, 1); s <= DateToSerial(last, 12, 31); ++s) {
    int y = 0, m = 0, d = 0;
    SerialToDate(s, &y, &m, &d);
    EXPECT_EQ(IsHoliday(y, m, d, HolidayRules::kCurrentLaw), published.count(s) == 1) << y << '/' << m << '/' << d;
    EXPECT_EQ(IsDayOff(y, m, d, false, HolidayRules::kCurrentLaw), published.count(s) == 1) << y << '/' << m << '/' << d;
  }
}

TEST(HolidayByLaw, Days) {
  const DayCase cases[] = {
      // Before the law there are no holidays; its first ones are in autumn 1948.
      {1948, 7, 19, false}, {1948, 5, 5, false}, {1948, 9, 23, true}, {1948, 11, 23, true}, {1949, 1, 15, true},
      {1900, 1, 1, false}, {1873, 1, 1, false},
      // 天皇誕生日 moved; 2019 has none.
      {2018, 12, 23, true}, {2019, 12, 23, false}, {2019, 2, 23, false}, {2020, 2, 23, true}, {2020, 2, 24, true},
      // 山の日 and the Olympic moves.
      {2020, 8, 10, true}, {2020, 8, 11, false}, {2021, 8, 8, true}, {2021, 8, 9, true}, {2020, 7, 24, true},
      {2020, 10, 12, false}, {2021, 7, 23, true}, {2022, 7, 18, true}, {2015, 8, 11, false}, {2016, 8, 11, true},
      // Substitute holidays, carried past other holidays from 2007.
      {2008, 5, 6, true}, {2009, 5, 6, true}, {1973, 4, 30, true}, {1973, 2, 12, false}, {2007, 12, 24, true},
      // 国民の休日: between two holidays, not on a Sunday before 2007.
      {2009, 9, 22, true}, {2026, 9, 22, true}, {1988, 5, 4, true}, {1986, 5, 4, false}, {2019, 4, 30, true},
      {2019, 5, 2, true}, {2032, 9, 21, true},
      // One-off days.
      {1959, 4, 10, true}, {1989, 2, 24, true}, {1990, 11, 12, true}, {1993, 6, 9, true}, {2019, 5, 1, true},
      {2019, 10, 22, true},
      // Beyond the published years the rules and the equinox formula go on.
      {2030, 3, 20, true}, {2030, 9, 23, true}, {2099, 3, 20, true}, {2100, 3, 20, true}, {2096, 3, 19, true}, {9999, 1, 1, true},
      {2051, 3, 21, true}, {2051, 3, 20, false},
  };
  for (const DayCase& c : cases)
    EXPECT_EQ(IsHoliday(c.year, c.month, c.day, HolidayRules::kCurrentLaw), c.expected)
        << c.year << '/' << c.month << '/' << c.day;
}

TEST(HolidayByLaw, DayOffAndTheSetting) {
  EXPECT_TRUE(IsDayOff(2010, 9, 26, true, HolidayRules::kCurrentLaw));    // a plain Sunday, counted
  EXPECT_FALSE(IsDayOff(2010, 9, 26, false, HolidayRules::kCurrentLaw));  // not counted
  EXPECT_FALSE(IsDayOff(2010, 9, 25, true, HolidayRules::kCurrentLaw));   // a plain Saturday

  CTestWorld w;
  CSettingsStore& store = *w.settings;
  EXPECT_EQ(ReadHolidayRules(store), HolidayRules::kCurrentLaw);
  WriteSetting(store, settings::kHolidayRules, 1);
  ApplyHolidayRulesSetting(store);
  EXPECT_FALSE(IsHoliday(2020, 8, 10));
  EXPECT_TRUE(IsHoliday(2019, 12, 23));
  EXPECT_FALSE(IsDayOff(2009, 5, 6, false));
  WriteSetting(store, settings::kHolidayRules, 7);  // unknown: the current law
  ApplyHolidayRulesSetting(store);
  EXPECT_TRUE(IsHoliday(2020, 8, 10));
  EXPECT_TRUE(IsDayOff(2009, 5, 6, false));
  SetHolidayRules(HolidayRules::kCurrentLaw);
}

}  // namespace
