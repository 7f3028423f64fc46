#include "formula/item_formula.h"
#include "records/velum_set.h"
#include "select/filter.h"
#include "select/select_commands.h"
#include "select/sort.h"
#include "select_fixture.h"

#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

CCardRow Card(const QString& text, int mark = 0, int position = 0) {
  CCardRow row;
  row.MakeEmpty(1);
  row.SetItem(0, text);
  row.SetMark(mark);
  row.SetPosition(position);
  return row;
}

int Sign(int v) { return (v > 0) - (v < 0); }

CVelumSortArray Keys(std::initializer_list<CVelumSort> keys) {
  CVelumSortArray a;
  a.m_keys = keys;
  return a;
}

}  // namespace

TEST_F(SelectTest, CompareCardsByTextNumberAndMark) {
  Open(u"v"_s, {u"x"_s});
  CCardStore& store = doc.Store();
  struct Case {
    QString a, b;
    int order, expected;
  };
  const Case cases[] = {
      {u"abc"_s, u"ABC"_s, 0, 0},       // letters without regard to case
      {u"ab"_s, u"abc"_s, 0, -1},       // a leading part first
      {u"ab"_s, u"abc"_s, 2, 1},        // descending exchanges the texts
      {u"_"_s, u"A"_s, 0, -1},          // A is lowered before the code units compare
      {u"あ"_s, u"ア"_s, 0, -1},        // hiragana before katakana, by code
      {u"Ａ"_s, u"a"_s, 0, 1},          // full width is no folding
      {u"999"_s, u"1,000"_s, 1, -1},    // commas dropped
      {u"1,000"_s, u"\\2,500"_s, 1, -1},  // a leading yen sign skipped
      {u"abc"_s, u""_s, 1, 0},          // no number reads as 0
      {u"12kg"_s, u"12"_s, 1, 0},
      {u"12kg"_s, u"11"_s, 3, -1},      // number descending
      {u"1e3"_s, u"999"_s, 1, 1},
  };
  for (const Case& c : cases) {
    store.SortKeys().m_keys = {CVelumSort(0, c.order)};
    EXPECT_EQ(Sign(CompareCards(store, Card(c.a), Card(c.b))), c.expected) << c.a << " / " << c.b << " " << c.order;
  }
  // Equal on every key: the positions decide; no keys at all likewise.
  store.SortKeys().m_keys = {CVelumSort(0, 0)};
  EXPECT_GT(CompareCards(store, Card(u"x"_s, 0, 3), Card(u"X"_s, 0, 1)), 0);
  store.SortKeys().m_keys.clear();
  EXPECT_LT(CompareCards(store, Card(u"z"_s, 0, 0), Card(u"a"_s, 0, 1)), 0);
  // The mark is the item numbered as the item count.
  store.SortKeys().m_keys = {CVelumSort(1, 0)};
  EXPECT_GT(CompareCards(store, Card(u"a"_s, 1), Card(u"b"_s, 0)), 0);
  store.SortKeys().m_keys = {CVelumSort(1, 3)};
  EXPECT_LT(CompareCards(store, Card(u"a"_s, 1), Card(u"b"_s, 0)), 0);
  // Keys naming no item or no order are passed over.
  store.SortKeys().m_keys = {CVelumSort(2, 0), CVelumSort(-1, 0), CVelumSort(0, 4), CVelumSort(0, 0)};
  EXPECT_LT(CompareCards(store, Card(u"a"_s), Card(u"b"_s)), 0);
}

TEST_F(SelectTest, EqualCardsKeepTheirVisibleOrder) {
  Open(u"name|kind"_s, {u"1|b"_s, u"2|A"_s, u"3|a"_s, u"4|B"_s, u"5|a"_s, u"6|b"_s, u"7|c"_s});
  SortByItem(doc.Store(), 1, kTextAscending);
  EXPECT_EQ(All(), (QStringList{u"2"_s, u"3"_s, u"5"_s, u"1"_s, u"4"_s, u"6"_s, u"7"_s}));
  // Sorting again by a second key keeps the order of the first among equals.
  SortByItem(doc.Store(), 1, kTextDescending);
  EXPECT_EQ(All(), (QStringList{u"7"_s, u"1"_s, u"4"_s, u"6"_s, u"2"_s, u"3"_s, u"5"_s}));
}

