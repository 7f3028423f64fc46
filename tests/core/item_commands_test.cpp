#include "core/card_store.h"
#include "core/edit_messages.h"
#include "core/item_commands.h"
#include "records/form_set.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

QStringList Names(const CCardStore& store) {
  QStringList out;
  for (int i = 0; i < store.ItemCount(); ++i) out << store.Item(i).toString();
  return out;
}

// Items a, b, c; three cards, the middle one hidden by a filter; item c is a
// linked item keyed on b with its second reference on a, and a form layout
// refers to c.
class ItemCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    w.WriteFile(u"f.csv"_s, Sjis(u"a,b,c\r\n1,\"2\",3\r\n4,\"5\",6\r\n7,\"8\",9\r\n"_s));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
    CCardStore& s = doc.Store();
    s.AllCard(1)->SetVisible(false);
    s.RebuildVisible();
    CItemProperty& c = s.Property(2);
    c.m_type = kItemLinked;
    c.m_linkSource = 1;
    c.m_secondRef = 0;
    c.m_initialValue = u"C"_s;
    s.Property(0).m_initialValue = u"A"_s;
    auto form = std::make_unique<CFormSet>();
    CItemProperty formItem;
    formItem.m_linkSource = 2;
    form->m_records.push_back(formItem);
    s.FileProperty().m_formSets.Append(std::move(form));
    doc.AddView(&view);
  }
  int FormSource() { return doc.Store().FileProperty().m_formSets.As<CFormSet>(0)->m_records[0].m_linkSource; }

  CTestWorld w;
  CVelumDoc doc{*w.services};
  CRecordingView view;
};

}  // namespace

TEST_F(ItemCommands, InsertingAtTheStartMovesRecordsAndReferences) {
  CCardStore& s = doc.Store();
  ASSERT_TRUE(InsertItem(s, 0, u"新"_s));
  EXPECT_EQ(Names(s), (QStringList{u"新"_s, u"a"_s, u"b"_s, u"c"_s}));
  EXPECT_EQ(CardTexts(s), (std::vector<QStringList>{{u""_s, u"1"_s, u"2"_s, u"3"_s},
                                                    {u""_s, u"4"_s, u"5"_s, u"6"_s},
                                                    {u""_s, u"7"_s, u"8"_s, u"9"_s}}));
  for (int k = 0; k < s.AllCount(); ++k) {
    EXPECT_TRUE(s.AllCard(k)->Quoted(0)) << k;
    EXPECT_TRUE(s.AllCard(k)->Quoted(2)) << k;   // "2" was quoted
    EXPECT_FALSE(s.AllCard(k)->Quoted(3)) << k;  // 3 was bare
  }
  EXPECT_TRUE(s.Quoted(0));
  EXPECT_TRUE(s.Property(0).m_initialValue.isEmpty());
  EXPECT_EQ(s.Property(1).m_initialValue, u"A"_s);
  const CItemProperty& c = s.Property(3);
  EXPECT_EQ(c.m_type, kItemLinked);
  EXPECT_EQ(c.m_linkSource, 2);
  EXPECT_EQ(c.m_secondRef, 1);
  EXPECT_EQ(FormSource(), 3);

  ASSERT_TRUE(InsertItem(s, -1, u"末"_s));
  EXPECT_EQ(Names(s).last(), u"末"_s);
  EXPECT_EQ(s.AllCard(1)->ItemCount(), 5);
}

TEST_F(ItemCommands, DeletingTheSourceOfALinkedItemMakesItStandard) {
  CCardStore& s = doc.Store();
  ASSERT_TRUE(DeleteItem(s, 1));
  EXPECT_EQ(Names(s), (QStringList{u"a"_s, u"c"_s}));
  EXPECT_EQ(CardTexts(s)[1], (QStringList{u"4"_s, u"6"_s}));  // the hidden card too
  EXPECT_EQ(s.Property(1).m_type, kItemStandard);
  EXPECT_EQ(s.Property(1).m_initialValue, u"C"_s);
  EXPECT_EQ(FormSource(), 1);
  EXPECT_FALSE(DeleteItem(s, 2));
  ASSERT_TRUE(DeleteItem(s, 0));
  EXPECT_FALSE(DeleteItem(s, 0));  // the last item stays
  EXPECT_EQ(s.ItemCount(), 1);
}

TEST_F(ItemCommands, MovingAnItemSwapsEveryCardIncludingHiddenOnes) {
  CCardStore& s = doc.Store();
  ASSERT_TRUE(SwapItems(s, 1, 2));
  EXPECT_EQ(Names(s), (QStringList{u"a"_s, u"c"_s, u"b"_s}));
  EXPECT_EQ(CardTexts(s), (std::vector<QStringList>{{u"1"_s, u"3"_s, u"2"_s},
                                                    {u"4"_s, u"6"_s, u"5"_s},
                                                    {u"7"_s, u"9"_s, u"8"_s}}));
  for (int k = 0; k < s.AllCount(); ++k) {
    EXPECT_FALSE(s.AllCard(k)->Quoted(1)) << k;
    EXPECT_TRUE(s.AllCard(k)->Quoted(2)) << k;
  }
  // The records trade places, are marked set, and the references follow.
  EXPECT_EQ(s.Property(1).m_type, kItemLinked);
  EXPECT_EQ(s.Property(1).m_linkSource, 2);
  EXPECT_EQ(s.Property(1).m_set, 1u);
  EXPECT_EQ(s.Property(2).m_set, 1u);
  EXPECT_EQ(FormSource(), 1);

  // Saved and read back, the file and its property file agree.
  ASSERT_TRUE(doc.Save());
  CVelumDoc again(*w.services);
  again.OnOpenDocument(w.Path(u"f.csv"_s));
  EXPECT_EQ(Names(again.Store()), (QStringList{u"a"_s, u"c"_s, u"b"_s}));
  EXPECT_EQ(CardTexts(again.Store())[1], (QStringList{u"4"_s, u"6"_s, u"5"_s}));
  EXPECT_EQ(again.Store().Property(1).m_type, kItemLinked);
  EXPECT_EQ(again.Store().Property(1).m_linkSource, 2);
}

