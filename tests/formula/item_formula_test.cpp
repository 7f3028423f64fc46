#include "formula_fixture.h"

#include "formula/formula_engine.h"
#include "formula/item_formula.h"
#include "formula/number_text.h"
#include "japanese/wide_digits.h"

#include <cmath>

#include <pthread.h>

using namespace Qt::StringLiterals;

namespace {

// Card 2 has no amount, card 3 a non-numeric one; x is empty on card 0. f and
// f2 are formula items, g groups digits, out takes the formula under test.
const QString kCards =
    u"価格,数量,a,b,first,last,code,kind,x,amount,date,time,g,f,f2,out\r\n"
    u"\"1,200\",3,X,1,Taro,Yamada,ABCDE,A,,100,2010/9/25,1:30,\"1,234,567\",,,\r\n"
    u"500,2,Y,2,Hanako,Sato,XYZ,B,5,200,H22.12.31,0:45,10,,,\r\n"
    u"abc,1,Z,3,Jiro,Suzuki,Q,A, ,,2000/1/1,2:00:00,,,,\r\n"
    u"7,4,W,4,Ken,Ito,R,C,,x1,abc,10,,,,\r\n"_s;

struct CCase {
  const char16_t* formula;
  int card;
  const char16_t* expected;
};

class ItemFormulaTable : public testing::Test {
 protected:
  ItemFormulaTable() : fx(kCards) {
    fx.SetFormula(u"f"_s, u"1+2"_s);
    fx.SetFormula(u"f2"_s, u"datestr(730486)"_s);
    fx.Record(u"g"_s).m_flags |= CItemProperty::kDigitGrouping;
  }
  void Check(const CCase& c) {
    fx.SetFormula(u"out"_s, QString::fromUtf16(c.formula));
    EXPECT_EQ(fx.Value(c.card, u"out"_s), QString::fromUtf16(c.expected))
        << QString::fromUtf16(c.formula).toStdString() << " on card " << c.card;
  }
  CFormulaFixture fx;
};

}  // namespace

TEST_F(ItemFormulaTable, ReferencesAndTextFunctions) {
  const CCase cases[] = {
      {u"%[価格]*%[数量]", 0, u"3600"},  // the comma of 1,200 outside parentheses is dropped
      {u"STR(%[a]-%[b])", 0, u"X-1"},
      {u"STRADD(%[first], ,%[last])", 0, u"Taro Yamada"},
      {u"LEFT(%[code],3)", 0, u"ABC"},
      {u"RIGHT(%[code],2)", 0, u"DE"},
      {u"LEFT(%[code],-1)", 0, u""},
      {u"LEFT(%[code],99)", 0, u"ABCDE"},
      {u"STR(LEFT(%[code]))", 0, u""},
      {u"MID(ABCDE,2,3)", 0, u"BCD"},
      {u"MID(ABCDE,3)", 0, u"CDE"},
      {u"MID(ABCDE,0,2)", 0, u"AB"},
      {u"MID(ABCDE,9)", 0, u""},
      {u"LEN(ABCDE)", 0, u"5"},
      {u"LEN(%[code])*2", 1, u"6"},
      {u"PAD(42,5,0)", 0, u"00042"},
      {u"PAD((42),4,ab)", 0, u"abab42"},  // the filler once per missing character
      {u"PAD(7,3)", 0, u"  7"},
      {u"PAD(%[f],7,0)", 0, u"00(1+2)"},  // parentheses stay around what is not all digits
      {u"REPLACE(a-b-c,-)", 0, u"abc"},
      {u"REPLACE(a-b-c,-,+)", 0, u"a+b+c"},
      {u"REPLACE(abc,,x)", 0, u"abc"},
      {u"LEFT(STRADD(%[first],%[last]),6)", 0, u"TaroYa"},  // inner text results lose STR(
      {u"STR(IFS(%[kind]=A,yes,no))", 0, u"yes"},
      {u"STR(IFS(%[kind]=A,yes,no))", 1, u"no"},
      {u"IFS(%[kind]=A,1,2)", 0, u"1"},
      {u"IFS(%[kind]=A,1,2)", 1, u"2"},
      {u"STR(IFS(%[kind],yes,no))", 0, u""},
      {u"STR(IFS( %[kind] = A , yes , no ))", 0, u"no"},  // only the arguments are trimmed
      {u"IFS(%[kind]=A,yes,no)", 0, u"計算式が誤っています"},
      {u"STR(CALC(1/3))", 0, u"0.333333333333333"},
      {u"1/3", 0, u"0.3333333333"},
      {u"STR(CALC(1/0))", 0, u""},
      {u"INDEX()", 2, u"3"},
      {u"str(abc)", 0, u"abc"},
      {u"STR(a(b)c)d", 0, u"a(b)c"},
      {u"STR(abc", 0, u"abc"},
      {u"STR(%[g])", 0, u"1234567"},   // grouping commas removed from a grouped item
      {u"STR(%[価格])", 0, u"1,200"},  // but kept in one without the flag
      {u"%[f]*2", 0, u"6"},            // a formula item is inserted in parentheses
      {u"YOUBI(%[f2])", 0, u"土"},     // DATESTR formulas are inserted unchanged
      {u"DAYS(%[date])", 0, u"734406"},
      {u"DAYS(abc)+1", 0, u"計算式が誤っています"},
      {u"STR(LEFT(xy,1)DAYS(abc))", 0, u"STR(x)DAYS(abc)"},  // DAYS stops the pass; earlier results stay
      {u"YOUBI(%[date])", 1, u"金"},
      {u"DATEADD(\"d\",1,%[date])", 1, u"2011/01/01"},
      {u"%[date]", 3, u"計算式が誤っています"},
      {u"%[nope]+1", 0, u"Err:計算式が誤っています（該当する項目なし）%[nope]+1"},
      {u"1000*1000", 0, u"1000000"},
      {u"1+", 0, u"計算式が誤っています"},
  };
  for (const CCase& c : cases) Check(c);
}

