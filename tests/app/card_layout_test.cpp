#include "app/card_layout.h"
#include "core/card_store.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

// Font 0: every character 6 px wide, the widest 10, 12 high. Font 1: 8 px, 12, 16 high.
class CFixedMetrics final : public ILayoutMetrics {
 public:
  int TextWidth(int font, QStringView text) const override { return int(text.size()) * AverageCharWidth(font); }
  int AverageCharWidth(int font) const override { return font == 1 ? 8 : 6; }
  int MaxCharWidth(int font) const override { return font == 1 ? 12 : 10; }
  int Height(int font) const override { return font == 1 ? 16 : 12; }
};

CLayoutSettings Window() {
  CLayoutSettings s;
  s.clientWidth = 240;
  s.scrollBarWidth = 13;
  s.screenHeight = 320;
  return s;
}

const QString kLong(300, u'x');

struct CCase {
  const char* what;
  void (*setup)(CLayoutSettings&, CLayoutItem&, bool& inputFree);
  ControlKind kind;
  QRect label;
  QRect control;
  int lines;
  bool multi;
};

}  // namespace

// One item named "名前" (12 px) holding "abc" (18 px) in a 240 px wide window;
// an edit is at least "WWWWWWWWWW" (60 px) wide, a line 15 px high (12 + 12 / 4).
TEST(CardLayout, OneItemUnderEachSetting) {
  const CCase cases[] = {
      {"defaults: name above, margin 5", [](CLayoutSettings&, CLayoutItem&, bool&) {},
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 60, 18}, 1, false},
      {"name beside: column = (aw + mw) / 2 + widest name + aw",
       [](CLayoutSettings& s, CLayoutItem&, bool&) { s.itemPosMode = 0; },
       ControlKind::Edit, {5, 2, 15, 12}, {26, 2, 60, 18}, 1, false},
      {"window width", [](CLayoutSettings& s, CLayoutItem&, bool&) { s.itemWidthMode = 1; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 229, 18}, 1, false},
      {"no margin", [](CLayoutSettings& s, CLayoutItem&, bool&) { s.cardMargin = false; },
       ControlKind::Edit, {0, 2, 15, 12}, {0, 14, 60, 18}, 1, false},
      {"no margin, window width",
       [](CLayoutSettings& s, CLayoutItem&, bool&) { s.cardMargin = false, s.itemWidthMode = 1; },
       ControlKind::Edit, {0, 2, 15, 12}, {0, 14, 240, 18}, 1, false},
      {"control at the label's end", [](CLayoutSettings& s, CLayoutItem&, bool&) { s.labelEditZero = true; },
       ControlKind::Edit, {5, 2, 15, 12}, {20, 14, 60, 18}, 1, false},
      {"control at the label's end, beside it",
       [](CLayoutSettings& s, CLayoutItem&, bool&) { s.labelEditZero = true, s.itemPosMode = 0; },
       ControlKind::Edit, {5, 2, 15, 12}, {20, 2, 60, 18}, 1, false},
      {"300 characters: to the edge less aw / 4, MaxTate lines",
       [](CLayoutSettings&, CLayoutItem& i, bool&) { i.text = kLong; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 234, 63}, 4, true},
      {"300 characters, MaxTate 6", [](CLayoutSettings& s, CLayoutItem& i, bool&) { i.text = kLong, s.maxTate = 6; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 234, 93}, 6, true},
      {"300 characters, Item1", [](CLayoutSettings& s, CLayoutItem& i, bool&) { i.text = kLong, s.singleLine = true; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 234, 18}, 1, false},
      {"300 characters, single-line item", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.text = kLong, i.multiLine = 1; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 234, 18}, 1, false},
      {"multi-line item, short text", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.multiLine = 2; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 60, 18}, 1, true},
      {"three lines on some card", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.maxLines = 3; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 60, 48}, 3, true},
      {"six lines on some card, MaxTate 4", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.maxLines = 6; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 60, 63}, 4, true},
      {"MaxTate 0 still leaves a line", [](CLayoutSettings& s, CLayoutItem& i, bool&) { i.text = kLong, s.maxTate = 0; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 234, 18}, 1, false},
      {"formula item", [](CLayoutSettings&, CLayoutItem&, bool& f) { f = true; },
       ControlKind::ReadOnlyEdit, {5, 2, 15, 12}, {5, 14, 60, 18}, 1, false},
      {"choice", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.type = 1, i.maxLines = 3; },
       ControlKind::DropDown, {5, 2, 15, 12}, {5, 14, 60, 18}, 1, false},
      {"image preview", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.type = 2; },
       ControlKind::HiddenEdit, {5, 2, 15, 12}, {5, 14, 60, 18}, 1, false},
      {"linked, 300 characters: one line", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.type = 3, i.text = kLong; },
       ControlKind::ReadOnlyEdit, {5, 2, 15, 12}, {5, 14, 234, 18}, 1, false},
      {"check box", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.type = 4; },
       ControlKind::CheckBox, {5, 2, 15, 12}, {5, 14, 60, 18}, 1, false},
      // Font 1: label 16 + 4 + 5; line 20; margin g = 8, so the edge is 240 - 2.
      {"the item's own fonts", [](CLayoutSettings&, CLayoutItem& i, bool&) { i.nameFont = i.contentFont = 1; },
       ControlKind::Edit, {5, 2, 20, 16}, {5, 18, 80, 25}, 1, false},
      {"own font, 300 characters: (240 - 13 - 8 - 5) per line",
       [](CLayoutSettings& s, CLayoutItem& i, bool&) { i.contentFont = 1, i.text = kLong, s.maxTate = 20; },
       ControlKind::Edit, {5, 2, 15, 12}, {5, 14, 233, 245}, 12, true},
  };
  const CFixedMetrics metrics;
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.what);
    CLayoutSettings s = Window();
    CLayoutItem item{u"名前"_s, u"abc"_s};
    bool inputFree = false;
    c.setup(s, item, inputFree);
    const CCardLayout layout = LayoutCard({item}, {inputFree}, s, metrics);
    ASSERT_EQ(layout.controls.size(), 1u);
    const CLayoutControl& got = layout.controls[0];
    EXPECT_EQ(got.kind, c.kind);
    EXPECT_EQ(got.label, c.label);
    EXPECT_EQ(got.control, c.control);
    EXPECT_EQ(got.lines, c.lines);
    EXPECT_EQ(got.multiLineStyle, c.multi);
  }
}

