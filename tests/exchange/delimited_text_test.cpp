#include "exchange/delimited_text.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

TEST(DelimitedText, ParsesSpreadsheetClipboardRows) {
  struct CCase {
    const char* name;
    const char* text;
    std::vector<QStringList> rows;
  } cases[] = {
      {"one row", "a\tb\tc\n", {{u"a"_s, u"b"_s, u"c"_s}}},
      {"no last line break", "a\tb", {{u"a"_s, u"b"_s}}},
      {"crlf rows", "a\tb\r\nc\td\r\n", {{u"a"_s, u"b"_s}, {u"c"_s, u"d"_s}}},
      {"empty cells", "\t\tx\n\t\n", {{u""_s, u""_s, u"x"_s}, {u""_s, u""_s}}},
      {"trailing tab", "a\t\n", {{u"a"_s, u""_s}}},
      {"quoted cell with a line break", "\"one\ntwo\"\tx\n", {{u"one\r\ntwo"_s, u"x"_s}}},
      {"doubled quotes", "\"say \"\"hi\"\"\"\ty\n", {{u"say \"hi\""_s, u"y"_s}}},
      {"quoted tab", "\"a\tb\"\tc\n", {{u"a\tb"_s, u"c"_s}}},
      {"quote inside a cell stays", "5\" disk\tz\n", {{u"5\" disk"_s, u"z"_s}}},
      {"unclosed quote runs to the end", "\"abc\tdef\n", {{u"abc\tdef\r\n"_s}}},
      {"leading zero kept", "0012\t03-1234\n", {{u"0012"_s, u"03-1234"_s}}},
      {"empty text", "", {}},
  };
  for (const CCase& c : cases) EXPECT_EQ(ParseDelimited(QString::fromUtf8(c.text), u'\t'), c.rows) << c.name;
  EXPECT_EQ(ParseDelimited(u"a;\"b;c\";d\n"_s, u';'), (std::vector<QStringList>{{u"a"_s, u"b;c"_s, u"d"_s}}));
}

TEST(DelimitedText, TellsRowsFromPlainText) {
  EXPECT_TRUE(LooksLikeTabRows(u"a\tb"_s));
  EXPECT_TRUE(LooksLikeTabRows(u"\"x\ty\"\nz\tw"_s));
  EXPECT_FALSE(LooksLikeTabRows(u"plain text"_s));
  EXPECT_FALSE(LooksLikeTabRows(u"\"a\tb\""_s));
}

TEST(DelimitedText, FormattedRowsReadBack) {
  CExchangeTable t;
  t.names = {u"氏名"_s, u"メモ"_s, u"番号"_s};
  t.rows = {{u"山田"_s, u"一行目\r\n二行目"_s, u"0012"_s},
            {u"a\tb"_s, u"\"quoted\""_s, u" lead"_s},
            {u""_s, u""_s, u""_s}};
  const QString text = FormatTabRows(t, true);
  EXPECT_TRUE(text.startsWith(u"氏名\tメモ\t番号\n"_s));
  EXPECT_FALSE(text.contains(u'\r'));
  std::vector<QStringList> expected{t.names};
  expected.insert(expected.end(), t.rows.begin(), t.rows.end());
  EXPECT_EQ(ParseDelimited(text, u'\t'), expected);
}

TEST(ExchangeTable, HeaderRowAndWidths) {
  EXPECT_TRUE(LooksLikeItemNames({u"氏名"_s, u"住所"_s}));
  EXPECT_FALSE(LooksLikeItemNames({u"氏名"_s, u""_s}));
  EXPECT_FALSE(LooksLikeItemNames({u"山田"_s, u"1980/01/02"_s}));
  EXPECT_FALSE(LooksLikeItemNames({u"山田"_s, u"1,234"_s}));
  EXPECT_FALSE(LooksLikeItemNames({u"a"_s, u"a"_s}));
  EXPECT_FALSE(LooksLikeItemNames({}));

  CExchangeReport report;
  CExchangeTable t = TableFromRows({{u"A"_s, u""_s, u"A"_s}, {u"1"_s}, {u"1"_s, u"2"_s, u"3"_s, u"4"_s}},
                                   true, 3, &report);
  EXPECT_EQ(t.names, (QStringList{u"A"_s, u"項目2"_s, u"項目3"_s}));
  EXPECT_EQ(t.rows, (std::vector<QStringList>{{u"1"_s, u""_s, u""_s}, {u"1"_s, u"2"_s, u"3"_s}}));
  EXPECT_TRUE(report.Message().contains(u"4 列"_s)) << report.Message();
}

}  // namespace