TEST_F(ItemFormulaTable, ItemFunctions) {
  const CCase cases[] = {
      {u"SUM(%[amount])", 0, u"300"},  // empty and non-numeric amounts skipped
      {u"AVERAGE(%[amount])", 0, u"150"},
      {u"MAXITEM(%[amount])", 0, u"200"},
      {u"MINITEM(%[amount])", 0, u"100"},
      {u"VARP(%[amount])", 0, u"2500"},
      {u"SUM(%[価格])", 2, u"1707"},   // 1,200 counts as 1200, abc not at all
      {u"sum(%[amount]+7)", 0, u"300"},  // only the reference counts in the argument
      {u"SUM(amount)+1", 0, u"計算式が誤っています"},
      {u"BEFORE(%[amount])", 0, u"0"},
      {u"BEFORE(%[amount])", 1, u"100"},
      {u"AFTER(%[数量])", 0, u"2"},
      {u"AFTER(%[amount])", 3, u"0"},
      {u"NUM(%[価格])", 0, u"1200"},
      {u"STR(NUM(%[g]))", 0, u"1234567"},  // every integer digit kept
      {u"NUM(%[a])", 0, u"0"},
      {u"SUMTIME(%[time])", 0, u"2:02:25"},  // 90 + 45 + 7200 + 10 seconds
      {u"SUM(%[f])", 0, u"12"},              // over computed values
      {u"BEFORE(%[f])*10", 1, u"30"},
  };
  for (const CCase& c : cases) Check(c);
}

