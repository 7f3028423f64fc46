#include "formula/formula_engine.h"
#include "formula/item_formula.h"
#include "formula/number_text.h"
#include "japanese/japanese_settings.h"
#include "japanese/wide_digits.h"
#include "select/find.h"
#include "select/search_matcher.h"
#include "select/select_commands.h"
#include "select/select_fixture.h"
#include "select/sort.h"

using namespace Qt::StringLiterals;

// What the Japanese text rules change in sorting, searching and reading
// numbers, through the commands the menus run.

namespace {

// Restores the process-wide switch for full-width digits after a test.
struct CWideDigitsScope {
  explicit CWideDigitsScope(bool on) { SetWideDigitsAsNumbers(on); }
  ~CWideDigitsScope() { SetWideDigitsAsNumbers(true); }
};

}  // namespace

TEST_F(SelectTest, YomiOrdersSortAsADictionaryAndStably) {
  Open(u"name|reading"_s, {u"1|わたなべ"_s, u"2|ｶﾄｳ"_s, u"3|あべ"_s, u"4|カトウ"_s, u"5|がとう"_s, u"6|かとう"_s,
                           u"7|1丁目10番"_s, u"8|1丁目2番"_s, u"9|Abe"_s, u"10|abd"_s});
  SortCommand(doc, 1, kYomiAscending);
  EXPECT_EQ(Visible(1), (QStringList{u"1丁目2番"_s, u"1丁目10番"_s, u"abd"_s, u"Abe"_s, u"あべ"_s, u"ｶﾄｳ"_s,
                                      u"カトウ"_s, u"かとう"_s, u"がとう"_s, u"わたなべ"_s}));
  // Descending reverses the order but keeps equal texts in their order.
  SortCommand(doc, 1, kYomiDescending);
  EXPECT_EQ(Visible(1), (QStringList{u"わたなべ"_s, u"がとう"_s, u"ｶﾄｳ"_s, u"カトウ"_s, u"かとう"_s, u"あべ"_s,
                                      u"Abe"_s, u"abd"_s, u"1丁目10番"_s, u"1丁目2番"_s}));
  // The code-unit order of before is still order 0.
  SortCommand(doc, 1, kTextAscending);
  EXPECT_EQ(Visible(1).mid(4, 4), (QStringList{u"あべ"_s, u"かとう"_s, u"がとう"_s, u"わたなべ"_s}));
}

TEST_F(SelectTest, YomiOrdersHaveTheirWordsAndStoredKeys) {
  Open(u"ふりがな"_s, {u"a"_s});
  EXPECT_EQ(SortOrderRadioLabels().mid(4), (QStringList{u"昇順（よみ）"_s, u"降順（よみ）"_s}));
  EXPECT_EQ(SortOrderEntryLabels().mid(4), (QStringList{u"昇順（よみ）"_s, u"降順（よみ）"_s}));
  EXPECT_EQ(SortKeyLabel(doc.Store(), CVelumSort(0, kYomiAscending)), u"ふりがな よみ（昇順）"_s);
  EXPECT_EQ(SortKeyLabel(doc.Store(), CVelumSort(0, kYomiDescending)), u"ふりがな よみ（降順）"_s);
  EXPECT_EQ(SortKeyLabel(doc.Store(), CVelumSort(0, 6)), QString());
  EXPECT_FALSE(IsUsableSortKey(doc.Store(), CVelumSort(0, 6)));
}

TEST_F(SelectTest, SearchesFoldKanaAndWidths) {
  Open(u"name|tel"_s, {u"加藤|カトウ"_s, u"佐藤|ｻﾄｳ"_s, u"鈴木|すずき"_s, u"ABC|ＡＢＣ商店"_s, u"x|ｶﾞｯｺｳ"_s});
  struct Case {
    int condition;
    QString word;
    QStringList found;
  };
  const Case cases[] = {
      {kContains, u"かとう"_s, {u"加藤"_s}},
      {kContains, u"とう"_s, {u"加藤"_s, u"佐藤"_s}},
      {kEquals, u"ｽｽﾞｷ"_s, {u"鈴木"_s}},
      {kBeginsWith, u"abc"_s, {u"ABC"_s}},
      {kContains, u"がっこう"_s, {u"x"_s}},
      {kEndsWith, u"商店"_s, {u"ABC"_s}},
  };
  for (const Case& c : cases) {
    ReleaseFilterCommand(doc);
    FilterCommand(doc, {1}, c.condition, c.word, kFromAllCards);
    EXPECT_EQ(Visible(), c.found) << c.word;
  }
  // 検索 and the item list's incremental search fold too.
  ReleaseFilterCommand(doc);
  EXPECT_EQ(SearchCommand(doc, {1}, kContains, u"さとう"_s, 0).card, 1);
  CIncrementalSearch search;
  EXPECT_EQ(IncrementalSearchCommand(doc, search, 1, u"ｽｽﾞ"_s, 0, 0), 2);
  EXPECT_EQ(IncrementalSearchCommand(doc, search, 1, u"ａｂｃ"_s, 0, 0), 3);

  // Off: the texts compare as before, unit by unit.
  WriteSetting(*w.settings, settings::kKanaFold, 0);
  FilterCommand(doc, {1}, kContains, u"かとう"_s, kFromAllCards);
  EXPECT_EQ(doc.VisibleCount(), 5);  // nothing matched: every card stays
  EXPECT_EQ(SearchCommand(doc, {1}, kContains, u"さとう"_s, 0).card, -1);
  CIncrementalSearch plain;
  EXPECT_EQ(IncrementalSearchCommand(doc, plain, 1, u"ｽｽﾞ"_s, 0, 0), -1);
}

