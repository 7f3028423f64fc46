#include "formula/function_catalog.h"
#include "support/test_support.h"

using namespace Qt::Literals::StringLiterals;

// Runs first: the catalog is process-wide and only grows.
TEST(FunctionCatalog, FirstUseAddsTheComputedRowsAndStartUpTheRest) {
  EXPECT_EQ(FunctionCatalog().size(), 33u);
  EXPECT_EQ(GetArgumentCount(u"IF"), 3);
  EXPECT_EQ(GetArgumentCount(u"SUM"), -1);
  EXPECT_EQ(FunctionCategoryList(), QStringList({u"全て"_s, u"数学"_s, u"三角関数"_s, u"日付"_s, u"時間"_s, u"参照"_s}));
  CompleteFunctionCatalog();
  CompleteFunctionCatalog();  // a second start-up step adds nothing
  const std::vector<CFunctionEntry> all = FunctionCatalog();
  ASSERT_EQ(all.size(), 63u);
  EXPECT_EQ(all[0].name, u"ABS"_s);
  EXPECT_EQ(all[32].name, u"IF"_s);
  EXPECT_EQ(all[33].name, u"YEARS"_s);
  EXPECT_EQ(all[61].name, u"PAD"_s);
  EXPECT_EQ(all[62].name, u"WAREKI"_s);
  EXPECT_EQ(GetArgumentCount(u"SUM"), 1);
}

TEST(FunctionCatalog, ArgumentCountsIgnoreCase) {
  CompleteFunctionCatalog();
  const struct {
    const char16_t* name;
    int count;
  } cases[] = {{u"sqr", 1},       {u"Sqr", 1},    {u"SQR", 1},   {u"dateserial", 3}, {u"PI", -1},
               {u"SUM", 1},       {u"now", 0},    {u"index", 0}, {u"stradd", 2},     {u"", -1},
               {u"SQRT", -1},     {u"SQ", -1},    {u"ｓｑｒ", -1}, {u"ſqr", 1}};  // CharUpper maps ſ to S
  for (const auto& c : cases) {
    const QString name = QString::fromUtf16(c.name);
    EXPECT_EQ(GetArgumentCount(name), c.count) << name;
  }
}

TEST(FunctionCatalog, EntriesAsTheDialogShowsThem) {
  CompleteFunctionCatalog();
  const CFunctionEntry round = GetEntry(u"ROUND");
  EXPECT_EQ(round.category, u"数学"_s);
  EXPECT_EQ(round.argumentCount, 2);
  EXPECT_EQ(FunctionCallText(round), u"ROUND(値,桁数)"_s);
  EXPECT_EQ(round.description, u"四捨五入する。桁数は正の場合、小数点以下、負の場合、整数部分。"_s);
  EXPECT_EQ(FunctionCallText(GetEntry(u"NOW")), u"NOW()"_s);
  EXPECT_EQ(FunctionCallText(GetEntry(u"NETWORKDAYS")), u"NETWORKDAYS(日付1,日付2,休日日付,,)"_s);
  EXPECT_EQ(GetEntry(u"DATEADD").description, u"日付文字列に間隔を加える。単位 年：\"yyyy\",月：\"m\",日：\"d\""_s);
  EXPECT_EQ(GetEntry(u"IFS").description,
            u"条件が正しいときには項目１を、そうでないときには項目２を返す。条件には文字列項目が使える。"
            u"文字列定数は\"\"で囲まない。無駄な空白は条件式には書けない。"_s);
  EXPECT_EQ(GetEntry(u"PAD").description, u"数字を桁に合わせます。足りない桁の前に「埋める文字」を必要数置きます。"_s);
  // GetEntry takes the exact name.
  const CFunctionEntry none = GetEntry(u"round");
  EXPECT_TRUE(none.name.isEmpty() && none.category.isEmpty() && none.argumentHint.isEmpty() &&
              none.description.isEmpty());
  EXPECT_EQ(none.argumentCount, 0);
}

TEST(FunctionCatalog, CategoryAndFunctionLists) {
  CompleteFunctionCatalog();
  EXPECT_EQ(FunctionCategoryList(), QStringList({u"全て"_s, u"数学"_s, u"三角関数"_s, u"日付"_s, u"時間"_s, u"参照"_s,
                                                 u"統計"_s, u"文字列"_s}));
  const struct {
    const char16_t* category;
    QStringList names;
  } cases[] = {
      {u"参照", {u"IF"_s, u"AFTER"_s, u"BEFORE"_s, u"NUM"_s, u"CALC"_s, u"INDEX"_s}},
      {u"時間", {u"TIMESERIAL"_s, u"HOUR"_s, u"MINUTE"_s, u"SECOND"_s, u"TIME"_s, u"TIMESTR"_s, u"SUMTIME"_s}},
      {u"統計", {u"AVERAGE"_s, u"MAXITEM"_s, u"MINITEM"_s, u"SUM"_s, u"VARP"_s}},
      {u"無い", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FunctionNameList(c.category), c.names) << QString::fromUtf16(c.category);
  const QStringList all = FunctionNameList(kAllFunctionsCategory);
  ASSERT_EQ(all.size(), 63);
  EXPECT_EQ(all.first(), u"ABS"_s);
  EXPECT_EQ(all.last(), u"WAREKI"_s);
  EXPECT_EQ(all.indexOf(u"DATESERIAL"_s), 20);
  // Every category line lists its entries once; together they are the whole catalog.
  qsizetype total = 0;
  for (const QString& category : FunctionCategoryList().mid(1)) total += FunctionNameList(category).size();
  EXPECT_EQ(total, 63);
  EXPECT_EQ(FunctionNameList(u"日付").size(), 17);
}
