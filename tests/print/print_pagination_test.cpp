#include "print/print_pagination.h"
#include "print/print_request.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Latin 10 wide, CJK 20, lines 30 apart: the layout without fonts.
class CFixedMeasure final : public ITextMeasure {
 public:
  double CharWidth(char32_t c) const override { return c >= 0x2E80 ? 20 : 10; }
  double LineHeight() const override { return 30; }
};

QStringList Lines(QStringView text, double width) {
  QStringList out;
  for (const CTextLine& l : WrapText(CFixedMeasure(), text, width)) out << text.mid(l.start, l.length).toString();
  return out;
}

TEST(PrintPaginationTest, WrapsAtBlanksCjkAndLineBreaks) {
  struct Case {
    QString text;
    double width;
    QStringList lines;
  };
  const Case cases[] = {
      {u"abc def"_s, 45, {u"abc"_s, u"def"_s}},
      {u"abc def"_s, 70, {u"abc def"_s}},
      {u"abcdefgh"_s, 35, {u"abc"_s, u"def"_s, u"gh"_s}},
      {u"あいうえお"_s, 45, {u"あい"_s, u"うえ"_s, u"お"_s}},
      {u"ab  cd"_s, 35, {u"ab"_s, u"cd"_s}},
      {u"東京都 港区"_s, 75, {u"東京都"_s, u"港区"_s}},
      {u"あabcd"_s, 45, {u"あ"_s, u"abcd"_s}},
      {u"a\r\nb\nc\rd"_s, 100, {u"a"_s, u"b"_s, u"c"_s, u"d"_s}},
      {u"a\r\n\r\nb"_s, 100, {u"a"_s, u""_s, u"b"_s}},
      {u""_s, 100, {u""_s}},
      {u"ab"_s, 5, {u"a"_s, u"b"_s}},  // narrower than a character: one a line, still ends
      {u"𠮷𠮷𠮷"_s, 45, {u"𠮷𠮷"_s, u"𠮷"_s}},  // a surrogate pair is never cut
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.text, c.width), c.lines) << c.text.toStdString() << " @" << c.width;
  EXPECT_EQ(TextWidth(CFixedMeasure(), u"aあ𠮷"), 50);
  EXPECT_EQ(WidestLine(CFixedMeasure(), u"ab\r\nあいう\nc"), 60);
}

// Numbers, dates, times, postal codes and telephone numbers are never cut:
// they move to the next line whole, or stand alone on a line too narrow for
// them; a text goes on being cut where it may around them.
TEST(PrintPaginationTest, NumbersAndDatesAreNeverCut) {
  struct Case {
    QString text;
    double width;
    QStringList lines;
  };
  const Case cases[] = {
      {u"12000"_s, 45, {u"12000"_s}},
      {u"1979/2/14"_s, 85, {u"1979/2/14"_s}},
      {u"1979/2/14"_s, 200, {u"1979/2/14"_s}},
      {u"生年 1979/2/14"_s, 100, {u"生年"_s, u"1979/2/14"_s}},
      {u"〒100-0005"_s, 60, {u"〒100-0005"_s}},
      {u"03-1234-5678"_s, 75, {u"03-1234-5678"_s}},
      {u"12,000,000"_s, 55, {u"12,000,000"_s}},
      {u"1979年2月14日生"_s, 100, {u"1979年2月14日"_s, u"生"_s}},
      {u"１２３４５"_s, 45, {u"１２３４５"_s}},
      {u"10:20:30"_s, 45, {u"10:20:30"_s}},
      {u"価格12000円"_s, 70, {u"価格"_s, u"12000円"_s}},
      {u"ab12345"_s, 45, {u"ab"_s, u"12345"_s}},
      // Runs past 40 characters are cut like any word; lone signs are no number.
      {QString(50, u'7'), 100, {QString(10, u'7'), QString(10, u'7'), QString(10, u'7'), QString(10, u'7'),
                                QString(10, u'7')}},
      {u"a-b-c-d"_s, 35, {u"a-b"_s, u"-c-"_s, u"d"_s}},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.text, c.width), c.lines) << c.text.toStdString() << " @" << c.width;
  EXPECT_EQ(WidestUnbroken(CFixedMeasure(), u"tel 03-1234-5678 / 12"_s), 120);
  EXPECT_EQ(WidestUnbroken(CFixedMeasure(), u"abc - あ"_s), 0);
  for (const QString& number : {u"12000"_s, u" -1,234.5 "_s, u"1e3"_s})
    EXPECT_TRUE(IsNumberText(number)) << number.toStdString();
  for (const QString& other : {u"1979/2/14"_s, u"03-1234-5678"_s, u""_s, u"12円"_s})
    EXPECT_FALSE(IsNumberText(other)) << other.toStdString();
}

