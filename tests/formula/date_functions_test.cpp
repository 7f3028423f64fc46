#include "formula/date_functions.h"

#include "datetime/date_serial.h"
#include "datetime/date_text.h"
#include "datetime/holiday.h"

#include "formula_fixture.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// Today is Friday 2024-05-03 for every case.
const CFixedClock kClock(QDateTime(QDate(2024, 5, 3), QTime(12, 0), Qt::LocalTime));

using Fn = std::function<QString(QStringView)>;

QString DaysText(QStringView a) { return Days(a).value_or(u"<stop>"_s); }

struct CCase {
  const char* name;
  Fn fn;
  const char16_t* args;
  const char16_t* expected;
};

Fn WithClock(QString (*f)(QStringView, const IClock&)) {
  return [f](QStringView a) { return f(a, kClock); };
}

}  // namespace

TEST(DateFunctions, Table) {
  const Fn dateAdd = WithClock(DateAdd), dateDiff = WithClock(DateDiff), years = WithClock(Years),
           dateStr = WithClock(DateStr), network = WithClock(NetworkDays), workDay = WithClock(WorkDay),
           timeStr = WithClock(TimeStr);
  const CCase cases[] = {
      {"DATEADD", dateAdd, u"\"m\",1,2010/1/31", u"STR(2010/02/28)"},  // the day stays inside the month
      {"DATEADD", dateAdd, u"\"m\",1,2012/1/31", u"STR(2012/02/29)"},
      {"DATEADD", dateAdd, u"\"m\",-1,2010/3/31", u"STR(2010/02/28)"},
      {"DATEADD", dateAdd, u"\"m\",2,2010/1/31", u"STR(2010/03/31)"},
      {"DATEADD", dateAdd, u"\"yyyy\",1,2012/2/29", u"STR(2013/02/28)"},
      {"DATEADD", dateAdd, u"\"yyyy\",-2010,2010/1/1", u"STR()"},  // before year 1
      {"DATEADD", dateAdd, u"\"m\",-13,2010/1/15", u"STR(2008/12/15)"},
      {"DATEADD", dateAdd, u"\"m\",-1,2010/1/15", u"STR(2009/12/15)"},
      {"DATEADD", dateAdd, u"\"m\",11,2010/1/15", u"STR(2010/12/15)"},
      {"DATEADD", dateAdd, u"\"m\",12,2010/1/15", u"STR(2011/01/15)"},
      {"DATEADD", dateAdd, u"\"d\",1,H22.12.31", u"STR(2011/01/01)"},
      {"DATEADD", dateAdd, u"\"yyyy\",1,2010/9/25", u"STR(2011/09/25)"},
      {"DATEADD", dateAdd, u"\"YYYY\",2*3,2010/9/25", u"STR(2016/09/25)"},  // unit in any case, interval evaluated
      {"DATEADD", dateAdd, u" \"d\" , -1.9 , 2010/9/25 ", u"STR(2010/09/24)"},  // trimmed, truncated toward zero
      {"DATEADD", dateAdd, u"\"d\",x,2010/9/25", u"STR(2010/09/25)"},  // no interval: 0
      {"DATEADD", dateAdd, u"yyyy,1,2010/9/25", u"STR()"},           // the quotes belong to the unit
      {"DATEADD", dateAdd, u"\"d\",1,2010/2/30", u"STR()"},
      {"DATEADD", dateAdd, u"\"d\",1,1971/12/31", u"STR(1972/01/01)"},
      {"DATEADD", dateAdd, u"\"yyyy\",1,S43.4.2", u"STR(1969/04/02)"},
      {"DATEADD", dateAdd, u"\"d\",1,1872/12/31", u"STR()"},  // before the supported years
      {"DATEADD", dateAdd, u"\"d\",-1000000,1873/1/1", u"STR()"},  // no day before serial 1
      {"DATEADD", dateAdd, u"\"d\",1", u""},
      {"DATEADD", dateAdd, u"\"d\",1,2010/9/25,", u""},
      {"DATEDIFF", dateDiff, u"\"yyyy\",2000/3/1,2010/2/28", u"9"},
      {"DATEDIFF", dateDiff, u"\"yyyy\",2000/3/1,2010/3/1", u"10"},
      {"DATEDIFF", dateDiff, u"\"m\",2010/1/31,2010/2/28", u"0"},
      {"DATEDIFF", dateDiff, u"\"m\",2009/11/30,2010/2/28", u"2"},
      {"DATEDIFF", dateDiff, u"\"d\",2010/1/1,2009/12/31", u"-1"},
      {"DATEDIFF", dateDiff, u"\"d\",平成22年1月1日,2010.3.1", u"59"},
      {"DATEDIFF", dateDiff, u"\"w\",2010/1/1,2010/1/2", u""},
      {"DATEDIFF", dateDiff, u"\"d\",2010/1/1,abc", u""},
      {"YEARS", years, u"2000/9/26,2010/9/25", u"9"},
      {"YEARS", years, u"2000/9/25, 2010/9/25", u"10"},
      {"YEARS", years, u"abc", u"日付変換エラー"},
      {"YEARS", years, u"2000/9/26,abc", u"日付変換エラー"},
      {"YEARS", years, u"2000/9/26,2010/9/25,2011/1/1", u""},
      {"YEARS", years, u"1990/5/3", u"34"},  // an age: the birthday is today
      {"YEARS", years, u"1990/5/4", u"33"},
      {"YEARS", years, u"1990/6/1", u"33"},
      {"YEARS", years, u"1968/4/2", u"56"},  // born before 1972
      {"YEARS", years, u"明治6年1月1日,9999/12/31", u"8126"},
      {"YEARS", years, u"1872/12/31", u"日付変換エラー"},
      {"DAYS", DaysText, u"2000/1/1", u"730486"},
      {"DAYS", DaysText, u"H12.1.1", u"730486"},
      {"DAYS", DaysText, u"abc", u"<stop>"},
      {"DAYS", DaysText, u"2037/1/1", u"744001"},
      {"DAYS", DaysText, u"1873/1/1", u"684101"},
      {"DAYS", DaysText, u"1872/12/31", u"<stop>"},
      {"DAYS", DaysText, u"2020/1/99999999999", u"<stop>"},  // long fields are out of range
      {"DAYS", DaysText, u"99999999999999/1/1", u"<stop>"},
      {"DAYS", DaysText, u"2020/00000000001/01", u"737791"},
      {"DATESTR", dateStr, u"730486", u"STR(2000/01/01)"},
      {"DATESTR", dateStr, u"730486.9", u"STR(2000/01/01)"},
      {"DATESTR", dateStr, u"730486+365", u"STR(2000/12/31)"},
      {"DATESTR", dateStr, u"x", u""},
      {"DATESTR", dateStr, u"-5", u""},  // no day: the formula fails
      {"DATESTR", dateStr, u"0", u""},
      {"DATESTR", dateStr, u"sqr(-1)", u""},
      {"DATESTR", dateStr, u"684101", u"STR(1873/01/01)"},
      {"YOUBI", Youbi, u"2010/9/25", u"STR(土)"},
      {"YOUBI", Youbi, u"2010/9/26", u"STR(日)"},
      {"YOUBI", Youbi, u"2010/2/29", u""},
      {"NETWORKDAYS", network, u"2010/9/20,2010/9/26", u"3"},  // a Monday holiday, the equinox, a weekend
      {"NETWORKDAYS", network, u"2010/9/20,2010/9/26,2010/9/21", u"2"},
      {"NETWORKDAYS", network, u"2010/9/26,2010/9/20", u"3"},
      {"NETWORKDAYS", network, u"2010/9/20,2010/9/26,abc,2010/9/25", u"3"},  // holidays on weekends change nothing
      {"NETWORKDAYS", network, u"2009/5/3,2009/5/6", u"0"},  // 6 May is a substitute holiday
      {"NETWORKDAYS", network, u"2020/8/3,2020/8/14", u"9"},  // 山の日 moved to 10 August
      {"NETWORKDAYS", network, u"1968/1/1,1968/1/31", u"21"},
      {"NETWORKDAYS", network, u"2010/9/22,2010/9/22", u"1"},
      {"NETWORKDAYS", network, u"1972/1/1,2036/12/31", u"16133"},
      {"NETWORKDAYS", network, u"1873/1/1,9999/12/31", u"2014326"},
      {"NETWORKDAYS", network, u"2010/9/20", u""},
      {"NETWORKDAYS", network, u"2010/9/20,abc", u""},
      {"WORKDAY", workDay, u"2010/9/6,0", u"STR(2010/09/06)"},
      {"WORKDAY", workDay, u"2010/9/6,x", u"STR(2010/09/06)"},
      {"WORKDAY", workDay, u"2010/9/6,-5", u"STR(2010/09/06)"},
      {"WORKDAY", workDay, u"2010/9/6,1", u"STR(2010/09/07)"},  // the day after the n-th working day
      {"WORKDAY", workDay, u"2010/9/10,1", u"STR(2010/09/11)"},
      {"WORKDAY", workDay, u"2010/9/17,2", u"STR(2010/09/22)"},  // over the weekend and Monday's holiday
      {"WORKDAY", workDay, u"2010/9/17,2,2010/9/21", u"STR(2010/09/23)"},
      {"WORKDAY", workDay, u"2036/12/30,2", u"STR(2037/01/01)"},
      {"WORKDAY", workDay, u"2036/12/30,3", u"STR(2037/01/03)"},  // 1 January is a holiday
      {"WORKDAY", workDay, u"9999/12/30,2", u"STR(10000/01/01)"},
      {"WORKDAY", workDay, u"9999/12/30,3", u"STR()"},  // beyond the supported years
      {"WORKDAY", workDay, u"2008/5/2,1", u"STR(2008/05/03)"},
      {"WORKDAY", workDay, u"2008/5/3,1", u"STR(2008/05/08)"},  // 5 and 6 May are days off
      {"WORKDAY", workDay, u"1972/1/1,2000000000", u"STR()"},
      {"WORKDAY", workDay, u"abc,1", u"STR()"},
      {"WORKDAY", workDay, u"2010/9/6", u""},
      {"TIME", Time, u"1:30", u"90"},
      {"TIME", Time, u"1:02:03", u"3723"},
      {"TIME", Time, u"45", u"45"},
      {"TIME", Time, u"1:30:00", u"5400"},
      {"TIME", Time, u"1:2:3:4", u"0"},
      {"TIME", Time, u"abc", u"0"},
      {"TIME", Time, u"2147483647:59:59", u"7730941132799"},
      {"TIMESTR", timeStr, u"3723", u"STR(1:02:03)"},
      {"TIMESTR", timeStr, u"5400", u"STR(1:30)"},
      {"TIMESTR", timeStr, u"59", u"STR(0:00:59)"},
      {"TIMESTR", timeStr, u"90000", u"STR(25:00)"},
      {"TIMESTR", timeStr, u"60.9", u"STR(0:01)"},
      {"TIMESTR", timeStr, u"x", u""},
      {"TIMESTR", timeStr, u"-1", u""},  // a negative time: the formula fails
      {"TIMESTR", timeStr, u"0-3723", u""},
      {"TIMESTR", timeStr, u"0", u"STR(0:00)"},
  };
  for (const CCase& c : cases)
    EXPECT_EQ(c.fn(QString::fromUtf16(c.args)), QString::fromUtf16(c.expected)) << c.name << "(" << QString::fromUtf16(c.args) << ")";
}

