#include "core/card_commands.h"
#include "core/card_line.h"
#include "core/property_file.h"
#include "core/card_store.h"
#include "core/item_commands.h"
#include "core/item_property_edit.h"
#include "core/undo_stack.h"
#include "select/select_commands.h"
#include "select/sort.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <functional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// Everything an undo must give back: the lines of the card file and the file
// record as they would be written, the visible list as indexes into the all-cards list, the
// visible and quote flags, the item records, the current card and item and
// the modified flag.
struct CDocPrint {
  QByteArray bytes;
  std::vector<CItemProperty> records;
  bool operator==(const CDocPrint&) const = default;
};

// Items 名前, 住所, メモ; five cards, the fourth hidden; item 0 has an initial
// value, the file record is set so that the property file is always written.
class Undo : public ::testing::Test {
 public:
  void SetUp() override {
    w.WriteFile(u"f.csv"_s, Sjis(u"名前,住所,メモ\r\n\"a\",\"b,1\",c\r\nd,e,f\r\ng,\"h\",i\r\nj,k,l\r\nm,n,o\r\n"_s));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
    CCardStore& s = doc.Store();
    s.AllCard(3)->SetVisible(false);
    s.RebuildVisible();
    s.Property(0).m_initialValue = u"新"_s;
    s.Property(1).m_set = 1;
    s.FileProperty().m_set = 1;
    doc.AddView(&view);
    WriteSetting(*w.settings, settings::kUndoSteps, 1000);
  }

  CDocPrint Print() {
    CCardStore& s = doc.Store();
    CDocPrint p;
    // The lines as the card file has them, and the file record as the
    // property file has it (the item records are compared as records).
    QString lines = FormatLine(s, s.MultiLine());
    for (int i = 0; i < s.AllCount(); ++i) lines += FormatLine(*s.AllCard(i), s.MultiLine());
    p.bytes = lines.toUtf8() + "\n--vcv\n" + WritePropertyBytes(s.FileProperty()) + "\n--visible";
    for (int n = 0; n < s.VisibleCount(); ++n)
      for (int i = 0; i < s.AllCount(); ++i)
        if (s.AllCard(i) == s.VisibleCard(n)) p.bytes += ' ' + QByteArray::number(i);
    p.bytes += "\n--flags";
    for (int i = -1; i < s.AllCount(); ++i) {
      const CCardRow& row = i < 0 ? static_cast<const CCardRow&>(s) : *s.AllCard(i);
      p.bytes += row.Visible() ? " v" : " h";
      for (int k = 0; k < row.ItemCount(); ++k) p.bytes += row.Quoted(k) ? '1' : '0';
    }
    p.bytes += "\n--marks";
    for (int i = 0; i < s.AllCount(); ++i) p.bytes += ' ' + QByteArray::number(s.AllCard(i)->Mark());
    p.bytes += "\n--keys";
    for (const CVelumSort& key : s.SortKeys().m_keys)
      p.bytes += ' ' + QByteArray::number(key.m_item) + ':' + QByteArray::number(key.m_order);
    p.bytes += "\n--history " + QByteArray::number(s.FilterHistory().m_records.Size());
    p.bytes += "\n--current " + QByteArray::number(doc.CurrentCard()) + ' ' + QByteArray::number(doc.CurrentItem()) +
               (doc.IsModified() ? " modified" : " saved");
    for (int i = 0; i < s.ItemCount(); ++i) p.records.push_back(s.Property(i));
    return p;
  }