TEST(ItemFormula, StatisticsCountOnlyVisibleCards) {
  CFormulaFixture fx(kCards);
  fx.SetFormula(u"out"_s, u"SUM(%[amount])"_s);
  CCardStore& s = *fx.store;
  s.AllCard(1)->SetVisible(false);
  s.RebuildVisible();
  EXPECT_EQ(fx.Value(0, u"out"_s), u"100"_s);
  EXPECT_EQ(ComputeColumnStatistics(s, fx.Item(u"amount"_s)).count, 1);
  for (int k = 0; k < s.AllCount(); ++k) s.AllCard(k)->SetVisible(false);
  s.RebuildVisible();
  // With every card hidden, a hidden card's value still computes: the statistics are empty.
  for (const QString& f : {u"SUM(%[amount])"_s, u"AVERAGE(%[amount])"_s, u"MAXITEM(%[amount])"_s,
                          u"MINITEM(%[amount])"_s, u"VARP(%[amount])"_s}) {
    fx.SetFormula(u"out"_s, f);
    EXPECT_EQ(GetItemValue(s, 0, true, fx.Item(u"out"_s), true), u"0"_s) << f;
  }
  // INDEX counts in the all-cards list, whatever is hidden.
  s.AllCard(2)->SetVisible(true);
  s.RebuildVisible();
  fx.SetFormula(u"out"_s, u"INDEX()"_s);
  EXPECT_EQ(fx.Value(0, u"out"_s), u"3"_s);
}

TEST(ItemFormula, CalcNullDecidesEmptyAndUnknownReferences) {
  struct {
    std::uint32_t calcNull;
    const char16_t* emptyX;   // 5*%[x] with x empty
    const char16_t* unknown;  // %[b]+%[nope]
  } const cases[] = {
      {0, u"計算式が誤っています", u"Err:計算式が誤っています（該当する項目なし）%[b]+%[nope]"},
      {1, u"0", u"1+%[nope]"},  // the text as far as it was expanded
      {2, u"", u""},
  };
  for (const auto& c : cases) {
    CFormulaFixture fx(kCards, c.calcNull);
    fx.SetFormula(u"out"_s, u"5*%[x]"_s);
    EXPECT_EQ(fx.Value(0, u"out"_s), QString::fromUtf16(c.emptyX)) << c.calcNull;
    EXPECT_EQ(fx.Value(1, u"out"_s), u"25"_s) << c.calcNull;
    fx.SetFormula(u"out"_s, u"%[b]+%[nope]"_s);
    EXPECT_EQ(fx.Value(0, u"out"_s), QString::fromUtf16(c.unknown)) << c.calcNull;
  }
}

TEST(ItemFormula, DisplayFlagGroupsDigitsWhereTheItemAsks) {
  CFormulaFixture fx(kCards);
  fx.SetFormula(u"out"_s, u"1000*1234.5"_s);
  EXPECT_EQ(fx.Value(0, u"out"_s, true), u"1234500"_s);
  fx.Record(u"out"_s).m_flags |= CItemProperty::kDigitGrouping;
  EXPECT_EQ(fx.Value(0, u"out"_s, true), u"1,234,500"_s);
  EXPECT_EQ(fx.Value(0, u"out"_s, false), u"1234500"_s);
  EXPECT_EQ(fx.store->GetItemValue(0, fx.Item(u"out"_s)), u"1,234,500"_s);  // what the views read
  fx.SetFormula(u"out"_s, u"STR(1234567)"_s);
  EXPECT_EQ(fx.Value(0, u"out"_s, true), u"1234567"_s);  // text results stay as they are
  // BEFORE reads the grouped value; the evaluator drops the commas again.
  fx.SetFormula(u"out"_s, u"BEFORE(%[out])+1000"_s);
  EXPECT_EQ(fx.Value(2, u"out"_s, true), u"3,000"_s);
  fx.SetFormula(u"out"_s, u"1/3"_s);
  EXPECT_EQ(fx.Value(0, u"out"_s, true), u"0.3333333333"_s);
}

TEST(ItemFormula, IsNumericText) {
  const std::pair<const char16_t*, bool> cases[] = {
      {u"", false},     {u"12", true},   {u"1,234.5", true}, {u"-3", true},   {u"+3", true},
      {u"\\500", true}, {u"1-2", false}, {u"--1", false},    {u" 1", false},  {u"1e3", false},
      {u"-", true},     {u"１", true},       {u"－１，０００", true}, {u"１ａ", false},
  };
  for (const auto& [text, numeric] : cases) EXPECT_EQ(IsNumericText(QString::fromUtf16(text)), numeric) << QString::fromUtf16(text);
  // Full-width digits count while System/WideDigits is on, as it is by default.
  SetWideDigitsAsNumbers(false);
  EXPECT_FALSE(IsNumericText(u"１"));
  SetWideDigitsAsNumbers(true);
}

