#include "core/card_commands.h"
#include "core/edit_messages.h"
#include "exchange/deck_exchange.h"
#include "exchange/row_paste.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

// A deck of 氏名, 郵便番号, 住所 with one card, and the row paste installed.
class RowPaste : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRowPaste();
    w.WriteFile(u"f.csv"_s, Sjis(u"氏名,郵便番号,住所\r\n\"元\",\"1\",\"2\"\r\n"_s));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
  }
  std::vector<QStringList> Cards() const { return CardTexts(doc.Store()); }
  std::vector<QStringList> First(int n) const {
    std::vector<QStringList> cards = Cards();
    cards.resize(std::min<std::size_t>(cards.size(), std::size_t(n)));
    return cards;
  }
  QStringList Names() const {
    QStringList names;
    for (int i = 0; i < doc.Store().ItemCount(); ++i) names << doc.Store().Item(i).toString();
    return names;
  }

  CTestWorld w;
  CVelumDoc doc{*w.services};
};

// Clipboard texts as spreadsheets put them there, and the cards they become
// before the one card 元|1|2.
TEST_F(RowPaste, ClipboardTextsBecomeCards) {
  struct CCase {
    const char* name;
    const char* text;
    std::vector<QStringList> cards;  // pasted cards, then 元|1|2
    std::vector<bool> answers;
  } cases[] = {
      {"by position", "山田\t0010012\t東京都\n佐藤\t\t大阪府\n",
       {{u"山田"_s, u"0010012"_s, u"東京都"_s}, {u"佐藤"_s, u""_s, u"大阪府"_s}}, {}},
      {"short row", "山田\t0010012\n", {{u"山田"_s, u"0010012"_s, u""_s}}, {}},
      {"header by name, reordered", "住所\t氏名\n東京都\t山田\n",
       {{u"山田"_s, u""_s, u"東京都"_s}}, {}},
      {"quoted cell with a line break", "\"一行目\n二行目\"\t1\t2\n", {{u"一行目\r\n二行目"_s, u"1"_s, u"2"_s}}, {}},
      {"a last empty cell is no extra cell", "a\tb\tc\t\n", {{u"a"_s, u"b"_s, u"c"_s}}, {}},
      {"long row, cut after OK", "a\tb\tc\td\n", {{u"a"_s, u"b"_s, u"c"_s}}, {true}},
      {"long row, cancelled", "a\tb\tc\td\n", {}, {false}},
  };
  for (const CCase& c : cases) {
    SetUp();
    for (bool answer : c.answers) w.prompt.QueueAnswer(answer);
    w.clipboard.SetText(QString::fromUtf8(c.text));
    const int pasted = PasteCards(doc);
    std::vector<QStringList> expected = c.cards;
    expected.push_back({u"元"_s, u"1"_s, u"2"_s});
    EXPECT_EQ(Cards(), expected) << c.name;
    EXPECT_EQ(pasted, int(c.cards.size())) << c.name;
    EXPECT_FALSE(w.prompt.Texts().contains(edit_msg::kNothingToPaste)) << c.name;
    w.prompt.ClearHistory();
  }
}

TEST_F(RowPaste, UnknownColumnsAreOfferedAsItemsInOneUndoStep) {
  w.prompt.QueueAnswer(true);
  w.clipboard.SetText(u"氏名\t携帯\t住所\n山田\t090\t東京都\n"_s);
  EXPECT_EQ(AppendPasteCards(doc), 1);
  EXPECT_EQ(Names(), (QStringList{u"氏名"_s, u"郵便番号"_s, u"住所"_s, u"携帯"_s}));
  EXPECT_EQ(Cards().back(), (QStringList{u"山田"_s, u""_s, u"東京都"_s, u"090"_s}));
  ASSERT_EQ(w.prompt.Texts().size(), 1);
  EXPECT_TRUE(w.prompt.Texts()[0].contains(u"携帯"_s));
  // One step takes back both the item and the card.
  EXPECT_FALSE(doc.UndoStack().Undo(doc).isEmpty());
  EXPECT_EQ(Names(), (QStringList{u"氏名"_s, u"郵便番号"_s, u"住所"_s}));
  EXPECT_EQ(Cards(), (std::vector<QStringList>{{u"元"_s, u"1"_s, u"2"_s}}));

  // Declined: the known columns are pasted, the unknown one left out.
  w.prompt.QueueAnswer(false);
  EXPECT_EQ(PasteCards(doc), 1);
  EXPECT_EQ(Names().size(), 3);
  EXPECT_EQ(Cards().front(), (QStringList{u"山田"_s, u""_s, u"東京都"_s}));
}