TEST_F(SelectTest, SortingWhileFilteredOrdersTheHiddenCardsToo) {
  Open(u"name|n"_s, {u"e|5"_s, u"d|4"_s, u"c|3"_s, u"b|2"_s, u"a|1"_s});
  Hide({u"d"_s, u"b"_s});
  SortByKeys(doc.Store(), Keys({CVelumSort(1, kNumberAscending)}));
  EXPECT_EQ(Visible(), (QStringList{u"a"_s, u"c"_s, u"e"_s}));
  EXPECT_EQ(All(), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}));
  ShowAllCards(doc.Store());
  EXPECT_EQ(Visible(), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}));
  // The visible cards' positions were recorded afresh; the hidden ones kept theirs.
  EXPECT_EQ(doc.Store().AllCard(2)->Position(), 1);
}

// On random decks the sort gives the order a plain stable sort under
// CompareCards gives: texts that share long beginnings and differ in case,
// Japanese texts in both orders and in よみ順, numbers written differently,
// marks below and above zero, hidden cards whose positions tie.
TEST_F(SelectTest, SortMatchesAPlainSortUnderCompareCardsOnRandomDecks) {
  const QStringList words{u"a"_s,          u"A"_s,         u"ab"_s,          u"Ab"_s,          u"1,000"_s,
                          u"1000"_s,       u"\\1000"_s,  u"99"_s,          u""_s,            u"x"_s,
                          u"ア"_s,         u"あ"_s,        u"-5"_s,          u"1e2"_s,         u"-0"_s,
                          u"0"_s,          u"abcdefgh"_s,  u"abcdefghi"_s,   u"ABCDEFGHij"_s,  u"abcdefg"_s,
                          u"東京都千代田区"_s, u"東京都千代田区丸の内"_s, u"とうきょう"_s, u"トウキョウ"_s, u"山田太郎"_s,
                          u"やまだ"_s,     u"ヤマダ　タロウ"_s, u"１２３"_s,  u"Ω"_s,            u"ω"_s};
  QRandomGenerator rng(7);
  for (int deck = 0; deck < 12; ++deck) {
    QStringList cards;
    const int count = 1 + int(rng.bounded(300));
    for (int i = 0; i < count; ++i) {
      QStringList items{QString::number(i)};
      for (int j = 0; j < 3; ++j) items << words[rng.bounded(words.size())];
      cards << items.join(u'|');
    }
    Open(u"id|p|q|r"_s, cards);
    CCardStore& store = doc.Store();
    for (int k = 0; k < store.AllCount(); ++k) {
      store.AllCard(k)->SetMark(int(rng.bounded(5)) - 2);
      store.AllCard(k)->SetVisible(rng.bounded(4) != 0);
    }
    store.RebuildVisible();
    std::vector<CVelumSort> keys;
    const int keyCount = 1 + int(rng.bounded(3));
    for (int j = 0; j < keyCount; ++j) keys.emplace_back(1 + int(rng.bounded(4)), int(rng.bounded(kSortOrderCount)));
    CVelumSortArray keyArray;
    keyArray.m_keys = keys;

    for (int n = 0; n < store.VisibleCount(); ++n) store.VisibleCard(n)->SetPosition(n);
    std::vector<CCardRow*> expected;
    for (int k = 0; k < store.AllCount(); ++k) expected.push_back(store.AllCard(k));
    store.SortKeys() = keyArray;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const CCardRow* a, const CCardRow* b) { return CompareCards(store, *a, *b) < 0; });
    std::vector<std::uint32_t> made;
    SortByKeys(store, keyArray, &made);
    std::vector<CCardRow*> actual;
    for (int k = 0; k < store.AllCount(); ++k) actual.push_back(store.AllCard(k));
    ASSERT_TRUE(actual == expected) << "deck " << deck;
    ASSERT_EQ(made.size(), actual.size());
  }
}

