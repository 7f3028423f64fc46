#include "core/card_file.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QStringList Texts(const CCardRow& row) {
  QStringList out;
  for (int i = 0; i < row.ItemCount(); ++i) out << row.Item(i).toString();
  return out;
}

// A store read from a header line and the given cards (CP932, own style).
void Load(CTestWorld& w, CCardStore& store, const QString& lines) {
  w.WriteFile(u"s.csv"_s, Sjis(lines));
  ASSERT_EQ(store.Read(w.Path(u"s.csv"_s)), 1);
}

class CUpperCaseSource final : public CCardStore::IValueSource {
 public:
  QString Value(const CCardStore&, const CCardRow& card, int item) const override {
    return card.Item(item - 1).toString().toUpper();
  }
};

}  // namespace

TEST(CardRow, EditsRebuildTheBufferAndKeepFlagsInStep) {
  CCardRow row;
  EXPECT_EQ(row.ItemCount(), -1);
  ASSERT_TRUE(row.MakeEmpty(3));
  row.SetItem(0, u"a"_s);
  row.SetItem(2, u"c"_s);
  row.SetQuoted(2, false);
  ASSERT_TRUE(row.InsertEmptyItem(1));
  EXPECT_EQ(Texts(row), (QStringList{u"a"_s, u""_s, u""_s, u"c"_s}));
  EXPECT_TRUE(row.Quoted(1));
  EXPECT_FALSE(row.Quoted(3));
  ASSERT_TRUE(row.DeleteItem(0));
  EXPECT_EQ(Texts(row), (QStringList{u""_s, u""_s, u"c"_s}));
  EXPECT_FALSE(row.Quoted(2));
  // Setting an item from a view into the row's own buffer.
  row.SetItem(0, row.Item(2));
  EXPECT_EQ(Texts(row), (QStringList{u"c"_s, u""_s, u"c"_s}));
  EXPECT_FALSE(row.SetItem(3, u"x"_s));
  EXPECT_FALSE(row.DeleteItem(-1));

  row.SetMark(1);
  row.SetVisible(false);
  row.SetPosition(17);
  const CCardRow copy(row);
  EXPECT_EQ(Texts(copy), Texts(row));
  EXPECT_EQ(copy.Mark(), 1);
  EXPECT_FALSE(copy.Visible());
  EXPECT_EQ(copy.Position(), 0);  // recorded afresh before every sort

  CCardRow full;
  full.MakeEmpty(CCardRow::kMaxItems);
  EXPECT_FALSE(full.InsertEmptyItem(-1));
  EXPECT_FALSE(full.MakeEmpty(CCardRow::kMaxItems + 1));
}

TEST(ItemNameRow, RecordsFollowTheItems) {
  CItemNameRow names;
  names.MakeEmpty(6);
  names.Property(4).m_type = kItemLinked;
  names.Property(4).m_linkSource = 2;
  names.Property(5).m_type = kItemLinked;
  names.Property(5).m_linkSource = 5;
  names.Property(3).m_secondRef = 2;
  names.Property(1).m_formula = u"%[a]+1"_s;

  names.SwapItems(2, 5);
  EXPECT_EQ(names.Property(4).m_linkSource, 5);
  EXPECT_EQ(names.Property(2).m_linkSource, 2);  // the record moved with its item
  EXPECT_EQ(names.Property(3).m_secondRef, 5);

  names.InsertEmptyItem(1);  // item 1 becomes 2, ...
  EXPECT_EQ(names.ItemCount(), 7);
  EXPECT_EQ(names.Property(2).m_formula, u"%[a]+1"_s);
  EXPECT_EQ(names.Property(5).m_linkSource, 6);

  names.DeleteItem(6);  // the source of the linked item now at 5
  EXPECT_EQ(names.Property(5).m_type, kItemStandard);
  EXPECT_EQ(names.Property(5).m_linkSource, -1);
  EXPECT_EQ(names.Property(4).m_secondRef, 0);
  EXPECT_EQ(names.ItemCount(), 6);
}

TEST(CardStore, FirstLineSwitchBothWays) {
  CTestWorld w;
  CCardStore store(*w.services);
  Load(w, store, u"名前,\"電話\"\r\n山田,\"03-1\"\r\n"_s);
  ASSERT_TRUE(store.FirstLineIsItems());

  EXPECT_EQ(store.SetFirstLineIsItems(true), 0);
  EXPECT_EQ(store.SetFirstLineIsItems(false), 1);
  EXPECT_EQ(Texts(store), (QStringList{u"項目1"_s, u"項目2"_s}));
  ASSERT_EQ(store.AllCount(), 2);
  EXPECT_EQ(Texts(*store.AllCard(0)), (QStringList{u"名前"_s, u"電話"_s}));
  EXPECT_FALSE(store.AllCard(0)->Quoted(0));
  EXPECT_TRUE(store.AllCard(0)->Quoted(1));

  EXPECT_EQ(store.SetFirstLineIsItems(true), 1);
  EXPECT_EQ(Texts(store), (QStringList{u"名前"_s, u"電話"_s}));
  ASSERT_EQ(store.AllCount(), 1);

  // The only card becomes the names: one empty card is left.
  EXPECT_EQ(store.SetFirstLineIsItems(false), 1);
  store.DeleteCard(1);
  EXPECT_EQ(store.SetFirstLineIsItems(true), 1);
  ASSERT_EQ(store.AllCount(), 1);
  EXPECT_EQ(Texts(*store.AllCard(0)), (QStringList{u""_s, u""_s}));
}

