#include "support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

class ExchangeCli : public ::testing::Test {
 protected:
  CCliRun Run(const QStringList& args, const QByteArray& input = {}) {
    return RunCli(args, input, w.Path(u"velum.reg"_s));
  }
  // The stored texts of a card file, as show --json prints them.
  std::vector<QStringList> Cards(const QString& name, QStringList* items = nullptr) {
    const CCliRun r = Run({u"show"_s, u"--stored"_s, u"--json"_s, w.Path(name)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    if (items) *items = o[u"items"_s].toVariant().toStringList();
    std::vector<QStringList> cards;
    for (const QJsonValue& c : o[u"cards"_s].toArray()) cards.push_back(c.toVariant().toStringList());
    return cards;
  }
  static QString Fixture(const QString& name) {
    return qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/tests/data/exchange/"_s + name;
  }
  CTestWorld w;
};

const QString kDeck = u"氏名,ふりがな,郵便番号,住所,電話,誕生日,メモ,会員番号\r\n"
                      u"山田 太郎,やまだ たろう,100-0001,東京都千代田区千代田1-1,03-1234-5678,1980/01/02,\"一行目\r\n二行目\",0012\r\n"
                      u"佐藤 花子,さとう はなこ,530-0005,大阪府大阪市北区中之島2-3-4,06-1111-2222,,\"カンマ, セミコロン;\",0100\r\n"_s;

TEST_F(ExchangeCli, DeckComesBackThroughVCardAndSheet) {
  w.WriteFile(u"deck.csv"_s, kDeck.toUtf8().prepend("\xef\xbb\xbf"));
  QStringList items;
  const std::vector<QStringList> original = Cards(u"deck.csv"_s, &items);
  for (const QString& out : {u"out.vcf"_s, u"out4.vcf"_s, u"out.xlsx"_s}) {
    QStringList args{u"export"_s, w.Path(u"deck.csv"_s), u"-o"_s, w.Path(out)};
    if (out == u"out4.vcf"_s) args << u"--vcard-version"_s << u"4.0"_s;
    CCliRun r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, u"2 cards\n"_s);
    const QString back = out + u".csv"_s;
    r = Run({u"import"_s, w.Path(out), u"-o"_s, w.Path(back)});
    ASSERT_EQ(r.exitCode, 0) << out << r.err;
    QStringList backItems;
    const std::vector<QStringList> cards = Cards(back, &backItems);
    ASSERT_EQ(cards.size(), original.size()) << out;
    for (int i = 0; i < items.size(); ++i) {
      const qsizetype j = backItems.indexOf(items[i]);
      ASSERT_GE(j, 0) << out << " " << items[i];
      for (std::size_t c = 0; c < cards.size(); ++c) EXPECT_EQ(cards[c][j], original[c][i]) << out << " " << items[i];
    }
  }
  EXPECT_TRUE(w.ReadFile(u"out4.vcf"_s).contains("VERSION:4.0"));
}

TEST_F(ExchangeCli, ImportAppendsByNameAndNamesWhatItLeftOut) {
  w.WriteFile(u"deck.csv"_s, Sjis(u"氏名,住所\r\n元,東京\r\n"_s));
  CCliRun r = Run({u"import"_s, Fixture(u"sheet.xlsx"_s), u"-o"_s, w.Path(u"deck.csv"_s), u"--append"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.contains(u"番号"_s)) << r.err;
  const std::vector<QStringList> cards = Cards(u"deck.csv"_s);
  ASSERT_EQ(cards.size(), 5u);
  EXPECT_EQ(cards[1], (QStringList{u"山田 太郎"_s, u""_s}));
  EXPECT_EQ(cards[4], (QStringList{u"空行の後"_s, u""_s}));

  r = Run({u"import"_s, Fixture(u"sheet.xlsx"_s), u"-o"_s, w.Path(u"other.csv"_s), u"--sheet"_s, u"別表"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  QStringList items;
  EXPECT_EQ(Cards(u"other.csv"_s, &items), (std::vector<QStringList>{{u"1"_s}}));
  EXPECT_EQ(items, (QStringList{u"別"_s}));
}

TEST_F(ExchangeCli, BadInputLeavesFilesAlone) {
  w.WriteFile(u"deck.csv"_s, Sjis(u"氏名\r\n元\r\n"_s));
  const QByteArray before = w.ReadFile(u"deck.csv"_s);
  struct CCase {
    QStringList args;
    int exit;
    const char* says;
  } cases[] = {
      {{u"import"_s, Fixture(u"truncated.xlsx"_s), u"-o"_s, w.Path(u"deck.csv"_s), u"--append"_s}, 1, "truncated.xlsx"},
      {{u"import"_s, Fixture(u"sheet.xlsx"_s), u"-o"_s, w.Path(u"deck.csv"_s)}, 1, "exists"},
      {{u"import"_s, Fixture(u"sheet.xlsx"_s), u"-o"_s, w.Path(u"n.csv"_s), u"--sheet"_s, u"無"_s}, 1, "無"},
      {{u"import"_s, w.Path(u"deck.csv"_s)}, 2, "usage"},
      {{u"export"_s, w.Path(u"deck.csv"_s), u"-o"_s, w.Path(u"x.pdf"_s)}, 2, ".vcf"},
      {{u"export"_s, w.Path(u"deck.csv"_s), u"-o"_s, w.Path(u"x.vcf"_s), u"--vcard-version"_s, u"2.1"_s}, 2, "3.0"},
  };
  for (const CCase& c : cases) {
    const CCliRun r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exit) << c.args.join(u' ') << r.err;
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err;
  }
  EXPECT_EQ(w.ReadFile(u"deck.csv"_s), before);
  EXPECT_FALSE(QFile::exists(w.Path(u"n.csv"_s)));
}

TEST_F(ExchangeCli, BatchImportsAndExports) {
  w.WriteFile(u"deck.csv"_s, Sjis(u"氏名,電話\r\n元,1\r\n"_s));
  const QString script = u"import "_s + Fixture(u"phone_21_sjis.vcf"_s) +
                         u"\nstate\nexport "_s + w.Path(u"one.vcf"_s) + u" 1\nanswer no\nopen "_s + w.Path(u"deck.csv"_s) +
                         u"\nimport "_s + Fixture(u"contacts_40.vcf"_s) + u" --append\nshow\n"_s;
  const CCliRun r = Run({u"batch"_s}, script.toUtf8());
  ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
  EXPECT_TRUE(r.out.contains(u"2 cards"_s)) << r.out;
  EXPECT_TRUE(r.out.contains(u"写真 1 枚"_s)) << r.out;
  EXPECT_TRUE(r.out.contains(u"\"visible\":2"_s)) << r.out;
  EXPECT_TRUE(r.out.contains(u"田中 次郎\t"_s)) << r.out;
  EXPECT_TRUE(w.ReadFile(u"one.vcf"_s).contains("FN:\xe4\xbd\x90\xe8\x97\xa4")) << w.ReadFile(u"one.vcf"_s).constData();
}

}  // namespace