// A text of megabytes is measured only until it fills the card: the layout is
// that of a text just long enough, no single measurement passes a piece of
// text, and far less than the text is measured in all.
TEST(CardLayout, HugeTextsAreMeasuredOnlyAsFarAsTheyMatter) {
  class CCountingMetrics final : public ILayoutMetrics {
   public:
    int TextWidth(int font, QStringView text) const override {
      measured += text.size();
      longest = std::max(longest, text.size());
      return m_fixed.TextWidth(font, text);
    }
    int AverageCharWidth(int font) const override { return m_fixed.AverageCharWidth(font); }
    int MaxCharWidth(int font) const override { return m_fixed.MaxCharWidth(font); }
    int Height(int font) const override { return m_fixed.Height(font); }
    mutable qsizetype measured = 0;
    mutable qsizetype longest = 0;

   private:
    CFixedMetrics m_fixed;
  };
  const qsizetype huge = qsizetype(8) << 20;
  const QString lines = u"abcdefg\r\n"_s.repeated(huge / 9);
  const struct {
    const char* what;
    QString name, text;
    int maxTate;
    int itemWidthMode;
  } cases[] = {
      {"one line", u"名前"_s, QString(huge, u'x'), 4, 0},
      {"one line, MaxTate 30", u"名前"_s, QString(huge, u'x'), 30, 0},
      {"short lines", u"名前"_s, lines, 4, 1},
      {"a huge name", QString(huge, u'n'), u"abc"_s, 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CLayoutSettings s = Window();
    s.maxTate = c.maxTate;
    s.itemWidthMode = c.itemWidthMode;
    CCountingMetrics counting;
    const CCardLayout got = LayoutCard({CLayoutItem{c.name, c.text}}, {}, s, counting);
    EXPECT_LE(counting.longest, 1024);
    EXPECT_LT(counting.measured, 64 * 1024);
    const CCardLayout enough = LayoutCard({CLayoutItem{c.name.left(8000), c.text.left(8000)}}, {}, s, CFixedMetrics());
    ASSERT_EQ(got.controls.size(), 1u);
    EXPECT_EQ(got.controls[0].control, enough.controls[0].control);
    EXPECT_EQ(got.controls[0].lines, enough.controls[0].lines);
    EXPECT_EQ(got.controls[0].label.left(), enough.controls[0].label.left());
  }
}

// The name column follows the widest name; rows follow one another with a
// pixel between them and half a line more after a drop-down.
TEST(CardLayout, ColumnsRowsAndScrolling) {
  const CFixedMetrics metrics;
  std::vector<CLayoutItem> items{{u"ab"_s, u"x"_s}, {u"abcdef"_s, u"y"_s, 1}, {u"c"_s, u"z"_s}};
  CLayoutSettings s = Window();
  CCardLayout layout = LayoutCard(items, {}, s, metrics);
  EXPECT_EQ(layout.labelWidth, 42);
  EXPECT_EQ(layout.contentLeft, 5);
  ASSERT_EQ(layout.controls.size(), 3u);
  EXPECT_EQ(layout.controls[1].label.top(), 33);
  EXPECT_EQ(layout.controls[1].dropHeight, 320 - 45);
  EXPECT_EQ(layout.controls[2].label.top(), 64 + 6);
  EXPECT_EQ(layout.controls[2].control, QRect(5, 82, 60, 18));
  EXPECT_EQ(layout.scrollSize, QSize(140, 100 + 12));
  EXPECT_EQ(layout.pageStep, QSize(10, 60));
  EXPECT_EQ(layout.lineStep, QSize(1, 12));

  s.itemPosMode = 0;
  layout = LayoutCard(items, {}, s, metrics);
  EXPECT_EQ(layout.contentLeft, 8 + 42);
  for (const CLayoutControl& c : layout.controls) EXPECT_EQ(c.control.left(), 50);
  EXPECT_EQ(layout.controls[1].control.top(), 2 + 18 + 1);

  s.clientWidth = 60;  // narrower than the scroll margin: no negative size
  EXPECT_EQ(LayoutCard(items, {}, s, metrics).scrollSize.width(), 0);
}

TEST(ItemLineCounts, CachedUntilTheCardsChange) {
  CTestWorld w;
  CCardStore store(*w.services);
  w.WriteFile(u"s.csv"_s, Sjis(u"a,b\r\n1,2\r\n3,4\r\n"_s));
  ASSERT_EQ(store.Read(w.Path(u"s.csv"_s)), 1);
  ASSERT_EQ(store.AllCount(), 2);
  CItemLineCounts counts;
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{1, 1}));

  store.SetItemText(1, 1, u"p\r\nq\r\nr"_s);
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{1, 3}));

  // An edit noted by the caller is taken without reading the cards again:
  // the count of a text the store never held proves no reading happened.
  store.SetItemText(0, 0, u"s\r\nt"_s);
  counts.NoteText(0, u"1\n2\n3\n4\n5"_s);
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{5, 3}));

  // Hiding a card or putting the cards in another order reads nothing, and
  // an edit made elsewhere (an undo) is followed through the edit record:
  // counts rise with it but never fall that way.
  store.AllCard(0)->SetVisible(false);
  store.RebuildVisible();
  store.AllCardsToReorder().front().swap(store.AllCardsToReorder().back());
  store.RebuildVisible();
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{5, 3}));
  store.AllCard(1)->SetItem(1, u"1\r\n2\r\n3\r\n4\r\n5\r\n6"_s);
  EXPECT_EQ(counts.MaxLines(store, 0), (std::vector<int>{5, 6}));
  store.AllCard(1)->SetItem(1, u"r"_s);
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{5, 6}));
  // An edit and a change of another kind since the last answer, or a card
  // added, read every card again.
  store.AllCard(1)->SetVisible(true);
  store.RebuildVisible();
  store.AllCard(0)->SetItem(0, u"s"_s);
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{2, 3}));
  counts.NoteText(0, u"1\n2\n3\n4\n5"_s);
  ASSERT_TRUE(store.AppendEmptyCard());
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{2, 3}));

  // A line break in the last item of a card whose first item is empty.
  store.SetItemText(0, 0, u""_s);
  store.SetItemText(0, 1, u""_s);
  store.SetItemText(1, 0, u""_s);
  store.SetItemText(2, 1, u"x\r\ny\r\nz\r\nw"_s);
  ASSERT_TRUE(store.AppendEmptyCard());
  EXPECT_EQ(counts.MaxLines(store), (std::vector<int>{1, 4}));

  CCardStore other(*w.services);
  EXPECT_TRUE(counts.MaxLines(other).empty());
}

