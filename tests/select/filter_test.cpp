#include "records/velum_select.h"
#include "select/filter.h"
#include "select/search_matcher.h"
#include "select/select_commands.h"
#include "select/select_messages.h"
#include "select_fixture.h"
#include "settings/settings.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kName = 0;
constexpr int kCity = 1;

}  // namespace

TEST(SearchCondition, MatchesTextsByConditionAndCase) {
  struct Case {
    int condition;
    const char16_t* word;
    const char16_t* text;
    bool ignoringCase, distinguishingCase;
  };
  const Case cases[] = {
      {kContains, u"abc", u"xxABCxx", true, false},
      {kContains, u"abc", u"xxabcxx", true, true},
      {kContains, u"", u"", true, true},
      {kEquals, u"abc", u"ABC", true, true},  // without regard to case in both settings
      {kEquals, u"abc", u"abcd", false, false},
      {kBeginsWith, u"東", u"東京都", true, true},
      {kBeginsWith, u"東京都港", u"東京都", false, false},
      {kEndsWith, u"ab", u"abab", true, true},
      {kEndsWith, u"AB", u"abab", true, false},
      {kGreaterThan, u"100", u"150", true, true},
      {kGreaterThan, u"100", u"1e3", true, true},
      {kGreaterThan, u"100", u"1,500", false, false},  // reads as 1
      {kGreaterThan, u"100", u"", false, false},
      {kGreaterThan, u"-1", u"", true, true},
      {kLessThan, u"100", u" 99.5x", true, true},
      {kGreaterThan, u"10", u"\\50", false, false},  // a yen sign is no number here
      {6, u"a", u"a", false, false},
      {-1, u"a", u"a", false, false},
  };
  for (const Case& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(CTextMatcher(c.condition, QString::fromUtf16(c.word), false).Matches(text), c.ignoringCase)
        << c.condition << " " << text;
    EXPECT_EQ(CTextMatcher(c.condition, QString::fromUtf16(c.word), true).Matches(text), c.distinguishingCase)
        << c.condition << " " << text;
  }
}

TEST_F(SelectTest, MatchCardMovesTheItemCursor) {
  Open(u"name|city|memo"_s, {u"東京|東京|x"_s});
  CCardStore& store = doc.Store();
  SetSearchRequest(store, {0, 1, 2}, kContains, u"東京"_s, 0);
  const CCardRow& card = *store.VisibleCard(0);
  EXPECT_EQ(MatchCard(store, card, true, +1), 1);
  EXPECT_EQ(store.SearchRequest().itemCursor, 0);
  EXPECT_EQ(MatchCard(store, card, false, +1), 1);
  EXPECT_EQ(store.SearchRequest().itemCursor, 1);
  EXPECT_EQ(MatchCard(store, card, false, +1), 0);
  EXPECT_EQ(store.SearchRequest().itemCursor, 3);
  EXPECT_EQ(MatchCard(store, card, true, -1), 1);
  EXPECT_EQ(store.SearchRequest().itemCursor, 1);
  // A new request keeps the cursor and the case flag.
  store.SearchRequest().caseFlag = 1;
  SetSearchRequest(store, {2}, kEquals, u"X"_s, 7);
  EXPECT_EQ(store.SearchRequest().itemCursor, 1);
  EXPECT_EQ(store.SearchRequest().caseFlag, 1u);
}

