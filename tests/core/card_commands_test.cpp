#include "core/card_commands.h"
#include "core/card_file.h"
#include "core/card_file_checks.h"
#include "core/item_commands.h"
#include "core/digit_grouping.h"
#include "core/edit_messages.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A document of three items named 名前, 住所, メモ with the given cards (one
// "a|b|c" word each, split at '|'), all quoted.
class CardCommands : public ::testing::Test {
 protected:
  void Open(const QStringList& cards) {
    QString text = u"名前,住所,メモ\r\n"_s;
    for (const QString& c : cards) text += u'"' + c.split(u'|').join(u"\",\""_s) + u"\"\r\n"_s;
    w.WriteFile(u"f.csv"_s, Sjis(text));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
    doc.AddView(&view);
  }
  // The first item of every visible card.
  QStringList Names() const {
    QStringList out;
    for (int n = 0; n < doc.VisibleCount(); ++n) out << doc.Store().GetItemText(n, 0).toString();
    return out;
  }
  void Hide(int allIndex) {
    doc.Store().AllCard(allIndex)->SetVisible(false);
    doc.Store().RebuildVisible();
  }

  CTestWorld w;
  CVelumDoc doc{*w.services};
  CRecordingView view;
};

}  // namespace

TEST(DigitGrouping, ReadsFromTheRight) {
  const std::pair<QString, QString> cases[] = {
      {u"1234"_s, u"1,234"_s},
      {u"1234567"_s, u"1,234,567"_s},
      {u"1234.5678"_s, u"1,234.5678"_s},
      {u"-1234"_s, u"-1,234"_s},
      {u"1,2345"_s, u"12,345"_s},
      {u"12a34"_s, u"12a34"_s},
      {u"123"_s, u"123"_s},
      {u""_s, u""_s},
      {u"1234."_s, u"1,234."_s},
      {u".12345"_s, u".12345"_s},
      {u"1234.5.678901"_s, u"1,234.5.678901"_s},  // digits after the last full stop stay as they are
      {u"12345.5.6789"_s, u"12,345.5.6789"_s},
      {u"\\1234567"_s, u"\\1,234,567"_s},
      {u"$(1234)"_s, u"$(1,234)"_s},
      {u"+1234%"_s, u"+1,234%"_s},
      {u"=1000000"_s, u"=1,000,000"_s},
      {u"1,,,000"_s, u"1,000"_s},
      {u"１２３４"_s, u"１２３４"_s},  // full-width digits are no digits here
      {u"12 34"_s, u"12 34"_s},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(GroupDigits(in), out) << in;
}

TEST_F(CardCommands, CommitGroupsDigitsAndAsksAboutCommas) {
  Open({u"a|b|c"_s});
  doc.Store().Property(1).m_flags = CItemProperty::kDigitGrouping;
  QString stored;
  ASSERT_TRUE(CommitItemText(doc, 0, 1, u"1234567"_s, &stored));
  EXPECT_EQ(stored, u"1,234,567"_s);
  // The grouped text has commas, but the item is quoted: no question.
  EXPECT_TRUE(w.prompt.Texts().isEmpty());
  EXPECT_TRUE(doc.IsModified());

  // A bare item: the question, and OK quotes it; Cancel leaves it bare.
  CCardRow* card = doc.Store().VisibleCard(0);
  card->SetQuoted(2, false);
  w.prompt.QueueAnswer(false);
  CommitItemText(doc, 0, 2, u"x,y"_s);
  EXPECT_EQ(w.prompt.Texts(), QStringList{edit_msg::kCommaQuestion});
  EXPECT_FALSE(card->Quoted(2));
  CommitItemText(doc, 0, 2, u"x,y,z"_s);
  EXPECT_TRUE(card->Quoted(2));
  EXPECT_EQ(card->Item(2), u"x,y,z"_s);
  EXPECT_FALSE(CommitItemText(doc, 1, 0, u"no card"_s));
  EXPECT_FALSE(CommitItemText(doc, 0, 3, u"no item"_s));
}

TEST_F(CardCommands, CopyAndPasteGiveEqualTexts) {
  // Texts that need the escapes of the line form, in quoted and in bare items.
  const QStringList texts{u",ああ"_s, u"ああ,"_s,  u"\",いい"_s, u"いい\","_s,  u"\",\"うう"_s, u"うう\",\""_s,
                          u",\"ええ"_s, u"ええ,\""_s, u"\"おお"_s,  u"おお\""_s,   u"\"\"かか"_s, u"かか\"\""_s,
                          u"き\"き"_s, u"さ\"\"さ"_s, u"せ\"\"\"せ"_s, u"く\",く"_s, u"け,\"け"_s,  u"し,,し"_s,
                          u"そ,,,そ"_s, u"す,\"\"す"_s, u"改\r\n行"_s, u"\r\n"_s,     u""_s,        u"\""_s};
  Open({u"x|y|z"_s});
  CCardStore& store = doc.Store();
  for (qsizetype t = 0; t < texts.size(); ++t) {
    CCardRow card;
    card.MakeEmpty(3);
    card.SetItem(0, texts[t]);
    card.SetItem(1, texts[(t + 1) % texts.size()]);
    card.SetItem(2, texts[(t + 2) % texts.size()]);
    card.SetQuoted(1, false);
    card.SetQuoted(2, t % 2 == 0);
    store.AppendCardCopy(card);
  }
  const std::vector<QStringList> before = CardTexts(store);
  std::vector<int> all(store.VisibleCount());
  for (int n = 0; n < store.VisibleCount(); ++n) all[n] = n;
  CopyCards(doc, all);
  EXPECT_EQ(w.prompt.WaitDepth(), 0);

  // Append the copies; they must equal the originals, quote flags included.
  ASSERT_EQ(AppendPasteCards(doc), int(all.size()));
  const std::vector<QStringList> after = CardTexts(store);
  ASSERT_EQ(after.size(), 2 * before.size());
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_EQ(after[before.size() + k], before[k]) << k;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(store.AllCard(int(before.size() + k))->Quoted(i), store.AllCard(int(k))->Quoted(i)) << k << ' ' << i;
  }
  EXPECT_EQ(doc.CurrentCard(), doc.VisibleCount() - 1);
  EXPECT_EQ(view.hints.back(), hint::kWholeDocument);
}

