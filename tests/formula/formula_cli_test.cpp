#include "formula/item_formula.h"

#include "core/card_store.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

// A card file whose formula items hold stale stored texts, with the property
// file that makes them formula items (total groups digits).
QString WriteStaleFile(CTestWorld& w) {
  InstallItemFormulas();
  const QString lines = u"品名,金額,total,曜日\r\nりんご,1200,stale,stale\r\nみかん,80,stale,stale\r\n"_s;
  w.WriteFile(u"f.csv"_s, Sjis(lines));
  CCardStore store(*w.services);
  EXPECT_EQ(store.Read(w.Path(u"f.csv"_s)), 1);
  store.Property(2).m_formula = u"BEFORE(%[total])+%[金額]*10"_s;
  store.Property(2).m_flags |= CItemProperty::kDigitGrouping;
  store.Property(2).m_set = 1;
  store.Property(3).m_formula = u"YOUBI(DATEADD(\"d\",INDEX(),2010/9/24))"_s;
  EXPECT_EQ(store.Write(w.Path(u"f.csv"_s)), 1);
  w.WriteFile(u"f.csv"_s, Sjis(lines));
  return w.Path(u"f.csv"_s);
}

}  // namespace

TEST(FormulaCommand, EvaluatesATextOnACard) {
  CTestWorld w;
  const QString settings = w.Path(u"velum.reg"_s);
  const QString file = WriteStaleFile(w);
  const struct {
    QStringList args;
    int exit;
    const char16_t* out;
  } cases[] = {
      {{u"1+2"_s}, 0, u"3\n"},
      {{u"-2*3"_s}, 0, u"-6\n"},
      {{u"STR(%[項目１])"_s}, 0, u"\n"},  // a new document's one empty item
      {{u"%[nope]"_s}, 0, u"Err:計算式が誤っています（該当する項目なし）%[nope]\n"},
      {{u"--file"_s, file, u"%[金額]*2"_s}, 0, u"2400\n"},
      {{u"--file"_s, file, u"--card"_s, u"1"_s, u"SUM(%[金額])+NUM(%[total])"_s}, 0, u"14080\n"},
      {{u"--file"_s, file, u"--card"_s, u"1"_s, u"STR(%[total])"_s}, 0, u"(12,000+80*10)\n"},
      {{u"--file"_s, file, u"--card"_s, u"1"_s, u"STR(%[曜日])"_s}, 0, u"(STR(日))\n"},
      {{u"--file"_s, file, u"--card"_s, u"2"_s, u"1"_s}, 1, u""},
      {{u"--card"_s, u"0"_s, u"1"_s}, 2, u""},
      {{}, 2, u""},
  };
  for (const auto& c : cases) {
    const CCliRun run = RunCli(QStringList{u"formula"_s} + c.args, {}, settings);
    EXPECT_EQ(run.exitCode, c.exit) << c.args.join(u' ') << run.err;
    EXPECT_EQ(run.out, QString::fromUtf16(c.out)) << c.args.join(u' ');
  }
}

TEST(FormulaCommand, ShowValueAndRecalcUseComputedValues) {
  CTestWorld w;
  const QString settings = w.Path(u"velum.reg"_s);
  const QString file = WriteStaleFile(w);
  const CCliRun show = RunCli({u"show"_s, file}, {}, settings);
  const QString computed = u"品名\t金額\ttotal\t曜日\nりんご\t1200\t12,000\t土\nみかん\t80\t12,800\t日\n"_s;
  EXPECT_EQ(show.out, computed) << show.err;
  EXPECT_EQ(RunCli({u"show"_s, file, u"--stored"_s}, {}, settings).out,
            u"品名\t金額\ttotal\t曜日\nりんご\t1200\tstale\tstale\nみかん\t80\tstale\tstale\n"_s);
  EXPECT_EQ(RunCli({u"value"_s, file, u"1"_s, u"total"_s}, {}, settings).out, u"12,800\n"_s);

  const QString out = w.Path(u"out.csv"_s);
  EXPECT_EQ(RunCli({u"recalc"_s, file, u"-o"_s, out}, {}, settings).exitCode, 0);
  EXPECT_EQ(RunCli({u"show"_s, out, u"--stored"_s}, {}, settings).out, computed);
  EXPECT_EQ(w.ReadFile(u"f.csv"_s), Sjis(u"品名,金額,total,曜日\r\nりんご,1200,stale,stale\r\nみかん,80,stale,stale\r\n"_s));
  EXPECT_EQ(RunCli({u"recalc"_s, file}, {}, settings).exitCode, 0);
  EXPECT_EQ(w.ReadFile(u"f.csv"_s), w.ReadFile(u"out.csv"_s));
  EXPECT_EQ(RunCli({u"recalc"_s}, {}, settings).exitCode, 2);
  EXPECT_EQ(RunCli({u"recalc"_s, w.Path(u"missing.csv"_s)}, {}, settings).exitCode, 1);
}