TEST(CardStore, AddCardTakesInitialValuesAndKeywords) {
  CTestWorld w;
  CCardStore store(*w.services);
  Load(w, store, u"a,b,c,d\r\n1,x,p,q\r\n2,y,r,s\r\n3,z,t,u\r\n"_s);
  store.Property(0).m_initialValue = u"before()"_s;
  store.Property(1).m_initialValue = u"FIRST()"_s;
  store.Property(2).m_initialValue = u"Today()"_s;
  store.Property(3).m_initialValue = u"新規, \"引用\""_s;

  ASSERT_TRUE(store.AddCard(-1));
  EXPECT_EQ(Texts(*store.VisibleCard(3)), (QStringList{u"3"_s, u"x"_s, u"2024/05/03"_s, u"新規, \"引用\""_s}));
  ASSERT_TRUE(store.AddCard(2));
  EXPECT_EQ(store.GetItemText(2, 0).toString(), u"2"_s);
  ASSERT_TRUE(store.AddCard(0));  // at the front, "before" is card 0 itself
  EXPECT_EQ(store.GetItemText(0, 0).toString(), u"1"_s);
  EXPECT_EQ(store.AllCount(), 6);
}

TEST(CardStore, HiddenCardsAreSkippedByNumbersButKeptInTheFile) {
  CTestWorld w;
  CCardStore store(*w.services);
  Load(w, store, u"k\r\na\r\nb\r\nc\r\nd\r\n"_s);
  store.AllCard(1)->SetVisible(false);
  store.AllCard(2)->SetVisible(false);
  store.RebuildVisible();
  ASSERT_EQ(store.VisibleCount(), 2);
  EXPECT_EQ(store.GetItemText(1, 0).toString(), u"d"_s);
  EXPECT_EQ(store.FindAllIndex(1), 3);

  CCardRow extra;
  ParseLine(extra, u"new\n"_s);
  ASSERT_TRUE(store.InsertCopyAt(1, extra));  // before "d" in both lists
  EXPECT_EQ(store.AllCard(3)->Item(0).toString(), u"new"_s);
  ASSERT_TRUE(store.DeleteCard(0));
  EXPECT_EQ(store.GetItemText(0, 0).toString(), u"new"_s);
  EXPECT_FALSE(store.DeleteCard(2));

  ASSERT_EQ(store.Write(w.Path(u"s.csv"_s)), 1);
  EXPECT_EQ(w.ReadFile(u"s.csv"_s), QByteArray("k\r\nb\r\nc\r\nnew\r\nd\r\n"));
}

TEST(CardStore, RecalcAllStoresComputedValuesOfFormulaItemsOnly) {
  CTestWorld w;
  CCardStore store(*w.services);
  Load(w, store, u"a,b,c\r\nx,old,keep\r\ny,old,keep\r\n"_s);
  CUpperCaseSource source;
  store.SetValueSource(&source);
  store.Property(1).m_formula = u"UPPER"_s;
  EXPECT_EQ(store.GetItemValue(0, 1), u"X"_s);
  EXPECT_EQ(store.GetItemText(0, 1).toString(), u"old"_s);
  store.AllCard(1)->SetVisible(false);
  store.RebuildVisible();
  store.RecalcAll();  // hidden cards too
  EXPECT_EQ(store.AllCard(0)->Item(1).toString(), u"X"_s);
  EXPECT_EQ(store.AllCard(1)->Item(1).toString(), u"Y"_s);
  EXPECT_EQ(store.AllCard(1)->Item(2).toString(), u"keep"_s);
}

// The remembered formula values follow edits through this list: every item
// replaced is named, and anything else since makes the list unknown.
TEST(CardRow, ItemEditsSinceNamesEveryItemReplacedAndNothingElse) {
  CCardRow a;
  CCardRow b;
  a.MakeEmpty(3);
  b.MakeEmpty(3);
  const struct {
    const char* what;
    std::function<void()> change;
    std::vector<std::pair<const CCardRow*, int>> edits;  // empty: unknown
  } cases[] = {
      {"one item", [&] { a.SetItem(1, u"x"_s); }, {{&a, 1}}},
      {"several rows", [&] { a.SetItem(0, u"x"_s); b.SetItem(2, u"y"_s); }, {{&a, 0}, {&b, 2}}},
      {"several items at once", [&] { a.SetItems({{0, u"p"_s}, {2, u"q"_s}}); }, {{&a, 0}, {&a, 2}}},
      {"an edit, then an inserted item", [&] { a.SetItem(0, u"z"_s); a.InsertEmptyItem(0); }, {}},
      {"a hidden row", [&] { b.SetVisible(false); }, {}},
      {"an assignment", [&] { a = b; }, {{&a, CCardRow::kWholeRow}}},
      {"more edits than are kept", [&] { for (int n = 0; n < 5000; ++n) b.SetItem(0, QString::number(n)); }, {}},
  };
  for (const auto& c : cases) {
    const std::uint64_t since = CCardRow::Changes();
    c.change();
    std::vector<CCardRow::CItemEdit> edits;
    const bool known = CCardRow::ItemEditsSince(since, CCardRow::Changes(), &edits);
    EXPECT_EQ(known, !c.edits.empty()) << c.what;
    if (!known) continue;
    ASSERT_EQ(edits.size(), c.edits.size()) << c.what;
    for (std::size_t e = 0; e < edits.size(); ++e) {
      EXPECT_EQ(edits[e].row, c.edits[e].first) << c.what;
      EXPECT_EQ(edits[e].item, c.edits[e].second) << c.what;
    }
  }
}