TEST_F(CardCommands, PasteInsertsBeforeTheCurrentCardAndKeepsOrder) {
  Open({u"1|a|a"_s, u"2|b|b"_s, u"3|c|c"_s, u"4|d|d"_s, u"5|e|e"_s, u"6|f|f"_s});
  w.clipboard.SetText(u"\"p\",\"p\",\"p\"\n\"q\",\"q\",\"q\"\n"_s);
  doc.MakeCurrent(2);
  EXPECT_EQ(PasteCards(doc), 2);
  EXPECT_EQ(Names(), (QStringList{u"1"_s, u"2"_s, u"p"_s, u"q"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s}));
  EXPECT_EQ(doc.CurrentCard(), 3);
  EXPECT_EQ(view.hints, std::vector<std::uint32_t>{hint::kCardsChanged});
  EXPECT_TRUE(doc.IsModified());
  EXPECT_GE(view.stores, 1);
}

TEST_F(CardCommands, PasteWithAFilterKeepsHiddenCardsInPlace) {
  Open({u"0|a|a"_s, u"1|b|b"_s, u"2|c|c"_s, u"3|d|d"_s});
  Hide(1);
  doc.MakeCurrent(1);
  w.clipboard.SetText(u"p,p,p\nq,q,q\n"_s);
  EXPECT_EQ(PasteCards(doc), 2);
  QStringList all;
  for (const QStringList& card : CardTexts(doc.Store())) all << card[0];
  EXPECT_EQ(all, (QStringList{u"0"_s, u"1"_s, u"p"_s, u"q"_s, u"2"_s, u"3"_s}));
  EXPECT_EQ(Names(), (QStringList{u"0"_s, u"p"_s, u"q"_s, u"2"_s, u"3"_s}));
  EXPECT_EQ(doc.CurrentCard(), 2);
}

