#include "app/starting_points.h"
#include "support/test_support.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const CStartingItem* ItemNamed(const CStartingPoint& p, const QString& name) {
  for (const CStartingItem& item : p.items)
    if (item.name == name) return &item;
  return nullptr;
}

}  // namespace

// Each starting point is a list a card file can hold: names unique and not
// empty, formulas naming items of the same list, and the properties a
// newcomer expects on the items that need them.
TEST(StartingPoints, ListsWithSensibleProperties) {
  const std::vector<CStartingPoint> points = StartingPoints(2026);
  QStringList names;
  for (const CStartingPoint& p : points) names << p.name;
  EXPECT_EQ(names, (QStringList{u"住所録"_s, u"年賀状リスト"_s, u"顧客名簿"_s, u"蔵書"_s, u"空のファイル"_s}));
  EXPECT_TRUE(points.back().items.empty());

  for (const CStartingPoint& p : points) {
    SCOPED_TRACE(p.name.toStdString());
    EXPECT_FALSE(p.description.isEmpty());
    QSet<QString> seen;
    for (const CStartingItem& item : p.items) {
      EXPECT_FALSE(item.name.isEmpty());
      EXPECT_FALSE(seen.contains(item.name)) << item.name.toStdString();
      seen.insert(item.name);
      // A reference to an item the list lacks would fail on every card.
      for (qsizetype at = item.property.m_formula.indexOf(u"%["); at >= 0;
           at = item.property.m_formula.indexOf(u"%[", at + 2)) {
        const qsizetype end = item.property.m_formula.indexOf(u']', at);
        EXPECT_TRUE(ItemNamed(p, item.property.m_formula.mid(at + 2, end - at - 2)));
      }
    }
  }

  const struct {
    QString point, item;
    std::uint32_t type, ime, multiLine;
    QStringList choices;
    QString checkText;
    bool formula;
  } rows[] = {
      {u"住所録"_s, u"氏名"_s, kItemStandard, 0, 0, {}, {}, false},
      {u"住所録"_s, u"郵便番号"_s, kItemStandard, 2, 0, {}, {}, false},
      {u"住所録"_s, u"誕生日"_s, kItemStandard, 2, 0, {}, {}, false},
      {u"住所録"_s, u"年齢"_s, kItemStandard, 0, 0, {}, {}, true},
      {u"住所録"_s, u"メモ"_s, kItemStandard, 0, 2, {}, {}, false},
      {u"年賀状リスト"_s, u"敬称"_s, kItemChoice, 0, 0, {u"様"_s, u"御中"_s, u"殿"_s, u"先生"_s}, {}, false},
      {u"年賀状リスト"_s, u"2026年"_s, 4, 0, 0, {}, u"出した"_s, false},
      {u"年賀状リスト"_s, u"2027年"_s, 4, 0, 0, {}, u"出した"_s, false},
      {u"顧客名簿"_s, u"区分"_s, kItemChoice, 0, 0, {u"見込み"_s, u"取引中"_s, u"休止"_s}, {}, false},
      {u"蔵書"_s, u"ISBN"_s, kItemStandard, 2, 0, {}, {}, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE((r.point + u' ' + r.item).toStdString());
    const std::optional<CStartingPoint> p = FindStartingPoint(r.point, 2026);
    ASSERT_TRUE(p);
    const CStartingItem* item = ItemNamed(*p, r.item);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->property.m_type, r.type);
    EXPECT_EQ(item->property.m_imeMode, r.ime);
    EXPECT_EQ(item->property.m_multiLine, r.multiLine);
    EXPECT_EQ(item->property.m_choices, r.choices);
    EXPECT_EQ(item->property.m_checkText, r.checkText);
    EXPECT_EQ(item->property.HasFormula(), r.formula);
  }
  // The postcard list's first items are those the postcard and label layouts look for.
  const std::optional<CStartingPoint> cards = FindStartingPoint(u"年賀状リスト"_s, 2026);
  QStringList first;
  for (int i = 0; i < 7; ++i) first << cards->items[std::size_t(i)].name;
  EXPECT_EQ(first, (QStringList{u"氏名"_s, u"ふりがな"_s, u"連名"_s, u"敬称"_s, u"郵便番号"_s, u"住所1"_s, u"住所2"_s}));
  EXPECT_FALSE(FindStartingPoint(u"住所"_s, 2026));
}

// Names typed one a line: blanks and blank lines go; nothing, a name twice or
// more names than a card holds say why and give no list.
TEST(StartingPoints, NamesTypedOneALine) {
  QStringList many;
  for (int i = 0; i <= kMaxItems; ++i) many << u"項目%1"_s.arg(i);
  const struct {
    QString text;
    QStringList names;
    QString error;
  } rows[] = {
      {u"氏名\n電話\nメモ"_s, {u"氏名"_s, u"電話"_s, u"メモ"_s}, {}},
      {u"  氏名 \r\n\r\n\t電話\r メモ\n\n"_s, {u"氏名"_s, u"電話"_s, u"メモ"_s}, {}},
      {u"会社名"_s, {u"会社名"_s}, {}},
      {u"氏名\tふりがな\t電話\r\n"_s, {u"氏名"_s, u"ふりがな"_s, u"電話"_s}, {}},
      {u"氏名,電話\nメモ"_s, {u"氏名"_s, u"電話"_s, u"メモ"_s}, {}},
      {u""_s, {}, start_msg::kNoNames},
      {u"\n  \n\t\n"_s, {}, start_msg::kNoNames},
      {u"氏名\n電話\n氏名"_s, {}, start_msg::kTwice.arg(u"氏名"_s)},
      {u"氏名\n 氏名 "_s, {}, start_msg::kTwice.arg(u"氏名"_s)},
      {many.join(u'\n'), {}, start_msg::kTooMany.arg(kMaxItems)},
      {many.mid(0, kMaxItems).join(u'\n'), many.mid(0, kMaxItems), {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text.left(40).toStdString());
    QString error;
    const std::vector<CStartingItem> items = ItemsFromLines(r.text, &error);
    QStringList names;
    for (const CStartingItem& item : items) names << item.name;
    EXPECT_EQ(names, r.names);
    EXPECT_EQ(error, r.error);
    for (const CStartingItem& item : items) EXPECT_EQ(item.property, CItemProperty{});
  }
}

// A new list replaces the document: its items with their properties, one
// empty card, no path, nothing to save and nothing to undo.
TEST(StartingPoints, NewListReplacesTheDocument) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  doc.Store().AddCard(-1);
  doc.UndoStack().Record(doc, u"test"_s);
  doc.SetModifiedFlag();
  const std::optional<CStartingPoint> p = FindStartingPoint(u"年賀状リスト"_s, 2026);
  ASSERT_TRUE(MakeNewList(doc, p->items));
  EXPECT_EQ(doc.ItemCount(), int(p->items.size()));
  EXPECT_EQ(doc.Store().AllCount(), 1);
  EXPECT_EQ(doc.CurrentCard(), 0);
  EXPECT_EQ(doc.CurrentItem(), 0);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(doc.PathName().isEmpty());
  EXPECT_FALSE(doc.UndoStack().CanUndo());
  for (int i = 0; i < doc.ItemCount(); ++i) {
    EXPECT_EQ(doc.Store().Item(i).toString(), p->items[std::size_t(i)].name);
    EXPECT_EQ(doc.Store().Property(i), p->items[std::size_t(i)].property);
  }
  EXPECT_FALSE(MakeNewList(doc, {}));
  EXPECT_EQ(doc.ItemCount(), int(p->items.size()));
}
