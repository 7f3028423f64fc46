#include "datetime/date_insert_format.h"
#include "datetime/dtime.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace {

CDateOptions Defaults() { return CDateOptions{}; }

TEST(DateInsertFormat, Compose) {
  const CDTime sat(2010, 9, 25, 9, 5, 3);
  struct Case {
    const char* what;
    CDTime t;
    void (*set)(CDateOptions&);
    const char16_t* expected;
  };
  const Case cases[] = {
      {"defaults", sat, [](CDateOptions&) {}, u"09/25(土)"},
      {"two-digit year", sat, [](CDateOptions& o) { o.year = true; }, u"10/09/25(土)"},
      {"four-digit year", sat, [](CDateOptions& o) { o.year = o.year4 = true; }, u"2010/09/25(土)"},
      {"mark", sat, [](CDateOptions& o) { o.year = o.year4 = true, o.mark = QStringLiteral("-"); },
       u"2010-09-25(土)"},
      {"empty mark", sat, [](CDateOptions& o) { o.year = true, o.mark.clear(); }, u"100925(土)"},
      {"year 2005 keeps its zero", CDTime(2005, 1, 2), [](CDateOptions& o) { o.year = true; }, u"05/01/02(日)"},
      {"kanji", sat, [](CDateOptions& o) { o.year = o.year4 = o.nengappi = true; }, u"2010年09月25日(土)"},
      {"era", sat, [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true; }, u"平成22年09月25日(土)"},
      {"era keeps its mark", sat,
       [](CDateOptions& o) { o.year = o.nengo = true, o.month = o.day = false; }, u"平成22/(土)"},
      {"era without kanji", sat, [](CDateOptions& o) { o.year = o.nengo = true, o.week = false; }, u"平成22/09/25"},
      {"last moment of showa", CDTime(1989, 1, 7, 0, 0, 0),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true; }, u"昭和64年01月07日(土)"},
      {"the whole of 7 January is showa", CDTime(1989, 1, 7, 23, 59, 59),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true; }, u"昭和64年01月07日(土)"},
      {"first heisei day", CDTime(1989, 1, 8),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true; }, u"平成元年01月08日(日)"},
      {"second heisei year", CDTime(1990, 1, 1),
       [](CDateOptions& o) { o.year = o.nengo = true, o.week = false; }, u"平成2/01/01"},
      {"last heisei day", CDTime(2019, 4, 30, 23, 59, 59),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true, o.week = false; }, u"平成31年04月30日"},
      {"first reiwa day", CDTime(2019, 5, 1),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true, o.week = false; }, u"令和元年05月01日"},
      {"taisho and meiji", CDTime(1912, 7, 30),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true, o.week = false; }, u"大正元年07月30日"},
      {"last meiji day", CDTime(1912, 7, 29),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true, o.week = false; }, u"明治45年07月29日"},
      {"last taisho day", CDTime(1926, 12, 24),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true, o.week = false; }, u"大正15年12月24日"},
      {"first showa day", CDTime(1926, 12, 25),
       [](CDateOptions& o) { o.year = o.nengo = o.nengappi = true, o.week = false; }, u"昭和元年12月25日"},
      {"month only", sat, [](CDateOptions& o) { o.day = o.week = false; }, u"09"},
      {"month and day kanji", sat, [](CDateOptions& o) { o.nengappi = true; }, u"09月25日(土)"},
      {"year and day", sat, [](CDateOptions& o) { o.year = true, o.month = o.week = false; }, u"10/25"},
      {"nothing", sat, [](CDateOptions& o) { o.month = o.day = o.week = false; }, u""},
      {"time 24", sat, [](CDateOptions& o) { o.hour = o.minute = true; }, u"09/25(土) 9:5"},
      {"time kanji", sat, [](CDateOptions& o) { o.hour = o.minute = o.timeKanji = true; }, u"09/25(土) 9時5分"},
      {"hour only", sat, [](CDateOptions& o) { o.hour = true; }, u"09/25(土) 9"},
      {"minute only", sat, [](CDateOptions& o) { o.minute = true; }, u"09/25(土) 5"},
      {"hour kanji only", sat, [](CDateOptions& o) { o.hour = o.timeKanji = true; }, u"09/25(土) 9時"},
      {"afternoon kanji", CDTime(2010, 9, 25, 13, 30),
       [](CDateOptions& o) { o.hour = o.minute = true, o.time24 = false, o.timeAmPm = 2; }, u"09/25(土) 午後1:30"},
      {"morning kanji", CDTime(2010, 9, 25, 11, 59),
       [](CDateOptions& o) { o.hour = o.minute = true, o.time24 = false, o.timeAmPm = 2; }, u"09/25(土) 午前11:59"},
      {"after midnight", CDTime(2010, 9, 25, 0, 15),
       [](CDateOptions& o) { o.hour = o.minute = true, o.time24 = false, o.timeAmPm = 1; }, u"09/25(土) AM0:15"},
      {"after noon", CDTime(2010, 9, 25, 12, 15),
       [](CDateOptions& o) { o.hour = o.minute = true, o.time24 = false, o.timeAmPm = 1; }, u"09/25(土) PM12:15"},
      {"12-hour without mark", CDTime(2010, 9, 25, 23, 0),
       [](CDateOptions& o) { o.hour = o.minute = true, o.time24 = false; }, u"09/25(土) 11:0"},
      {"24-hour ignores the mark", CDTime(2010, 9, 25, 23, 0),
       [](CDateOptions& o) { o.hour = true, o.timeAmPm = 2; }, u"09/25(土) 23"},
      {"time alone", sat, [](CDateOptions& o) { o.month = o.day = o.week = false, o.hour = o.minute = true; },
       u" 9:5"},
  };
  for (const Case& c : cases) {
    CDateOptions o = Defaults();
    c.set(o);
    EXPECT_EQ(ComposeDateTime(c.t, o), QStringView(c.expected)) << c.what;
  }
}

TEST(DateInsertFormat, OptionsComeFromTheSettings) {
  CTestWorld w;
  const CDTime t(2010, 9, 25, 9, 5, 3);
  EXPECT_EQ(ComposeDateTime(t, ReadDateOptions(*w.settings)), u"09/25(土)");

  CDateOptions o;
  o.year = o.year4 = o.hour = o.minute = o.timeKanji = true;
  o.week = false;
  o.mark = QStringLiteral(".");
  o.time24 = false;
  o.timeAmPm = 2;
  WriteDateOptions(*w.settings, o);
  EXPECT_EQ(ReadSetting(*w.settings, settings::kDateTimeAMPM), 2u);
  EXPECT_EQ(ReadSetting(*w.settings, settings::kDateMark), u".");
  EXPECT_EQ(ComposeDateTime(t, ReadDateOptions(*w.settings)), u"2010.09.25 午前9時5分");
}

}  // namespace
