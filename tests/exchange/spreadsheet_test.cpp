#include "exchange/spreadsheet_reader.h"
#include "exchange/xlsx_writer.h"
#include "support/test_support.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

QString FixturePath(const QString& name) {
  return qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/tests/data/exchange/"_s + name;
}

TEST(SpreadsheetReader, XlsxShowsEachCellAsTheSheetDoes) {
  CExchangeReport report;
  const CSpreadsheetRead read = ReadSpreadsheet(FixturePath(u"sheet.xlsx"_s), {}, &report);
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(read.sheetNames, (QStringList{u"名簿"_s, u"別表"_s}));
  EXPECT_EQ(read.sheet, u"名簿"_s);
  const std::vector<QStringList> expected{
      {u"氏名"_s, u"番号"_s, u"誕生日"_s, u"金額"_s, u"率"_s, u"備考"_s, u"合計"_s},
      {u"山田 太郎"_s, u"0012"_s, u"1980/01/02"_s, u"1234.50"_s, u"12.50%"_s, u"一行目\r\n二行目"_s, u"2469"_s},
      {u"佐藤 花子"_s, u"12"_s, u"2023/03/15"_s, u"1,234,567"_s, u"TRUE"_s, u"結合"_s, u""_s, u"3"_s},
      {},
      {u"空行の後"_s},
  };
  EXPECT_EQ(read.rows, expected);
}

TEST(SpreadsheetReader, SheetChosenByName) {
  CExchangeReport report;
  const CSpreadsheetRead read = ReadSpreadsheet(FixturePath(u"sheet.xlsx"_s), u"別表"_s, &report);
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(read.rows, (std::vector<QStringList>{{u"別"_s}, {u"1"_s}}));
  CExchangeReport missing;
  ReadSpreadsheet(FixturePath(u"sheet.xlsx"_s), u"なし"_s, &missing);
  EXPECT_FALSE(missing.ok);
  EXPECT_TRUE(missing.error.contains(u"なし"_s) && missing.error.contains(u"別表"_s)) << missing.error;
}

TEST(SpreadsheetReader, OdsCells) {
  CExchangeReport report;
  const CSpreadsheetRead read = ReadSpreadsheet(FixturePath(u"sheet.ods"_s), {}, &report);
  ASSERT_TRUE(report.ok) << report.error;
  ASSERT_EQ(read.rows.size(), 3u);
  EXPECT_EQ(read.rows[0], (QStringList{u"氏名"_s, u"番号"_s, u"日付"_s, u"数"_s, u"率"_s, u"備考"_s}));
  EXPECT_EQ(read.rows[1], (QStringList{u"山田 太郎"_s, u"0012"_s, u"1980/01/02"_s, u"42"_s, u"2.5"_s, u"一行目\r\n二行目"_s}));
  EXPECT_EQ(read.rows[2].value(0), u"佐藤 花子"_s);
  EXPECT_EQ(read.rows[2].value(1), u""_s);
  EXPECT_EQ(read.rows[2].value(3), u"7"_s);
  EXPECT_EQ(read.rows[2].value(4), u""_s);
  EXPECT_EQ(read.rows[2].value(5), u"結合の右"_s);
}

TEST(SpreadsheetReader, DamagedFilesAreNamed) {
  CTestWorld world;
  world.WriteFile(u"text.xlsx"_s, "氏名,住所\n");
  world.WriteFile(u"empty.ods"_s, "");
  struct CCase {
    QString path;
    const char* says;
  } cases[] = {
      {FixturePath(u"truncated.xlsx"_s), "truncated.xlsx"},
      {world.Path(u"text.xlsx"_s), "text.xlsx"},
      {world.Path(u"empty.ods"_s), "empty.ods"},
      {world.Path(u"none.xlsx"_s), "none.xlsx"},
  };
  for (const CCase& c : cases) {
    CExchangeReport report;
    const CSpreadsheetRead read = ReadSpreadsheet(c.path, {}, &report);
    EXPECT_FALSE(report.ok) << c.path;
    EXPECT_TRUE(read.rows.empty()) << c.path;
    EXPECT_TRUE(report.error.contains(QString::fromUtf8(c.says))) << report.error;
  }
}

TEST(SpreadsheetReader, StopsAtTheMemoryBudget) {
  CExchangeReport report;
  const CSpreadsheetRead read = ReadSpreadsheet(FixturePath(u"sheet.xlsx"_s), {}, &report, 200);
  EXPECT_FALSE(report.ok);
  EXPECT_TRUE(report.error.contains(u"行目"_s)) << report.error;
}