  // A deck of one to five items and up to forty cards of texts from a pool
  // (Japanese, commas, quotes, line breaks, empty), some quoted, some cards
  // hidden, marks set.
  void OpenRandomDeck(std::mt19937& rng) {
    static const QString pool[] = {u"山田"_s, u"a"_s, u"B"_s, u"12"_s, u"-3"_s, u""_s, u"x,y"_s, u"言\"う\""_s,
                                   u"一\r\n二"_s, u"ｶﾅ"_s, u"東京都千代田区"_s, u"東京都千代田区丸の内"_s};
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const int items = 1 + pick(5);
    const int cards = 1 + pick(40);
    QString lines;
    for (int k = -1; k < cards; ++k) {
      for (int i = 0; i < items; ++i) {
        const QString text = k < 0 ? u"項目"_s + QString::number(i) : pool[pick(std::size(pool))];
        const bool quote = pick(2) == 0 || text.contains(u',') || text.contains(u'"') || text.contains(u'\n');
        if (i > 0) lines += u',';
        lines += quote ? u'"' + QString(text).replace(u"\""_s, u"\"\""_s) + u'"' : text;
      }
      lines += u"\r\n"_s;
    }
    w.WriteFile(u"r.csv"_s, Sjis(lines));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"r.csv"_s)));
    CCardStore& s = doc.Store();
    for (int k = 0; k < s.AllCount(); ++k) {
      s.AllCard(k)->SetMark(pick(3));
      if (pick(5) == 0) s.AllCard(k)->SetVisible(false);
    }
    s.RebuildVisible();
    doc.MakeFirstCurrent();
  }

  // One command of those that record a step, chosen and parameterised by rng.
  void RandomCommand(std::mt19937& rng) {
    auto pick = [&](int n) { return n > 0 ? int(rng() % unsigned(n)) : 0; };
    static const QString texts[] = {u"x"_s, u"1,2"_s, u""_s, u"a"_s, u"長い文"_s};
    const QString text = texts[pick(5)];
    const int item = pick(doc.ItemCount());
    const int card = pick(doc.VisibleCount());
    w.prompt.SetDefaultAnswer(pick(4) != 0);
    w.clipboard.SetText({});
    switch (pick(18)) {
      case 0: CommitItemText(doc, card, item, text); break;
      case 1: AddCard(doc); break;
      case 2: InsertCard(doc); break;
      case 3: DeleteCards(doc, {card, pick(doc.VisibleCount())}); break;
      case 4: CutCards(doc, {card}); break;
      case 5: CopyCards(doc, {card, pick(doc.VisibleCount())}); PasteCards(doc); break;
      case 6: CopyCards(doc, {card}); AppendPasteCards(doc); break;
      case 7: UnifyItem(doc, item, text); break;
      case 8: {
        CItemEditor e(doc);
        switch (pick(6)) {
          case 0: e.Add(text); break;
          case 1: e.Insert(item, text); break;
          case 2: e.Rename(item, text); break;
          case 3: e.Delete(item); break;
          case 4: e.MoveUp(item); break;
          default: e.MoveDown(item); break;
        }
        e.Close();
        break;
      }
      case 9: SortCommand(doc, pick(doc.ItemCount() + 1), pick(kSortOrderCount)); break;
      case 10: FilterCommand(doc, {item}, kContains, text, pick(3)); break;
      case 11: ReleaseFilterCommand(doc); break;
      case 12: HideCardsCommand(doc, {card}); break;
      case 13: ComplementCommand(doc); break;
      case 14: DiscardCommand(doc); break;
      case 15: {
        CItemProperty record = doc.Store().Property(item);
        record.m_formula = pick(2) ? QString() : u"%["_s + doc.Store().Item(item).toString() + u"]*2"_s;
        record.m_flags ^= CItemProperty::kDigitGrouping;
        ApplyItemProperty(doc, item, record, nullptr);
        break;
      }
      case 16: {
        const bool names = doc.Store().FirstLineIsItems();
        doc.ApplyFileProperties(pick(2) == 0, ColorRef(pick(3)), pick(3) == 0 ? !names : names);
        break;
      }
      default: InsertLineBreak(doc, item, pick(3)); break;
    }
  }

  CTestWorld w;
  CVelumDoc doc{*w.services};
  CRecordingView view;
};

}  // namespace

// Random command sequences, then undo all: the starting document comes back
// byte for byte; redo all gives back the end, and undo all again the start.
TEST_F(Undo, RandomSequencesUndoToTheStartByteForByte) {
  const CDocPrint start = Print();
  for (unsigned seed = 1; seed <= 1000; ++seed) {
    std::mt19937 rng(seed);
    const int length = 1 + int(rng() % 20);
    for (int k = 0; k < length; ++k) RandomCommand(rng);
    const CDocPrint end = Print();
    const int steps = doc.UndoStack().UndoCount();
    while (doc.UndoStack().CanUndo()) doc.UndoStack().Undo(doc);
    ASSERT_TRUE(Print() == start) << "seed " << seed << "\n" << Print().bytes.toStdString() << "\n--- start\n"
                                  << start.bytes.toStdString();
    ASSERT_EQ(doc.UndoStack().RedoCount(), steps) << "seed " << seed;
    while (doc.UndoStack().CanRedo()) doc.UndoStack().Redo(doc);
    ASSERT_TRUE(Print() == end) << "seed " << seed;
    while (doc.UndoStack().CanUndo()) doc.UndoStack().Undo(doc);
    ASSERT_TRUE(Print() == start) << "seed " << seed;
    doc.UndoStack().Clear();
  }
}