TEST_F(CardCommands, PasteSkipsLinesOfTheWrongWidth) {
  Open({u"1|a|a"_s});
  struct Case {
    QString clipboard;
    QStringList pasted;  // first items of the cards that arrive, in order
  };
  const Case cases[] = {
      {u"two,items\nr,s,t\nfour,items,a,b\nu,v,w\n"_s, {u"r"_s, u"u"_s}},
      {u"r,s,t\r\nu,v,w\r\n"_s, {u"r"_s, u"u"_s}},  // CR LF from another program
      {u"r,s,t\nu,v,w"_s, {u"r"_s}},                 // text after the last line feed is left
      {u"\n\n,,\n"_s, {u""_s}},                       // ",," is three empty items
      {u"\"a,b\",c\n"_s, {}},                         // two items: "a,b" and c
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CardsFromText(c.clipboard, 3).size(), std::size_t(c.pasted.size())) << c.clipboard;
    QStringList got;
    for (const CCardRow& card : CardsFromText(c.clipboard, 3)) {
      EXPECT_EQ(card.ItemCount(), 3);
      got << card.Item(0).toString();
    }
    EXPECT_EQ(got, c.pasted) << c.clipboard;
  }
  EXPECT_EQ(CardsFromText(u"r,s,t\r\n"_s, 3)[0].Item(2), u"t"_s);

  // Nothing fits: the message for paste, silence for append paste.
  w.clipboard.SetText(u"a,b\n"_s);
  EXPECT_EQ(PasteCards(doc), 0);
  EXPECT_EQ(AppendPasteCards(doc), 0);
  EXPECT_EQ(w.prompt.Texts(), QStringList{edit_msg::kNothingToPaste});
  EXPECT_EQ(doc.VisibleCount(), 1);
  EXPECT_FALSE(doc.IsModified());
  w.clipboard.SetText(QString());
  EXPECT_EQ(PasteCards(doc), 0);
  EXPECT_EQ(w.prompt.Texts().size(), 1);
}

TEST_F(CardCommands, DeletingScatteredCardsKeepsTheRestInOrder) {
  Open({u"0|a|a"_s, u"1|b|b"_s, u"2|c|c"_s, u"3|d|d"_s, u"4|e|e"_s, u"5|f|f"_s});
  doc.MakeCurrent(5);
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(DeleteCards(doc, {1, 4}));
  EXPECT_EQ(doc.VisibleCount(), 6);
  EXPECT_TRUE(DeleteCards(doc, {4, 1, 4, 9, -1}));  // any order, repeats and strays ignored
  EXPECT_EQ(Names(), (QStringList{u"0"_s, u"2"_s, u"3"_s, u"5"_s}));
  EXPECT_EQ(doc.CurrentCard(), 3);
  EXPECT_EQ(w.prompt.Texts(), (QStringList{edit_msg::kDeleteCards, edit_msg::kDeleteCards}));
  EXPECT_EQ(view.hints, std::vector<std::uint32_t>{hint::kCardsChanged});
}

TEST_F(CardCommands, DeletingTheOnlyCardLeavesAnEmptyOne) {
  Open({u"0|a|a"_s});
  doc.Store().SetQuoted(0, true);  // the header line's names are bare
  EXPECT_TRUE(DeleteCards(doc));
  ASSERT_EQ(doc.VisibleCount(), 1);
  EXPECT_EQ(CardTexts(doc.Store()), (std::vector<QStringList>{{u""_s, u""_s, u""_s}}));
  EXPECT_FALSE(doc.Store().VisibleCard(0)->Quoted(1));  // copied from the item-name row
  EXPECT_TRUE(doc.Store().VisibleCard(0)->Quoted(0));
  EXPECT_EQ(doc.CurrentCard(), 0);
}

TEST_F(CardCommands, CutNeedsTwoCardsAndLeavesHiddenCardsAlone) {
  Open({u"0|a|a"_s, u"1|b|b"_s, u"2|c|c"_s});
  Hide(1);
  Hide(2);
  EXPECT_FALSE(CutCards(doc, {0}));
  EXPECT_TRUE(w.clipboard.Text().isEmpty());

  doc.Store().AllCard(2)->SetVisible(true);
  doc.Store().RebuildVisible();
  // Every shown card cut: the hidden one stays, and one empty card is shown.
  EXPECT_TRUE(CutCards(doc, {0, 1}));
  EXPECT_TRUE(w.prompt.Texts().isEmpty());
  EXPECT_EQ(w.clipboard.Text(), u"\"0\",\"a\",\"a\"\n\"2\",\"c\",\"c\"\n"_s);
  EXPECT_EQ(doc.Store().AllCount(), 2);
  EXPECT_EQ(doc.Store().AllCard(0)->Item(0), u"1"_s);
  EXPECT_EQ(Names(), QStringList{u""_s});
}