// Each row: the cards hidden before, method, word (contains, in name or
// city), the cards visible after and what was shown.
TEST_F(SelectTest, FilterCommandOutcomes) {
  const QStringList cards{u"a|東京"_s, u"b|大阪"_s, u"c|東京"_s, u"d|名古屋"_s, u"e|札幌"_s};
  struct Case {
    const char* what;
    QStringList hidden;
    int method;
    QString word;
    QStringList visible;
    QStringList shown;
    bool refreshed;
  };
  const QString all = select_msg::kAllCardsMatch, none = select_msg::kNotFound;
  const Case cases[] = {
      {"narrow from all", {}, kFromAllCards, u"東京"_s, {u"a"_s, u"c"_s}, {}, true},
      {"every card matches", {}, kFromAllCards, u""_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, {all}, false},
      {"no match", {}, kFromAllCards, u"福岡"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, {none}, false},
      {"method 0 replaces a filter", {u"a"_s, u"c"_s}, kFromAllCards, u"東京"_s, {u"a"_s, u"c"_s}, {}, true},
      {"method 0 without a match restores", {u"a"_s, u"c"_s}, kFromAllCards, u"福岡"_s,
       {u"b"_s, u"d"_s, u"e"_s}, {none}, false},
      {"method 0 matching all", {u"a"_s}, kFromAllCards, u""_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, {all}, true},
      {"and", {u"b"_s}, kNarrowCards, u"東京"_s, {u"a"_s, u"c"_s}, {}, true},
      {"and without a match ends the filter", {u"a"_s, u"c"_s}, kNarrowCards, u"東京"_s,
       {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, {none}, true},
      {"or", {u"a"_s, u"b"_s, u"c"_s}, kAddCards, u"東京"_s, {u"a"_s, u"c"_s, u"d"_s, u"e"_s}, {}, true},
      {"or without a match", {u"a"_s, u"c"_s}, kAddCards, u"福岡"_s, {u"b"_s, u"d"_s, u"e"_s}, {none}, false},
      {"or to every card", {u"a"_s}, kAddCards, u"東京"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, {all}, true},
      {"and while unfiltered is from all", {}, kNarrowCards, u"大阪"_s, {u"b"_s}, {}, true},
  };
  for (const Case& c : cases) {
    doc.OnNewDocument();
    doc.RemoveView(&view);
    Open(u"name|city"_s, cards);
    Hide(c.hidden);
    doc.MakeCurrent(1);
    doc.SetModifiedFlag(false);
    w.prompt.ClearHistory();
    view.hints.clear();
    FilterCommand(doc, {kName, kCity}, kContains, c.word, c.method);
    EXPECT_EQ(Visible(), c.visible) << c.what;
    EXPECT_EQ(Shown(), c.shown) << c.what;
    EXPECT_EQ(!view.hints.empty(), c.refreshed) << c.what;
    if (c.refreshed) EXPECT_EQ(doc.CurrentCard(), 0) << c.what;
    EXPECT_FALSE(doc.IsModified()) << c.what;
    EXPECT_EQ(w.prompt.WaitDepth(), 0);
  }
}

TEST_F(SelectTest, FilterUsesTheCaseFlagOfTheLastSearch) {
  Open(u"name"_s, {u"ABC"_s, u"abc"_s, u"x"_s});
  FilterCommand(doc, {kName}, kContains, u"abc"_s, kFromAllCards);
  EXPECT_EQ(Visible(), (QStringList{u"ABC"_s, u"abc"_s}));
  doc.Store().SearchRequest().caseFlag = 1;
  FilterCommand(doc, {kName}, kContains, u"abc"_s, kFromAllCards);
  EXPECT_EQ(Visible(), (QStringList{u"abc"_s}));
}

TEST_F(SelectTest, ComplementTwiceAndItsHistory) {
  Open(u"name"_s, {u"a"_s, u"b"_s, u"c"_s});
  WriteSetting(*w.settings, settings::kSearchMode, 3);
  EXPECT_FALSE(ComplementCommand(doc));  // nothing hidden: the menu entry is disabled
  Hide({u"b"_s});
  ASSERT_TRUE(ComplementCommand(doc));
  EXPECT_EQ(Visible(), (QStringList{u"b"_s}));
  ASSERT_TRUE(ComplementCommand(doc));
  EXPECT_EQ(Visible(), (QStringList{u"a"_s, u"c"_s}));
  EXPECT_EQ(Shown(), QStringList(2, select_msg::kComplementQuestion));
  const CObArray& history = doc.Store().FilterHistory().m_records;
  ASSERT_EQ(history.Size(), 2);
  EXPECT_EQ(history.As<CVelumSelect>(0)->m_kind, 1);
  EXPECT_EQ(history.As<CVelumSelect>(0)->m_condition, 3);  // a new record takes the settings
  EXPECT_EQ(view.hints, (std::vector<std::uint32_t>{hint::kWholeDocument, hint::kWholeDocument}));
  // Cancelled: nothing changes.
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(ComplementCommand(doc));
  EXPECT_EQ(Visible(), (QStringList{u"a"_s, u"c"_s}));
  // Opening a file empties the history.
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
  EXPECT_TRUE(doc.Store().FilterHistory().m_records.Empty());
}

TEST_F(SelectTest, ReleaseAndHide) {
  Open(u"name"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s});
  EXPECT_FALSE(ReleaseFilterCommand(doc));
  EXPECT_TRUE(Shown().isEmpty());
  // Unfiltered, hiding a card leaves the deck filtered.
  EXPECT_TRUE(HideCardsCommand(doc, {0}));
  EXPECT_EQ(Visible(), (QStringList{u"b"_s, u"c"_s, u"d"_s}));
  EXPECT_TRUE(CanReleaseFilter(doc));
  EXPECT_TRUE(HideCardsCommand(doc, {0, 2, 9}));
  EXPECT_EQ(Visible(), (QStringList{u"c"_s}));
  EXPECT_EQ(view.hints.back(), hint::kCardsDeleted);
  EXPECT_FALSE(HideCardsCommand(doc, {0}));  // one visible card: disabled
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(ReleaseFilterCommand(doc));
  EXPECT_EQ(Visible(), (QStringList{u"c"_s}));
  EXPECT_TRUE(ReleaseFilterCommand(doc));
  EXPECT_EQ(Visible(), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
  EXPECT_EQ(Shown(), QStringList(2, select_msg::kReleaseQuestion));
}

TEST_F(SelectTest, DiscardDeletesTheVisibleCards) {
  Open(u"name|memo"_s, {u"a|1"_s, u"b|2"_s, u"c|3"_s});
  doc.Store().Property(1).m_initialValue = u"新"_s;
  Hide({u"b"_s});
  ASSERT_TRUE(DiscardCommand(doc));
  EXPECT_EQ(All(), (QStringList{u"b"_s}));
  EXPECT_EQ(Visible(), (QStringList{u"b"_s}));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.hints.back(), hint::kCardsDeleted);
  ASSERT_TRUE(DiscardCommand(doc));
  EXPECT_EQ(All(1), (QStringList{u"新"_s}));  // one new card from the initial values
  EXPECT_EQ(Shown(), (QStringList{select_msg::kDiscardFilteredQuestion, select_msg::kDiscardQuestion}));
}

