// velum-cli print --postcard, checked by reading the PDF back with poppler's
// pdftotext -bbox (every word with its box, in points) and pdfinfo: the page,
// the digits in their boxes, the columns read top to bottom as the characters
// printed (vertical forms included), the offsets, and the cards whose codes
// fit no boxes.
#include "print/postcard/postcard_geometry.h"
#include "print/postcard/postcard_settings.h"

#include "support/pdf_words.h"
#include "support/test_support.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr double kPtPerTenthMm = 72 / 254.0;

QStringList Texts(const CPdfPage& page) {
  QStringList out;
  for (const CPdfWord& w : page) out << w.text;
  return out;
}

QRectF InPoints(const QRectF& tenths) {
  return QRectF(tenths.topLeft() * kPtPerTenthMm, tenths.size() * kPtPerTenthMm);
}

class PostcardPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const QString& t : {u"pdftotext"_s, u"pdfinfo"_s})
      if (PdfTool(t).isEmpty()) GTEST_SKIP() << t.toStdString() << " is missing: install poppler-utils";
  }
  CCliRun Run(const QStringList& args, const QByteArray& input = {}) {
    return RunCli(args, input, w.Path(u"velum.reg"_s));
  }
  QString Deck(const QStringList& rows, const QString& items = u"郵便番号,住所,住所2,氏名,連名,会社名"_s) {
    w.WriteFile(u"deck.csv"_s, (items + u"\r\n"_s + rows.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    return w.Path(u"deck.csv"_s);
  }
  std::vector<CPdfPage> Print(const QString& deck, const QStringList& more = {}) {
    const QString out = w.Path(u"cards.pdf"_s);
    const CCliRun r = Run(QStringList{u"print"_s, deck, u"-o"_s, out, u"--postcard"_s} + more);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    lastErr = r.err;
    return ReadPdfWords(out);
  }
  void Set(const std::function<void(CPostcardSettings&)>& change) {
    CPostcardSettings s = ReadPostcardSettings(*w.settings);
    change(s);
    WritePostcardSettings(*w.settings, s);
  }
  CTestWorld w;
  QString lastErr;
};

const QString kTaro = u"100-0001,東京都千代田区千代田1-1,皇居ビル101号室,山田 太郎,花子、一郎,"_s;

TEST_F(PostcardPdfTest, PageIsAPostcardAndTheDigitsStandInTheirBoxes) {
  const QString deck = Deck({kTaro, u"〒０６０－８５８８,北海道札幌市中央区北1条西2丁目,,鈴木 一郎,,"_s});
  const std::vector<CPdfPage> pages = Print(deck);
  EXPECT_TRUE(lastErr.isEmpty()) << lastErr;
  ASSERT_EQ(pages.size(), 2u);
  const QString info = RunPdfTool(u"pdfinfo"_s, {w.Path(u"cards.pdf"_s)});
  // 100 x 148 mm; Qt's PDF writer gives the page in whole points.
  const auto size = QRegularExpression(u"Page size:\\s+([\\d.]+) x ([\\d.]+) pts"_s).match(info);
  ASSERT_TRUE(size.hasMatch()) << info;
  EXPECT_NEAR(size.captured(1).toDouble(), 1000 * kPtPerTenthMm, 1);
  EXPECT_NEAR(size.captured(2).toDouble(), 1480 * kPtPerTenthMm, 1);
  const QString codes[] = {u"1000001"_s, u"0608588"_s};
  for (int p = 0; p < 2; ++p) {
    std::vector<const CPdfWord*> digits;
    for (const CPdfWord& word : pages[p])
      if (word.text.size() == 1 && word.text[0].isDigit() && word.y1 < 25 / 0.3528) digits.push_back(&word);
    ASSERT_EQ(digits.size(), 7u) << Texts(pages[p]).join(u' ');
    std::sort(digits.begin(), digits.end(), [](const CPdfWord* a, const CPdfWord* b) { return a->x0 < b->x0; });
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(digits[i]->text, codes[p][i]);
      EXPECT_TRUE(InPoints(CodeBox(i)).contains(digits[i]->Centre()))
          << "digit " << i << " at " << digits[i]->Centre().x() << "," << digits[i]->Centre().y();
    }
  }
}