TEST_F(CardCommands, AddAndInsertBuildCardsFromInitialValues) {
  Open({u"0|a|a"_s, u"1|b|b"_s});
  doc.Store().Property(1).m_initialValue = u"Before()"_s;
  doc.Store().Property(2).m_initialValue = u"新"_s;
  AddCard(doc);
  EXPECT_EQ(doc.CurrentCard(), 2);
  EXPECT_EQ(doc.Store().AllCard(2)->Item(1), u"b"_s);
  doc.MakeCurrent(1);
  InsertCard(doc);
  EXPECT_EQ(doc.CurrentCard(), 1);
  EXPECT_EQ(CardTexts(doc.Store())[1], (QStringList{u""_s, u"a"_s, u"新"_s}));
  EXPECT_EQ(view.hints, (std::vector<std::uint32_t>{hint::kCardAdded, hint::kCardInserted}));
}

TEST_F(CardCommands, TheNextItemAtTheEndAsksWhenCardAddIsOn) {
  Open({u"0|a|a"_s});
  doc.Store().Property(0).m_formula = u"1+1"_s;
  w.prompt.QueueAnswer(false);
  EXPECT_EQ(AddCardAtEnd(doc), -1);
  EXPECT_EQ(doc.VisibleCount(), 1);
  EXPECT_EQ(w.prompt.Texts(), QStringList{edit_msg::kLastCardQuestion});
  EXPECT_EQ(AddCardAtEnd(doc), 1);  // item 0 has a formula
  EXPECT_EQ(doc.CurrentCard(), 1);

  WriteSetting(*w.settings, settings::kCardAdd, 0);
  w.prompt.ClearHistory();
  EXPECT_EQ(AddCardAtEnd(doc), 1);
  EXPECT_TRUE(w.prompt.Texts().isEmpty());
  EXPECT_EQ(doc.VisibleCount(), 3);
  EXPECT_EQ(view.hints, (std::vector<std::uint32_t>{hint::kCardMoved, hint::kCardMoved}));
}

TEST_F(CardCommands, UnifyLeavesHiddenCardsUnchanged) {
  Open({u"0|a|a"_s, u"1|b|b"_s, u"2|c|c"_s});
  Hide(1);
  EXPECT_TRUE(UnifyItem(doc, 2, u"同じ"_s));
  EXPECT_EQ(CardTexts(doc.Store()), (std::vector<QStringList>{{u"0"_s, u"a"_s, u"同じ"_s},
                                                             {u"1"_s, u"b"_s, u"b"_s},
                                                             {u"2"_s, u"c"_s, u"同じ"_s}}));
  EXPECT_EQ(view.hints, std::vector<std::uint32_t>{hint::kWholeDocument});
}

TEST_F(CardCommands, EditHistoryListsDistinctTextsNewestFirst) {
  Open({u"x|1|"_s, u"y|2|"_s, u"x|3|"_s, u"h|4|"_s, u"z|5|"_s});
  Hide(3);
  QStringList texts;
  ASSERT_TRUE(EditHistory(doc, 0, &texts));
  EXPECT_EQ(texts, (QStringList{u"z"_s, u"x"_s, u"y"_s}));
  EXPECT_FALSE(EditHistory(doc, -1, &texts));
  EXPECT_EQ(w.prompt.Texts(), QStringList{edit_msg::kSelectItem});

  doc.MakeCurrent(1);
  doc.Store().Property(0).m_flags = CItemProperty::kDigitGrouping;
  EXPECT_TRUE(ChooseHistoryText(doc, 0, u"9999"_s));
  EXPECT_EQ(doc.Store().GetItemText(1, 0), u"9,999"_s);
}

TEST_F(CardCommands, LineBreakGoesInAtTheCaret) {
  Open({u"0|abc|a"_s});
  EXPECT_EQ(InsertLineBreak(doc, 1, 1), 3);
  EXPECT_EQ(doc.Store().GetItemText(0, 1), u"a\r\nbc"_s);
  EXPECT_EQ(InsertLineBreak(doc, 1, 99), 7);
  EXPECT_EQ(doc.Store().GetItemText(0, 1), u"a\r\nbc\r\n"_s);
  doc.Store().Property(2).m_type = kItemChoice;
  EXPECT_EQ(InsertLineBreak(doc, 2, 0), -1);
  EXPECT_EQ(w.prompt.Texts(), QStringList{edit_msg::kNoBreakInChoice});
  EXPECT_EQ(doc.Store().GetItemText(0, 2), u"a"_s);
}