TEST(PrintPaginationTest, DefaultLabelLinesAndPrintedItems) {
  using L = std::vector<CLabelLine>;
  const std::pair<QStringList, L> rows[] = {
      {{u"氏名"_s, u"郵便番号"_s, u"電話"_s, u"住所"_s}, {{u"〒"_s, 1, {}}, {{}, 3, {}}, {{}, 0, u" 様"_s}}},
      {{u"電話"_s, u"氏名"_s}, {{{}, 1, u" 様"_s}}},
      // An address in two items, a name in two: 住所1 and 住所2 a line each,
      // 姓 and 名 on one line.
      {{u"姓"_s, u"名"_s, u"郵便番号"_s, u"住所1"_s, u"住所2"_s},
       {{u"〒"_s, 2, {}}, {{}, 3, {}}, {{}, 4, {}}, {{}, 0, u" "_s}, {{}, 1, u" 様"_s, true}}},
      {{u"名前"_s, u"住所１"_s, u"住所２"_s}, {{{}, 1, {}}, {{}, 2, {}}, {{}, 0, u" 様"_s}}},  // full-width digits
      {{u"住所"_s, u"住所1"_s, u"姓"_s}, {{{}, 0, {}}, {{}, 2, u" 様"_s}}},
      {{u"a"_s, u"b"_s, u"c"_s, u"d"_s}, {{{}, 0, {}}, {{}, 1, {}}, {{}, 2, {}}}},
      {{u"a"_s}, {{{}, 0, {}}}},
      {{}, {}},
  };
  for (const auto& [names, lines] : rows) EXPECT_EQ(DefaultLabelLines(names), lines) << names.join(u',').toStdString();

  // Chosen lines go by item name: an item moved keeps its line, one gone
  // prints the texts around it alone; damaged entries in the settings are
  // passed over.
  const QStringList names{u"氏名"_s, u"住所"_s};
  const std::vector<CLabelLineChoice> chosen{{u"TEL "_s, u"電話"_s, {}}, {{}, u"住所"_s, {}}, {{}, u"氏名"_s, u"様"_s, true}};
  EXPECT_EQ(ResolveLabelLines(chosen, names), (L{{u"TEL "_s, -1, {}}, {{}, 1, {}}, {{}, 0, u"様"_s, true}}));
  EXPECT_EQ(LabelLineChoices(ResolveLabelLines(chosen, {u"電話"_s, u"住所"_s, u"氏名"_s}),
                             {u"電話"_s, u"住所"_s, u"氏名"_s}),
            chosen);
  CPrintLabel chosenSheet;
  EXPECT_EQ(LabelLinesFor(&chosenSheet, names), DefaultLabelLines(names));
  EXPECT_EQ(LabelLinesFor(nullptr, names), DefaultLabelLines(names));
  chosenSheet.m_lines = chosen;
  EXPECT_EQ(LabelLinesFor(&chosenSheet, names), ResolveLabelLines(chosen, names));
  QJsonArray json = LabelLinesToJson(chosen);
  EXPECT_EQ(LabelLinesFromJson(json), chosen);
  json.append(QJsonArray{1, 2, 3});
  json.append(u"x"_s);
  json.append(QJsonArray{u"a"_s, u"b"_s});
  EXPECT_EQ(LabelLinesFromJson(json), chosen);
  for (int i = 0; i < 30; ++i) json.append(QJsonArray{u"a"_s, u"b"_s, u"c"_s});
  EXPECT_EQ(int(LabelLinesFromJson(json).size()), kMaxLabelLines);

  CPrintProp layout;
  EXPECT_EQ(PrintedItems(layout, 3), (std::vector<int>{0, 1, 2}));
  layout.m_items = {2, -1, 7, 0};
  EXPECT_EQ(PrintedItems(layout, 3), (std::vector<int>{2, 0}));
  layout.m_items = {9};
  EXPECT_EQ(PrintedItems(layout, 2), (std::vector<int>{0, 1}));

  CPrintLabel sheet;
  sheet.m_row = 0;
  sheet.m_col = 4000000000u;
  EXPECT_EQ(LabelsAcross(sheet), 1);
  EXPECT_EQ(LabelsDown(sheet), 100);
  EXPECT_EQ(RuledLineStyleNames().size(), 4);
  EXPECT_EQ(FrameStyleNames().size(), 6);
  EXPECT_EQ(FrameStyleNames()[kFrameDouble], u"二重線"_s);
}

