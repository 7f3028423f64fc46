// Numbers that item formulas write must read back: large sums, running totals,
// NUM, rounding residues and results that are no number.

#include "formula_fixture.h"

using namespace Qt::StringLiterals;

namespace {

TEST(ResultNumbers, FormulaValues) {
  CFormulaFixture fx(u"a,b,out\r\n30000000000,1,\r\n30000000000,1,\r\n30000000000,1,\r\n"_s);
  const struct {
    const char16_t* b;  // the text of b on every card
    const char16_t* formula;
    const char16_t* expected;
  } cases[] = {
      {u"1", u"SUM(%[a])", u"90000000000"},
      {u"1", u"SUM(%[a])+1", u"90000000001"},
      {u"1", u"AVERAGE(%[a])*3", u"90000000000"},
      {u"1", u"%[a]*1000+7", u"30000000000007"},
      {u"1,234,567", u"NUM(%[b])", u"1234567"},
      {u"123456.7", u"NUM(%[b])", u"123456.7"},
      {u"0.1", u"VARP(%[b])", u"0"},
      {u"0.1", u"VARP(%[b])*2", u"0"},
      {u"0.00001", u"%[b]/10", u"0.000001"},
      {u"1", u"0*-1", u"0"},
      {u"1", u"sqr(-1)", u"計算式が誤っています"},
      {u"1", u"ln(0)", u"計算式が誤っています"},
      {u"1", u"10^400", u"計算式が誤っています"},
      {u"1", u"10^400>1", u"計算式が誤っています"},
      {u"1", u"STR(CALC(12345678901234))", u"12345678901234"},
  };
  for (const auto& c : cases) {
    for (int card = 0; card < 3; ++card) fx.store->SetItemText(card, fx.Item(u"b"_s), QString::fromUtf16(c.b));
    fx.SetFormula(u"out"_s, QString::fromUtf16(c.formula));
    EXPECT_EQ(fx.Value(0, u"out"_s), QString::fromUtf16(c.expected)) << QString::fromUtf16(c.formula);
  }
}

// A running total over a ledger passes 10^10 and goes on.
TEST(ResultNumbers, RunningTotalPastTenDigits) {
  QString lines = u"金額,累計\r\n"_s;
  constexpr int kCards = 2100;
  for (int i = 0; i < kCards; ++i) lines += u"5000000,\r\n"_s;
  CFormulaFixture fx(lines);
  fx.SetFormula(u"累計"_s, u"BEFORE(%[累計])+%[金額]"_s);
  EXPECT_EQ(fx.Value(1999, u"累計"_s), u"10000000000");
  EXPECT_EQ(fx.Value(kCards - 1, u"累計"_s), u"10500000000");
}

}  // namespace
