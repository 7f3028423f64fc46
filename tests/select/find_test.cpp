#include "select/filter.h"
#include "select/find.h"
#include "select/select_commands.h"
#include "select/select_messages.h"
#include "select_fixture.h"
#include "settings/settings.h"

using namespace Qt::StringLiterals;

namespace {

struct CStep {
  const char* command;  // "find", "next", "prev" or "card N"
  int card, item;       // what was found; card -1: not found
};

}  // namespace

TEST_F(SelectTest, FindNextInsideOneCardThenOnward) {
  Open(u"name|city"_s, {u"x|y"_s, u"東京|東京"_s, u"z|w"_s, u"東京駅|q"_s});
  doc.MakeCurrent(3);  // 検索 starts at the first card whatever the current card
  const CStep steps[] = {
      {"find", 1, 0}, {"next", 1, 1}, {"next", 3, 0}, {"next", -1, -1}, {"prev", 3, 0},
      {"prev", 1, 1}, {"prev", 1, 0}, {"prev", -1, -1},
  };
  for (const CStep& s : steps) {
    w.prompt.ClearHistory();
    const int before = doc.CurrentCard();
    CFoundCard f;
    if (s.command == std::string_view("find"))
      f = SearchCommand(doc, {0, 1}, kContains, u"東京"_s, false);
    else if (s.command == std::string_view("next"))
      f = NextSearchCommand(doc);
    else
      f = PrevSearchCommand(doc);
    EXPECT_EQ(f.card, s.card) << s.command;
    EXPECT_EQ(f.item, s.item) << s.command;
    EXPECT_EQ(doc.CurrentCard(), s.card >= 0 ? s.card : before) << s.command;
    EXPECT_EQ(Shown(), s.card >= 0 ? QStringList() : QStringList{select_msg::kNotFound}) << s.command;
    if (s.card >= 0) EXPECT_EQ(view.hints.back(), hint::kSearchFound);
  }
}

TEST_F(SelectTest, NextContinuesAfterTheRememberedItemInAnotherCard) {
  Open(u"a|b|c"_s, {u"k|k|x"_s, u"k|x|x"_s, u"x|x|k"_s});
  EXPECT_EQ(SearchCommand(doc, {0, 1, 2}, kEquals, u"K"_s, false).item, 0);
  EXPECT_EQ(NextSearchCommand(doc).item, 1);
  // By hand to card 2: the search goes on there after item 1.
  doc.MakeCurrent(2);
  const CFoundCard f = NextSearchCommand(doc);
  EXPECT_EQ(f.card, 2);
  EXPECT_EQ(f.item, 2);
  // By hand to card 1, whose only match lies before the cursor: passed over.
  doc.MakeCurrent(1);
  EXPECT_EQ(NextSearchCommand(doc).card, 2);
}

TEST_F(SelectTest, SearchHistoryPutsTheWordInFront) {
  Open(u"name"_s, {u"a"_s});
  for (int i = 0; i < kSearchHistorySize; ++i)
    w.settings->WriteProfileString(u"Search"_s, settings::SearchHistoryName(i), u"w%1"_s.arg(i));
  w.settings->WriteProfileString(u"Search"_s, u"Str01"_s, u"東京"_s);
  w.settings->WriteProfileString(u"Search"_s, u"Str03"_s, u"東京"_s);

  SearchCommand(doc, {0}, kContains, u"東京"_s, false);
  QStringList h = ReadSearchHistory(*w.settings);
  EXPECT_EQ(h.mid(0, 5), (QStringList{u"東京"_s, u"w0"_s, u"w2"_s, u"東京"_s, u"w4"_s}));  // only the first goes
  EXPECT_EQ(h.size(), kSearchHistorySize);
  EXPECT_EQ(h.last(), u"w19"_s);

  SearchCommand(doc, {0}, kContains, u"新"_s, false);
  h = ReadSearchHistory(*w.settings);
  EXPECT_EQ(h.mid(0, 3), (QStringList{u"新"_s, u"東京"_s, u"w0"_s}));
  EXPECT_EQ(h.last(), u"w18"_s);  // the twentieth is pushed out
  EXPECT_EQ(w.settings->GetProfileString(u"search"_s, u"STR19"_s, {}), u"w18"_s);
}

TEST_F(SelectTest, TheSearchCaseFlagIsStoredAndKept) {
  Open(u"name"_s, {u"ABC"_s, u"abc"_s});
  EXPECT_EQ(SearchCommand(doc, {0}, kContains, u"abc"_s, true).card, 1);
  EXPECT_EQ(ReadSetting(*w.settings, settings::kISearch), 1u);
  EXPECT_EQ(doc.Store().SearchRequest().caseFlag, 1u);
  // The filter keeps the search's case flag.
  FilterCommand(doc, {0}, kContains, u"ABC"_s, kFromAllCards);
  EXPECT_EQ(Visible(), (QStringList{u"ABC"_s}));
  ShowAllCards(doc.Store());
  EXPECT_EQ(SearchCommand(doc, {0}, kContains, u"abc"_s, false).card, 0);
  EXPECT_EQ(ReadSetting(*w.settings, settings::kISearch), 0u);
}

TEST_F(SelectTest, NextAfterAFilterFindsTheFiltersWord) {
  Open(u"name|city"_s, {u"a|東京"_s, u"b|大阪"_s, u"c|東京"_s, u"d|大阪"_s});
  FilterCommand(doc, {1}, kContains, u"大阪"_s, kFromAllCards);
  ShowAllCards(doc.Store());
  doc.MakeCurrent(0);
  EXPECT_EQ(NextSearchCommand(doc).card, 1);
  EXPECT_EQ(NextSearchCommand(doc).card, 3);
}

TEST_F(SelectTest, IncrementalSearchRefinesFromTheStart) {
  Open(u"name"_s, {u"xa"_s, u""_s, u"AB"_s, u"b"_s, u"zab"_s, u"ab"_s});
  CIncrementalSearch search;
  struct Step {
    QString text;
    int again, current, expected;
  };
  const Step steps[] = {
      {u"a"_s, 0, 0, 0},   {u"ab"_s, 0, 0, 2},  // refines from the same start, without regard to case
      {u"ab"_s, 1, 2, 4},  {u"ab"_s, 1, 4, 5},  {u"ab"_s, 1, 5, -1},  // 次候補; no wrap
      {u""_s, 0, 5, 0},    {u"b"_s, 0, 0, 2},   // emptied: from the top; an empty card text never matches
  };
  for (const Step& s : steps) {
    const int card = IncrementalSearchCommand(doc, search, 0, s.text, s.again, s.current);
    EXPECT_EQ(card, s.expected) << s.text << " " << s.again;
    if (card >= 0) EXPECT_EQ(doc.CurrentCard(), card);
  }
  EXPECT_EQ(view.hints.back(), hint::kIncrementalSearch);
}