TEST_F(SelectTest, SelectSetApplyReplaysAndRecords) {
  Open(u"name|city"_s, {u"a|東京"_s, u"b|大阪"_s, u"c|東京"_s, u"d|名古屋"_s});
  CVelumSelectSet set;
  auto add = [&](int kind, int method, const QString& word) {
    auto r = std::make_unique<CVelumSelect>();
    r->m_kind = kind;
    r->m_method = method;
    r->m_word = word;
    r->m_items = {kCity};
    set.m_records.Append(std::move(r));
  };
  add(0, kFromAllCards, u"東京"_s);
  add(2, kNarrowCards, u"無"_s);
  add(0, kAddCards, u"大阪"_s);
  add(1, 0, {});
  EXPECT_EQ(set.Apply(doc.Store()), 1);
  EXPECT_EQ(Visible(), (QStringList{u"d"_s}));
  EXPECT_EQ(doc.Store().FilterHistory().m_records.Size(), 4);
  EXPECT_EQ(doc.Store().SearchRequest().word, u"大阪"_s);
  // The store's own history replayed onto itself ends, doubling it.
  CVelumSelectSet& own = doc.Store().FilterHistory();
  EXPECT_EQ(own.Apply(doc.Store()), 1);
  EXPECT_EQ(Visible(), (QStringList{u"d"_s}));
  EXPECT_EQ(own.m_records.Size(), 8);
}

TEST_F(SelectTest, FilterWordListIsSortedWithoutCaseAndDistinct) {
  Open(u"name|kind"_s, {u"1|b"_s, u"2|B"_s, u"3|a"_s, u"4|b"_s, u"5|"_s, u"6|A"_s});
  Hide({u"3"_s, u"6"_s});
  EXPECT_EQ(FilterWordList(doc.Store(), 1, false), (QStringList{u""_s, u"A"_s, u"a"_s, u"B"_s, u"b"_s}));
  EXPECT_EQ(FilterWordList(doc.Store(), 1, true), (QStringList{u""_s, u"B"_s, u"b"_s}));
  EXPECT_TRUE(FilterWordList(doc.Store(), 2, false).isEmpty());
  EXPECT_TRUE(FilterWordList(doc.Store(), -1, true).isEmpty());
}