TEST_F(RowPaste, PlainTextIsStillNothingToPaste) {
  w.clipboard.SetText(u"just words"_s);
  EXPECT_EQ(PasteCards(doc), 0);
  EXPECT_TRUE(w.prompt.Texts().contains(edit_msg::kNothingToPaste));
}

// Copied cards go beside their own form as rows a spreadsheet pastes, names
// first; those rows pasted into a deck of the same items give the same cards.
TEST_F(RowPaste, CopiedCardsAreRowsForSpreadsheetsToo) {
  w.clipboard.SetText(u"山田\t0010012\t東京都\n\"二\n行\"\t\t\"a\"\"b\tc\"\n"_s);
  ASSERT_EQ(AppendPasteCards(doc), 2);
  const std::vector<QStringList> before = Cards();
  CopyCards(doc, {0, 1, 2});
  EXPECT_EQ(w.clipboard.SheetRows(),
            u"氏名\t郵便番号\t住所\n元\t1\t2\n山田\t0010012\t東京都\n\"二\n行\"\t\t\"a\"\"b\tc\"\n"_s);
  // The own form stays the clipboard's text: a paste in Velum takes it as it did.
  doc.MakeCurrent(0);
  ASSERT_EQ(PasteCards(doc), 3);
  EXPECT_EQ(First(3), before);

  // The rows alone, as a spreadsheet hands them back.
  const QString rows = w.clipboard.SheetRows();
  SetUp();
  w.clipboard.SetText(rows);
  ASSERT_EQ(PasteCards(doc), 3);
  EXPECT_EQ(First(3), before);
}

TEST(DeckExchange, TableOfTheVisibleCardsAndItsKinds) {
  CTestWorld w;
  w.WriteFile(u"f.csv"_s, Sjis(u"氏名,誕生日,郵便番号\r\n\"a\",\"1980/01/02\",\"0010012\"\r\n\"b\",\"\",\"100\"\r\n"_s));
  CVelumDoc doc{*w.services};
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
  const CExchangeTable t = TableFromDeck(doc.Store(), {1});
  EXPECT_EQ(t.names, (QStringList{u"氏名"_s, u"誕生日"_s, u"郵便番号"_s}));
  EXPECT_EQ(t.rows, (std::vector<QStringList>{{u"b"_s, u""_s, u"100"_s}}));
  const std::vector<CColumnKind> kinds = ColumnKinds(doc.Store(), TableFromDeck(doc.Store()));
  EXPECT_EQ(kinds, (std::vector<CColumnKind>{CColumnKind::kText, CColumnKind::kDate, CColumnKind::kText}));

  OpenTableAsNewDeck(doc, t);
  EXPECT_TRUE(doc.PathName().isEmpty());
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(CardTexts(doc.Store()), t.rows);

  // What a card file cannot read back is removed, with a word.
  CExchangeTable odd = t;
  odd.rows[0][0] = u"a\u0001b"_s;
  OpenTableAsNewDeck(doc, odd);
  EXPECT_EQ(doc.Store().GetItemText(0, 0), u"ab"_s);
  EXPECT_EQ(w.prompt.Texts().size(), 1);
}

}  // namespace
