// Velum's own PDF writer against Qt's: the same pages painted by both must
// read back as the same words in the same places, with the faces embedded
// cut down; what the writer cannot write goes to Qt's writer whole.
#include "core/card_store.h"
#include "render/pdf/font_program.h"
#include "render/pdf/pdf_file.h"
#include "render/pdf/pdf_font.h"
#include "render/print_document.h"
#include "support/pdf_words.h"
#include "support/test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <set>

using namespace Qt::StringLiterals;

namespace {

class PdfWriterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "pdf_writer_test";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: fonts need it.
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
  void SetUp() override {
    for (const QString& t : {u"pdftotext"_s, u"pdfinfo"_s, u"pdffonts"_s, u"pdftoppm"_s})
      if (PdfTool(t).isEmpty()) GTEST_SKIP() << t.toStdString() << " is missing: install poppler-utils";
  }

  // A store of the file written from text (UTF-8 CSV, a heading line first).
  std::unique_ptr<CCardStore> Store(const QString& text) {
    w.WriteFile(u"deck.csv"_s, text.toUtf8());
    auto store = std::make_unique<CCardStore>(*w.services);
    EXPECT_EQ(store->Read(w.Path(u"deck.csv"_s)), 1);
    return store;
  }
  static CPrintRequest Request(const CCardStore& store, PrintKind kind, const QString& face = {}) {
    CPrintRequest r;
    r.kind = kind;
    for (int n = 0; n < store.VisibleCount(); ++n) r.cards.push_back(n);
    QStringList names;
    for (int i = 0; i < store.ItemCount(); ++i) {
      r.items.push_back(i);
      names << store.Item(i).toString();
    }
    r.labelLines = DefaultLabelLines(names);
    r.layout.m_font.faceName = face;
    r.title = u"名簿 deck.csv"_s;
    return r;
  }
  // The same document through Qt's writer, as WritePdf did before.
  static void WriteWithQt(CPrintDocument& doc, const QString& path) {
    QPdfWriter writer(path);
    const QSizeF paper = doc.PaperSize();
    const bool wide = paper.width() > paper.height();
    writer.setPageLayout(QPageLayout(QPageSize(wide ? paper.transposed() : paper, QPageSize::Millimeter),
                                     wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    QString error;
    ASSERT_TRUE(PaintPages(doc, writer, 0, -1, &error)) << error.toStdString();
  }
  // Writes doc both ways: the same pages, of the same size, that look the
  // same (gray pixels at 50 dpi: text, rules and shades).
  void ExpectSameAsQt(CPrintDocument& doc, const std::string& what) {
    const QString own = w.Path(u"own.pdf"_s), qt = w.Path(u"qt.pdf"_s);
    QString error;
    ASSERT_TRUE(WritePdf(doc, own, &error)) << what << ": " << error.toStdString();
    WriteWithQt(doc, qt);
    const std::vector<QImage> mine = Pages(own), theirs = Pages(qt);
    ASSERT_EQ(mine.size(), theirs.size()) << what;
    ASSERT_FALSE(mine.empty()) << what;
    for (std::size_t p = 0; p < mine.size(); ++p) {
      ASSERT_EQ(mine[p].size(), theirs[p].size()) << what << ", page " << p + 1;
      qint64 inked = 0, differ = 0;
      for (int y = 0; y < mine[p].height(); ++y) {
        const uchar* a = mine[p].constScanLine(y);
        const uchar* b = theirs[p].constScanLine(y);
        for (int x = 0; x < mine[p].width(); ++x) {
          inked += a[x] < 128 || b[x] < 128;
          differ += std::abs(int(a[x]) - int(b[x])) > 96;
        }
      }
      EXPECT_GT(inked, 0) << what << ", page " << p + 1;
      EXPECT_LE(differ, inked / 500) << what << ", page " << p + 1 << ": " << differ << " of " << inked;
    }
  }
  // Every page of a PDF in gray at 50 dpi.
  std::vector<QImage> Pages(const QString& pdf) {
    const QString prefix = pdf + u".page"_s;
    RunPdfTool(u"pdftoppm"_s, {u"-r"_s, u"50"_s, u"-gray"_s, pdf, prefix});
    std::vector<QImage> pages;
    QDir dir(QFileInfo(pdf).path());
    for (const QString& name : dir.entryList({QFileInfo(prefix).fileName() + u"*"_s}, QDir::Files, QDir::Name)) {
      pages.push_back(QImage(dir.filePath(name)).convertToFormat(QImage::Format_Grayscale8));
      dir.remove(name);
    }
    return pages;
  }
  // pdffonts' lines for the fonts of a file.
  QStringList Fonts(const QString& path) {
    return RunPdfTool(u"pdffonts"_s, {path}).split(u'\n', Qt::SkipEmptyParts).mid(2);
  }

  CTestWorld w;
};

const QString kDeck =
    u"番号,氏名,住所,メモ,金額\r\n"
    "1,山田 太郎,東京都千代田区丸の内1-2-3,\"夏は札幌、冬は東京\r\n携帯あり\",12000\r\n"
    "2,氏家,北海道札幌市中央区北一条西2-1,ｶﾞｷﾞｸﾞ・ＡＢＣ１２３ Café-Straße,5\r\n"
    "3,AVATAR Type,WAVE Yokohama 〒220-0012,fi fl office « quotes » ‘x’ – — … user12@example.jp,\"1,234,567\"\r\n"_s;

TEST_F(PdfWriterTest, EveryFormReadsBackAsQtsWriterWritesIt) {
  QString text = kDeck;
  for (int i = 4; i < 70; ++i) text += u"%1,人物%1,愛知県名古屋市中区栄%1,紹介者: 山田,%2\r\n"_s.arg(i).arg(i * 37);
  // A memo longer than a page: cut, its last line ending in "…", the footer
  // counting what was left out.
  text += u"70,長文,どこか,\""_s + QString(u"長い文章がここに続きます。"_s).repeated(600) + u"\",1\r\n"_s;
  const auto store = Store(text);
  for (PrintKind kind : {PrintKind::kList, PrintKind::kCards, PrintKind::kLabels}) {
    CPrintDocument doc(*store, Request(*store, kind));
    ExpectSameAsQt(doc, "form " + std::to_string(int(kind)));
  }
  // Ruled lines and frames of every style, and an underlined font.
  struct Rules {
    std::uint32_t keisen, sotowaku;
    bool underline;
  };
  for (const Rules& r : {Rules{kRuledDotted, kFrameDouble, false}, Rules{kRuledDashed, kFrameThick, true},
                         Rules{kRuledNone, kFrameDotted, false}, Rules{kRuledSolid, kFrameDashed, true}}) {
    for (PrintKind kind : {PrintKind::kList, PrintKind::kCards}) {
      CPrintRequest request = Request(*store, kind);
      request.cards.resize(8);
      request.layout.m_keisen = r.keisen;
      request.layout.m_sotowaku = r.sotowaku;
      request.layout.m_font.underline = r.underline;
      CPrintDocument doc(*store, request);
      ExpectSameAsQt(doc, "rules " + std::to_string(r.keisen) + "/" + std::to_string(r.sotowaku) + " form " +
                              std::to_string(int(kind)));
    }
  }
  // A TrueType face, a CFF face of another design, and one Qt reads as Type 1
  // (left to Qt's writer).
  const auto latin = Store(u"Name,Note\r\nAVATAR Type,fi fl office\r\nWAVE,Straße 12,000\r\n"_s);
  for (const QString& face : {u"DejaVu Sans"_s, u"Nimbus Sans"_s, u"Noto Serif CJK JP"_s}) {
    CPrintDocument doc(*latin, Request(*latin, PrintKind::kList, face));
    ExpectSameAsQt(doc, face.toStdString());
  }
}

TEST_F(PdfWriterTest, OwnFileHoldsWhatWasDrawn) {
  const auto store = Store(kDeck);
  CPrintDocument doc(*store, Request(*store, PrintKind::kList));
  const QString out = w.Path(u"list.pdf"_s);
  QString error;
  ASSERT_TRUE(WritePdf(doc, out, &error)) << error.toStdString();
  // Kanji that share a glyph with a radical read back as drawn, both ways.
  const QString text = RunPdfTool(u"pdftotext"_s, {out, u"-"_s});
  QString flat = text;
  flat.remove(QRegularExpression(u"\\s"_s));
  for (const QString& t : {u"山田太郎"_s, u"氏家"_s, u"北一条西"_s, u"ｶﾞｷﾞｸﾞ・ＡＢＣ１２３"_s, u"Café-Straße"_s,
                           u"AVATARType"_s, u"office"_s, u"user12@example.jp"_s, u"1,234,567"_s, u"名簿deck.csv"_s})
    EXPECT_TRUE(flat.contains(t)) << t.toStdString() << " in " << text.toStdString();
  EXPECT_TRUE(text.contains(QRegularExpression(u"\\b1 ?/ ?1\\b"_s))) << text.toStdString();
  const QString info = RunPdfTool(u"pdfinfo"_s, {out});
  EXPECT_TRUE(info.contains(QRegularExpression(u"Title:\\s+名簿 deck.csv\\n"_s))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression(u"Creator:\\s+Velum\\n"_s))) << info.toStdString();
  // The one face, embedded cut down: a few glyphs of a 16 MB face.
  const QStringList fonts = Fonts(out);
  ASSERT_EQ(fonts.size(), 1) << fonts.join(u'\n').toStdString();
  EXPECT_TRUE(fonts[0].contains(QRegularExpression(u"^[A-Z]{6}\\+NotoSansCJK\\S*\\s+CID Type 0C\\s+Identity-H\\s+yes yes yes"_s)))
      << fonts[0].toStdString();
  EXPECT_LT(QFileInfo(out).size(), 120000);
}

// A range of pages, as the print dialog asks for: those pages alone, each
// with its own number of all; a range past the last page fails and leaves
// the target as it was.
TEST_F(PdfWriterTest, PageRanges) {
  QString text = u"番号,氏名\r\n"_s;
  for (int i = 0; i < 200; ++i) text += u"%1,人物%1\r\n"_s.arg(i);
  const auto store = Store(text);
  CPrintDocument doc(*store, Request(*store, PrintKind::kList));
  const int count = doc.PageCount();
  ASSERT_GE(count, 4);
  const QString out = w.Path(u"range.pdf"_s);
  QString error;
  ASSERT_TRUE(WritePdf(doc, out, &error, 1, 2)) << error.toStdString();
  const std::vector<CPdfPage> pages = ReadPdfWords(out);
  ASSERT_EQ(pages.size(), 2u);
  for (int p = 0; p < 2; ++p) {
    QString footer;
    for (const CPdfWord& word : pages[std::size_t(p)])
      if (word.y0 > 780) footer += word.text;
    EXPECT_TRUE(footer.endsWith(u"%1/%2"_s.arg(p + 2).arg(count))) << footer.toStdString();
  }
  const QByteArray written = w.ReadFile(u"range.pdf"_s);
  EXPECT_FALSE(WritePdf(doc, out, &error, count, count + 3));
  EXPECT_TRUE(error.startsWith(out + u": 印刷するページがありません"_s)) << error.toStdString();
  EXPECT_EQ(w.ReadFile(u"range.pdf"_s), written);
  EXPECT_EQ(QDir(w.Path(u""_s)).entryList({u"*.pdf*"_s}, QDir::Files | QDir::Hidden), QStringList{u"range.pdf"_s});
}

// A character the font's face lacks comes from the face Qt finds for it, as
// on screen, and that face is embedded too.
TEST_F(PdfWriterTest, CharactersAFaceLacksComeFromAnother) {
  struct Case {
    QString face;
    QString text;
    QStringList fonts;  // embedded, cut down
  };
  const Case cases[] = {
      {u"DejaVu Sans"_s, u"Name,Note\r\n名簿 Straße,AVATAR\r\n"_s, {u"DejaVuSans"_s, u"NotoSansCJK"_s}},
      {{}, u"名前,メモ\r\nԱրամ 名簿,山田\r\n"_s, {u"NotoSansCJK"_s, u"DejaVuSans"_s}},
  };
  for (const Case& c : cases) {
    const auto store = Store(c.text);
    CPrintDocument doc(*store, Request(*store, PrintKind::kList, c.face));
    ExpectSameAsQt(doc, c.text.toStdString());
    const QString out = w.Path(u"own.pdf"_s);
    QString text = RunPdfTool(u"pdftotext"_s, {out, u"-"_s});
    static const QRegularExpression blanks(u"\\s"_s);
    text.remove(blanks);
    for (const QString& cell : c.text.section(u"\r\n"_s, 1, 1).split(u','))
      EXPECT_TRUE(text.contains(QString(cell).remove(blanks))) << cell.toStdString() << " in " << text.toStdString();
    const QStringList fonts = Fonts(out);
    ASSERT_EQ(fonts.size(), c.fonts.size()) << fonts.join(u'\n').toStdString();
    for (int k = 0; k < fonts.size(); ++k)
      EXPECT_TRUE(fonts[k].contains(QRegularExpression(u"^[A-Z]{6}\\+"_s + c.fonts[k] + u".* yes yes yes "_s)))
          << fonts[k].toStdString();
  }
}

// 170 kanji from 亜 on.
const QString kManyKanji = [] {
  QString text;
  for (char16_t c = u'亜'; text.size() < 170; ++c) text += QChar(c);
  return text;
}();

TEST_F(PdfWriterTest, WhatTheWriterCannotWriteGoesToQtsWriter) {
  struct Case {
    QString face;
    QString text;
    bool italic;
  };
  const Case cases[] = {
      // Read by Qt as Type 1: no tables to embed.
      {u"Nimbus Sans"_s, u"Name\r\nStraße 12\r\n"_s, false},
      // No italic face: Qt slants the upright one.
      {{}, u"名前\r\n名簿 italic\r\n"_s, true},
      // Qt numbers glyphs as they are first drawn and starts a line of its
      // map at glyph 0xAD here; U+00AD shares its glyph with "-", whose fix
      // must leave that glyph number alone.
      {{}, u"名前\r\n"_s + kManyKanji + u"ｶﾞ02-0929\r\n"_s, true},
  };
  for (const Case& c : cases) {
    const auto store = Store(c.text);
    CPrintRequest r = Request(*store, PrintKind::kList, c.face);
    r.layout.m_font.italic = c.italic;
    CPrintDocument doc(*store, r);
    const QString out = w.Path(u"fallback.pdf"_s);
    QString error;
    ASSERT_TRUE(WritePdf(doc, out, &error)) << error.toStdString();
    static const QRegularExpression blanks(u"\\s"_s);
    const QString text = RunPdfTool(u"pdftotext"_s, {out, u"-"_s}).remove(blanks);
    EXPECT_TRUE(text.contains(c.text.section(u"\r\n"_s, 1, 1).remove(blanks))) << text.toStdString();
    // Qt's writer embeds whole faces, its own TrueType made from the outlines.
    for (const QString& font : Fonts(out))
      EXPECT_TRUE(font.contains(QRegularExpression(u"^[^+ ]+ .* yes no "_s))) << font.toStdString();
    EXPECT_EQ(QDir(w.Path(u""_s)).entryList({u"*.pdf*"_s}, QDir::Files | QDir::Hidden), QStringList{u"fallback.pdf"_s});
  }
}

TEST(PdfNumberTest, WritesShortestFixedDecimals) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {{0, 2, "0"},        {-0.001, 2, "0"},      {1.5, 2, "1.5"},      {-2.25, 1, "-2.3"},
                        {1234.5678, 2, "1234.57"}, {0.283464567, 6, "0.283465"}, {100, 3, "100"},
                        {-0.05, 2, "-0.05"}, {2.999, 2, "3"},       {1e300, 2, "0"}};
  for (const Case& c : cases) {
    QByteArray out = "x ";
    AppendPdfNumber(out, c.value, c.decimals);
    EXPECT_EQ(out, QByteArray("x ") + c.text) << c.value;
  }
}

