// The editing dialogs reached through their commands: 項目内容の統一, 編集履歴の
// 参照, and 項目の編集 with its name entry.
#include "core/edit_messages.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QSize kWide(800, 600);

// Item "memo" holds x, y, x, z from the first card to the last.
const QByteArray kCards = "name,memo,note\r\na,x,1\r\nb,y,2\r\nc,x,3\r\nd,z,4\r\n";

void Press(QDialog& d, const QString& text) {
  QPushButton* b = DialogButton(d, text);
  QVERIFY2(b, qPrintable(text));
  b->click();
}

// Answers the next name entry with name, or cancels it without one, after
// checking its question and its initial text.
void EnterName(const QString& question, const QString& initial, std::optional<QString> name) {
  OnDialog(edit_msg::kNameDialogTitle, [=](QDialog& d) {
    QCOMPARE(d.findChild<QLabel*>()->text(), question);
    auto* edit = d.findChild<QLineEdit*>();
    QCOMPARE(edit->text(), initial);
    if (name) edit->setText(*name);
    Press(d, name ? u"OK"_s : u"キャンセル"_s);
  });
}

QStringList Texts(const QListWidget& list) {
  QStringList out;
  for (int r = 0; r < list.count(); ++r) out << list.item(r)->text();
  return out;
}

QString Shown(CAppUnderTest& t, int item) {
  return qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(item))->toPlainText();
}

}  // namespace

class CEditDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  // The item being edited is chosen at first; OK gives every shown card the text.
  void unify_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("memo");
    QTest::newRow("ok") << true << QStringList{u"w"_s, u"w"_s, u"w"_s, u"w"_s};
    QTest::newRow("cancel") << false << QStringList{u"x"_s, u"y"_s, u"x"_s, u"z"_s};
  }
  void unify() {
    QFETCH(bool, ok);
    QFETCH(QStringList, memo);
    CAppUnderTest t(m_env.WriteCards(u"unify.csv"_s, kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(1);
    OnDialog(u"項目内容の統一"_s, [&](QDialog& d) {
      QCOMPARE(d.findChild<QComboBox*>()->currentText(), u"memo"_s);
      d.findChild<QLineEdit*>()->setText(u"w"_s);
      Press(d, ok ? u"OK"_s : u"キャンセル"_s);
    });
    QVERIFY(t.Window().Dispatch(33106));
    QStringList stored;
    for (int c = 0; c < 4; ++c) stored << t.App().Doc().Store().GetItemText(c, 1).toString();
    QCOMPARE(stored, memo);
    QCOMPARE(t.App().Doc().IsModified(), ok);
    QCOMPARE(Shown(t, 1), memo[0]);
  }

  // Without a focused item only the message; else the texts newest first, each
  // once, and the chosen one is stored in the current card and shown.
  void editHistory() {
    CAppUnderTest t(m_env.WriteCards(u"history.csv"_s, kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.Window().setFocus();
    QVERIFY(t.Window().Dispatch(32838));
    QCOMPARE(t.CountInTranscript(edit_msg::kSelectItem), 1);

    t.Window().CardView().FocusItem(1);
    QStringList listed;
    OnDialog(u"編集履歴の参照"_s, [&](QDialog& d) {
      auto* list = d.findChild<QListWidget*>();
      listed = Texts(*list);
      list->setCurrentRow(2);
      Press(d, u"OK"_s);
    });
    QVERIFY(t.Window().Dispatch(32838));
    QCOMPARE(listed, (QStringList{u"z"_s, u"x"_s, u"y"_s}));
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 1), u"y"_s);
    QCOMPARE(Shown(t, 1), u"y"_s);
    QVERIFY(t.App().Doc().IsModified());
  }

  // One session with every button, the name entry's questions and the
  // refusals. The window's close button ends it; the card view is then built
  // for the new items.
  void itemDialog() {
    CAppUnderTest t(m_env.WriteCards(u"items.csv"_s, kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(2);
    bool done = false;
    OnDialog(u"項目の編集"_s, [&](QDialog& d) {
      auto* list = d.findChild<QListWidget*>();
      auto selected = [&] { return list->currentItem() && list->currentItem()->isSelected() ? list->currentRow() : -1; };
      QCOMPARE(selected(), 2);  // the item being edited
      EnterName(edit_msg::kAddItemPrompt, {}, u"tel"_s);
      Press(d, u"追加(&A)..."_s);
      QCOMPARE(selected(), 3);
      EnterName(edit_msg::kAddItemPrompt, {}, QString());
      Press(d, u"追加(&A)..."_s);
      QCOMPARE(t.CountInTranscript(edit_msg::kNameRequired), 1);

      list->setCurrentRow(1);
      EnterName(edit_msg::kInsertItemPrompt, {}, u"id"_s);
      Press(d, u"挿入(&I)..."_s);
      EnterName(edit_msg::kRenameItemPrompt, u"id"_s, std::nullopt);
      Press(d, u"変更(&N)..."_s);
      EnterName(edit_msg::kRenameItemPrompt, u"id"_s, u"code"_s);
      Press(d, u"変更(&N)..."_s);
      QCOMPARE(Texts(*list), (QStringList{u"name"_s, u"code"_s, u"memo"_s, u"note"_s, u"tel"_s}));

      Press(d, u"上へ(&U)"_s);
      Press(d, u"上へ(&U)"_s);
      QCOMPARE(selected(), 0);
      list->setCurrentRow(2);
      Press(d, u"下へ(&S)"_s);
      QCOMPARE(selected(), 3);

      t.App().ScriptPrompt()->QueueChoice(IPrompt::Choice::Cancel);
      Press(d, u"削除(&D)..."_s);
      list->setCurrentRow(4);
      t.App().ScriptPrompt()->QueueChoice(IPrompt::Choice::Yes);
      Press(d, u"削除(&D)..."_s);
      QCOMPARE(t.CountInTranscript(u"memoを削除します。よろしいですか？"_s), 1);
      QCOMPARE(Texts(*list), (QStringList{u"code"_s, u"name"_s, u"note"_s, u"memo"_s}));
      QCOMPARE(selected(), 3);
      done = true;
      d.reject();
    });
    QVERIFY(t.Window().Dispatch(32781));
    QVERIFY(done);

    const CCardStore& store = t.App().Doc().Store();
    QVERIFY(t.App().Doc().IsModified());
    CCardView& view = t.Window().CardView();
    QCOMPARE(store.ItemCount(), 4);
    for (int i = 0; i < 4; ++i) QCOMPARE(view.findChild<QLabel*>(QString::number(200 + i))->text(), store.Item(i).toString());
    QVERIFY(!view.ItemControl(4));
    QCOMPARE(Shown(t, 3), u"x"_s);
  }

  // Closing without a change leaves the document unmodified.
  void itemDialogUnchanged() {
    CAppUnderTest t(m_env.WriteCards(u"same.csv"_s, kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    OnDialog(u"項目の編集"_s, [&](QDialog& d) {
      EnterName(edit_msg::kAddItemPrompt, {}, std::nullopt);
      Press(d, u"追加(&A)..."_s);
      Press(d, u"上へ(&U)"_s);
      Press(d, u"閉じる"_s);
    });
    QVERIFY(t.Window().Dispatch(32781));
    QCOMPARE(t.App().Doc().ItemCount(), 3);
    QVERIFY(!t.App().Doc().IsModified());
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CEditDialogsTest)
#include "edit_dialogs_test.moc"