TEST(ItemFormula, SelfReferenceAndCyclesShowTheCycleText) {
  CFormulaFixture fx(u"n,a,b,c,total\r\n1,,,,\r\n2,,,,\r\n3,,,,\r\n"_s);
  const QString cycle = kCircularReference.toString();
  struct {
    const char16_t* a;
    const char16_t* b;
    const char16_t* expectA;
    const char16_t* expectB;
  } const cases[] = {
      {u"%[a]+1", u"1", u"循環参照：計算式中に式項目の参照が含まれています", u"1"},
      {u"NUM(%[a])", u"1", u"循環参照：計算式中に式項目の参照が含まれています", u"1"},
      {u"before(%[a])+%[n]", u"1", u"3", u"1"},  // a running total is allowed, in any case
      {u"%[b]+1", u"%[a]*2", nullptr, nullptr},  // through references
      {u"SUM(%[b])", u"SUM(%[a])", nullptr, nullptr},
      {u"NUM(%[b])", u"NUM(%[a])", nullptr, nullptr},
      {u"AFTER(%[b])", u"BEFORE(%[a])", nullptr, nullptr},
      {u"%[b]", u"%[c]", nullptr, nullptr},  // c refers back to a below
  };
  fx.SetFormula(u"c"_s, u"%[a]"_s);
  for (const auto& c : cases) {
    fx.SetFormula(u"a"_s, QString::fromUtf16(c.a));
    fx.SetFormula(u"b"_s, QString::fromUtf16(c.b));
    const QString a = GetItemValue(*fx.store, 1, true, fx.Item(u"a"_s), true);
    const QString b = GetItemValue(*fx.store, 1, true, fx.Item(u"b"_s), true);
    const QString what = QString::fromUtf16(c.a) + u" / "_s + QString::fromUtf16(c.b);
    EXPECT_EQ(a, c.expectA ? QString::fromUtf16(c.expectA) : cycle) << what;
    EXPECT_EQ(b, c.expectB ? QString::fromUtf16(c.expectB) : cycle) << what;
  }
  // A stored text that holds its own reference, or doubles it, stops at once.
  fx.store->AllCard(0)->SetItem(fx.Item(u"n"_s), u"%[n]%[n]"_s);
  fx.SetFormula(u"a"_s, u"STR(%[n])"_s);
  EXPECT_EQ(GetItemValue(*fx.store, 0, true, fx.Item(u"a"_s), true), cycle);
  // So does one that doubles through a formula taking it in again (it used to
  // grow to the length limit first, a second for each value).
  fx.store->AllCard(0)->SetItem(fx.Item(u"n"_s), u"%[c]%[c]"_s);
  fx.SetFormula(u"c"_s, u"STR(%[n]"_s);
  EXPECT_EQ(GetItemValue(*fx.store, 0, true, fx.Item(u"c"_s), true), cycle);
  // A stored text that names other items is still read through.
  fx.SetFormula(u"c"_s, u"%[n]+1"_s);
  fx.store->AllCard(2)->SetItem(fx.Item(u"n"_s), u"%[total]*2"_s);
  fx.store->AllCard(2)->SetItem(fx.Item(u"total"_s), u"7"_s);
  EXPECT_EQ(GetItemValue(*fx.store, 2, true, fx.Item(u"c"_s), true), u"15"_s);
}

