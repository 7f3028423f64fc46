// Vertical shaping with the face's vertical forms, and the rewriting of a
// PDF's text maps: every cross-reference still points at its object, and a
// file laid out otherwise, or numbered otherwise, is left as it is.
#include "print/postcard/postcard_layout.h"
#include "render/postcard/pdf_text_map.h"
#include "render/postcard/postcard_painter.h"
#include "render/postcard/vertical_shaper.h"

#include "support/test_support.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

class PostcardRenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "postcard_render_test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
};

std::vector<quint32> Glyphs(const CShapedRun& run) {
  std::vector<quint32> out;
  for (const CShapedGlyph& g : run.glyphs) out.push_back(g.glyph);
  return out;
}

TEST_F(PostcardRenderTest, VerticalFormsForPunctuationUprightLettersAndKanji) {
  const CVerticalShaper shaper(u"Noto Serif CJK JP"_s);
  ASSERT_TRUE(shaper.IsValid());
  if (!shaper.PostscriptName().startsWith("NotoSerifCJK")) GTEST_SKIP() << "Noto Serif CJK JP is not installed";
  for (const QString& c : {u"ー"_s, u"（"_s, u"）"_s, u"「"_s, u"」"_s, u"、"_s, u"。"_s})
    EXPECT_NE(Glyphs(shaper.Shape(c, true)), Glyphs(shaper.Shape(c, false))) << c;
  for (const QString& c : {u"東"_s, u"A"_s, u"Ｂ"_s})
    EXPECT_EQ(Glyphs(shaper.Shape(c, true)), Glyphs(shaper.Shape(c, false))) << c;
  // Kanji advance one em down; the glyphs stand centred on the column.
  const CShapedRun run = shaper.Shape(u"千代田一ー一"_s, true);
  ASSERT_EQ(run.glyphs.size(), 6u);
  EXPECT_DOUBLE_EQ(run.length, 6);
  for (std::size_t i = 0; i < run.glyphs.size(); ++i) {
    EXPECT_DOUBLE_EQ(run.glyphs[i].pen.y(), double(i));
    EXPECT_NEAR(run.glyphs[i].origin.x(), -0.5, 0.01);
    EXPECT_EQ(run.glyphs[i].text, u"千代田一ー一"_s.mid(qsizetype(i), 1));
  }
  EXPECT_DOUBLE_EQ(shaper.VerticalLength(u"東京"_s), 2);
}

// A one-page PDF of a column painted by the postcard painter.
QByteArray PaintedPdf(CPostcardPainter& painter, const QString& text) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QSizeF(100, 148), QPageSize::Millimeter));
    QPainter p(&writer);
    p.scale(writer.logicalDpiX() / 254.0, writer.logicalDpiY() / 254.0);
    CPostcardLayout layout;
    layout.columns.push_back({text, 500, 300, 60, 1, PostcardPart::kAddress});
    layout.digits.push_back({u'7', QRectF(443, 120, 57, 80), 60});
    painter.PaintCard(p, layout);
  }
  return bytes;
}

// Every entry of the cross-reference table points at "N 0 obj".
void ExpectXrefSound(const QByteArray& pdf) {
  const qsizetype s = pdf.lastIndexOf("startxref");
  ASSERT_GE(s, 0);
  const qsizetype xref = pdf.mid(s + 9).trimmed().split('\n').value(0).toLongLong();
  ASSERT_TRUE(pdf.mid(xref).startsWith("xref\n0 ")) << xref;
  const QList<QByteArray> lines = pdf.mid(xref).split('\n');
  const int count = lines[1].split(' ').value(1).toInt();
  ASSERT_GT(count, 5);
  const qsizetype entries = xref + lines[0].size() + lines[1].size() + 2;
  for (int n = 1; n < count; ++n) {
    const QByteArray entry = pdf.mid(entries + n * 20, 20);
    if (entry[17] != 'n') continue;
    EXPECT_TRUE(pdf.mid(entry.first(10).toLongLong()).startsWith(QByteArray::number(n) + " 0 obj")) << n;
  }
}

TEST_F(PostcardRenderTest, TextMapsRewrittenWithSoundCrossReferences) {
  CPostcardPainter painter(CPostcardSettings{});
  QByteArray pdf = PaintedPdf(painter, u"千代田一ー一（ビル）"_s);
  const QByteArray original = pdf;
  std::vector<CPdfFontText> maps = painter.TextMaps();
  ASSERT_EQ(maps.size(), 2u);  // the vertical face and the digits' face
  EXPECT_TRUE(maps[0].vertical);
  EXPECT_FALSE(maps[1].vertical);

  // Numbered otherwise than Qt numbered them: left alone.
  std::vector<CPdfFontText> wrong = maps;
  std::reverse(wrong[0].glyphs.begin() + 1, wrong[0].glyphs.end());
  wrong.pop_back();
  QByteArray copy = pdf;
  EXPECT_EQ(FixPdfTextMaps(copy, wrong), 0);
  EXPECT_EQ(copy, original);
  // Damaged: no cross-reference table where startxref says.
  copy = pdf;
  copy.replace("startxref\n", "startxref\n1");
  const QByteArray damaged = copy;
  EXPECT_EQ(FixPdfTextMaps(copy, maps), 0);
  EXPECT_EQ(copy, damaged);

  EXPECT_EQ(FixPdfTextMaps(pdf, maps), 2);
  EXPECT_NE(pdf, original);
  ExpectXrefSound(pdf);
  EXPECT_TRUE(pdf.contains("/Identity-V"));
  EXPECT_TRUE(pdf.contains("/Identity-H"));
  // The vertical ー, which no character maps to, and 田, whose glyph the
  // radical ⽥ shares, are named by what was drawn.
  const QString text = QString::fromLatin1(pdf);
  EXPECT_TRUE(text.contains(u"<30FC>"_s));
  EXPECT_TRUE(text.contains(u"<7530>"_s));
  EXPECT_FALSE(text.contains(u"<2F65>"_s));
  EXPECT_TRUE(text.contains(u"<0037>"_s));
}

}  // namespace