// The file's structure as readers that do not repair files need it: every
// entry of the cross-reference table points at its object, startxref at the
// table, a stream's /Length counts its bytes, which inflate to the data; a
// sink that fails fails the file.
TEST(PdfFileTest, CrossReferencesAndStreams) {
  QByteArray out;
  CPdfFile file([&out](QByteArrayView bytes) {
    out.append(bytes);
    return true;
  });
  const int a = file.NewObject(), b = file.NewObject(), c = file.NewObject();
  QByteArray data;
  for (int i = 0; i < 5000; ++i) data += "BT /F0 1 Tf " + QByteArray::number(i) + " 0 0 -1 10 20 Tm <0001>Tj ET\n";
  file.Object(c, "(third)");
  file.Stream(b, "/Type/Test", data, CPdfFile::kFast);
  file.Object(a, "<</Type/Catalog>>");
  ASSERT_TRUE(file.Finish(a, c));
  const qsizetype xref = out.lastIndexOf("\nxref\n") + 1;
  ASSERT_GT(xref, 1);
  EXPECT_TRUE(out.contains("startxref\n" + QByteArray::number(xref) + "\n%%EOF"));
  const QList<QByteArray> lines = out.mid(xref).split('\n');
  ASSERT_GE(lines.size(), 6);
  EXPECT_EQ(lines[1], "0 4");
  for (int id = 1; id <= 3; ++id) {
    const QByteArray entry = lines[2 + id];
    ASSERT_EQ(entry.size(), 19) << entry.constData();  // 20 bytes with the line feed
    EXPECT_TRUE(out.mid(entry.left(10).toLongLong()).startsWith(QByteArray::number(id) + " 0 obj\n")) << id;
  }
  const qsizetype begin = out.indexOf("stream\n") + 7, end = out.indexOf("\nendstream");
  static const QRegularExpression length(u"/Length (\\d+)"_s);
  const auto m = length.match(QString::fromLatin1(out));
  ASSERT_TRUE(m.hasMatch());
  EXPECT_EQ(m.captured(1).toLongLong(), end - begin);
  uLongf size = uLongf(data.size());
  QByteArray inflated(data.size(), '\0');
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                       reinterpret_cast<const Bytef*>(out.constData() + begin), uLong(end - begin)),
            Z_OK);
  EXPECT_EQ(inflated.first(qsizetype(size)), data);

  CPdfFile failing([](QByteArrayView) { return false; });
  failing.Object(failing.NewObject(), "<<>>");
  EXPECT_FALSE(failing.Finish(1, 1));
  CPdfFile unwritten([](QByteArrayView) { return true; });
  unwritten.NewObject();
  EXPECT_FALSE(unwritten.Finish(1, 1));
}