// Formula items that take in others: a chain that takes in each next item
// twice doubles its text with every step but is no cycle; three items in a
// ring are, and so is every item that takes the ring in. Over many cards, so
// that work repeated per card or per reference shows.
TEST(ItemFormula, ChainsAreComputedAndOnlyRingsAreCycles) {
  constexpr int kChain = 40;
  constexpr int kCards = 2000;
  QString header = u"n,r1,r2,r3,uses"_s;
  for (int i = 0; i < kChain; ++i) header += u",c%1"_s.arg(i);
  QString text = header + u"\r\n"_s;
  for (int k = 0; k < kCards; ++k) text += QString::number(k % 7) + QString(kChain + 4, u',') + u"\r\n"_s;
  CFormulaFixture fx(text);
  for (int i = 0; i + 1 < kChain; ++i) fx.SetFormula(u"c%1"_s.arg(i), u"%[c%1]+%[c%1]"_s.arg(i + 1));
  fx.SetFormula(u"c%1"_s.arg(kChain - 1), u"%[n]/4"_s);
  fx.SetFormula(u"r1"_s, u"%[r2]+1"_s);
  fx.SetFormula(u"r2"_s, u"%[r3]*2"_s);
  fx.SetFormula(u"r3"_s, u"%[r1]-%[n]"_s);
  fx.SetFormula(u"uses"_s, u"%[n]+%[r3]"_s);
  const QString cycle = kCircularReference.toString();
  for (int k = 0; k < kCards; ++k) {
    const double n = k % 7;
    EXPECT_EQ(fx.Value(k, u"c0"_s, false), FormatDouble(n / 4 * std::ldexp(1.0, kChain - 1), 10)) << k;
    EXPECT_EQ(fx.Value(k, u"c30"_s, false), FormatDouble(n / 4 * 512, 10)) << k;
    for (const QString& ring : {u"r1"_s, u"r2"_s, u"r3"_s, u"uses"_s}) EXPECT_EQ(fx.Value(k, ring), cycle) << k;
  }
  // Taken in as text, the formulas stand as written; a text that would pass
  // the limit is an error, not a cycle.
  fx.SetFormula(u"r1"_s, u"STR(%[c37])"_s);
  EXPECT_EQ(fx.Value(5, u"r1"_s), u"(((%1/4)+(%1/4))+((%1/4)+(%1/4)))"_s.arg(5));
  fx.SetFormula(u"r1"_s, u"STR(%[c0])"_s);
  EXPECT_EQ(fx.Value(5, u"r1"_s), kFormulaError.toString());
  // A number taken in reads back exactly; a formula whose parentheses do not
  // close is taken in as written, as before.
  const std::pair<const char16_t*, const char16_t*> taken[][2] = {
      {{u"1/3", u"%[r2]*3-1"}, {u"0", nullptr}},
      {{u"2^0.5", u"%[r2]*%[r2]-2"}, {u"0.0000000000000004440892099", nullptr}},
      {{u"(1+2", u"%[r2]*2)"}, {u"6", nullptr}},
  };
  for (const auto& row : taken) {
    fx.SetFormula(u"r2"_s, QString::fromUtf16(row[0].first));
    fx.SetFormula(u"r1"_s, QString::fromUtf16(row[0].second));
    EXPECT_EQ(fx.Value(0, u"r1"_s), QString::fromUtf16(row[1].first)) << QString::fromUtf16(row[0].second);
  }
}

TEST(ItemFormula, AbsurdCountsAnswerWithoutExhaustingMemory) {
  CFormulaFixture fx(u"n,out\r\nabc,\r\n"_s);
  const CCase cases[] = {
      {u"PAD(1,2000000000,x)", 0, u""},
      {u"PAD(1,-5,x)", 0, u"1"},
      {u"LEFT(%[n],2147483647)", 0, u"abc"},
      {u"MID(%[n],-2147483648,2147483647)", 0, u"abc"},
      {u"MID(%[n],2147483647,2)", 0, u""},
      {u"REPLACE(REPLACE(REPLACE(abc,c,cccccccccccccccc),c,cccccccccccccccc),c,cccccccccccccccc)", 0, nullptr},
      {u"WORKDAY(2010/9/6,10^300)", 0, u""},
      {u"LEFT(LEFT(LEFT(LEFT(LEFT(LEFT(LEFT(LEFT(LEFT(LEFT(abc,3),3),3),3),3),3),3),3),3),3)", 0, u"abc"},
  };
  for (const CCase& c : cases) {
    fx.SetFormula(u"out"_s, QString::fromUtf16(c.formula));
    const QString value = fx.Value(0, u"out"_s);
    if (c.expected) {
      EXPECT_EQ(value, QString::fromUtf16(c.expected)) << QString::fromUtf16(c.formula);
    } else {
      EXPECT_EQ(value.size(), 2 + 16 * 16 * 16) << QString::fromUtf16(c.formula);
    }
  }
  // A replacement that would grow beyond the limit gives an empty text result.
  QString huge = u"REPLACE(x"_s + QString(4000, u'a') + u",a,"_s + QString(4000, u'b') + u')';
  fx.SetFormula(u"out"_s, huge);
  EXPECT_EQ(fx.Value(0, u"out"_s), u""_s);
  // Calls nested beyond 64 levels stop the pass.
  QString deep = u"abc"_s;
  for (int i = 0; i < 100; ++i) deep = u"LEFT("_s + deep + u",3)"_s;
  fx.SetFormula(u"out"_s, u"STR("_s + deep + u')');
  EXPECT_TRUE(fx.Value(0, u"out"_s).startsWith(u"LEFT("_s));
}