// Fields that take the window's width also take its height: the items set to
// 複数行 share the free lines in turn, the items below them move down, and
// nothing changes in the fixed layout, on an unknown height, or for a card
// that fills the window already.
TEST(CardLayout, MultiLineItemsShareTheFreeHeight) {
  // Three items, the first and third 複数行; each line 15 px, a field 1 line
  // (15 + 3) under a 12 px name, 1 px apart: the card ends at 94 (+ h 12 = 106).
  std::vector<CLayoutItem> items(3);
  for (int i = 0; i < 3; ++i) items[std::size_t(i)].name = u"名前"_s;
  items[0].multiLine = 2;
  items[2].multiLine = 2;
  const struct {
    const char* what;
    int widthMode, height;
    bool singleLine;
    int lines0, lines2, top1, top2, scrollHeight;
  } rows[] = {
      {"fixed layout", 0, 400, false, 1, 1, 45, 76, 106},
      {"height unknown", 1, 0, false, 1, 1, 45, 76, 106},
      {"no room", 1, 110, false, 1, 1, 45, 76, 106},
      {"one line free: the first item", 1, 121, false, 2, 1, 60, 91, 121},
      {"two lines: one each", 1, 136, false, 2, 2, 60, 91, 136},
      {"five lines: three and two", 1, 181, false, 4, 3, 90, 121, 181},
      {"single-line switch", 1, 400, true, 1, 1, 45, 76, 106},
      {"at most kMaxGrownLines", 1, 100000, false, kMaxGrownLines, kMaxGrownLines, 45 + 15 * (kMaxGrownLines - 1),
       76 + 15 * (kMaxGrownLines - 1), 106 + 2 * 15 * (kMaxGrownLines - 1)},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    CLayoutSettings s = Window();
    s.itemWidthMode = r.widthMode;
    s.clientHeight = r.height;
    s.singleLine = r.singleLine;
    const CCardLayout l = LayoutCard(items, {}, s, CFixedMetrics());
    EXPECT_EQ(l.controls[0].lines, r.lines0);
    EXPECT_EQ(l.controls[1].lines, 1);
    EXPECT_EQ(l.controls[2].lines, r.lines2);
    EXPECT_EQ(l.controls[1].control.top(), r.top1);
    EXPECT_EQ(l.controls[2].control.top(), r.top2);
    EXPECT_EQ(l.controls[1].label.top(), r.top1 - 12);
    EXPECT_EQ(l.controls[0].control.height(), 18 + 15 * (r.lines0 - 1));
    EXPECT_EQ(l.scrollSize.height(), r.scrollHeight);
    EXPECT_LE(l.scrollSize.height(), std::max(r.height, 106));
  }
}