TEST_F(PostcardPdfTest, ColumnsReadTopToBottomAsPrintedRightToLeft) {
  const std::vector<CPdfPage> pages = Print(Deck({kTaro}));
  ASSERT_EQ(pages.size(), 1u);
  const CPdfPage& page = pages[0];
  // Vertical forms (ー) and kanji whose glyph a radical shares (田) read back as printed.
  const CPdfWord* address = FindPdfWord(page, u"東京都千代田区千代田一ー一"_s);
  const CPdfWord* building = FindPdfWord(page, u"皇居ビル一〇一号室"_s);
  ASSERT_TRUE(address && building) << Texts(page).join(u' ');
  const CPdfWord* family = FindPdfWord(page, u"山田"_s);
  const CPdfWord* given = FindPdfWord(page, u"太郎"_s);
  const CPdfWord* hanako = FindPdfWord(page, u"花子"_s);
  const CPdfWord* ichiro = FindPdfWord(page, u"一郎"_s);
  ASSERT_TRUE(family && given && hanako && ichiro) << Texts(page).join(u' ');
  // Columns: taller than wide, the address at the right below the boxes.
  EXPECT_GT(address->y1 - address->y0, 5 * (address->x1 - address->x0));
  EXPECT_GT(address->x0, 70 / 0.3528);
  EXPECT_GT(address->y0, (kCodeBoxTop + kCodeBoxHeight) * kPtPerTenthMm);
  EXPECT_LT(building->x1, address->x0);
  EXPECT_GT(building->y0, address->y0);
  // The name in the middle, largest; the given name below the family name.
  EXPECT_NEAR((family->x0 + family->x1) / 2, 500 * kPtPerTenthMm, 3);
  EXPECT_NEAR(given->x0, family->x0, 0.5);
  EXPECT_GT(given->y0, family->y1);
  EXPECT_GT(family->x1 - family->x0, 1.5 * (address->x1 - address->x0));
  // Joint names to the left, level with the given name, each with its 様,
  // every 様 on one line.
  EXPECT_LT(hanako->x1, family->x0);
  EXPECT_LT(ichiro->x1, hanako->x0);
  EXPECT_NEAR(hanako->y0, given->y0, 0.5);
  EXPECT_NEAR(ichiro->y0, given->y0, 0.5);
  std::vector<const CPdfWord*> sama;
  for (const CPdfWord& word : page)
    if (word.text == u"様") sama.push_back(&word);
  ASSERT_EQ(sama.size(), 3u);
  for (const CPdfWord* s : sama) {
    EXPECT_NEAR(s->y1, sama[0]->y1, 0.5);
    EXPECT_GT(s->y0, given->y1);
  }
  // The plain text finds the address as one line.
  const QString text = RunPdfTool(u"pdftotext"_s, {w.Path(u"cards.pdf"_s), u"-"_s});
  EXPECT_TRUE(text.contains(u"東京都千代田区千代田一ー一"_s)) << text;
}

TEST_F(PostcardPdfTest, NumeralAndHyphenStylesAndOnchu) {
  Set([](CPostcardSettings& s) {
    s.numerals = NumeralStyle::kPlace;
    s.hyphen = HyphenStyle::kNo;
  });
  const std::vector<CPdfPage> pages =
      Print(Deck({u"100-0001,東京都港区芝公園12-101,第2ビル,,,株式会社ABC"_s}));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(FindPdfWord(pages[0], u"東京都港区芝公園十二の百一"_s)) << Texts(pages[0]).join(u' ');
  EXPECT_TRUE(FindPdfWord(pages[0], u"第二ビル"_s)) << Texts(pages[0]).join(u' ');
  EXPECT_TRUE(FindPdfWord(pages[0], u"株式会社ABC"_s)) << Texts(pages[0]).join(u' ');
  EXPECT_TRUE(FindPdfWord(pages[0], u"御中"_s)) << Texts(pages[0]).join(u' ');
}

TEST_F(PostcardPdfTest, SenderAtTheLowerLeftWithItsCodeInItsBoxes) {
  Set([](CPostcardSettings& s) {
    s.sender = true;
    s.senderName = u"差出 人子"_s;
    s.senderAddress1 = u"大阪府大阪市北区梅田3-1-1"_s;
    s.senderCode = u"530-0001"_s;
  });
  const std::vector<CPdfPage> pages = Print(Deck({kTaro}));
  ASSERT_EQ(pages.size(), 1u);
  const CPdfPage& page = pages[0];
  const CPdfWord* address = FindPdfWord(page, u"大阪府大阪市北区梅田三ー一ー一"_s);
  ASSERT_TRUE(address) << Texts(page).join(u' ');
  EXPECT_LT(address->x1, 40 / 0.3528);
  EXPECT_GT(address->y0, 60 / 0.3528);
  // The sender's boxes stand close: a reader joins their digits into words,
  // whose ends must lie in the boxes of their first and last digits.
  const CSenderBoxes boxes;
  QString digits;
  for (const CPdfWord& word : page) {
    if (word.y0 < 100 / 0.3528 || !word.text[0].isDigit()) continue;
    const int first = int(digits.size()), last = first + int(word.text.size()) - 1;
    ASSERT_LE(last, 6) << word.text;
    const QRectF firstBox = InPoints(QRectF(boxes.left[first], boxes.top, boxes.width, boxes.height));
    const QRectF lastBox = InPoints(QRectF(boxes.left[last], boxes.top, boxes.width, boxes.height));
    EXPECT_TRUE(firstBox.contains(QPointF(word.x0 + 1, word.Centre().y()))) << word.text;
    EXPECT_TRUE(lastBox.contains(QPointF(word.x1 - 1, word.Centre().y()))) << word.text;
    digits += word.text;
  }
  EXPECT_EQ(digits, u"5300001"_s);
}