// The glyph codes and adjustments a line is shown with: the quick way for
// lines of plain characters must give what shaping the whole line gives.
TEST_F(PdfWriterTest, PlainLinesShowAsShapedLines) {
  QFont font(u"Noto Sans CJK JP"_s);
  font.setPixelSize(30);
  for (const QString& family : {u"Noto Sans CJK JP"_s, u"DejaVu Sans"_s}) {
    font.setFamily(family);
    const std::unique_ptr<CPdfFont> face = CPdfFont::Create(QRawFont::fromFont(font));
    ASSERT_TRUE(face) << family.toStdString();
    for (const QString& line : {u"東京都千代田区丸の内1-2-3"_s, u"AVATAR Type WAVE"_s, u"office fi fl ff"_s,
                                u"ｶﾞｷﾞ ﾊﾟ"_s, u"user12@example.jp"_s, u"1979/02/14 12,000円"_s, u"Straße Œuvre"_s,
                                u"e\u0301 combining"_s, u"「かっこ」、。・ー"_s}) {
      QByteArray quick, shaped;
      const double a = face->ShowText(line, quick);
      const double b = face->ShowShapedText(line, shaped);
      if (b < 0) continue;  // the face lacks a character
      EXPECT_EQ(quick, shaped) << family.toStdString() << ": " << line.toStdString();
      EXPECT_DOUBLE_EQ(a, b) << line.toStdString();
    }
  }
}

