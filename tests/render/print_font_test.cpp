#include "records/archive.h"
#include "render/print_font.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

class PrintFontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "print_font_test";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: fonts need it, and it must not go
    // before them at exit.
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
  static CArchiveFont Font(const QString& face, std::int32_t height) {
    CArchiveFont f;
    f.faceName = face;
    f.height = height;
    f.weight = 400;
    return f;
  }
};

TEST_F(PrintFontTest, HeightsFollowTheRecordsConvention) {
  // Positive: the line height (ascent + descent) in 0.1 mm; negative: the
  // character height; 0: the default 6.4 mm line; damaged values stay in 1 mm to 10 cm.
  struct Case {
    std::int32_t height;
    double lineHeight;  // 0: not checked
    int em;             // 0: not checked
  };
  const Case cases[] = {{64, 64, 0}, {0, 64, 0}, {150, 150, 0}, {-50, 0, 50}, {-3, 0, 10},
                        {INT_MIN, 0, 1000}, {INT_MAX, 0, 1000}};
  for (const Case& c : cases) {
    const QFont font = PrintFont(Font(u"ＭＳ ゴシック"_s, c.height));
    if (c.lineHeight > 0) EXPECT_NEAR(QFontMetricsF(font).height(), c.lineHeight, 1.5) << c.height;
    if (c.em > 0) EXPECT_EQ(font.pixelSize(), c.em) << c.height;
  }
  // The layout dialog's point sizes store and read back as they were; the
  // default 6.4 mm line is a character of about 12 points.
  for (int points : {6, 8, 10, 12, 14, 20, 36, 72})
    EXPECT_EQ(PrintFontPoints(Font(u"ＭＳ ゴシック"_s, PrintFontHeight(points))), points) << points;
  EXPECT_NEAR(PrintFontPoints(Font(u"ＭＳ ゴシック"_s, 0)), 12, 1);
}

TEST_F(PrintFontTest, MissingWindowsFacesFallBackToAJapaneseFont) {
  struct Case {
    QString face;
    QString family;  // what the installed family name holds
  };
  const Case cases[] = {{u"ＭＳ ゴシック"_s, u"CJK JP"_s}, {u"ＭＳ 明朝"_s, u"Serif CJK JP"_s},
                        {u""_s, u"CJK JP"_s}, {u"No Such Face 123"_s, u"CJK JP"_s}};
  for (const Case& c : cases) {
    const QFont font = PrintFont(Font(c.face, 64));
    const QString family = QFontInfo(font).family();
    if (!family.contains(u"CJK"_s)) GTEST_SKIP() << "no Noto CJK font installed (fonts-noto-cjk)";
    EXPECT_TRUE(family.contains(c.family)) << c.face.toStdString() << " -> " << family.toStdString();
    EXPECT_GT(CFontMeasure(font).CharWidth(U'あ'), CFontMeasure(font).CharWidth(U'i'));
  }
}

TEST_F(PrintFontTest, TextMapsNameTheCharactersDrawn) {
  const QFont font = PrintFont(Font(u"ＭＳ ゴシック"_s, 64));
  if (!QFontInfo(font).family().contains(u"CJK"_s)) GTEST_SKIP() << "no Noto CJK font installed (fonts-noto-cjk)";
  std::vector<bool> drawn(0x10000);
  for (QChar c : u"氏名山田・西"_s) drawn[c.unicode()] = true;
  const QHash<char16_t, char16_t> fixes = SharedGlyphFixes(font, drawn);
  // Radicals and lower code points that share a drawn character's glyph name it.
  EXPECT_EQ(fixes.value(0x2F52), u'氏');
  EXPECT_EQ(fixes.value(0x2F2D), u'山');
  EXPECT_EQ(fixes.value(0x2F65), u'田');
  EXPECT_EQ(fixes.value(0x2EC4), u'西');
  EXPECT_EQ(fixes.value(0x2027), u'・');
  // Nothing drawn is renamed, and what no drawn character shares stays.
  for (auto it = fixes.cbegin(); it != fixes.cend(); ++it) EXPECT_FALSE(drawn[it.key()]);
  EXPECT_FALSE(fixes.contains(0x2F00));  // ⼀: 一 was not drawn
  EXPECT_TRUE(SharedGlyphFixes(font, std::vector<bool>(0x10000)).isEmpty());
}

}  // namespace