// U+001A ends a card file's text on reading: wherever a text comes in (typing
// or set, the history, unify, both pastes, item names) it is taken out with a
// word, and what is saved then reads back whole.
TEST_F(CardCommands, EndOfFileMarksNeverReachAnItem) {
  Open({u"a|b|c"_s, u"d|e|f"_s, u"g|h|i"_s});
  const QString mark = u"x\u001Ay\u001A"_s;
  struct Case {
    const char* what;
    std::function<void()> run;
    std::function<QString()> result;
  };
  CItemEditor editor(doc);
  const Case cases[] = {
      {"typing", [&] { CommitItemText(doc, 0, 2, mark); }, [&] { return doc.Store().GetItemText(0, 2).toString(); }},
      {"history", [&] { ChooseHistoryText(doc, 1, mark); }, [&] { return doc.Store().GetItemText(0, 1).toString(); }},
      {"unify", [&] { UnifyItem(doc, 1, mark); }, [&] { return doc.Store().GetItemText(2, 1).toString(); }},
      {"paste",
       [&] {
         w.clipboard.SetText(u"\"x\u001Ay\",\"p\",\"q\"\n"_s);
         PasteCards(doc);
       },
       [&] { return doc.Store().GetItemText(doc.CurrentCard(), 0).toString(); }},
      {"append paste",
       [&] {
         w.clipboard.SetText(u"\"x\u001A\u001Ay\",\"p\",\"q\"\n"_s);
         AppendPasteCards(doc);
       },
       [&] { return doc.Store().GetItemText(doc.VisibleCount() - 1, 0).toString(); }},
      {"item name", [&] { editor.Add(mark); }, [&] { return doc.Store().Item(doc.ItemCount() - 1).toString(); }},
      {"rename", [&] { editor.Rename(0, mark); }, [&] { return doc.Store().Item(0).toString(); }},
  };
  for (const Case& c : cases) {
    w.prompt.ClearHistory();
    c.run();
    EXPECT_EQ(c.result(), u"xy"_s) << c.what;
    EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kEndOfFileRemoved}) << c.what;
  }
  editor.Close();
  const int cards = doc.Store().AllCount();
  ASSERT_TRUE(doc.SaveAs(w.Path(u"g.csv"_s)));
  CCardStore back(*w.services);
  ASSERT_EQ(back.Read(w.Path(u"g.csv"_s)), 1);
  EXPECT_EQ(back.AllCount(), cards);
}

// U+0001-U+0004 are read from a card file as parts of line breaks, quotes and
// commas: a typed text holding them is taken out with a word wherever it comes
// in by hand, so that the saved file reads back as the cards showed.
TEST_F(CardCommands, ReaderEscapesNeverReachAnItem) {
  Open({u"a|b|c"_s, u"d|e|f"_s, u"g|h|i"_s});
  const QString typed = u"x\u0003y\u0004z\u0001\u0002"_s;
  CItemEditor editor(doc);
  const std::pair<const char*, std::function<QString()>> cases[] = {
      {"typing", [&] { CommitItemText(doc, 0, 2, typed); return doc.Store().GetItemText(0, 2).toString(); }},
      {"unify", [&] { UnifyItem(doc, 1, typed); return doc.Store().GetItemText(2, 1).toString(); }},
      {"item name", [&] { editor.Add(typed); return doc.Store().Item(doc.ItemCount() - 1).toString(); }},
      {"rename", [&] { editor.Rename(0, typed); return doc.Store().Item(0).toString(); }},
  };
  for (const auto& [what, run] : cases) {
    w.prompt.ClearHistory();
    EXPECT_EQ(run(), u"xyz"_s) << what;
    EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kEscapesRemoved}) << what;
  }
  editor.Close();
  ASSERT_TRUE(doc.SaveAs(w.Path(u"e.csv"_s)));
  CCardStore back(*w.services);
  ASSERT_EQ(back.Read(w.Path(u"e.csv"_s)), 1);
  EXPECT_EQ(back.Item(0).toString(), u"xyz"_s);
  EXPECT_EQ(back.AllCard(0)->Item(2).toString(), u"xyz"_s);
  EXPECT_EQ(back.AllCard(2)->Item(1).toString(), u"xyz"_s);
}