// A deck of `count` cards whose cell text is given by a function.
struct CDeck {
  CDeck(PrintKind kind, int count, int items, std::function<QString(int, int)> text) : texts(std::move(text)) {
    request.kind = kind;
    for (int i = 0; i < count; ++i) request.cards.push_back(i);
    for (int i = 0; i < items; ++i) {
      request.items.push_back(i);
      names << u"項目%1"_s.arg(i);
    }
  }
  CPrintPagination Pages() {
    return CPrintPagination(request, QSizeF(210, 297), measure, texts, names);
  }
  CPrintRequest request;
  QStringList names;
  CFixedMeasure measure;
  std::function<QString(int, int)> texts;
};

TEST(PrintPaginationTest, ListRowsFillPagesUnderTheHeadingAndNeverPassTheBody) {
  CDeck deck(PrintKind::kList, 100, 3, [](int card, int item) { return u"c%1"_s.arg(card); });
  CPrintPagination p = deck.Pages();
  // A4 with 10 mm margins: 1900 x 2770, less the footer.
  EXPECT_EQ(p.Printable(), QRectF(100, 100, 1900, 2770));
  EXPECT_EQ(p.Body().bottom() + CPrintPagination::kFooterHeight, p.Printable().bottom());
  EXPECT_GE(p.Footer().top(), p.Body().bottom());
  EXPECT_EQ(p.HeadingHeight(), 40);
  EXPECT_TRUE(p.LayOutTo(0));
  EXPECT_FALSE(p.LayOutTo(2));
  ASSERT_EQ(p.PageCount(), 2);
  const int perPage = int((p.Body().height() - 40) / 40);  // rows of one line: 30 + 2 x 5
  const auto first = p.Blocks(0), second = p.Blocks(1);
  ASSERT_EQ(int(first.size()), perPage);
  EXPECT_EQ(int(second.size()), 100 - perPage);
  EXPECT_EQ(second.front().index, perPage);
  EXPECT_EQ(first.front().top, p.Body().top() + 40);
  for (const auto& page : {first, second}) {
    for (std::size_t k = 1; k < page.size(); ++k) EXPECT_EQ(page[k].top, page[k - 1].top + page[k - 1].height);
    EXPECT_LE(page.back().top + page.back().height, p.Body().bottom());
  }
  EXPECT_TRUE(p.Blocks(2).empty());
}

TEST(PrintPaginationTest, ColumnsShareTheWidthByTheirTexts) {
  struct Case {
    int items;
    std::function<QString(int, int)> text;
  };
  const Case cases[] = {
      {3, [](int, int item) { return item == 1 ? u"とても長い住所の文字列が続きます"_s : u"x"_s; }},
      {3, [](int, int item) { return QString(item == 2 ? 400 : 3, u'w'); }},  // one very long: capped at half
      {40, [](int, int) { return u"xx"_s; }},                                  // more than fit at their least
  };
  for (const Case& c : cases) {
    CDeck deck(PrintKind::kList, 10, c.items, c.text);
    CPrintPagination p = deck.Pages();
    const std::vector<double>& edges = p.ColumnEdges();
    ASSERT_EQ(int(edges.size()), c.items + 1);
    EXPECT_EQ(edges.front(), p.Printable().left());
    EXPECT_NEAR(edges.back(), p.Printable().right(), 1e-6);
    for (int k = 0; k < c.items; ++k) {
      EXPECT_GT(edges[k + 1], edges[k]);
      if (c.items <= 3) EXPECT_GE(edges[k + 1] - edges[k], 4 * 20 + 2 * CPrintPagination::kPadX - 1e-6);
    }
  }
  CDeck deck(PrintKind::kList, 10, 3, cases[0].text);
  CPrintPagination p = deck.Pages();
  const std::vector<double>& e = p.ColumnEdges();
  EXPECT_GT(e[2] - e[1], e[1] - e[0] + 200);  // the long texts' column is the widest
  // A column of very long texts takes no more than half the page and what
  // room is left over, shared alike; a column of short texts wants two
  // characters' width at least.
  CDeck longDeck(PrintKind::kList, 10, 3, cases[1].text);
  CPrintPagination lp = longDeck.Pages();
  const std::vector<double>& le = lp.ColumnEdges();
  const double half = lp.Printable().width() / 2;
  EXPECT_GT(le[3] - le[2], half);
  EXPECT_LT(le[3] - le[2], half + half / 3);
}

