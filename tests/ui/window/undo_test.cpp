// 元に戻す and やり直し in the window: the menu entries, Ctrl+Z and Ctrl+Y outside
// an item's edit or in one not changed since it got the focus, the edit's own
// undo inside one being edited, and the card view rebuilt
// when an undo changes the items.
#include "app/frame_command_table.h"
#include "core/item_commands.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest>

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

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CUndoTest)
#include "undo_test.moc"