// The glyph data of glyph g in a TrueType file (empty when it has none).
QByteArray GlyfGlyph(QByteArrayView sfnt, std::uint32_t g) {
  const QByteArrayView head = SfntTable(sfnt, "head"), loca = SfntTable(sfnt, "loca"), glyf = SfntTable(sfnt, "glyf");
  auto u16 = [](QByteArrayView d, qsizetype at) { return std::uint32_t(std::uint8_t(d[at])) << 8 | std::uint8_t(d[at + 1]); };
  const bool longOffsets = u16(head, 50) == 1;
  const qsizetype step = longOffsets ? 4 : 2;
  if ((qsizetype(g) + 2) * step > loca.size()) return {};
  auto offset = [&](std::uint32_t k) {
    const qsizetype at = qsizetype(k) * step;
    return longOffsets ? qsizetype(u16(loca, at) << 16 | u16(loca, at + 2)) : qsizetype(u16(loca, at)) * 2;
  };
  return glyf.sliced(offset(g), offset(g + 1) - offset(g)).toByteArray();
}

// The file a face's embedded program is cut from: its tables as Qt reads
// them, found again by tag; cut down, glyphs keep the codes pages name them
// by (the CID for a CFF keyed by CID, else the glyph index) and the file
// shrinks to what was kept. A face Qt reads without tables (Type 1) is not
// embedded.
TEST_F(PdfWriterTest, FontProgramsKeepTheirCodes) {
  for (const QString& family : {u"Noto Sans CJK JP"_s, u"DejaVu Sans"_s, u"Nimbus Sans"_s}) {
    QFont font(family);
    font.setPixelSize(30);
    const QRawFont raw = QRawFont::fromFont(font);
    if (raw.familyName() != family) continue;  // not installed
    const QByteArray sfnt = EmbeddableTables(raw);
    if (sfnt.isEmpty()) {
      EXPECT_TRUE(raw.fontTable("head").isEmpty()) << family.toStdString();
      EXPECT_FALSE(CPdfFont::Create(raw)) << family.toStdString();
      continue;
    }
    const bool cff = !raw.fontTable("CFF ").isEmpty();
    for (const char* tag : {"head", "hhea", "hmtx", "maxp", cff ? "CFF " : "glyf"})
      EXPECT_EQ(SfntTable(sfnt, tag).toByteArray(), raw.fontTable(tag)) << family.toStdString() << " " << tag;
    EXPECT_TRUE(SfntTable(sfnt, "GSUB").isEmpty());

    const QList<quint32> glyphs = raw.glyphIndexesForString(u"山田Ag"_s);
    const std::set<std::uint32_t> kept(glyphs.begin(), glyphs.end());
    CFontSubset subset;
    ASSERT_TRUE(SubsetFont(sfnt, kept, &subset)) << family.toStdString();
    EXPECT_EQ(subset.cff, cff);
    EXPECT_LT(subset.program.size(), sfnt.size() / 4) << family.toStdString();
    if (cff) {
      const CCffCharset whole = ReadCffCharset(SfntTable(sfnt, "CFF "));
      const CCffCharset cut = ReadCffCharset(subset.program);
      EXPECT_EQ(cut.cidKeyed, whole.cidKeyed);
      for (std::uint32_t g : kept) {
        if (g == 0) continue;
        if (whole.cidKeyed)
          EXPECT_NE(std::find(cut.codeOfGlyph.begin(), cut.codeOfGlyph.end(), whole.codeOfGlyph[g]),
                    cut.codeOfGlyph.end()) << g;
        else
          EXPECT_LT(g, cut.codeOfGlyph.size());
      }
    } else {
      // The same outline under the same index (its header: contours and box).
      for (std::uint32_t g : kept) {
        const QByteArray before = GlyfGlyph(sfnt, g), after = GlyfGlyph(subset.program, g);
        EXPECT_FALSE(after.isEmpty() && !before.isEmpty()) << g;
        EXPECT_EQ(after.left(10), before.left(10)) << g;
      }
    }
  }
  // Damaged files answer no table rather than bytes past their end.
  QFont font(u"DejaVu Sans"_s);
  const QByteArray sfnt = EmbeddableTables(QRawFont::fromFont(font));
  for (qsizetype cut : {qsizetype(0), qsizetype(5), qsizetype(12), qsizetype(40), sfnt.size() / 2})
    for (const char* tag : {"head", "glyf", "hmtx"}) {
      const QByteArrayView table = SfntTable(QByteArrayView(sfnt).first(std::min(cut, sfnt.size())), tag);
      EXPECT_TRUE(table.isEmpty() || table.data() + table.size() <= sfnt.constData() + cut) << cut << tag;
    }
  EXPECT_TRUE(SfntTable(QByteArray(64, '\xFF'), "head").isEmpty());
}

// Damaged CFF tables: a cut table is read without running past its end and
// answers nothing rather than a part of the map.
TEST_F(PdfWriterTest, CffCharsetOfDamagedTables) {
  QFont font(u"Noto Sans CJK JP"_s);
  font.setPixelSize(30);
  const QByteArray cff = QRawFont::fromFont(font).fontTable("CFF ");
  if (cff.isEmpty()) GTEST_SKIP() << "Noto Sans CJK JP is not installed";
  const CCffCharset whole = ReadCffCharset(cff);
  ASSERT_TRUE(whole.cidKeyed);
  EXPECT_GT(whole.codeOfGlyph.size(), 60000u);
  // The charset lies after the glyphs' offsets; only cuts before its end matter.
  for (qsizetype cut : {qsizetype(0), qsizetype(3), qsizetype(40), qsizetype(200), qsizetype(4000), cff.size() / 2})
    EXPECT_TRUE(ReadCffCharset(QByteArrayView(cff).first(cut)).codeOfGlyph.empty()) << cut;
  EXPECT_TRUE(ReadCffCharset(QByteArray(16, '\xFF')).codeOfGlyph.empty());
}

}  // namespace