// Counts around the number of working days left before the last known date:
// the last of them gives the day after it, one more gives no date, and so does
// any larger count (the largest answered without walking the calendar).
TEST(DateFunctions, WorkdayCountsThatRunPastTheLastKnownDate) {
  const QString left = NetworkDays(u"2024/1/1,9999/12/31", kClock);
  const std::int64_t n = left.toLongLong();
  ASSERT_GT(n, 1900000) << left.toStdString();
  EXPECT_NE(WorkDay(u"2024/1/1,"_s + left, kClock), u"STR()"_s);
  for (const std::int64_t past : {n + 1, n + 50000, std::int64_t(2000000000), std::int64_t(1) << 60})
    EXPECT_EQ(WorkDay(u"2024/1/1,"_s + QString::number(past), kClock), u"STR()"_s) << past;
  EXPECT_EQ(WorkDay(u"9999/12/31,2", kClock), u"STR()"_s);
}

// In formulas: results are text or count, and DAYS stops the pass.
TEST(DateFunctions, InFormulas) {
  CFormulaFixture fx(u"birth,day,t,out\r\n1990/5/4,2010/9/20,1:30,\r\n"_s);
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"YEARS(%[birth])", u"33"},  // the test clock's today is 2024/05/03
      {u"YEARS(%[birth])+1", u"34"},
      {u"NETWORKDAYS(%[day],DATEADD(\"d\",6,%[day]))", u"3"},
      {u"DATEDIFF(\"d\",%[day],WORKDAY(%[day],3))", u"5"},  // 21, 22 and 24 September
      {u"DATEADD(\"m\",1,%[day])", u"2010/10/20"},
      {u"YOUBI(DATEADD(\"d\",1,%[day]))", u"火"},
      {u"DATESTR(DAYS(%[day])+1)", u"2010/09/21"},
      {u"TIMESTR(TIME(%[t])*3)", u"0:04:30"},
      {u"TIME(%[t])/60", u"1.5"},
      {u"DAYS(%[t])", u"計算式が誤っています"},
      {u"YEARS(abc)", u"計算式が誤っています"},
      {u"STR(YEARS(abc))", u"日付変換エラー"},
      {u"STR(NETWORKDAYS(2010/9/20,2010/9/26))", u"3"},  // not taken for DAYS
      {u"YEARS(1968/4/2)", u"56"},
      {u"DATESTR(DAYS(%[day])-800000)", u"計算式が誤っています"},
      {u"TIMESTR(TIME(%[t])-100)", u"計算式が誤っています"},
  };
  for (const auto& [formula, expected] : cases) {
    fx.SetFormula(u"out"_s, QString::fromUtf16(formula));
    EXPECT_EQ(fx.Value(0, u"out"_s), QString::fromUtf16(expected)) << QString::fromUtf16(formula);
  }
}

