#include "datetime/date_insert_format.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

struct CliCase {
  QStringList args;
  int exitCode;
  const char16_t* out;
  const char16_t* errPart;  // a part of stderr; empty when nothing is expected
};

TEST(DateCli, Commands) {
  // The run's "now" is VELUM_NOW, 2024/05/03 10:20:30, a Friday.
  CTestWorld w;
  const QString settings = w.Path(QStringLiteral("velum.reg"));
  const CliCase cases[] = {
      {{u"normalize"_s, u"平成22年9月25日"_s}, 0, u"2010/09/25\n", u""},
      {{u"normalize"_s, u"2010/9/25"_s, u"--form"_s, u"1"_s}, 0, u"2010年09月25日\n", u""},
      {{u"normalize"_s, u"--form"_s, u"1"_s, u"s63-1-1"_s}, 0, u"1988年01月01日\n", u""},
      {{u"normalize"_s, u"2010/2/30"_s}, 0, u"2010/2/30\n", u""},
      {{u"normalize"_s, u"1月5日"_s}, 0, u"01月05日\n", u""},
      {{u"normalize"_s, u"-"_s}, 0, u"-\n", u""},
      {{u"normalize"_s, u"2010/9/25"_s, u"--form"_s, u"x"_s}, 2, u"", u"--form"},
      {{u"normalize"_s}, 2, u"", u"usage"},
      {{u"holiday"_s, u"2010/9/20"_s}, 0, u"1\n", u""},
      {{u"holiday"_s, u"2010/9/21"_s}, 0, u"0\n", u""},
      {{u"holiday"_s, u"H22.9.23"_s}, 0, u"1\n", u""},
      {{u"holiday"_s, u"2010/2/30"_s}, 1, u"", u"no such date: 2010/2/30"},
      {{u"holiday"_s, u"soon"_s}, 1, u"", u"no such date: soon"},
      {{u"holiday"_s}, 2, u"", u"usage"},
      {{u"dayoff"_s, u"2007/12/24"_s}, 0, u"1\n", u""},
      {{u"dayoff"_s, u"2010/9/26"_s}, 0, u"0\n", u""},
      {{u"dayoff"_s, u"2010/9/26"_s, u"--sundays"_s}, 0, u"1\n", u""},
      {{u"holidays"_s, u"2010/9/1"_s, u"2010/11/30"_s}, 0,
       u"2010/09/20\n2010/09/23\n2010/10/11\n2010/11/03\n2010/11/23\n", u""},
      {{u"holidays"_s, u"2010/9/24"_s, u"2010/10/10"_s}, 0, u"", u""},
      {{u"holidays"_s, u"2026/1/1"_s, u"2026/12/31"_s}, 0,
       u"2026/01/01\n2026/01/12\n2026/02/11\n2026/02/23\n2026/03/20\n2026/04/29\n2026/05/03\n2026/05/04\n"
       u"2026/05/05\n2026/05/06\n2026/07/20\n2026/08/11\n2026/09/21\n2026/09/22\n2026/09/23\n2026/10/12\n"
       u"2026/11/03\n2026/11/23\n",
       u""},
      {{u"holiday"_s, u"2020/8/10"_s}, 0, u"1\n", u""},
      {{u"dayoff"_s, u"2009/5/6"_s}, 0, u"1\n", u""},
      {{u"holiday"_s, u"1968/10/10"_s}, 0, u"1\n", u""},
      {{u"holidays"_s, u"2010/9/24"_s, u"2010/9/1"_s}, 2, u"", u"after"},
      {{u"holidays"_s, u"2010/9/1"_s}, 2, u"", u"usage"},
      {{u"format"_s, u"%Y/%m/%d %H:%M:%S %A %a %b %B 100%%"_s}, 0,
       u"2024/05/03 10:20:30 金 Fri May May 100%\n", u""},
      {{u"format"_s, u"a%Qb"_s}, 1, u"ab\n", u"CDTime:Format エラー"},
      {{u"insert"_s}, 0, u"05/03(金)\n", u""},
      {{u"someday"_s}, 2, u"", u"unknown date command someday"},
      {{}, 2, u"", u"usage"},
  };
  for (const CliCase& c : cases) {
    const CCliRun run = RunCli(QStringList{u"date"_s} + c.args, {}, settings);
    const QString what = c.args.join(u' ');
    EXPECT_EQ(run.exitCode, c.exitCode) << what << "\n" << run.err;
    EXPECT_EQ(run.out, QStringView(c.out)) << what;
    if (*c.errPart) {
      EXPECT_TRUE(run.err.contains(QStringView(c.errPart))) << what << ": " << run.err;
    }
  }
}

TEST(DateCli, InsertReadsTheOptions) {
  CTestWorld w;
  CDateOptions o;
  o.year = o.nengo = o.nengappi = o.hour = o.minute = true;
  o.time24 = false;
  o.timeAmPm = 1;
  WriteDateOptions(*w.settings, o);
  const CCliRun run = RunCli({u"date"_s, u"insert"_s}, {}, w.settings->Path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, u"令和6年05月03日(金) AM10:20\n");
}

// System/HolidayRules 1 keeps the classic rules for every command.
TEST(DateCli, ClassicHolidayRules) {
  CTestWorld w;
  WriteSetting(*w.settings, settings::kHolidayRules, 1);
  const struct {
    QStringList args;
    const char16_t* out;
  } cases[] = {
      {{u"holiday"_s, u"2020/8/10"_s}, u"0\n"},
      {{u"holiday"_s, u"2019/12/23"_s}, u"1\n"},
      {{u"dayoff"_s, u"2009/5/6"_s}, u"0\n"},
      {{u"holidays"_s, u"2020/8/1"_s, u"2020/8/31"_s}, u""},
  };
  for (const auto& c : cases) {
    const CCliRun run = RunCli(QStringList{u"date"_s} + c.args, {}, w.settings->Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, QStringView(c.out)) << c.args.join(u' ');
  }
}

}  // namespace