// On random decks, each of a run of random commands undone gives back the
// document as the test copied it before the command, and redone the document
// as copied after it; a command that records nothing changes nothing.
TEST_F(Undo, EachRandomCommandUndoesAndRedoesExactlyOnRandomDecks) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 rng(seed);
    OpenRandomDeck(rng);
    for (int k = 0; k < 25; ++k) {
      const CDocPrint before = Print();
      const int steps = doc.UndoStack().UndoCount();
      RandomCommand(rng);
      const CDocPrint after = Print();
      if (doc.UndoStack().UndoCount() == steps) {
        ASSERT_TRUE(after == before) << "seed " << seed << " command " << k;
        continue;
      }
      doc.UndoStack().Undo(doc);
      ASSERT_TRUE(Print() == before) << "seed " << seed << " command " << k << " "
                                     << doc.UndoStack().RedoLabel().toStdString() << "\n"
                                     << Print().bytes.toStdString() << "\n--- before\n" << before.bytes.toStdString();
      doc.UndoStack().Redo(doc);
      ASSERT_TRUE(Print() == after) << "seed " << seed << " command " << k << "\n"
                                    << Print().bytes.toStdString() << "\n--- after\n" << after.bytes.toStdString();
    }
  }
}

// Each command records one step with its name, undo gives back the document
// before it and redo the document after it.
TEST_F(Undo, EachCommandIsOneStep) {
  struct Case {
    QString label;
    std::function<void(Undo&)> run;
  };
  const Case cases[] = {
      {undo_label::kSetText, [](Undo& t) { CommitItemText(t.doc, 1, 1, u"新しい,値"_s); }},
      {undo_label::kAddCard, [](Undo& t) { AddCard(t.doc); }},
      {undo_label::kAddCard, [](Undo& t) { AddCardAtEnd(t.doc); }},
      {undo_label::kInsertCard, [](Undo& t) { InsertCard(t.doc); }},
      {undo_label::kDeleteCards, [](Undo& t) { DeleteCards(t.doc, {0, 2, 3}); }},
      {undo_label::kCutCards, [](Undo& t) { CutCards(t.doc, {1}); }},
      {undo_label::kPasteCards, [](Undo& t) { CopyCards(t.doc, {0, 2}); PasteCards(t.doc); }},
      {undo_label::kAppendPaste, [](Undo& t) { CopyCards(t.doc, {2}); AppendPasteCards(t.doc); }},
      {undo_label::kUnify, [](Undo& t) { UnifyItem(t.doc, 2, u"同じ"_s); }},
      {undo_label::kLineBreak, [](Undo& t) { InsertLineBreak(t.doc, 0, 1); }},
      {undo_label::kItemAdd, [](Undo& t) { CItemEditor(t.doc).Add(u"追加"_s); }},
      {undo_label::kItemInsert, [](Undo& t) { CItemEditor(t.doc).Insert(1, u"挿入"_s); }},
      {undo_label::kItemRename, [](Undo& t) { CItemEditor(t.doc).Rename(1, u"改名"_s); }},
      {undo_label::kItemDelete, [](Undo& t) { CItemEditor(t.doc).Delete(0); }},
      {undo_label::kItemMove, [](Undo& t) { CItemEditor(t.doc).MoveDown(0); }},
      {undo_label::kSort, [](Undo& t) { SortCommand(t.doc, 0, 1); }},
      {undo_label::kFilter, [](Undo& t) { FilterCommand(t.doc, {0}, kContains, u"d"_s, kNarrowCards); }},
      {undo_label::kRelease, [](Undo& t) { ReleaseFilterCommand(t.doc); }},
      {undo_label::kHide, [](Undo& t) { HideCardsCommand(t.doc, {1}); }},
      {undo_label::kComplement, [](Undo& t) { ComplementCommand(t.doc); }},
      {undo_label::kDiscard, [](Undo& t) { DiscardCommand(t.doc); }},
      {undo_label::kFileProperty, [](Undo& t) { t.doc.ApplyFileProperties(false, 0, !t.doc.Store().FirstLineIsItems()); }},
      {undo_label::kFileProperty, [](Undo& t) { t.doc.ApplyFileProperties(true, 0xFF00FF, true); }},
      {undo_label::kItemProperty, [](Undo& t) {
         CItemProperty record = t.doc.Store().Property(1);
         record.m_formula = u"%[名前]"_s;
         ApplyItemProperty(t.doc, 1, record, nullptr);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label.toStdString());
    doc.UndoStack().Clear();
    doc.SetModifiedFlag(false);
    doc.MakeCurrent(1);
    const CDocPrint before = Print();
    c.run(*this);
    ASSERT_EQ(doc.UndoStack().UndoCount(), 1);
    EXPECT_EQ(doc.UndoStack().UndoLabel(), c.label);
    const CDocPrint after = Print();
    EXPECT_FALSE(after == before);
    EXPECT_EQ(doc.UndoStack().Undo(doc), c.label);
    EXPECT_TRUE(Print() == before);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.UndoStack().Redo(doc), c.label);
    EXPECT_TRUE(Print() == after);
    doc.UndoStack().Undo(doc);
  }
}

