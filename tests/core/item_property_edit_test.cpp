#include "core/item_property_edit.h"
#include "core/velum_doc.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

// Confirming a record: out of range nothing changes; in range the record
// arrives with its set flag, the document is modified and the views hear 6.
TEST(ItemPropertyEdit, ApplySetsTheRecordAndTellsTheViews) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  ASSERT_TRUE(doc.OnNewDocument());
  CRecordingView view;
  doc.AddView(&view);
  CItemProperty record;
  record.m_formula = u"1+1"_s;
  record.m_hPos = 2;
  for (int item : {-1, doc.ItemCount()}) EXPECT_FALSE(ApplyItemProperty(doc, item, record));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(view.hints.empty());

  ASSERT_TRUE(ApplyItemProperty(doc, 0, record));
  record.m_set = 1;
  EXPECT_EQ(doc.Store().Property(0), record);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.hints, std::vector<std::uint32_t>{kItemPropertyHint});
  doc.RemoveView(&view);
}

// Only a first formula asks; Cancel keeps the empty one.
TEST(ItemPropertyEdit, FormulaQuestion) {
  struct Row {
    QString current, edited;
    bool answer;
    QString kept;
    bool asked;
  };
  const Row rows[] = {
      {u""_s, u"1"_s, true, u"1"_s, true},   {u""_s, u"1"_s, false, u""_s, true},
      {u"1"_s, u"2"_s, false, u"2"_s, false}, {u"1"_s, u""_s, false, u""_s, false},
      {u""_s, u""_s, false, u""_s, false},
  };
  for (const Row& row : rows) {
    CScriptedPrompt prompt;
    prompt.QueueAnswer(row.answer);
    EXPECT_EQ(ConfirmFormula(prompt, row.current, row.edited), row.kept) << row.current.toStdString();
    EXPECT_EQ(prompt.History().size(), row.asked ? 1u : 0u);
    if (row.asked) EXPECT_EQ(prompt.History()[0].text, kFormulaReplaceQuestion);
  }
}

// A size shown in the font dialog and taken back makes the same height, at
// the dots per inch of common screens.
TEST(ItemPropertyEdit, PointSizeRoundTrips) {
  for (int dpi : {96, 120, 144, 192})
    for (int point : {8, 9, 10, 11, 12, 13, 14, 16, 20, 24, 28, 36}) {
      const CArchiveFont font = ChosenFont({}, u"Sans"_s, point, true, false, dpi);
      EXPECT_EQ(PointFromHeight(font.height, dpi), point) << point << " pt at " << dpi;
      EXPECT_EQ(font.weight, 700u);
    }
  EXPECT_EQ(PointFromHeight(-13, 0), 0);
}