TEST_F(PostcardPdfTest, OffsetsMoveEverythingByTheAmountSet) {
  const QString deck = Deck({kTaro});
  const std::vector<CPdfPage> before = Print(deck);
  Set([](CPostcardSettings& s) {
    s.offsetX = 25;   // 2.5 mm right
    s.offsetY = -12;  // 1.2 mm up
  });
  const std::vector<CPdfPage> after = Print(deck);
  ASSERT_EQ(before.size(), 1u);
  ASSERT_EQ(after.size(), 1u);
  ASSERT_EQ(Texts(before[0]), Texts(after[0]));
  ASSERT_GE(before[0].size(), 10u);
  for (std::size_t i = 0; i < before[0].size(); ++i) {
    EXPECT_NEAR(after[0][i].x0 - before[0][i].x0, 25 * kPtPerTenthMm, 0.05) << before[0][i].text;
    EXPECT_NEAR(after[0][i].y0 - before[0][i].y0, -12 * kPtPerTenthMm, 0.05) << before[0][i].text;
  }
}

TEST_F(PostcardPdfTest, OddCodesAreNamedAfterTheRunAndTheRestIsPrinted) {
  const QString deck = Deck({u"123-45,東京都,,一 番,,"_s, u"ABC-DEFG,東京都,,二 番,,"_s, u",東京都,,三 番,,"_s,
                             u"100-0001,東京都,,四 番,,"_s});
  const std::vector<CPdfPage> pages = Print(deck);
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_TRUE(lastErr.contains(u"message: 1枚目 (カード1): 郵便番号「123-45」"_s)) << lastErr;
  EXPECT_TRUE(lastErr.contains(u"message: 2枚目 (カード2): 郵便番号「ABC-DEFG」"_s)) << lastErr;
  EXPECT_TRUE(lastErr.contains(u"message: 3枚目 (カード3): 郵便番号がありません"_s)) << lastErr;
  EXPECT_FALSE(lastErr.contains(u"4枚目"_s)) << lastErr;
  // The odd code stands above the boxes as it was written.
  const CPdfWord* odd = FindPdfWord(pages[0], u"123-45"_s);
  ASSERT_TRUE(odd) << Texts(pages[0]).join(u' ');
  EXPECT_LT(odd->y1, kCodeBoxTop * kPtPerTenthMm + 1);
  EXPECT_TRUE(FindPdfWord(pages[1], u"ABC-DEFG"_s)) << Texts(pages[1]).join(u' ');
  for (int p = 0; p < 4; ++p) EXPECT_TRUE(FindPdfWord(pages[p], u"東京都"_s)) << p;
  EXPECT_TRUE(FindPdfWord(pages[3], u"四"_s));
}

TEST_F(PostcardPdfTest, StartCalibrateAndBatchAfterAFilter) {
  const QString deck = Deck({kTaro, u"100-0002,京都府,,二 番,,"_s, u"100-0003,大阪府,,三 番,,"_s});
  std::vector<CPdfPage> pages = Print(deck, {u"--start"_s, u"2"_s});
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_TRUE(FindPdfWord(pages[0], u"京都府"_s));
  const QString out = w.Path(u"cards.pdf"_s);
  for (const QStringList& bad : {QStringList{u"--start"_s, u"4"_s}, QStringList{u"--start"_s, u"0"_s},
                                 QStringList{u"--labels"_s}, QStringList{u"--calibrate"_s, u"--start"_s, u"2"_s}}) {
    const CCliRun r = Run(QStringList{u"print"_s, deck, u"-o"_s, out, u"--postcard"_s} + bad);
    EXPECT_EQ(r.exitCode, 2) << bad.join(u' ') << r.err;
  }
  EXPECT_EQ(Run({u"print"_s, deck, u"-o"_s, out, u"--calibrate"_s}).exitCode, 2);

  pages = Print(deck, {u"--calibrate"_s});
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(FindPdfWord(pages[0], u"位置合わせ"_s)) << Texts(pages[0]).join(u' ');

  const QString batch = u"open \"%1\"\nfilter 0 0 府 住所\nprint -o \"%2\" --postcard\n"_s.arg(deck, out);
  const CCliRun r = Run({u"batch"_s}, batch.toUtf8());
  ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
  pages = ReadPdfWords(out);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_TRUE(FindPdfWord(pages[0], u"京都府"_s));
  EXPECT_TRUE(FindPdfWord(pages[1], u"大阪府"_s));
}

}  // namespace
