// 元に戻す and やり直し in the window: the menu entries, Ctrl+Z and Ctrl+Y outside
// an item's edit or in one not changed since it got the focus, the edit's own
// undo inside one being edited, the card view rebuilt when an undo changes
// the items, and the views showing what an undo of an edit, a filter or a
// sort put back.
#include "app/frame_command_table.h"
#include "core/card_commands.h"
#include "core/item_commands.h"
#include "records/search_request.h"
#include "select/select_commands.h"
#include "select/sort.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"
#include "ui/views/deck_models.h"
#include "ui/views/item_list_view.h"

#include <QComboBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);
const QByteArray kCards =
    "name,memo\r\n"
    "x,a\r\n"
    "y,b\r\n";

QString Shown(CAppUnderTest& t, int item) {
  auto* edit = qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(item));
  return edit ? edit->toPlainText() : QString();
}

void PressCtrl(Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  QVERIFY(focus);
  QTest::keyClick(focus, key, Qt::ControlModifier);
}

}  // namespace

class CUndoTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void menuEntries() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("menu.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    const std::pair<std::uint32_t, QString> entries[] = {{cmd::kUndoCommand, QStringLiteral("元に戻す(&Z)")},
                                                         {cmd::kRedoCommand, QStringLiteral("やり直し(&Y)")}};
    for (const auto& [id, text] : entries) {
      QAction* action = t.Window().Action(id);
      QVERIFY(action);
      QVERIFY(action->text().startsWith(text));
      QVERIFY(action->isEnabled());
    }
    // In the 編集 menu, right after アンドゥ.
    QMenu* edit = nullptr;
    for (QAction* a : t.Window().menuBar()->actions())
      if (a->menu() && a->text().startsWith(QStringLiteral("編集"))) edit = a->menu();
    QVERIFY(edit);
    const QList<QAction*> items = edit->actions();
    QVERIFY(items.size() > 3);
    QCOMPARE(items[0], t.Window().Action(cmd::kUndo));
    QCOMPARE(items[1], t.Window().Action(cmd::kUndoCommand));
    QCOMPARE(items[2], t.Window().Action(cmd::kRedoCommand));
  }

  void ctrlZOutsideAndInsideAnEdit() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("keys.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();

    // Inside an item's edit Ctrl+Z is the edit's own undo.
    t.Window().CardView().FocusItem(1);
    auto* memo = qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(1));
    QVERIFY(memo && memo->hasFocus());
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral("Q"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("aQ"));
    PressCtrl(Qt::Key_Z);
    QCOMPARE(memo->toPlainText(), QStringLiteral("a"));
    t.Window().CardView().StoreCard();
    QCOMPARE(doc.Store().GetItemText(0, 1), QStringLiteral("a"));
    doc.SetModifiedFlag(false);

    // A card command, then Ctrl+Z from the item list takes it back.
    QVERIFY(t.Window().Dispatch(cmd::kAddCard));
    QCOMPARE(doc.VisibleCount(), 3);
    QCOMPARE(doc.CurrentCard(), 2);
    t.Window().ItemList().FocusValueList();
    PressCtrl(Qt::Key_Z);
    QCOMPARE(doc.VisibleCount(), 2);
    QCOMPARE(doc.CurrentCard(), 0);
    QVERIFY(!doc.IsModified());
    QCOMPARE(Shown(t, 0), QStringLiteral("x"));
    PressCtrl(Qt::Key_Y);
    QCOMPARE(doc.VisibleCount(), 3);
    QCOMPARE(doc.CurrentCard(), 2);
    QVERIFY(doc.IsModified());
  }

  void ctrlZInAnUnchangedFieldIsTheDocumentsUndo() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("tab.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    // Type, Tab: the text is stored and the next field, unchanged, has the focus.
    t.Window().CardView().FocusItem(0);
    auto* name = qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(0));
    name->moveCursor(QTextCursor::End);
    QTest::keyClicks(name, QStringLiteral("!"));
    QTest::keyClick(name, Qt::Key_Tab);
    QCOMPARE(doc.Store().GetItemText(0, 0), QStringLiteral("x!"));
    QVERIFY(t.Window().CardView().ItemControl(1)->hasFocus());
    PressCtrl(Qt::Key_Z);
    QCOMPARE(doc.Store().GetItemText(0, 0), QStringLiteral("x"));
    QCOMPARE(Shown(t, 0), QStringLiteral("x"));
    PressCtrl(Qt::Key_Y);
    QCOMPARE(doc.Store().GetItemText(0, 0), QStringLiteral("x!"));
    // Coming back to a field starts its own history anew.
    t.Window().CardView().FocusItem(0);
    PressCtrl(Qt::Key_Z);
    QCOMPARE(doc.Store().GetItemText(0, 0), QStringLiteral("x"));
  }

  void undoOfAnItemChangeRebuildsTheCard() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("items.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    {
      CItemEditor editor(doc);
      QVERIFY(editor.Add(QStringLiteral("新しい項目")));
      editor.Close();
      doc.UpdateAllViews(nullptr, hint::kItemLayout);  // as the item dialog's caller rebuilds the card
    }
    QVERIFY(t.Window().CardView().ItemControl(2));
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(doc.ItemCount(), 2);
    QVERIFY(!t.Window().CardView().ItemControl(2));
    QCOMPARE(Shown(t, 1), QStringLiteral("a"));
    QVERIFY(t.Window().Dispatch(cmd::kRedoCommand));
    QVERIFY(t.Window().CardView().ItemControl(2));

    // A text typed but not yet stored is stored as a step of its own first,
    // so 元に戻す from the menu takes back the typing.
    t.Window().CardView().FocusItem(0);
    auto* name = qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(0));
    QVERIFY(name);
    name->moveCursor(QTextCursor::End);
    QTest::keyClicks(name, QStringLiteral("!"));
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(doc.Store().GetItemText(0, 0), QStringLiteral("x"));
    QCOMPARE(Shown(t, 0), QStringLiteral("x"));
    QCOMPARE(doc.ItemCount(), 3);
  }

  // Undo and redo refresh only what their step can have changed; the views
  // must still show every text the step put back.
  void undoShowsWhatTheStepPutBack() {
    const QByteArray cards = "name,memo\r\nx,a\r\ny,b\r\nz,c\r\n";
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("shown.csv"), cards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    const auto listed = [&](int row) { return t.Window().ItemList().Model().index(row).data().toString(); };
    t.Window().ItemList().Chooser().setCurrentIndex(1);
    t.Window().ItemList().Model().SetItem(1);

    // An edit of a card other than the one shown, with more lines than any
    // text had: the undo puts the old text back in the list.
    QVERIFY(CommitItemText(doc, 2, 1, u"c1\r\nc2\r\nc3"_s));
    QCOMPARE(doc.CurrentCard(), 0);
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(listed(2), u"c"_s);
    QCOMPARE(Shown(t, 1), u"a"_s);
    // The same on the card shown: the card shows each text in turn.
    QVERIFY(doc.MakeCurrent(2));
    doc.UpdateAllViews(nullptr, hint::kSearchFound);
    QVERIFY(CommitItemText(doc, 2, 1, u"c1\r\nc2\r\nc3"_s));
    doc.UpdateAllViews(nullptr, hint::kCardsChanged);  // as the card's own store does
    QCOMPARE(Shown(t, 1), u"c1\nc2\nc3"_s);
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(Shown(t, 1), u"c"_s);
    QVERIFY(t.Window().Dispatch(cmd::kRedoCommand));
    QCOMPARE(Shown(t, 1), u"c1\nc2\nc3"_s);
    QCOMPARE(listed(2).left(2), u"c1"_s);

    // A filter and a sort taken back: every card again, in the old order.
    FilterCommand(doc, {0}, kContains, u"y"_s, 0);
    QCOMPARE(t.Window().ItemList().Model().rowCount(), 1);
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(t.Window().ItemList().Model().rowCount(), 3);
    SortCommand(doc, 1, kTextDescending);
    QCOMPARE(listed(0).left(2), u"c1"_s);
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(listed(0), u"a"_s);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CUndoTest)
#include "undo_test.moc"
