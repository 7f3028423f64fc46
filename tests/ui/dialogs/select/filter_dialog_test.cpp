// 絞り込み: the methods offered while filtered or not, the word drop-down
// refilled from the focused item, the select-all buttons, and the outcomes.
#include "select/select_commands.h"
#include "support/dialog_test_support.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/select/filter_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

namespace {

const QSize kWide(800, 600);

QStringList Entries(const QComboBox& combo) {
  QStringList out;
  for (int i = 0; i < combo.count(); ++i) out << combo.itemText(i);
  return out;
}

}  // namespace

class CFilterDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void filterDialog() {
    struct Row {
      const char* what;
      bool filterFirst;  // the Tokyo cards (any case) shown first
      int method;        // chosen in the dialog
      std::vector<int> items;
      QString word;
      int condition;
      const char* names;  // visible afterwards
      QString message;
    };
    const Row rows[] = {
        {"from all cards", false, 0, {1}, QStringLiteral("osaka"), 0, "beta xaby", {}},
        {"every card matches", false, 0, {0, 1}, QStringLiteral("a"), 0, "Alpha beta ABle Cab xaby dab",
         QStringLiteral("全カードが対象です")},
        {"AND", true, 1, {0}, QStringLiteral("d"), 2, "dab", {}},
        {"AND without a match shows all", true, 1, {0}, QStringLiteral("zzz"), 0, "Alpha beta ABle Cab xaby dab",
         QStringLiteral("カードが見つかりません")},
        {"OR", true, 2, {2}, QStringLiteral("900"), 4, "Alpha ABle Cab dab", {}},
        {"from all without a match keeps the filter", true, 0, {0}, QStringLiteral("zzz"), 0, "Alpha ABle dab",
         QStringLiteral("カードが見つかりません")},
    };
    for (const Row& row : rows) {
      CAppUnderTest t(m_env.WriteCards(QStringLiteral("filter.csv"), kWordCards), m_env.NewSettings(), kWide);
      QVERIFY(t.started);
      CVelumDoc& doc = t.App().Doc();
      doc.SetCurrentItem(1);
      if (row.filterFirst) FilterCommand(doc, {1}, 0, QStringLiteral("tokyo"), 0);
      bool ran = false;
      WhenOpen<CFilterDialog>(
          [&](CFilterDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("絞り込み"));
            auto* list = d.findChild<QListWidget*>();
            QCOMPARE(list->currentRow(), 1);
            QVERIFY(list->item(1)->isSelected());
            const QList<QRadioButton*> methods = d.findChildren<QRadioButton*>();
            QCOMPARE(methods.size(), 3);
            QCOMPARE(d.Method(), row.filterFirst ? 1 : 0);
            QCOMPARE(methods[1]->isEnabled(), row.filterFirst);
            QCOMPARE(methods[2]->isEnabled(), row.filterFirst);
            QVERIFY(d.Word().isEmpty());
            methods[row.method]->click();
            list->clearSelection();
            for (int i : row.items) list->item(i)->setSelected(true);
            QComboBox* word = nullptr;
            for (QComboBox* c : d.findChildren<QComboBox*>())
              if (c->isEditable())
                word = c;
              else
                c->setCurrentIndex(row.condition);
            word->setEditText(row.word);
            ButtonOf(d, QStringLiteral("選択開始"))->click();
          },
          &ran);
      QVERIFY(t.Window().Dispatch(32785));
      QVERIFY2(ran, row.what);
      QVERIFY2(Names(doc) == QString::fromUtf8(row.names), row.what);
      if (!row.message.isEmpty()) QVERIFY2(t.CountInTranscript(row.message) == 1, row.what);
      QVERIFY(!doc.IsModified());
    }
  }

  void wordListAndSelectButtons() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("words.csv"), kWordCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    FilterCommand(doc, {0}, 0, QStringLiteral("b"), 0);  // beta ABle Cab xaby dab
    doc.SetCurrentItem(0);
    bool ran = false;
    WhenOpen<CFilterDialog>(
        [&](CFilterDialog& d) {
          auto* list = d.findChild<QListWidget*>();
          QComboBox* word = nullptr;
          for (QComboBox* c : d.findChildren<QComboBox*>())
            if (c->isEditable()) word = c;
          QVERIFY(word && word->count() == 0);
          // The item with the focus decides, each time the list opens; AND
          // takes the visible cards, the other methods every card.
          struct Step {
            int item;
            int method;
            QStringList entries;
          };
          const Step steps[] = {
              {1, 1, {QStringLiteral("Nagoya"), QStringLiteral("Osaka"), QStringLiteral("Tokyo"), QStringLiteral("tokyo")}},
              {0, 1, {QStringLiteral("ABle"), QStringLiteral("beta"), QStringLiteral("Cab"), QStringLiteral("dab"),
                      QStringLiteral("xaby")}},
              {0, 2, {QStringLiteral("ABle"), QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Cab"),
                      QStringLiteral("dab"), QStringLiteral("xaby")}},
          };
          word->setEditText(QStringLiteral("typed"));
          for (const Step& step : steps) {
            list->setCurrentRow(step.item);
            d.findChildren<QRadioButton*>()[step.method]->click();
            word->showPopup();
            QCOMPARE(Entries(*word), step.entries);
            word->hidePopup();
            QCOMPARE(word->currentText(), QStringLiteral("typed"));
          }
          // The focus as the dialog keeps it (the window it goes to when active).
          const auto wordFocused = [&] { return d.focusWidget() == word || d.focusWidget() == word->lineEdit(); };
          list->setFocus();
          ButtonOf(d, QStringLiteral("全選択(&A)"))->click();
          QCOMPARE(d.Items(), (std::vector<int>{0, 1, 2}));
          QVERIFY(wordFocused());
          list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
          ButtonOf(d, QStringLiteral("全解除(&N)"))->click();
          QCOMPARE(d.Items(), std::vector<int>{2});  // the focused entry when none is selected
          QVERIFY(wordFocused());
        },
        &ran);
    QVERIFY(t.Window().Dispatch(32785));
    QVERIFY(ran);
    QCOMPARE(Names(doc), QStringLiteral("beta ABle Cab xaby dab"));  // cancelled: unchanged
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CFilterDialogTest)
#include "filter_dialog_test.moc"
