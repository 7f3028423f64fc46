// velum-cli print and batch's print, checked by reading the PDF back with
// poppler's pdftotext -bbox (every word with its box, in points), pdfinfo and
// pdffonts. Texts are compared exactly as extracted: a kanji whose glyph the
// font shares with a radical (氏 and ⽒, 西 and ⻄) must read as the kanji.
#include "core/velum_doc.h"
#include "records/print_extras.h"
#include "records/print_label.h"
#include "records/print_layout_edit.h"
#include "settings/settings_store.h"
#include "support/pdf_words.h"
#include "support/test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <set>

using namespace Qt::StringLiterals;

namespace {

constexpr double kPtPerMm = 72 / 25.4;

// The words of the pages that match a pattern, in reading order.
QStringList Matching(const std::vector<CPdfPage>& pages, const QString& pattern) {
  const QRegularExpression re(u"^"_s + pattern + u"$"_s);
  QStringList out;
  for (const CPdfPage& p : pages)
    for (const CPdfWord& w : p)
      if (re.match(w.text).hasMatch()) out << w.text;
  return out;
}

class PrintPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const QString& t : {u"pdftotext"_s, u"pdfinfo"_s, u"pdffonts"_s})
      if (PdfTool(t).isEmpty()) GTEST_SKIP() << t.toStdString() << " is missing: install poppler-utils";
  }
  CCliRun Run(const QStringList& args, const QByteArray& input = {}) {
    return RunCli(args, input, w.Path(u"velum.reg"_s));
  }
  // A UTF-8 card file of count cards: 番号 名前 郵便番号 住所 氏名.
  QString Deck(int count, const QString& name = u"deck.csv"_s) {
    QString text = u"番号,名前,郵便番号,住所,氏名\r\n"_s;
    for (int i = 0; i < count; ++i)
      text += u"%1,人物%2,100-%3,東京都港区%4丁目,氏名%2\r\n"_s.arg(i).arg(i, 3, 10, QChar(u'0')).arg(i, 4, 10, QChar(u'0')).arg(i);
    w.WriteFile(name, text.toUtf8());
    return w.Path(name);
  }
  CTestWorld w;
};

TEST_F(PrintPdfTest, ListShowsEveryCardInOrderUnderHeadingsOnEveryPage) {
  const QString deck = Deck(150);
  const QString out = w.Path(u"list.pdf"_s);
  const CCliRun r = Run({u"print"_s, deck, u"-o"_s, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.isEmpty()) << r.err;
  const std::vector<CPdfPage> pages = ReadPdfWords(out);
  ASSERT_GE(pages.size(), 2u);
  QStringList expected;
  for (int i = 0; i < 150; ++i) expected << u"人物%1"_s.arg(i, 3, 10, QChar(u'0'));
  EXPECT_EQ(Matching(pages, u"人物\\d+"_s), expected);
  for (std::size_t p = 0; p < pages.size(); ++p) {
    for (const QString& heading : {u"番号"_s, u"名前"_s, u"郵便番号"_s, u"住所"_s, u"氏名"_s}) {
      const CPdfWord* h = FindPdfWord(pages[p], heading);
      ASSERT_TRUE(h) << heading.toStdString() << " missing on page " << p + 1;
      // The heading stands above every card of its page.
      for (const CPdfWord& word : pages[p])
        if (word.text.startsWith(u"人物"_s)) EXPECT_LT(h->y1, word.y0 + 0.01);
    }
    // The footer: the file name and "page / pages".
    EXPECT_TRUE(FindPdfWord(pages[p], u"deck.csv"_s));
    EXPECT_TRUE(FindPdfWord(pages[p], u"%1"_s.arg(p + 1)));
  }
  const QString info = RunPdfTool(u"pdfinfo"_s, {out});
  EXPECT_TRUE(info.contains(QRegularExpression(u"Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts \\(A4\\)"_s))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression(u"Pages:\\s+%1\\n"_s.arg(pages.size()))));
  const QString fonts = RunPdfTool(u"pdffonts"_s, {out});
  EXPECT_TRUE(fonts.contains(QRegularExpression(u"CJK\\S*\\s+CID (TrueType|Type 0C)\\s+Identity-H\\s+yes"_s))) << fonts.toStdString();
}