// System/HolidayRules 1: the working-day functions keep the classic rules.
TEST(DateFunctions, ClassicHolidayRules) {
  SetHolidayRules(HolidayRules::kClassic);
  const std::pair<const char16_t*, const char16_t*> network[] = {
      {u"2009/5/3,2009/5/6", u"1"}, {u"2020/8/3,2020/8/14", u"10"}, {u"1972/1/1,2036/12/31", u"16244"}};
  for (const auto& [args, expected] : network)
    EXPECT_EQ(NetworkDays(QString::fromUtf16(args), kClock), QString::fromUtf16(expected)) << QString::fromUtf16(args);
  EXPECT_EQ(WorkDay(u"2008/5/3,1", kClock), u"STR(2008/05/07)");
  SetHolidayRules(HolidayRules::kCurrentLaw);
}

// Date arguments of digits and '/' that read as a date as they stand are
// taken without normalising them first: normalising must not move them.
TEST(DateFunctions, PlainDateTextsReadAsTheyStand) {
  std::mt19937 rng(7);
  std::vector<QString> texts = {u"2020/1/5"_s, u"2020/01/05"_s, u"1873/1/1"_s, u"9999/12/31"_s, u"2012/02/29"_s,
                                u"2013/02/29"_s, u"20200105"_s, u"2020//5"_s, u"0022/9/25"_s, u"2020/1/5/7"_s};
  const char16_t alphabet[] = u"0123456789//";
  for (int i = 0; i < 20000; ++i) {
    QString t;
    for (int n = 1 + rng() % 12; n > 0; --n) t += QChar(alphabet[rng() % 12]);
    texts.push_back(t);
    texts.push_back(QString::asprintf("%d/%d/%d", 1800 + int(rng() % 8300), int(rng() % 14), int(rng() % 33)));
  }
  int read = 0;
  for (const QString& t : texts) {
    int y = 0, m = 0, d = 0;
    if (!ParseDateText(t, &y, &m, &d)) continue;
    ++read;
    int ny = 0, nm = 0, nd = 0;
    ASSERT_TRUE(ParseDateText(NormalizeDateText(t, kDateFormSlash), &ny, &nm, &nd)) << t.toStdString();
    EXPECT_EQ(std::tie(ny, nm, nd), std::tie(y, m, d)) << t.toStdString();
    EXPECT_EQ(DateDiff(u"\"d\","_s + t + u",2000/1/1"_s, kClock), QString::number(
        DateToSerial(2000, 1, 1) - DateToSerial(y, m, d))) << t.toStdString();
  }
  EXPECT_GT(read, 5000);
}
