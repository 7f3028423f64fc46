#include "formula_fixture.h"

#include "core/card_file.h"

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QString Cards() {
  QString lines = u"amount,date,time,kind,total,sum,youbi,avg,num,idx,next,age,name\r\n"_s;
  for (int i = 0; i < 12; ++i)
    lines += QStringLiteral("%1,2010/9/%2,0:%3,%4,,,,,,,,,\r\n").arg(i * 10 + 5).arg(i + 10).arg(i + 10).arg(i % 3);
  return lines;
}

void SetFormulas(CFormulaFixture& fx) {
  fx.SetFormula(u"total"_s, u"BEFORE(%[total])+%[amount]"_s);
  fx.SetFormula(u"sum"_s, u"SUM(%[amount])"_s);
  fx.SetFormula(u"youbi"_s, u"YOUBI(%[date])"_s);
  fx.SetFormula(u"avg"_s, u"AVERAGE(%[total])"_s);
  fx.SetFormula(u"num"_s, u"NUM(%[total])*2+TIME(SUMTIME(%[time]))"_s);
  fx.SetFormula(u"idx"_s, u"STR(INDEX()-IFS(%[kind]=1,a,b))"_s);
  fx.SetFormula(u"next"_s, u"AFTER(%[total])-%[total]"_s);
  fx.SetFormula(u"age"_s, u"YEARS(%[date])"_s);
  fx.Record(u"total"_s).m_flags |= CItemProperty::kDigitGrouping;
}

// The remembered values, then the values of a fresh computation.
void ExpectFresh(CFormulaFixture& fx, const char* what) {
  const std::vector<QStringList> remembered = fx.AllValues();
  fx.store->SetValueCache(nullptr);
  EXPECT_EQ(remembered, fx.AllValues()) << what;
}

}  // namespace

TEST(FormulaCache, RememberedValuesEqualAFreshComputationAfterEveryChange) {
  CFormulaFixture fx(Cards());
  SetFormulas(fx);
  CCardStore& s = *fx.store;
  // A record reference taken before the values are remembered, written after.
  CItemProperty& sumRecord = s.Property(fx.Item(u"sum"_s));
  const int amount = fx.Item(u"amount"_s);
  const struct {
    const char* what;
    std::function<void()> change;
  } changes[] = {
      {"edit through the store", [&] { s.SetItemText(3, amount, u"1000"_s); }},
      {"edit through a card", [&] { s.AllCard(0)->SetItem(amount, u"7"_s); }},
      {"edit a date", [&] { s.AllCard(5)->SetItem(fx.Item(u"date"_s), u"2010/9/26"_s); }},
      {"insert a card", [&] {
         s.AddCard(2);
         s.SetItemText(2, amount, u"3"_s);
       }},
      {"insert a copy", [&] { s.InsertCopyAt(0, *s.AllCard(4)); }},
      {"append a card", [&] {
         s.AppendEmptyCard();
         s.SetItemText(s.VisibleCount() - 1, amount, u"4"_s);
       }},
      {"delete a card", [&] { s.DeleteCard(1); }},
      {"sort", [&] {
         std::reverse(s.AllCards().begin(), s.AllCards().end());
         s.RebuildVisible();
       }},
      {"filter", [&] {
         for (int k = 0; k < s.AllCount(); k += 3) s.AllCard(k)->SetVisible(false);
         s.RebuildVisible();
       }},
      {"release the filter", [&] {
         for (int k = 0; k < s.AllCount(); ++k) s.AllCard(k)->SetVisible(true);
         s.RebuildVisible();
       }},
      {"change a formula", [&] { sumRecord.m_formula = u"MAXITEM(%[amount])"_s; }},
      {"change grouping", [&] { sumRecord.m_flags |= CItemProperty::kDigitGrouping; }},
      {"rename an item", [&] { s.CCardRow::SetItem(amount, u"amt"_s); }},
      {"rename it back", [&] { s.CCardRow::SetItem(amount, u"amount"_s); }},
      {"insert an item", [&] {
         s.InsertEmptyItem(0);
         for (auto& card : s.AllCards()) card->InsertEmptyItem(0);
       }},
      {"delete an item", [&] {
         s.DeleteItem(0);
         for (auto& card : s.AllCards()) card->DeleteItem(0);
       }},
      {"a formula item becomes standard", [&] { fx.SetFormula(u"youbi"_s, QString()); }},
      {"the next day", [&] { fx.world.clock.Set(QDateTime(QDate(2024, 9, 20), QTime(0, 0), Qt::LocalTime)); }},
      {"store every value", [&] { s.RecalcAll(); }},
  };
  for (const auto& c : changes) {
    const std::vector<QStringList> before = fx.AllValues();
    c.change();
    const std::vector<QStringList> after = fx.AllValues();
    if (std::string_view(c.what) != "store every value") {
      EXPECT_NE(before, after) << c.what << " changed nothing";
    }
    ExpectFresh(fx, c.what);
  }
}