TEST(PrintPaginationTest, ShortColumnsStayOnOneLineWhenTheRowIsTooNarrow) {
  // Three codes of 8 characters beside five long texts that cannot all fit:
  // the codes keep their whole width, the texts share what is left.
  CDeck deck(PrintKind::kList, 10, 8,
             [](int, int item) { return item < 3 ? u"100-0005"_s : QString(60, u'w'); });
  CPrintPagination p = deck.Pages();
  const std::vector<double>& e = p.ColumnEdges();
  for (int k = 0; k < 3; ++k) EXPECT_GE(e[k + 1] - e[k], 8 * 10 + 2 * CPrintPagination::kPadX - 1e-6);
  for (int k = 4; k < 8; ++k) EXPECT_NEAR(e[k + 1] - e[k], e[4] - e[3], 1e-6);
  EXPECT_NEAR(e.back(), p.Printable().right(), 1e-6);
  EXPECT_EQ(p.RowHeight(0), p.RowHeight(1));
}

// Columns get their widths from what they hold: amounts and dates keep their
// whole width beside long texts, an empty column gets almost none, a column
// of numbers stands right-aligned, and a width set for an item is kept.
TEST(PrintPaginationTest, ColumnsSizedByTheirContents) {
  const QStringList values{u"12000"_s, u"1979/2/14"_s, u""_s, QString(80, u'w') + u" 住所の続き"_s,
                           QString(70, u'v'), u"いろは"_s};
  CDeck deck(PrintKind::kList, 20, int(values.size()), [&](int card, int item) {
    return item == 0 ? QString::number(card * 1000 + 12000) : values[item];
  });
  CPrintPagination p = deck.Pages();
  const std::vector<double>& e = p.ColumnEdges();
  const double pad = 2 * CPrintPagination::kPadX;
  EXPECT_GE(e[1] - e[0], 5 * 10 + pad - 1e-6);
  EXPECT_GE(e[2] - e[1], 9 * 10 + pad - 1e-6);
  EXPECT_LE(e[3] - e[2], 20 + pad + 1e-6);  // empty: its heading a character a line
  EXPECT_EQ(p.RowHeight(0), p.RowHeight(5));
  EXPECT_TRUE(p.RightAligned(0));
  for (std::size_t c = 1; c < values.size(); ++c) EXPECT_FALSE(p.RightAligned(c)) << c;

  // Even with more columns than fit, amounts and dates keep their width.
  CDeck crowded(PrintKind::kList, 5, 14, [](int, int item) {
    return item == 0 ? u"12000"_s : item == 1 ? u"1979/2/14"_s : u"とても長い説明の文章がここに続きます"_s;
  });
  CPrintPagination cp = crowded.Pages();
  const std::vector<double>& ce = cp.ColumnEdges();
  EXPECT_GE(ce[1] - ce[0], 5 * 10 + pad - 1e-6);
  EXPECT_GE(ce[2] - ce[1], 9 * 10 + pad - 1e-6);
  EXPECT_NEAR(ce.back(), cp.Printable().right(), 1e-6);

  // Set widths come first; automatic columns share what is left.
  deck.request.extras.widths.insert(u"項目3"_s, 50);
  deck.request.extras.widths.insert(u"項目5"_s, 20);
  CPrintPagination fixed = deck.Pages();
  const std::vector<double>& f = fixed.ColumnEdges();
  EXPECT_NEAR(f[4] - f[3], 500, 1e-6);
  EXPECT_NEAR(f[6] - f[5], 200, 1e-6);
  EXPECT_NEAR(f.back(), fixed.Printable().right(), 1e-6);
  EXPECT_GE(f[2] - f[1], 9 * 10 + pad - 1e-6);

  // Widths past the page leave the other columns a little each.
  deck.request.extras.widths.insert(u"項目0"_s, 400);
  deck.request.extras.widths.insert(u"項目1"_s, 400);
  CPrintPagination over = deck.Pages();
  const std::vector<double>& o = over.ColumnEdges();
  for (std::size_t c = 0; c + 1 < o.size(); ++c) EXPECT_GT(o[c + 1] - o[c], 20) << c;
  EXPECT_NEAR(o.back(), over.Printable().right(), 1e-6);
}

