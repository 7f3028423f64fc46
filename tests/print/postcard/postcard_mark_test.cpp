// Marking the cards a print run sent: the year's item, made when missing, the
// mark on the printed cards only, one undo step.
#include "core/card_store.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "print/postcard/postcard_mark.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

TEST(PostcardMarkTest, TheNewYearACardGreets) {
  EXPECT_EQ(PostcardYear(QDate(2026, 12, 8)), 2027);
  EXPECT_EQ(PostcardYear(QDate(2026, 7, 1)), 2027);
  EXPECT_EQ(PostcardYear(QDate(2027, 1, 3)), 2027);
  EXPECT_EQ(PostcardYear(QDate(2027, 6, 30)), 2027);
  EXPECT_EQ(PostcardMarkItem(2027), u"2027年賀"_s);
}

class PostcardMark : public ::testing::Test {
 protected:
  void SetUp() override {
    w.WriteFile(u"f.csv"_s, u"氏名,住所\r\nA,a\r\nB,b\r\nC,c\r\nD,d\r\n"_s.toUtf8());
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
    doc.AddView(&view);
  }
  QStringList Column(int item) {
    QStringList out;
    for (int n = 0; n < doc.Store().VisibleCount(); ++n) out << doc.Store().GetItemText(n, item).toString();
    return out;
  }
  CTestWorld w;
  CVelumDoc doc{*w.services};
  CRecordingView view;
};

TEST_F(PostcardMark, MakesTheItemMarksThePrintedCardsAndUndoesInOneStep) {
  const int steps = doc.UndoStack().UndoCount();
  ASSERT_TRUE(MarkPrintedCards(doc, {0, 2, 9}, u"2027年賀"_s, u"○"_s));
  ASSERT_EQ(doc.ItemCount(), 3);
  EXPECT_EQ(doc.Store().Item(2), u"2027年賀"_s);
  EXPECT_EQ(Column(2), (QStringList{u"○"_s, u""_s, u"○"_s, u""_s}));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.UndoStack().UndoCount(), steps + 1);
  // A second run adds its cards to the same item.
  ASSERT_TRUE(MarkPrintedCards(doc, {3}, u"2027年賀"_s, u"済"_s));
  EXPECT_EQ(doc.ItemCount(), 3);
  EXPECT_EQ(Column(2), (QStringList{u"○"_s, u""_s, u"○"_s, u"済"_s}));
  doc.UndoStack().Undo(doc);
  doc.UndoStack().Undo(doc);
  EXPECT_EQ(doc.ItemCount(), 2);
  EXPECT_FALSE(doc.IsModified());
  // No cards: nothing changes.
  EXPECT_FALSE(MarkPrintedCards(doc, {}, u"2027年賀"_s, u"○"_s));
  EXPECT_FALSE(MarkPrintedCards(doc, {-1, 4}, u"2027年賀"_s, u"○"_s));
  EXPECT_EQ(doc.ItemCount(), 2);
}

}  // namespace