// The text functions count characters: one outside the basic plane (a
// surrogate pair) counts once and is never cut in half, on the compiled path
// (a call over a reference) and the text path alike.
TEST(ItemFormula, TextFunctionsCountCharacters) {
  CFormulaFixture fx(u"name,n,out\r\nx,2,\r\n"_s);
  fx.store->AllCard(0)->SetItem(0, u"𠀋𩸽a𠮷"_s);
  const CCase cases[] = {
      {u"LEFT(%[name],1)", 0, u"𠀋"},       {u"LEFT(%[name],%[n])", 0, u"𠀋𩸽"},
      {u"RIGHT(%[name],1)", 0, u"𠮷"},      {u"RIGHT(%[name],2)", 0, u"a𠮷"},
      {u"MID(%[name],2,2)", 0, u"𩸽a"},     {u"MID(%[name],%[n])", 0, u"𩸽a𠮷"},
      {u"MID(%[name],4,9)", 0, u"𠮷"},      {u"LEFT(%[name],9)", 0, u"𠀋𩸽a𠮷"},
      {u"LEN(%[name])", 0, u"4"},           {u"PAD(%[name],6,-)", 0, u"--𠀋𩸽a𠮷"},
      {u"LEFT(𩸽x,1)", 0, u"𩸽"},          {u"RIGHT(STRADD(%[name],b),3)", 0, u"a𠮷b"},
  };
  for (const bool compiled : {true, false}) {
    UseCompiledFormulas(compiled);
    for (const CCase& c : cases) {
      fx.SetFormula(u"out"_s, QString::fromUtf16(c.formula));
      fx.store->SetValueCache(nullptr);
      EXPECT_EQ(fx.Value(c.card, u"out"_s), QString::fromUtf16(c.expected))
          << QString::fromUtf16(c.formula) << " compiled " << compiled;
    }
  }
  UseCompiledFormulas(true);
}

namespace {

// Runs fn on a thread with a small stack: a deep recursion would overflow it.
void OnSmallStack(std::function<void()> fn) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto body = [](void* p) -> void* {
    (*static_cast<std::function<void()>*>(p))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, &fn), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

}  // namespace

TEST(ItemFormula, RunningTotalOverManyCardsNeedsNoDeepRecursion) {
  constexpr int kCards = 200000;
  QString lines = u"amount,total\r\n"_s;
  for (int i = 1; i <= kCards; ++i) lines += QString::number(i % 7) + u",\r\n"_s;
  CFormulaFixture fx(lines);
  fx.SetFormula(u"total"_s, u"BEFORE(%[total])+%[amount]"_s);
  std::int64_t expected = 0;
  for (int i = 1; i <= kCards; ++i) expected += i % 7;
  QString last;
  OnSmallStack([&] { last = fx.Value(kCards - 1, u"total"_s, false); });
  EXPECT_EQ(last, QString::number(expected));
  // The same from the other end, through AFTER, and through the statistics.
  fx.SetFormula(u"total"_s, u"AFTER(%[total])+%[amount]"_s);
  OnSmallStack([&] { last = fx.Value(0, u"total"_s, false); });
  EXPECT_EQ(last, QString::number(expected));
  OnSmallStack([&] { last = QString::number(ComputeColumnStatistics(*fx.store, fx.Item(u"total"_s)).max, 'f', 0); });
  EXPECT_EQ(last, QString::number(expected));
}
