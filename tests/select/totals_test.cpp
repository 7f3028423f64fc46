#include "core/edit_messages.h"
#include "select/select_commands.h"
#include "select/totals.h"
#include "select_fixture.h"

using namespace Qt::StringLiterals;

namespace {

using Fields = std::array<QString, kTotalsFieldCount>;

}  // namespace

TEST_F(SelectTest, CountsByFrequencyOverTheVisibleCards) {
  Open(u"id|city"_s, {u"1|東京"_s, u"2|大阪"_s, u"3|東京"_s, u"4|東京"_s, u"5|大阪"_s, u"6|名古屋"_s, u"7|Tokyo"_s,
                      u"8|TOKYO"_s, u"9|"_s, u"10|"_s});
  auto counts = CountCommand(doc, 1);
  ASSERT_TRUE(counts);
  EXPECT_EQ(counts->total, 10);
  EXPECT_EQ(CountLines(*counts), (QStringList{u"   3  東京"_s, u"   2  大阪"_s, u"   2  "_s, u"   1  名古屋"_s,
                                              u"   1  Tokyo"_s, u"   1  TOKYO"_s}));
  Hide({u"1"_s, u"2"_s, u"7"_s, u"9"_s, u"10"_s});
  counts = CountCommand(doc, 1);
  EXPECT_EQ(counts->total, 5);
  EXPECT_EQ(CountLines(*counts), (QStringList{u"   2  東京"_s, u"   1  大阪"_s, u"   1  名古屋"_s, u"   1  TOKYO"_s}));
  EXPECT_EQ(view.stores, 2);
}

TEST_F(SelectTest, TotalsOfTheValidNumbers) {
  struct Case {
    QStringList texts;
    Fields expected;
  };
  const Case cases[] = {
      {{u"abc"_s, u"1,000"_s, u"\\2,500"_s, u""_s},
       {u"v"_s, u"3,500"_s, u"1,750"_s, u"2,500"_s, u"1,000"_s, u"562,500"_s, u"750"_s, u"2"_s}},
      {{u"1,200,000"_s, u"34,567.5"_s},
       {u"v"_s, u"1,234,567.5"_s, u"617,283.75"_s, u"1,200,000"_s, u"34,567.5"_s, u"339,558,228,014"_s,
        u"582,716.25"_s, u"2"_s}},
      {{u"-5"_s, u"-"_s, u"12kg"_s, u" 5"_s, u"1e3"_s, u"+3"_s},  // a lone minus is a number (0)
       {u"v"_s, u"-2"_s, u"-0.6666666667"_s, u"3"_s, u"-5"_s, u"10.88888889"_s, u"3.299831646"_s, u"3"_s}},
      {{u"0.3"_s, u"0.3"_s, u"0.3"_s, u"0.3"_s, u"0.3"_s},  // rounding makes the variance negative: read as 0
       {u"v"_s, u"1.5"_s, u"0.3"_s, u"0.3"_s, u"0.3"_s, u"0"_s, u"0"_s, u"5"_s}},
      {{u"abc"_s, u""_s}, {u"v"_s, u"0"_s, {}, {}, {}, {}, {}, u"0"_s}},
      // Large sums keep every integer digit.
      {{u"12,345,678,901"_s, u"0"_s},
       {u"v"_s, u"12,345,678,901"_s, u"6,172,839,450"_s, u"12,345,678,901"_s, u"0"_s, u"3.810394688e+19"_s, u"6,172,839,450"_s, u"2"_s}},
      {{u"0.1"_s, u"0.1"_s, u"0.1"_s}, {u"v"_s, u"0.3"_s, u"0.1"_s, u"0.1"_s, u"0.1"_s, u"0"_s, u"0"_s, u"3"_s}},
  };
  for (const Case& c : cases) {
    OpenValues(c.texts);
    const auto fields = TotalsCommand(doc, 1);
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields, c.expected) << c.texts.join(u' ');
  }
}

TEST_F(SelectTest, TotalsOverSelectedOrVisibleCards) {
  Open(u"id|v"_s, {u"a|1"_s, u"b|2"_s, u"c|4"_s, u"d|8"_s, u"e|16"_s});
  // One selected card is no selection: every visible card.
  view.selected = {1};
  EXPECT_EQ((*TotalsCommand(doc, 1))[1], u"31"_s);
  view.selected = {0, 2, 3};
  EXPECT_EQ((*TotalsCommand(doc, 1))[1], u"13"_s);
  view.selected.clear();
  Hide({u"a"_s, u"e"_s});
  const Fields f = *TotalsCommand(doc, 1);
  EXPECT_EQ(f[1], u"14"_s);
  EXPECT_EQ(f[7], u"3"_s);
  // Cards given directly; numbers that name no visible card are passed over.
  EXPECT_EQ((*TotalsCommand(doc, 1, {0, 2, 7, -1}))[1], u"10"_s);
}

TEST_F(SelectTest, SummariesWithoutAnItemAsk) {
  Open(u"id"_s, {u"a"_s});
  EXPECT_FALSE(CountCommand(doc, -1));
  EXPECT_FALSE(TotalsCommand(doc, 1));
  EXPECT_EQ(Shown(), QStringList(2, edit_msg::kSelectItem));
}

// The status bar's sum: an item whose shown texts are all numbers or blank.
TEST_F(SelectTest, StatusSumOnlyForAnItemOfNumbers) {
  struct Case {
    QStringList texts;
    std::optional<double> sum;
  };
  const Case cases[] = {
      {{u"1,000"_s, u"\\2,500"_s, u""_s, u"  "_s}, 3500},
      {{u"-5"_s, u"+3"_s, u"0.5"_s}, -1.5},
      {{u"1000"_s, u"abc"_s}, std::nullopt},                 // a name among the numbers
      {{u"100-0001"_s, u"100-0002"_s}, std::nullopt},         // postal codes
      {{u"1980/4/1"_s, u"03-1234-5601"_s}, std::nullopt},     // dates, telephone numbers
      {{u""_s, u""_s}, std::nullopt},                         // nothing entered yet
  };
  for (const Case& c : cases) {
    OpenValues(c.texts);
    const std::optional<CTotals> totals = NumberItemTotals(doc.Store(), 1);
    ASSERT_EQ(totals.has_value(), c.sum.has_value()) << c.texts.join(u' ').toStdString();
    if (totals) EXPECT_EQ(totals->sum, *c.sum) << c.texts.join(u' ').toStdString();
  }
  EXPECT_FALSE(NumberItemTotals(doc.Store(), 2));
  EXPECT_FALSE(NumberItemTotals(doc.Store(), -1));

  // Hidden cards are left out, a name among them included; a formula item
  // shows nothing, its stored texts being those of the last recalculation.
  doc.OnNewDocument();
  doc.RemoveView(&view);
  Open(u"id|v"_s, {u"a|10"_s, u"b|name"_s, u"c|32"_s});
  EXPECT_FALSE(NumberItemTotals(doc.Store(), 1));
  Hide({u"b"_s});
  EXPECT_EQ(NumberItemTotals(doc.Store(), 1)->sum, 42);
  doc.Store().Property(1).m_formula = u"1+1"_s;
  EXPECT_FALSE(NumberItemTotals(doc.Store(), 1));
}
