#include "support/test_support.h"

using namespace Qt::Literals::StringLiterals;

TEST(EvalCommand, PrintsTheValueOrTheResultCode) {
  CTestWorld w;
  const QString settings = w.Path(u"velum.reg"_s);
  const struct {
    const char16_t* expression;
    const char16_t* out;
  } cases[] = {
      {u"2+3*4", u"1 14\n"},       {u"-2^2", u"1 4\n"},       {u"1/3", u"1 0.3333333333\n"},
      {u"1,000*2", u"1 2000\n"},   {u"PI*2", u"1 6.283185307\n"}, {u"now", u"1 739375\n"},  // VELUM_NOW 2024/05/03
      {u"", u"0\n"},               {u"(1+2", u"-1\n"},        {u"1+2)", u"-2\n"},
      {u"sum(1)", u"-3\n"},        {u"5/0", u"-4\n"},         {u"10000000000*3", u"1 30000000000\n"},
  };
  for (const auto& c : cases) {
    const QString expression = QString::fromUtf16(c.expression);
    const CCliRun run = RunCli({u"eval"_s, expression}, {}, settings);
    EXPECT_EQ(run.exitCode, 0) << expression << run.err;
    EXPECT_EQ(run.out, QString::fromUtf16(c.out)) << expression;
  }
}

TEST(EvalCommand, NeedsExactlyOneExpression) {
  CTestWorld w;
  const QString settings = w.Path(u"velum.reg"_s);
  EXPECT_EQ(RunCli({u"eval"_s}, {}, settings).exitCode, 2);
  EXPECT_EQ(RunCli({u"eval"_s, u"1"_s, u"2"_s}, {}, settings).exitCode, 2);
  const CCliRun afterDashes = RunCli({u"eval"_s, u"--"_s, u"-3"_s}, {}, settings);
  EXPECT_EQ(afterDashes.exitCode, 0);
  EXPECT_EQ(afterDashes.out, u"1 -3\n"_s);
}