TEST_F(SelectTest, UnusableKeysAndNoKeysKeepTheVisibleOrder) {
  Open(u"name"_s, {u"c"_s, u"a"_s, u"b"_s});
  SortByKeys(doc.Store(), Keys({CVelumSort(5, 0), CVelumSort(0, 9), CVelumSort(-1, 1)}));
  EXPECT_EQ(All(), (QStringList{u"c"_s, u"a"_s, u"b"_s}));
  SortByKeys(doc.Store(), {});
  EXPECT_EQ(All(), (QStringList{u"c"_s, u"a"_s, u"b"_s}));
  // The store keeps the keys as given, unusable ones too.
  SortByKeys(doc.Store(), Keys({CVelumSort(5, 0)}));
  EXPECT_EQ(doc.Store().SortKeys().m_keys.size(), 1u);
}

TEST_F(SelectTest, SortCommandLeavesTheModifiedFlagAndShowsTheFirstCard) {
  Open(u"name"_s, {u"c"_s, u"a"_s, u"b"_s});
  for (bool modified : {false, true}) {
    doc.SetModifiedFlag(modified);
    doc.MakeCurrent(2);
    view.hints.clear();
    SortCommand(doc, 0, modified ? kTextDescending : kTextAscending);
    EXPECT_EQ(doc.IsModified(), modified);
    EXPECT_EQ(doc.CurrentCard(), 0);
    EXPECT_EQ(view.hints, std::vector<std::uint32_t>{hint::kWholeDocument});
  }
  EXPECT_EQ(All(), (QStringList{u"c"_s, u"b"_s, u"a"_s}));
  EXPECT_EQ(view.stores, 2);
}

TEST_F(SelectTest, MarkKeyAndSortSetApply) {
  Open(u"name"_s, {u"a"_s, u"b"_s, u"c"_s});
  doc.Store().AllCard(1)->SetMark(1);
  CVelumSortSet set;
  set.m_keys = Keys({CVelumSort(1, kTextDescending), CVelumSort(0, kTextDescending)});
  EXPECT_EQ(set.Apply(doc.Store()), 1);
  EXPECT_EQ(All(), (QStringList{u"b"_s, u"c"_s, u"a"_s}));
  EXPECT_TRUE(doc.Store().SortKeys() == set.m_keys);
  EXPECT_EQ(SortKeyLabel(doc.Store(), set.m_keys.m_keys[0]), u"[マーク] 文字（降順）"_s);
  EXPECT_EQ(SortKeyLabel(doc.Store(), CVelumSort(0, 3)), u"name 数字（降順）"_s);
}

TEST_F(SelectTest, SortOnAFormulaItemRecomputesFirst) {
  InstallItemFormulas();
  Open(u"name|price|neg"_s, {u"a|1|"_s, u"b|3|"_s, u"c|2|"_s});
  doc.Store().Property(2).m_formula = u"%[price]*-1"_s;
  SortByItem(doc.Store(), 2, kNumberAscending);
  EXPECT_EQ(All(), (QStringList{u"b"_s, u"c"_s, u"a"_s}));
  EXPECT_EQ(All(2), (QStringList{u"-3"_s, u"-2"_s, u"-1"_s}));
  // A formula on a later key refreshes as well.
  doc.Store().AllCard(0)->SetItem(2, u"9"_s);
  SortByKeys(doc.Store(), Keys({CVelumSort(0, kTextAscending), CVelumSort(2, kNumberAscending)}));
  EXPECT_EQ(All(2), (QStringList{u"-1"_s, u"-3"_s, u"-2"_s}));
}
