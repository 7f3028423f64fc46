#include "datetime/dtime.h"
#include "platform/clock.h"
#include "platform/prompt.h"

#include "support/test_support.h"

#include <array>

namespace {

std::array<int, 7> Fields(const CDTime& t) {
  return {t.Year(), t.Month(), t.Day(), t.Hour(), t.Minute(), t.Second(), t.DayOfWeek()};
}

TEST(DTime, LocalFieldsFollowTheTimeZone) {
  // The tests run in Asia/Tokyo, nine hours ahead of UTC all year.
  EXPECT_EQ(CDTime(1970, 1, 1, 9, 0, 0).Seconds(), 0);
  EXPECT_EQ(Fields(CDTime::FromSeconds(0)), (std::array{1970, 1, 1, 9, 0, 0, 4}));
  EXPECT_EQ(Fields(CDTime(2010, 9, 25, 9, 5, 3)), (std::array{2010, 9, 25, 9, 5, 3, 6}));
  // Past the end of signed 32-bit seconds, and carried-over fields.
  EXPECT_EQ(Fields(CDTime(2040, 2, 29, 23, 59, 59)), (std::array{2040, 2, 29, 23, 59, 59, 3}));
  EXPECT_EQ(Fields(CDTime(2010, 13, 0, 0, 0, 0)), (std::array{2010, 12, 31, 0, 0, 0, 5}));
}

TEST(DTime, NowComesFromTheClock) {
  const CFixedClock clock(QDateTime(QDate(2010, 9, 25), QTime(9, 5, 3), Qt::LocalTime));
  EXPECT_EQ(CDTime(clock), CDTime(2010, 9, 25, 9, 5, 3));
  // VELUM_NOW is fixed for the test run.
  EXPECT_EQ(CDTime(CSystemClock()), CDTime(2024, 5, 3, 10, 20, 30));
}

TEST(DTime, SecondArithmeticAndOrder) {
  const CDTime t(2010, 12, 31, 23, 59, 59);
  const CDTime u = t + 1;
  EXPECT_EQ(Fields(u), (std::array{2011, 1, 1, 0, 0, 0, 6}));
  EXPECT_EQ(u - t, 1);
  EXPECT_EQ(u - 86400, CDTime(2010, 12, 31, 0, 0, 0));
  EXPECT_TRUE(u > t);
  EXPECT_FALSE(t > t);
  CDTime v = t;
  v += 86400 * 60;
  v -= 86400 * 59;
  EXPECT_EQ(Fields(v), (std::array{2011, 1, 1, 23, 59, 59, 6}));
}

TEST(DTime, NextAndPrevMonth) {
  struct Case {
    CDTime from;
    bool next;
    CDTime to;
  };
  const Case cases[] = {
      {CDTime(2010, 1, 31, 10, 0, 0), true, CDTime(2010, 2, 28, 10, 0, 0)},
      {CDTime(2012, 1, 31, 10, 0, 0), true, CDTime(2012, 2, 29, 10, 0, 0)},
      {CDTime(2010, 12, 15, 8, 30, 5), true, CDTime(2011, 1, 15, 8, 30, 5)},
      {CDTime(2010, 12, 31, 0, 0, 0), true, CDTime(2011, 1, 31, 0, 0, 0)},
      {CDTime(2010, 11, 30, 0, 0, 0), true, CDTime(2010, 12, 30, 0, 0, 0)},
      {CDTime(2010, 3, 31, 23, 59, 59), true, CDTime(2010, 4, 30, 23, 59, 59)},
      {CDTime(2010, 3, 31, 12, 0, 0), false, CDTime(2010, 2, 28, 12, 0, 0)},
      {CDTime(2012, 3, 31, 12, 0, 0), false, CDTime(2012, 2, 29, 12, 0, 0)},
      {CDTime(2010, 1, 10, 7, 0, 0), false, CDTime(2009, 12, 10, 7, 0, 0)},
      {CDTime(2010, 1, 31, 7, 0, 0), false, CDTime(2009, 12, 31, 7, 0, 0)},
      {CDTime(2010, 5, 31, 0, 0, 0), false, CDTime(2010, 4, 30, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    const CDTime got = c.next ? c.from.NextMonth() : c.from.PrevMonth();
    EXPECT_EQ(Fields(got), Fields(c.to)) << (c.next ? "next of " : "prev of ") << c.from.Seconds();
  }
}

TEST(DTime, FormatTokens) {
  const CDTime t(2010, 9, 25, 9, 5, 3);  // a Saturday
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"%Y/%m/%d %H:%M:%S", u"2010/09/25 09:05:03"},
      {u"%A", u"土"},
      {u"%a %b %B", u"Sat Sep September"},
      {u"100%%", u"100%"},
      {u"%%Y", u"%Y"},
      {u"[%Y年%m月%d日(%A)]", u"[2010年09月25日(土)]"},
      {u"", u""},
  };
  for (const auto& [pattern, expected] : cases) {
    CScriptedPrompt prompt;
    EXPECT_EQ(t.Format(QStringView(pattern), prompt), QStringView(expected)) << QStringView(pattern).toString();
    EXPECT_TRUE(prompt.Texts().isEmpty());
  }
  // Every weekday and month name.
  CScriptedPrompt prompt;
  QStringList days;
  for (int i = 0; i < 7; ++i) days << CDTime(2010, 9, 26 + i).Format(u"%A%a", prompt);
  EXPECT_EQ(days.join(u' '), u"日Sun 月Mon 火Tue 水Wed 木Thu 金Fri 土Sat");
  QStringList months;
  for (int m = 1; m <= 12; ++m) months << CDTime(2010, m, 1).Format(u"%b=%B", prompt);
  EXPECT_EQ(months.join(u' '),
            u"Jan=January Feb=February Mar=March Apr=April May=May Jun=June Jul=July Aug=August "
            u"Sep=September Oct=October Nov=November Dec=December");
  EXPECT_EQ(CDTime(987, 6, 5).Format(u"%Y", prompt), u"0987");
}

TEST(DTime, FormatReportsEachUnknownToken) {
  const CDTime t(2010, 9, 25, 9, 5, 3);
  struct Case {
    const char16_t* pattern;
    const char16_t* result;
    int messages;
  };
  const Case cases[] = {
      {u"%Q", u"", 1},
      {u"a%Qb%Zc", u"abc", 2},
      {u"%Y%", u"2010", 1},
      {u"%", u"", 1},
      {u"%y-%d", u"-25", 1},
      {u"%\U0001F600x", u"x", 1},  // a character beyond the basic plane is one token
  };
  for (const Case& c : cases) {
    CScriptedPrompt prompt;
    EXPECT_EQ(t.Format(QStringView(c.pattern), prompt), QStringView(c.result)) << QStringView(c.pattern).toString();
    ASSERT_EQ(prompt.Texts().size(), c.messages);
    for (const QString& text : prompt.Texts()) EXPECT_EQ(text, u"CDTime:Format エラー");
  }
}

}  // namespace