TEST(FormulaCache, RecalcAllStoresWhatACardByCardComputationGives) {
  // num reads SUMTIME over time, which is itself computed: storing a value of
  // time changes num on the later cards, card by card.
  const QString lines = Cards();
  CFormulaFixture fast(lines);
  CFormulaFixture slow(lines);
  for (CFormulaFixture* fx : {&fast, &slow}) {
    SetFormulas(*fx);
    fx->SetFormula(u"time"_s, u"STR(0:%[amount])"_s);
    fx->SetFormula(u"name"_s, u"STRADD(%[kind],SUMTIME(%[time]))"_s);
    fx->store->AllCard(2)->SetVisible(false);
    fx->store->RebuildVisible();
  }
  fast.store->RecalcAll();
  CCardStore& s = *slow.store;
  for (int k = 0; k < s.AllCount(); ++k)
    for (int i = 0; i < s.ItemCount(); ++i) {
      if (!IsFormulaOrLinked(s.Property(i))) continue;
      s.SetValueCache(nullptr);
      s.AllCard(k)->SetItem(i, GetItemValue(s, k, true, i, true));
    }
  EXPECT_EQ(CardTexts(*fast.store), CardTexts(s));
  EXPECT_EQ(fast.store->AllCard(2)->Item(fast.Item(u"total"_s)).toString(), u"45"_s);  // hidden cards too
  EXPECT_NE(fast.store->AllCard(0)->Item(fast.Item(u"name"_s)), fast.store->AllCard(11)->Item(fast.Item(u"name"_s)));
  // Storing changed nothing that is shown.
  const std::vector<QStringList> shown = fast.AllValues();
  fast.store->SetValueCache(nullptr);
  EXPECT_EQ(shown, fast.AllValues());
}

TEST(FormulaCache, ViewsAddCardAndSaveUseTheInstalledFormulas) {
  CFormulaFixture fx(Cards());
  SetFormulas(fx);
  CCardStore& s = *fx.store;
  EXPECT_EQ(s.GetItemValue(1, fx.Item(u"total"_s)), u"20"_s);
  EXPECT_EQ(s.GetItemValue(11, fx.Item(u"total"_s)), u"720"_s);
  s.Property(fx.Item(u"amount"_s)).m_initialValue = u"before()"_s;
  s.Property(fx.Item(u"total"_s)).m_initialValue = u"Before()"_s;
  ASSERT_TRUE(s.AddCard(-1));
  EXPECT_EQ(s.AllCard(12)->Item(fx.Item(u"amount"_s)).toString(), u"115"_s);
  EXPECT_EQ(s.AllCard(12)->Item(fx.Item(u"total"_s)).toString(), u"720"_s);  // the value shown, grouped: 720
  ASSERT_EQ(s.Write(fx.world.Path(u"out.csv"_s)), 1);
  CCardStore back(*fx.world.services);
  ASSERT_EQ(back.Read(fx.world.Path(u"out.csv"_s)), 1);
  EXPECT_EQ(back.AllCard(12)->Item(fx.Item(u"total"_s)).toString(), u"835"_s);
  EXPECT_EQ(back.AllCard(11)->Item(fx.Item(u"youbi"_s)).toString(), u"火"_s);  // 2010/9/21
}

// A running total keeps its whole numbers as numbers and other values as
// texts: across signs, the largest whole numbers written without an exponent,
// fractions between them and edits that drop and pack the remembered texts,
// every value equals a fresh computation, read forward and backward.
TEST(FormulaCache, WholeAndFractionalRunningTotalsEqualAFreshComputation) {
  const QString amounts[] = {u"499999999999999"_s, u"-999999999999999"_s, u"1"_s,      u"0.5"_s, u"-0.5"_s,
                             u"-1"_s,              u"250000000000000.25"_s, u"0"_s, u"-0"_s,  u"12"_s};
  QString lines = u"amount,total,plain\r\n"_s;
  for (int k = 0; k < 3000; ++k) lines += amounts[(k * 7 + k / 10) % std::size(amounts)] + u",,\r\n"_s;
  CFormulaFixture fx(lines);
  fx.SetFormula(u"total"_s, u"BEFORE(%[total])+%[amount]"_s);
  fx.SetFormula(u"plain"_s, u"%[total]*1"_s);
  CCardStore& s = *fx.store;
  const int amount = fx.Item(u"amount"_s);
  for (int round = 0; round < 6; ++round) {
    const std::vector<QStringList> remembered = fx.AllValues();
    s.SetValueCache(nullptr);
    const std::vector<QStringList> backward = fx.AllValues(true);
    s.SetValueCache(nullptr);
    EXPECT_EQ(remembered, fx.AllValues()) << round;
    EXPECT_EQ(backward, remembered) << round;
    // Edits far apart drop thousands of remembered texts at a time.
    s.SetItemText(round * 400 + 1, amount, round % 2 ? u"0.25"_s : u"3"_s);
    s.SetItemText(2999 - round * 300, amount, u"-7"_s);
  }
  EXPECT_EQ(fx.Value(0, u"total"_s, false), u"499999999999999"_s);
}