TEST_F(ItemCommands, WithoutAHeaderLineTheNamesAreNumberedAgain) {
  doc.Store().FileProperty().m_firstLine = 0;
  CCardStore& s = doc.Store();
  NameItemsInOrder(s);
  ASSERT_TRUE(InsertItem(s, 1, u"挿入"_s));
  EXPECT_EQ(Names(s), (QStringList{u"項目1"_s, u"挿入"_s, u"項目2"_s, u"項目3"_s}));
  ASSERT_TRUE(SwapItems(s, 0, 1));
  EXPECT_EQ(Names(s), (QStringList{u"項目1"_s, u"項目2"_s, u"項目3"_s, u"項目4"_s}));
  ASSERT_TRUE(DeleteItem(s, 0));
  EXPECT_EQ(Names(s), (QStringList{u"項目1"_s, u"項目2"_s, u"項目3"_s}));
}

TEST_F(ItemCommands, TheItemLimitIsRefusedWithAMessage) {
  CItemEditor editor(doc);
  for (int i = 3; i < CCardRow::kMaxItems; ++i) ASSERT_TRUE(editor.Add(u"i%1"_s.arg(i))) << i;
  EXPECT_EQ(doc.ItemCount(), 200);
  EXPECT_FALSE(editor.Add(u"もう一つ"_s));
  EXPECT_FALSE(editor.Insert(0, u"もう一つ"_s));
  EXPECT_EQ(w.prompt.Texts(), (QStringList{edit_msg::kTooManyItems, edit_msg::kTooManyItems}));
  EXPECT_EQ(doc.ItemCount(), 200);
  EXPECT_EQ(doc.Store().AllCard(1)->ItemCount(), 200);
  EXPECT_EQ(doc.Store().Item(0), u"a"_s);
}

TEST_F(ItemCommands, TheItemDialogAnnouncesItsChangesOnClose) {
  struct Step {
    std::function<int(CItemEditor&)> run;  // answers the selection afterwards, or -2 for none
    QStringList names;
    int selection;
    QStringList shown;
  };
  const QString deleteB = u"b"_s + edit_msg::kDeleteItemSuffix;
  const Step steps[] = {
      {[](CItemEditor& e) { return e.Add(QString()) ? 0 : -2; }, {u"a"_s, u"b"_s, u"c"_s}, -2,
       {edit_msg::kNameRequired}},
      {[](CItemEditor& e) { return e.Insert(-1, u"x"_s) ? 0 : -2; }, {u"x"_s, u"a"_s, u"b"_s, u"c"_s}, 0, {}},
      {[](CItemEditor& e) { return e.Insert(3, u"y"_s) ? 3 : -2; },
       {u"x"_s, u"a"_s, u"b"_s, u"y"_s, u"c"_s}, 3, {}},
      {[](CItemEditor& e) { return e.Rename(0, QString()) ? 0 : -2; },
       {u""_s, u"a"_s, u"b"_s, u"y"_s, u"c"_s}, 0, {}},
      {[](CItemEditor& e) { return e.MoveUp(0); }, {u""_s, u"a"_s, u"b"_s, u"y"_s, u"c"_s}, 0, {}},
      {[](CItemEditor& e) { return e.MoveDown(4); }, {u""_s, u"a"_s, u"b"_s, u"y"_s, u"c"_s}, 4, {}},
      {[](CItemEditor& e) { return e.MoveDown(1); }, {u""_s, u"b"_s, u"a"_s, u"y"_s, u"c"_s}, 2, {}},
      {[](CItemEditor& e) { return e.Delete(1); }, {u""_s, u"a"_s, u"y"_s, u"c"_s}, 1, {deleteB}},
      {[](CItemEditor& e) { return e.Delete(3); }, {u""_s, u"a"_s, u"y"_s}, 2, {u"c"_s + edit_msg::kDeleteItemSuffix}},
  };
  CItemEditor editor(doc);
  int n = 0;
  for (const Step& step : steps) {
    w.prompt.ClearHistory();
    EXPECT_EQ(step.run(editor), step.selection) << n;
    EXPECT_EQ(Names(doc.Store()), step.names) << n;
    EXPECT_EQ(w.prompt.Texts(), step.shown) << n;
    ++n;
  }
  EXPECT_TRUE(view.hints.empty());
  editor.Close();
  EXPECT_EQ(view.hints, std::vector<std::uint32_t>{hint::kItemsEdited});
  EXPECT_TRUE(doc.IsModified());

  // A cancelled deletion changes nothing; closing without changes says nothing.
  doc.SetModifiedFlag(false);
  CItemEditor second(doc);
  w.prompt.QueueAnswer(false);
  EXPECT_EQ(second.Delete(0), 0);
  EXPECT_EQ(doc.ItemCount(), 3);
  second.Close();
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(view.hints.size(), 1u);
}