TEST(PrintPaginationTest, TallRowsAndCardsStayOnOnePage) {
  const QString tall = QString(u"line\n"_s).repeated(200);
  // A list row taller than the page is cut at its foot and stands alone.
  CDeck list(PrintKind::kList, 3, 2, [&](int card, int) { return card == 1 ? tall : u"x"_s; });
  CPrintPagination lp = list.Pages();
  ASSERT_EQ(lp.PageCount(), 3);
  EXPECT_EQ(lp.Blocks(1).size(), 1u);
  EXPECT_EQ(lp.Blocks(1)[0].index, 1);
  EXPECT_LE(lp.Blocks(1)[0].top + lp.Blocks(1)[0].height, lp.Body().bottom() + 1e-6);

  // Cards are never split; one taller than the page is shrunk onto its own page.
  CDeck cards(PrintKind::kCards, 30, 4, [&](int card, int item) {
    return card == 7 && item == 2 ? tall : u"card %1 item %2"_s.arg(card).arg(item);
  });
  CPrintPagination cp = cards.Pages();
  EXPECT_GT(cp.NameWidth(), 0);
  int seen = 0;
  for (int page = 0; page < cp.PageCount(); ++page) {
    for (const auto& b : cp.Blocks(page)) {
      EXPECT_EQ(b.index, seen++);
      EXPECT_GE(b.top, cp.Body().top());
      EXPECT_LE(b.top + b.height, cp.Body().bottom() + 1e-6);
      if (b.index == 7) {
        EXPECT_EQ(cp.Blocks(page).size(), 1u);
        EXPECT_LT(b.scale, 1);
        EXPECT_NEAR(b.height, cp.Body().height(), 1e-6);
      } else {
        EXPECT_EQ(b.scale, 1);
        EXPECT_EQ(b.height, cp.CardHeight(b.index));
      }
    }
  }
  EXPECT_EQ(seen, 30);

  // A card that would shrink past the least scale keeps its short lines and
  // has its tall one cut to what fills the page at that scale.
  const QString huge = QString(u"line\n"_s).repeated(5000);
  CDeck big(PrintKind::kCards, 1, 3, [&](int, int item) { return item == 1 ? huge : u"x"_s; });
  CPrintPagination bp = big.Pages();
  const std::vector<double> heights = bp.CardLineHeights(0);
  ASSERT_EQ(heights.size(), 3u);
  EXPECT_EQ(heights[0], bp.CardLineHeight(0, 0));
  EXPECT_EQ(heights[2], bp.CardLineHeight(0, 2));
  EXPECT_LT(heights[1], bp.CardLineHeight(0, 1));
  ASSERT_EQ(bp.PageCount(), 1);
  EXPECT_NEAR(bp.Blocks(0)[0].scale, CPrintPagination::kMinCardScale, 1e-9);
}