TEST(SpreadsheetReader, NumberFormats) {
  struct CCase {
    double value;
    const char* code;
    const char* text;
  } cases[] = {
      {3, "General", "3"},
      {3.25, "General", "3.25"},
      {0.1 + 0.2, "General", "0.3"},
      {-7, "General", "-7"},
      {1234567.891, "#,##0.00", "1,234,567.89"},
      {-1234, "#,##0", "-1,234"},
      {0.5, "0%", "50%"},
      {0.1234, "0.0%", "12.3%"},
      {29222, "yyyy/mm/dd", "1980/01/02"},
      {29222, "m/d/yyyy", "1980/01/02"},
      {29222.5, "yyyy/mm/dd h:mm", "1980/01/02 12:00"},
      {0.75, "h:mm", "18:00"},
      {1.5, "[h]:mm:ss", "36:00:00"},
      {45000, "[$-411]ggge\"年\"m\"月\"d\"日\"", "2023/03/15"},
      {12345, "0.00E+00", "12345"},
      {42, "@", "42"},
  };
  for (const CCase& c : cases)
    EXPECT_EQ(FormatSheetNumber(c.value, QString::fromUtf8(c.code)), QString::fromUtf8(c.text)) << c.code;
  EXPECT_EQ(FormatSheetNumber(0, u"yyyy/mm/dd"_s, true), u"1904/01/01"_s);
}

CExchangeTable Deck() {
  CExchangeTable t;
  t.names = {u"氏名"_s, u"郵便番号"_s, u"電話"_s, u"金額"_s, u"誕生日"_s, u"メモ"_s};
  t.rows = {
      {u"山田 太郎"_s, u"0010012"_s, u"03-1234-5678"_s, u"1,234"_s, u"1980/01/02"_s, u"一行目\r\n二行目"_s},
      {u"佐藤"_s, u"100-0001"_s, u"09012345678"_s, u"0012"_s, u"いつか"_s, u""_s},
      {u""_s, u""_s, u""_s, u"-3.5"_s, u"2024/2/29"_s, u"\"引用\"\tタブ"_s},
  };
  return t;
}

const std::vector<CColumnKind> kDeckKinds{CColumnKind::kText, CColumnKind::kText, CColumnKind::kText,
                                          CColumnKind::kNumber, CColumnKind::kDate, CColumnKind::kText};

TEST(XlsxWriter, RoundTripGivesTheSameTexts) {
  CTestWorld world;
  const QString path = world.Path(u"out.xlsx"_s);
  CExchangeReport report;
  ASSERT_TRUE(WriteXlsx(path, Deck(), kDeckKinds, &report)) << report.error;
  CExchangeReport readReport;
  const CSpreadsheetRead read = ReadSpreadsheet(path, {}, &readReport);
  ASSERT_TRUE(readReport.ok) << readReport.error;
  const CExchangeTable deck = Deck();
  ASSERT_EQ(read.rows.size(), deck.rows.size() + 1);
  EXPECT_EQ(read.rows[0], deck.names);
  for (std::size_t r = 0; r < deck.rows.size(); ++r) {
    QStringList expected = deck.rows[r];
    expected[4].replace(u"2024/2/29"_s, u"2024/02/29"_s);
    QStringList got = read.rows[r + 1];
    while (got.size() < expected.size()) got << QString();
    EXPECT_EQ(got, expected) << r;
  }
}

TEST(XlsxWriter, RefusesWhatNoSheetHoldsAndKeepsTheOldFile) {
  CTestWorld world;
  const QString path = world.Path(u"keep.xlsx"_s);
  world.WriteFile(u"keep.xlsx"_s, "old");
  CExchangeTable t = Deck();
  t.rows[1][5] = QString(40000, u'x');
  CExchangeReport report;
  EXPECT_FALSE(WriteXlsx(path, t, kDeckKinds, &report));
  EXPECT_TRUE(report.error.contains(u"カード 2"_s) && report.error.contains(u"メモ"_s)) << report.error;
  EXPECT_EQ(world.ReadFile(u"keep.xlsx"_s), QByteArray("old"));
  CExchangeReport noFolder;
  EXPECT_FALSE(WriteXlsx(world.Path(u"no/such/folder.xlsx"_s), Deck(), kDeckKinds, &noFolder));
  EXPECT_FALSE(noFolder.error.isEmpty());
  EXPECT_EQ(SheetTextWidth(u"山田a\r\nb"_s), 5);
}

// The sheet as another spreadsheet program reads it: LibreOffice converts it
// to CSV. Skipped where LibreOffice is not installed.
TEST(XlsxWriter, OfficeSuiteReadsTheSameTexts) {
  const QString office = QStandardPaths::findExecutable(u"soffice"_s);
  if (office.isEmpty()) GTEST_SKIP() << "soffice is not installed";
  CTestWorld world;
  CExchangeReport report;
  ASSERT_TRUE(WriteXlsx(world.Path(u"out.xlsx"_s), Deck(), kDeckKinds, &report));
  QProcess p;
  p.start(office, {u"--headless"_s, u"-env:UserInstallation=file://"_s + world.Path(u"profile"_s),
                   u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s, world.Path({}),
                   world.Path(u"out.xlsx"_s)});
  ASSERT_TRUE(p.waitForFinished(600000));
  const QString csv = QString::fromUtf8(world.ReadFile(u"out.csv"_s));
  EXPECT_TRUE(csv.contains(u"山田 太郎,0010012,03-1234-5678"_s)) << csv;
  EXPECT_TRUE(csv.contains(u"100-0001"_s)) << csv;
}

}  // namespace