TEST_F(PrintPdfTest, TextReadsBackAsWritten) {
  // Kanji whose glyphs Noto CJK shares with Kangxi radicals and the radicals
  // supplement, kana, full-width forms and Latin.
  const QStringList texts{u"山田太郎"_s, u"北一条西"_s, u"日本の言語"_s, u"氏名と住所"_s,
                          u"ｶﾀｶﾅ・ＡＢＣ１２３"_s, u"Café-Straße"_s};
  w.WriteFile(u"t.csv"_s, (u"項目\r\n"_s + texts.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
  for (const QString& form : {u"list"_s, u"cards"_s}) {
    const QString out = w.Path(u"t.pdf"_s);
    const CCliRun r = Run({u"print"_s, w.Path(u"t.csv"_s), u"-o"_s, out, u"--form"_s, form});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QString text = RunPdfTool(u"pdftotext"_s, {out, u"-"_s});
    for (const QString& t : texts) EXPECT_TRUE(text.contains(t)) << t.toStdString() << " in " << text.toStdString();
    EXPECT_FALSE(text.contains(QRegularExpression(u"[\\x{2E80}-\\x{2FDF}]"_s))) << text.toStdString();
  }
}

TEST_F(PrintPdfTest, LongTextsWrapInsideTheirColumn) {
  QString words;
  for (int i = 0; i < 60; ++i) words += u"word%1 "_s.arg(i);
  w.WriteFile(u"long.csv"_s, u"番号,文章,後\r\n1,%1,end\r\n2,short,tail\r\n"_s.arg(words.trimmed()).toUtf8());
  const QString out = w.Path(u"long.pdf"_s);
  const CCliRun r = Run({u"print"_s, w.Path(u"long.csv"_s), u"-o"_s, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<CPdfPage> pages = ReadPdfWords(out);
  ASSERT_EQ(pages.size(), 1u);
  const CPdfWord* column = FindPdfWord(pages[0], u"文章"_s);
  const CPdfWord* next = FindPdfWord(pages[0], u"後"_s);
  ASSERT_TRUE(column && next);
  std::set<int> lines;
  int seen = 0;
  for (const CPdfWord& word : pages[0]) {
    if (!word.text.startsWith(u"word"_s)) continue;
    ++seen;
    EXPECT_GE(word.x0, column->x0 - 0.5) << word.text.toStdString();
    EXPECT_LE(word.x1, next->x0) << word.text.toStdString();
    lines.insert(int(word.y0));
  }
  EXPECT_EQ(seen, 60);
  EXPECT_GT(lines.size(), 2u);
  // The next card starts below the wrapped one.
  const CPdfWord* end = FindPdfWord(pages[0], u"end"_s);
  const CPdfWord* tail = FindPdfWord(pages[0], u"tail"_s);
  ASSERT_TRUE(end && tail);
  for (const CPdfWord& word : pages[0])
    if (word.text.startsWith(u"word"_s)) EXPECT_LT(word.y1, tail->y0 + 0.01);
}

// Amounts, dates, postal codes and telephone numbers print whole even in a
// list of more columns than the page holds; a column of numbers stands
// right-aligned; the orientation kept for the file turns the paper.
TEST_F(PrintPdfTest, NumbersAndDatesPrintWhole) {
  QString text = u"金額,生年月日,郵便番号,電話"_s;
  for (int i = 0; i < 10; ++i) text += u",説明%1"_s.arg(i);
  text += u"\r\n"_s;
  const QStringList amounts{u"12000"_s, u"5"_s, u"1,234,567"_s};
  for (const QString& amount : amounts) {
    text += u"\"%1\",1979/2/14,100-0005,03-1234-5678"_s.arg(amount);
    for (int i = 0; i < 10; ++i) text += u",とても長い説明の文章がここに続きます"_s;
    text += u"\r\n"_s;
  }
  w.WriteFile(u"wide.csv"_s, text.toUtf8());
  const QString out = w.Path(u"wide.pdf"_s);
  for (bool landscape : {false, true}) {
    if (landscape) {
      CSettingsStore settings(w.Path(u"velum.reg"_s));
      CPrintExtras extras;
      extras.landscape = true;
      ASSERT_TRUE(WritePrintExtras(settings, w.Path(u"wide.csv"_s), extras));
    }
    const CCliRun r = Run({u"print"_s, w.Path(u"wide.csv"_s), u"-o"_s, out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<CPdfPage> pages = ReadPdfWords(out);
    for (const QString& whole : amounts + QStringList{u"1979/2/14"_s, u"100-0005"_s, u"03-1234-5678"_s})
      EXPECT_EQ(Matching(pages, QRegularExpression::escape(whole)).size(), amounts.contains(whole) ? 1u : 3u)
          << whole.toStdString() << (landscape ? " landscape" : "");
    EXPECT_TRUE(Matching(pages, u"(1200|1979/2/1|03-1234-|100-000)"_s).isEmpty());
    const CPdfWord *big = nullptr, *small = nullptr;
    for (const CPdfPage& page : pages) {
      if (!big) big = FindPdfWord(page, u"12000"_s);
      if (!small) small = FindPdfWord(page, u"5"_s);
    }
    ASSERT_TRUE(big && small);
    EXPECT_NEAR(big->x1, small->x1, 0.6);
    const QString info = RunPdfTool(u"pdfinfo"_s, {out});
    const QString size = landscape ? u"84[12](\\.\\d+)? x 595(\\.\\d+)?"_s : u"595(\\.\\d+)? x 84[12](\\.\\d+)?"_s;
    EXPECT_TRUE(info.contains(QRegularExpression(u"Page size:\\s+"_s + size))) << info.toStdString();
  }
}

// A text too long for its page is cut with a sign: its last line shown ends
// in "…" and the footer says how many characters were left out, so that the
// characters printed and those left out make the whole text.
TEST_F(PrintPdfTest, ACutTextIsMarked) {
  constexpr int kLength = 3 * 1024 * 1024;
  w.WriteFile(u"huge.csv"_s, "memo,name\r\n" + QByteArray(kLength, 'x') + ",after\r\n");
  for (const QString& form : {u"list"_s, u"cards"_s}) {
    const QString out = w.Path(u"huge.pdf"_s);
    const CCliRun r = Run({u"print"_s, w.Path(u"huge.csv"_s), u"-o"_s, out, u"--form"_s, form});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<CPdfPage> pages = ReadPdfWords(out);
    qint64 printed = 0, leftOut = -1;
    bool marked = false;
    static const QRegularExpression note(u"^([\\d,]+)文字を省略$"_s);
    for (const CPdfPage& page : pages)
      for (const CPdfWord& word : page) {
        if (const auto m = note.match(word.text); m.hasMatch()) leftOut = m.captured(1).remove(u',').toLongLong();
        QString x = word.text;
        if (x.endsWith(u'…')) {
          x.chop(1);
          marked = marked || (!x.isEmpty() && x.count(u'x') == x.size());
        }
        if (!x.isEmpty() && x.count(u'x') == x.size()) printed += x.size();
      }
    EXPECT_TRUE(marked) << form.toStdString();
    EXPECT_GT(printed, 0) << form.toStdString();
    EXPECT_EQ(printed + leftOut, kLength) << form.toStdString() << ": " << printed << " printed, " << leftOut;
    EXPECT_EQ(Matching(pages, u"after"_s).size(), 1u) << form.toStdString();
  }
}

TEST_F(PrintPdfTest, CardsStayWholeOnTheirPage) {
  const QString deck = Deck(20);
  const QString out = w.Path(u"cards.pdf"_s);
  const CCliRun r = Run({u"print"_s, deck, u"-o"_s, out, u"--form"_s, u"cards"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<CPdfPage> pages = ReadPdfWords(out);
  ASSERT_GE(pages.size(), 2u);
  for (int i = 0; i < 20; ++i) {
    int namePage = -1, addressPage = -1;
    for (std::size_t p = 0; p < pages.size(); ++p) {
      if (FindPdfWord(pages[p], u"人物%1"_s.arg(i, 3, 10, QChar(u'0')))) namePage = int(p);
      if (FindPdfWord(pages[p], u"東京都港区%1丁目"_s.arg(i))) addressPage = int(p);
    }
    EXPECT_GE(namePage, 0) << i;
    EXPECT_EQ(namePage, addressPage) << "card " << i << " split";
  }
  EXPECT_EQ(Matching(pages, u"人物\\d+"_s).size(), 20);
}

TEST_F(PrintPdfTest, LabelsLieInsideTheirLabelFromTheStartPosition) {
  struct Case {
    int cards;
    int start;  // as velum-cli counts: from 1
    int pages;
  };
  for (const Case c : {Case{13, 1, 2}, Case{13, 3, 2}, Case{12, 1, 1}, Case{1, 12, 1}, Case{2, 12, 2}}) {
    const QString deck = Deck(c.cards);
    const QString out = w.Path(u"labels.pdf"_s);
    const CCliRun r =
        Run({u"print"_s, deck, u"-o"_s, out, u"--labels"_s, u"--start"_s, QString::number(c.start)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<CPdfPage> pages = ReadPdfWords(out);
    ASSERT_EQ(int(pages.size()), c.pages) << c.cards << " from " << c.start;
    for (int i = 0; i < c.cards; ++i) {
      // 2 across, 6 down of 84 x 33 mm, 4 and 5 mm apart, 10 mm from the top and left.
      const int pos = c.start - 1 + i, page = pos / 12, row = pos % 12 / 2, col = pos % 2;
      const double left = (10 + col * 88) * kPtPerMm, top = (10 + row * 38) * kPtPerMm;
      const double right = left + 84 * kPtPerMm, bottom = top + 33 * kPtPerMm;
      for (const QString& text : {u"氏名%1"_s.arg(i, 3, 10, QChar(u'0')), u"〒100-%1"_s.arg(i, 4, 10, QChar(u'0'))}) {
        const CPdfWord* word = FindPdfWord(pages[std::size_t(page)], text);
        ASSERT_TRUE(word) << text.toStdString() << " not on page " << page + 1;
        EXPECT_GE(word->x0, left);
        EXPECT_LE(word->x1, right);
        EXPECT_GE(word->y0, top);
        EXPECT_LE(word->y1, bottom);
      }
      EXPECT_TRUE(FindPdfWord(pages[std::size_t(page)], u"様"_s));
    }
  }
}

// Labels print an address in two items and a name in two by default, and
// the lines chosen for the file once it was saved with them.
TEST_F(PrintPdfTest, LabelsTakeTheLinesOfTheFile) {
  const QString deck = w.Path(u"two.csv"_s);
  w.WriteFile(u"two.csv"_s, u"姓,名,郵便番号,住所1,住所2\r\n山田,太郎,100-0001,東京都千代田区,一番町1\r\n"_s.toUtf8());
  const QString out = w.Path(u"labels.pdf"_s);
  auto printed = [&] {
    const CCliRun r = Run({u"print"_s, deck, u"-o"_s, out, u"--labels"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return RunPdfTool(u"pdftotext"_s, {out, u"-"_s}).split(u'\n', Qt::SkipEmptyParts);
  };
  EXPECT_EQ(printed().mid(0, 4), (QStringList{u"〒100-0001"_s, u"東京都千代田区"_s, u"一番町1"_s, u"山田 太郎 様"_s}));
  {
    CVelumDoc doc(*w.services);
    ASSERT_TRUE(doc.OnOpenDocument(deck));
    LabelRecord(doc.Store().FileProperty(), CPrintLabel(*w.settings)).m_lines = {
        {{}, u"住所1"_s, {}}, {{}, u"住所2"_s, {}, true}, {{}, u"姓"_s, u" 御中"_s}};
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.Save());
  }
  EXPECT_EQ(printed().mid(0, 2), (QStringList{u"東京都千代田区一番町1"_s, u"山田 御中"_s}));
}

TEST_F(PrintPdfTest, BatchPrintsTheVisibleCardsAsTheyStand) {
  const QString deck = Deck(14);
  const QString out = w.Path(u"batch.pdf"_s);
  // Numbers holding a 1: 1, 10 to 13; card 1 and 12 then hidden by hand.
  const QByteArray script =
      u"filter 0 0 1 番号\nhide 0 3\nsort 番号:3\nprint -o \"%1\"\n"_s.arg(out).toUtf8();
  const CCliRun r = Run({u"batch"_s, deck}, script);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.isEmpty()) << r.err;
  const std::vector<CPdfPage> pages = ReadPdfWords(out);
  EXPECT_EQ(Matching(pages, u"人物\\d+"_s),
            (QStringList{u"人物013"_s, u"人物011"_s, u"人物010"_s}));
}

TEST_F(PrintPdfTest, PrintingLeavesTheFilesAloneAndFailsCleanly) {
  const QString source = qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/examples/"_s;
  for (const QString& name : {u"住所録.csv"_s, u"住所録.vcv"_s}) {
    QFile f(source + name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    w.WriteFile(name, f.readAll());
  }
  const QByteArray csv = w.ReadFile(u"住所録.csv"_s), vcv = w.ReadFile(u"住所録.vcv"_s);
  const QString card = w.Path(u"住所録.csv"_s);
  CCliRun r = Run({u"print"_s, card, u"-o"_s, w.Path(u"ok.pdf"_s)});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = Run({u"batch"_s, card}, u"print -o \"%1\" --labels\n"_s.arg(w.Path(u"ok2.pdf"_s)).toUtf8());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"住所録.csv"_s), csv);
  EXPECT_EQ(w.ReadFile(u"住所録.vcv"_s), vcv);

  w.WriteFile(u"keep.pdf"_s, "old");
  QDir().mkdir(w.Path(u"folder.pdf"_s));
  const QStringList before = QDir(w.Path(u""_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  struct Case {
    QStringList args;
    int exitCode;
    QString err;
  };
  const QString missing = w.Path(u"no/such/folder/x.pdf"_s);
  const Case cases[] = {
      {{u"print"_s, card, u"-o"_s, missing}, 1, missing + u": No such file or directory"_s},
      {{u"print"_s, card, u"-o"_s, w.Path(u"folder.pdf"_s)}, 1, w.Path(u"folder.pdf"_s)},
      {{u"print"_s, w.Path(u"none.csv"_s), u"-o"_s, w.Path(u"keep.pdf"_s)}, 1, w.Path(u"none.csv"_s)},
      {{u"print"_s, card, u"-o"_s, w.Path(u"keep.pdf"_s), u"--form"_s, u"table"_s}, 2, u"--form"_s},
      {{u"print"_s, card, u"-o"_s, w.Path(u"keep.pdf"_s), u"--labels"_s, u"--start"_s, u"13"_s}, 2, u"1 to 12"_s},
      {{u"print"_s, card, u"-o"_s, w.Path(u"keep.pdf"_s), u"--start"_s, u"2"_s}, 2, u"--labels"_s},
      {{u"print"_s, card}, 2, u"-o OUT.pdf"_s},
      // Never over the cards being printed or their property file.
      {{u"print"_s, card, u"-o"_s, card}, 1, card + u": the card file"_s},
      {{u"print"_s, card, u"-o"_s, w.Path(u"住所録.vcv"_s)}, 1, w.Path(u"住所録.vcv"_s)},
  };
  for (const Case& c : cases) {
    r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(u' ').toStdString();
    EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
  }
  r = Run({u"batch"_s, card}, u"print -o \"%1\"\n"_s.arg(missing).toUtf8());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(missing + u": No such file or directory"_s)) << r.err.toStdString();
  EXPECT_EQ(QDir(w.Path(u""_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
  EXPECT_EQ(w.ReadFile(u"keep.pdf"_s), "old");
  EXPECT_EQ(w.ReadFile(u"住所録.csv"_s), csv);
  EXPECT_EQ(w.ReadFile(u"住所録.vcv"_s), vcv);
}

}  // namespace