TEST_F(SelectTest, FullWidthDigitsAreNumbersWhereverNumbersAreRead) {
  InstallItemFormulas();
  Open(u"v|double"_s, {u"１２３|"_s, u"－５|"_s, u"１，２３４．５|"_s, u"7|"_s});
  doc.Store().Property(1).m_formula = u"%[v]*2"_s;
  // The value a formula computes, interpreted and compiled.
  for (const bool compiled : {false, true}) {
    UseCompiledFormulas(compiled);
    doc.Store().RecalcAll();
    EXPECT_EQ(doc.Store().GetItemValue(0, 1), u"246"_s) << compiled;
    EXPECT_EQ(doc.Store().GetItemValue(1, 1), u"-10"_s) << compiled;
    EXPECT_EQ(doc.Store().GetItemValue(2, 1), u"2469"_s) << compiled;
  }
  UseCompiledFormulas(true);
  EXPECT_EQ(EvaluateFormulaText(doc.Store(), 0, false, u"SUM(%[v])", false), u"1359.5"_s);
  // Totals and sort by number.
  EXPECT_EQ((*TotalsCommand(doc, 0))[1], u"1,359.5"_s);
  SortCommand(doc, 0, kNumberAscending);
  EXPECT_EQ(Visible(), (QStringList{u"－５"_s, u"7"_s, u"１２３"_s, u"１，２３４．５"_s}));
  // The filter's greater-than (which reads up to a comma, as it always has).
  FilterCommand(doc, {0}, kGreaterThan, u"１００"_s, kFromAllCards);
  EXPECT_EQ(Visible(), (QStringList{u"１２３"_s}));
  // Dates.
  EXPECT_EQ(EvaluateFormulaText(doc.Store(), 0, false, u"YOUBI(２０２６／１２／７)", false), u"月"_s);
  // Stored texts stay as typed.
  EXPECT_EQ(doc.Store().GetItemText(0, 0).toString(), u"１２３"_s);

  // Off: the old reading, where a full-width digit is no digit.
  CWideDigitsScope off(false);
  EXPECT_EQ(TextToNumber(u"１２３"), 0.0);
  EXPECT_EQ(TextToNumber(u"123"), 123.0);
  EXPECT_FALSE(IsNumericText(u"１２３"));
}

TEST(WarekiFormulaTest, WarekiInFormulas) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  InstallItemFormulas();
  const std::pair<const char16_t*, const char16_t*> rows[] = {
      {u"WAREKI(1975/4/12)", u"昭和50年4月12日"},
      {u"WAREKI(1975/4/12,1)", u"S50.4.12"},
      {u"WAREKI(1975/4/12,2)", u"昭和50年"},
      {u"WAREKI(1975/4/12,3)", u"昭和五十年四月十二日"},
      {u"WAREKI(2019/5/1,10)", u"令和元年5月1日"},
      {u"WAREKI(昭和50年4月12日)", u"昭和50年4月12日"},
      {u"WAREKI(１９７５／４／１２)", u"昭和50年4月12日"},
      {u"WAREKI(1975/4/12,4)", u""},  // no such form: an empty text
      {u"WAREKI(1800/1/1)", u"計算式が誤っています"},  // no date the program reads
  };
  for (const auto& [formula, value] : rows)
    EXPECT_EQ(EvaluateFormulaText(doc.Store(), 0, false, formula, false), QString::fromUtf16(value))
        << QString::fromUtf16(formula);
}