// A command that changes nothing (a cancelled question, a filter that leaves
// the visible cards as they were, an unchanged text) records no step.
TEST_F(Undo, CommandsThatChangeNothingRecordNothing) {
  const std::pair<bool, std::function<void(Undo&)>> cases[] = {  // first: the question is declined
      {true, [](Undo& t) { DeleteCards(t.doc, {0}); }},
      {true, [](Undo& t) { DiscardCommand(t.doc); }},
      {true, [](Undo& t) { ReleaseFilterCommand(t.doc); }},
      {true, [](Undo& t) { CItemEditor(t.doc).Delete(0); }},
      {false, [](Undo& t) { FilterCommand(t.doc, {0}, kContains, u"どこにもない"_s, kFromAllCards); }},
      {false, [](Undo& t) { t.doc.SetModifiedFlag(); CommitItemText(t.doc, 0, 0, u"a"_s); }},
      {false, [](Undo& t) { CItemEditor(t.doc).Rename(0, u"名前"_s); }},
      {false, [](Undo& t) { CItemEditor(t.doc).MoveUp(0); }},
      {false, [](Undo& t) { PasteCards(t.doc); }},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    doc.UndoStack().Clear();
    if (cases[k].first) w.prompt.QueueAnswer(false);
    cases[k].second(*this);
    EXPECT_EQ(doc.UndoStack().UndoCount(), 0) << "case " << k;
  }
}

TEST_F(Undo, KeepsTheConfiguredNumberOfStepsAndForgetsOnOpen) {
  WriteSetting(*w.settings, settings::kUndoSteps, 3);
  for (int k = 0; k < 5; ++k) AddCard(doc);
  EXPECT_EQ(doc.UndoStack().UndoCount(), 3);
  while (doc.UndoStack().CanUndo()) doc.UndoStack().Undo(doc);
  EXPECT_EQ(doc.VisibleCount(), 6);  // the two oldest additions stay

  // A new command forgets what could be redone.
  AddCard(doc);
  EXPECT_FALSE(doc.UndoStack().CanRedo());

  // Steps beyond System/UndoMemory go, all but the newest.
  WriteSetting(*w.settings, settings::kUndoMemory, 1);
  UnifyItem(doc, 2, QString(300000, u'x'));
  UnifyItem(doc, 2, QString(300000, u'y'));
  EXPECT_EQ(doc.UndoStack().UndoCount(), 1);
  doc.UndoStack().Undo(doc);
  EXPECT_EQ(doc.Store().GetItemText(0, 2).size(), 300000);
  WriteSetting(*w.settings, settings::kUndoMemory, 256);

  WriteSetting(*w.settings, settings::kUndoSteps, 0);
  AddCard(doc);
  EXPECT_FALSE(doc.UndoStack().CanUndo());

  WriteSetting(*w.settings, settings::kUndoSteps, 20);
  AddCard(doc);
  ASSERT_TRUE(doc.UndoStack().CanUndo());
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
  EXPECT_FALSE(doc.UndoStack().CanUndo());
  AddCard(doc);
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_FALSE(doc.UndoStack().CanUndo());
}

// After a save, undo brings back a modified document and redo to the saved
// state an unmodified one.
TEST_F(Undo, ModifiedFlagFollowsTheSavedState) {
  doc.SetModifiedFlag(false);
  AddCard(doc);
  ASSERT_TRUE(doc.Save());
  EXPECT_FALSE(doc.IsModified());
  doc.UndoStack().Undo(doc);
  EXPECT_TRUE(doc.IsModified());
  doc.UndoStack().Redo(doc);
  EXPECT_FALSE(doc.IsModified());
}