TEST(PrintPaginationTest, LabelsFillSheetsFromTheStartPosition) {
  struct Case {
    int cards, start, pages;
    int firstRow, firstCol;
  };
  const Case cases[] = {
      {13, 0, 2, 0, 0}, {12, 0, 1, 0, 0}, {13, 5, 2, 2, 1}, {1, 11, 1, 5, 1}, {2, 11, 2, 5, 1},
      {0, 0, 1, 0, 0},  {3, 99, 2, 5, 1},  // a start past the sheet takes its last label
  };
  for (const Case& c : cases) {
    CDeck deck(PrintKind::kLabels, c.cards, 2, [](int card, int) { return u"v%1"_s.arg(card); });
    deck.request.startLabel = c.start;
    deck.request.labelLines = {{u"〒"_s, 0, {}}, {{}, 1, u" 様"_s}};
    CPrintPagination p = deck.Pages();
    EXPECT_EQ(p.PageCount(), c.pages) << c.cards << " from " << c.start;
    int total = 0;
    for (int page = 0; page < c.pages; ++page) {
      for (int index : p.LabelsOn(page)) {
        EXPECT_EQ(index, total++);
        EXPECT_EQ(p.LabelPage(index), page);
      }
    }
    EXPECT_EQ(total, c.cards);
    if (c.cards == 0) continue;
    // 84 x 33 mm labels 4 and 5 mm apart from 10 mm in.
    EXPECT_EQ(p.LabelRect(0), QRectF(100 + c.firstCol * 880, 100 + c.firstRow * 380, 840, 330));
  }
}

TEST(PrintPaginationTest, LabelTextsSkipEmptyLinesAndShrinkToFit) {
  CDeck deck(PrintKind::kLabels, 3, 3, [](int card, int item) {
    if (card == 0) return item == 0 ? u"100-0001"_s : item == 1 ? u"東京都\r\n千代田区"_s : u""_s;
    if (card == 1) return QString(item == 1 ? 200 : 1, u'あ');
    return QString();
  });
  deck.request.labelLines = {{u"〒"_s, 0, {}}, {{}, 1, {}}, {{}, 2, {}}, {{}, 2, u" 様"_s}};
  CPrintPagination p = deck.Pages();
  EXPECT_EQ(p.LabelLines(0), (QStringList{u"〒100-0001"_s, u"東京都"_s, u"千代田区"_s, u" 様"_s}));
  EXPECT_EQ(p.LabelLines(2), (QStringList{u"〒"_s, u" 様"_s}));
  const QRectF rect = p.LabelRect(1);
  const QStringList wide = p.LabelLines(1);
  const double scale = p.LabelScale(wide, rect);
  EXPECT_LT(scale, 1);
  EXPECT_LE(200 * 20 * scale, rect.width() - 2 * CPrintPagination::kPadX + 1e-6);
  const QStringList many(20, u"x"_s);
  EXPECT_LE(20 * 30 * p.LabelScale(many, rect), rect.height() - 2 * CPrintPagination::kPadY + 1e-6);
  EXPECT_EQ(p.LabelScale({u"short"_s}, rect), 1);
  // A line that continues the one before prints after its text; after a line
  // left out, on its own.
  deck.request.labelLines = {{u"〒"_s, 0, u" "_s}, {{}, 1, u" 様"_s, true}};
  EXPECT_EQ(deck.Pages().LabelLines(0), (QStringList{u"〒100-0001 東京都"_s, u"千代田区 様"_s}));
  deck.request.labelLines = {{{}, 2, {}}, {{}, 0, u" 様"_s, true}};
  EXPECT_EQ(deck.Pages().LabelLines(0), (QStringList{u"100-0001 様"_s}));
}

TEST(PrintPaginationTest, DamagedLayoutsStillPrint) {
  CDeck deck(PrintKind::kLabels, 5, 1, [](int, int) { return u"x"_s; });
  deck.request.sheet.m_row = 0;
  deck.request.sheet.m_cx = std::nan("");
  deck.request.sheet.m_cy = -3;
  deck.request.sheet.m_margins = {1e300, -5};
  deck.request.layout.m_margins = {-1, std::nan(""), 500, 150};
  CPrintPagination p = deck.Pages();
  EXPECT_EQ(p.Sheet().across, 1);
  EXPECT_EQ(p.PageCount(), 1);
  EXPECT_EQ(p.LabelRect(1), QRectF(100, 100 + 330 + 50, 840, 330));
  EXPECT_EQ(p.Printable(), QRectF(100, 100, 1900, 2770));
}

}  // namespace
