#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

const QString kPrices = u"名前,金額\r\nb,\"1,000\"\r\nA,\"\\2,500\"\r\na,abc\r\nB,999\r\n"_s;
const QString kCities = u"名前,住所,金額\r\na,東京,100\r\nb,大阪,200\r\nc,東京,300\r\nd,名古屋,400\r\n"_s;

class SelectCli : public ::testing::Test {
 protected:
  CCliRun Run(const QStringList& args, const QString& input = {}) {
    return RunCli(args, input.toUtf8(), w.Path(u"velum.reg"_s));
  }
  CCliRun Batch(const QString& file, const QStringList& lines) {
    return Run({u"batch"_s, w.Path(file)}, lines.join(u'\n') + u'\n');
  }
  CTestWorld w;
};

}  // namespace

TEST_F(SelectCli, SortPrintsOrSaves) {
  w.WriteFile(u"p.csv"_s, Sjis(kPrices));
  const QString sorted = u"名前\t金額\na\tabc\nB\t999\nb\t1,000\nA\t\\\\2,500\n"_s;
  CCliRun r = Run({u"sort"_s, w.Path(u"p.csv"_s), u"金額:1"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, sorted);
  // Text ascending ties a with A and b with B: the file order decides.
  r = Run({u"sort"_s, w.Path(u"p.csv"_s), u"#0:0"_s, u"[マーク]:2"_s});
  EXPECT_EQ(r.out, u"名前\t金額\nA\t\\\\2,500\na\tabc\nb\t1,000\nB\t999\n"_s);

  r = Run({u"sort"_s, w.Path(u"p.csv"_s), u"-o"_s, w.Path(u"out.csv"_s), u"金額:1"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Run({u"show"_s, w.Path(u"out.csv"_s)}).out, sorted);
  EXPECT_EQ(w.ReadFile(u"p.csv"_s), Sjis(kPrices));

  const std::pair<QStringList, int> errors[] = {
      {{u"金額:6"_s}, 2}, {{u"金額"_s}, 2}, {{u":1"_s}, 2}, {{}, 2}, {{u"住所:0"_s}, 1}};
  for (const auto& [keys, code] : errors) {
    r = Run(QStringList{u"sort"_s, w.Path(u"p.csv"_s)} + keys);
    EXPECT_EQ(r.exitCode, code) << keys.join(u' ');
    EXPECT_TRUE(r.out.isEmpty());
  }
}

TEST_F(SelectCli, CountAndTotals) {
  w.WriteFile(u"c.csv"_s, Sjis(u"住所,金額\r\n東京,\"1,000\"\r\n大阪,\"\\2,500\"\r\n東京,abc\r\n東京,\r\n大阪,x\r\n名古屋,\r\n"_s));
  CCliRun r = Run({u"count"_s, w.Path(u"c.csv"_s), u"住所"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"総数 6\n   3  東京\n   2  大阪\n   1  名古屋\n"_s);
  r = Run({u"totals"_s, w.Path(u"c.csv"_s), u"#1"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"項目名 金額\n合計 3,500\n平均 1,750\n最大値 2,500\n最小値 1,000\n分散 562,500\n標準偏差 750\n有効件数 2\n"_s);
  EXPECT_EQ(Run({u"count"_s, w.Path(u"c.csv"_s), u"電話"_s}).exitCode, 1);
  EXPECT_EQ(Run({u"totals"_s, w.Path(u"c.csv"_s)}).exitCode, 2);
}

TEST_F(SelectCli, BatchFiltersSearchesAndSums) {
  w.WriteFile(u"b.csv"_s, Sjis(kCities));
  const CCliRun r = Batch(u"b.csv"_s, {
      u"filter 0 0 東京 住所"_s,
      u"count 住所"_s,
      u"complement"_s,
      u"show"_s,
      u"hide 0"_s,
      u"release"_s,
      u"filter 1 0 東京 住所"_s,   // unfiltered: from all cards
      u"filter 2 0 大阪 住所"_s,   // OR
      u"filter 1 0 札幌 住所"_s,   // AND without a match: every card again
      u"sort 金額:3"_s,
      u"find 0 東 名前 住所"_s,
      u"next"_s,
      u"next"_s,
      u"prev"_s,
      u"totals 金額 0 1"_s,
      u"answer cancel"_s,
      u"discard"_s,
      u"show"_s,
  });
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"総数 2\n"
                   "   2  東京\n"
                   "question: 絞り込みされていないカードを表示します。よろしいですか？ -> ok\n"
                   "名前\t住所\t金額\nb\t大阪\t200\nd\t名古屋\t400\n"
                   "question: 絞り込みを解除します -> ok\n"
                   "message: カードが見つかりません\n"
                   "found: 1 住所\n"
                   "found: 3 住所\n"
                   "message: カードが見つかりません\n"
                   "found: 3 住所\n"
                   "項目名 金額\n合計 700\n平均 350\n最大値 400\n最小値 300\n分散 2,500\n標準偏差 50\n有効件数 2\n"
                   "question: 表示中のカードを全て廃棄します -> cancel\n"
                   "名前\t住所\t金額\nd\t名古屋\t400\nc\t東京\t300\nb\t大阪\t200\na\t東京\t100\n"_s);
}

// With every visible card hidden, each later command copes: nothing acts on a
// card that does not exist, and the filter commands bring cards back.
TEST_F(SelectCli, EveryCommandCopesWithNoVisibleCard) {
  w.WriteFile(u"b.csv"_s, Sjis(kCities));
  const CCliRun r = Batch(u"b.csv"_s, {
      u"filter 0 0 東京 住所"_s, u"hide 0 1"_s, u"state"_s, u"show"_s,
      u"card 0"_s, u"hide"_s, u"complement"_s, u"state"_s,  // every card was hidden: all come back
      u"filter 0 0 大阪 住所"_s, u"hide 0"_s,                   // b alone: a single card cannot be hidden
      u"filter 0 0 札幌 住所"_s, u"state"_s,                    // no match: the filter stays
      u"filter 1 0 東京 住所"_s, u"state"_s,                    // AND without a match: all shown
      u"filter 0 0 東京 住所"_s, u"hide 0 1"_s,
      u"sort 金額:0 [マーク]:2"_s, u"count 住所"_s, u"totals 金額"_s,
      u"find 0 東京 住所"_s, u"next"_s, u"prev"_s,
      u"filter 0 0 札幌 住所"_s, u"state"_s,
      u"filter 2 0 東京 住所"_s, u"state"_s,
      u"hide 0 1"_s, u"discard"_s, u"state"_s,
  });
  EXPECT_EQ(r.exitCode, 1);  // card 0 and hide name no card; hide 0 of the only card is refused
  EXPECT_EQ(r.err.count(u"error:"_s), 3) << r.err;
  const QString state = u"{\"card\":0,\"item\":0,\"modified\":%1,\"path\":\"%2\",\"total\":4,\"visible\":%3}\n"_s;
  const QString path = w.Path(u"b.csv"_s);
  const QString notFound = u"message: カードが見つかりません\n"_s;
  // A search looks at the visible cards only, and says so while a filter hides them all.
  const QString hidden = u"message: カードが見つかりません（絞り込みで 4 枚が隠れています）\n"_s;
  EXPECT_EQ(r.out, state.arg(u"false"_s, path, u"0"_s) +
                       u"名前\t住所\t金額\n"_s +
                       u"question: 絞り込みされていないカードを表示します。よろしいですか？ -> ok\n"_s +
                       state.arg(u"false"_s, path, u"4"_s) +
                       notFound + state.arg(u"false"_s, path, u"1"_s) +
                       notFound + state.arg(u"false"_s, path, u"4"_s) +
                       u"総数 0\n項目名 金額\n合計 0\n平均\n最大値\n最小値\n分散\n標準偏差\n有効件数 0\n"_s +
                       hidden + hidden + hidden +
                       notFound + state.arg(u"false"_s, path, u"0"_s) +
                       state.arg(u"false"_s, path, u"2"_s) +
                       u"question: 絞り込み中のカードを全て廃棄して、絞り込みモードを終了します -> ok\n"_s +
                       state.arg(u"true"_s, path, u"4"_s));
}

// A formula item is read with the value the card shows, not the text the last
// save stored: the item added in a session (nothing stored yet), and a file
// saved on another day (ages stored then), for the totals, the count, the
// filter, the search and the HTML preview.
TEST_F(SelectCli, FormulaItemsAreReadAsTheCardsShowThem) {
  // Today is 2024/05/03: the ages are 33, 64 and 73.
  w.WriteFile(u"f.csv"_s, Sjis(u"名前,生年月日\r\na,1990/5/4\r\nb,1960/1/1\r\nc,1950/6/1\r\n"_s));
  const QString totals = u"項目名 年齢\n合計 170\n平均 56.66666667\n最大値 73\n最小値 33\n分散 293.5555556\n"
                         "標準偏差 17.13346303\n有効件数 3\n"_s;
  const QString counts = u"総数 3\n   1  33\n   1  64\n   1  73\n"_s;
  CCliRun r = Batch(u"f.csv"_s, {u"item-add 年齢"_s, u"prop 年齢 formula \"YEARS(%[生年月日])\""_s, u"totals 年齢"_s,
                                 u"count 年齢"_s, u"find 4 60 年齢"_s, u"filter 0 4 60 年齢"_s, u"state"_s});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, totals + counts + u"found: 1 年齢\n{\"card\":0,\"item\":0,\"modified\":true,\"path\":\""_s +
                       w.Path(u"f.csv"_s) + u"\",\"total\":3,\"visible\":2}\n"_s)
      << r.out;

  // Saved on 2000/01/01, when the ages were 9, 40 and 49.
  const QByteArray today = qgetenv("VELUM_NOW");
  qputenv("VELUM_NOW", "2000/01/01 00:00:00");
  r = Batch(u"f.csv"_s, {u"item-add 年齢"_s, u"prop 年齢 formula \"YEARS(%[生年月日])\""_s, u"save"_s});
  qputenv("VELUM_NOW", today);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(Run({u"show"_s, u"--stored"_s, w.Path(u"f.csv"_s)}).out.contains(u"a\t1990/5/4\t9\n"_s));
  EXPECT_EQ(Run({u"totals"_s, w.Path(u"f.csv"_s), u"年齢"_s}).out, totals);
  EXPECT_EQ(Run({u"count"_s, w.Path(u"f.csv"_s), u"年齢"_s}).out, counts);
  w.WriteFile(u"t.html"_s, "<p>%%1%% %%3%%</p>\r\n");
  r = Run({u"html"_s, w.Path(u"f.csv"_s), u"-t"_s, w.Path(u"t.html"_s), u"-o"_s, w.Path(u"p.html"_s), u"--card"_s,
           u"2"_s});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"p.html"_s), "<p>c 73</p>\r\n");
  r = Batch(u"f.csv"_s, {u"filter 0 4 60 年齢"_s, u"show"_s, u"state"_s});
  EXPECT_TRUE(r.out.startsWith(u"名前\t生年月日\t年齢\nb\t1960/1/1\t64\nc\t1950/6/1\t73\n"_s)) << r.out;
  EXPECT_TRUE(r.out.contains(u"\"modified\":false"_s)) << r.out;
}
