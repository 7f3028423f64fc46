#include "japanese/japanese_settings.h"
#include "support/test_support.h"

#include <QDir>

using namespace Qt::StringLiterals;

// velum-cli's postal command, よみ順 sorting and WAREKI, run as the binary.

namespace {

class JapaneseCli : public ::testing::Test {
 protected:
  void SetUp() override {
    // The small dictionaries of the tests stand for skkdic-extra's.
    qputenv("VELUM_POSTAL_DIR", (qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/tests/data/japanese"_s).toUtf8());
  }
  void TearDown() override { qunsetenv("VELUM_POSTAL_DIR"); }
  CCliRun Run(const QStringList& args) { return RunCli(args, {}, w.Path(u"velum.reg"_s)); }
  CTestWorld w;
};

}  // namespace

TEST_F(JapaneseCli, PostalCodeToAddresses) {
  CCliRun r = Run({u"postal"_s, u"498-0000"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"愛知県弥富市\n三重県桑名郡木曽岬町\n"_s);
  r = Run({u"postal"_s, u"〒１００－０００１"_s});
  EXPECT_EQ(r.out, u"東京都千代田区千代田\n皇居警察 @ 東京都千代田区千代田１−１\n"_s);
  r = Run({u"postal"_s, u"1000002"_s});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.isEmpty());
  r = Run({u"postal"_s, u"12345"_s});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(u"12345"));
  EXPECT_EQ(Run({u"postal"_s}).exitCode, 2);
  EXPECT_EQ(Run({u"postal"_s, u"1000001"_s, u"1000002"_s}).exitCode, 2);
}

TEST_F(JapaneseCli, AddressToCodes) {
  CCliRun r = Run({u"postal"_s, u"--address"_s, u"東京都千代田区千代田1-1"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"1000001\t東京都千代田区千代田\n1000000\t東京都千代田区\n"_s);
  EXPECT_EQ(Run({u"postal"_s, u"--address"_s, u"大阪府"_s}).exitCode, 1);
}

TEST_F(JapaneseCli, CheckPrintsTheCardsThatDisagree) {
  w.WriteFile(u"a.csv"_s, Sjis(u"氏名,〒,住所1\r\n一,100-0001,東京都千代田区千代田1-1\r\n二,1000001,大阪府大阪市\r\n"
                               u"三,9999999,東京都\r\n四,,東京都\r\n"_s));
  CCliRun r = Run({u"postal"_s, u"--check"_s, w.Path(u"a.csv"_s)});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"1\t1000001\t大阪府大阪市\t東京都千代田区千代田\n2\t9999999\t東京都\t\n"_s);
  // Items named on the command line.
  w.WriteFile(u"b.csv"_s, Sjis(u"zip,addr\r\n4980000,大阪府\r\n"_s));
  r = Run({u"postal"_s, u"--check"_s, w.Path(u"b.csv"_s), u"--code"_s, u"zip"_s, u"--address"_s, u"#1"_s});
  EXPECT_EQ(r.out, u"0\t4980000\t大阪府\t愛知県弥富市 / 三重県桑名郡木曽岬町\n"_s);
  r = Run({u"postal"_s, u"--check"_s, w.Path(u"b.csv"_s)});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_EQ(Run({u"postal"_s, u"--check"_s, w.Path(u"missing.csv"_s)}).exitCode, 1);
}

TEST_F(JapaneseCli, ANewerListFromJapanPostReplacesTheDictionaries) {
  CSettingsStore settings(w.Path(u"velum.reg"_s));
  WriteSetting(settings, settings::kPostalFile,
               qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/tests/data/japanese/KEN_ALL.CSV"_s);
  CCliRun r = Run({u"postal"_s, u"0660005"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"北海道千歳市蘭越\n"_s);
  EXPECT_EQ(Run({u"postal"_s, u"1000001"_s}).exitCode, 1);  // not in that list
  WriteSetting(settings, settings::kPostalFile, w.Path(u"gone.csv"_s));
  r = Run({u"postal"_s, u"1000001"_s});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(u"gone.csv"));
}

TEST_F(JapaneseCli, SortInYomiOrderAndWareki) {
  w.WriteFile(u"r.csv"_s, Sjis(u"名前,ふりがな\r\n渡辺,わたなべ\r\n加藤,カトウ\r\n我藤,がとう\r\n阿部,あべ\r\n"_s));
  CCliRun r = Run({u"sort"_s, w.Path(u"r.csv"_s), u"ふりがな:4"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"名前\tふりがな\n阿部\tあべ\n加藤\tカトウ\n我藤\tがとう\n渡辺\tわたなべ\n"_s);
  r = Run({u"sort"_s, w.Path(u"r.csv"_s), u"ふりがな:5"_s});
  EXPECT_EQ(r.out, u"名前\tふりがな\n渡辺\tわたなべ\n我藤\tがとう\n加藤\tカトウ\n阿部\tあべ\n"_s);
  r = Run({u"formula"_s, u"WAREKI(1975/4/12)"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"昭和50年4月12日\n"_s);
}
