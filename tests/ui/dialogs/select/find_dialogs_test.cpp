// カードの検索 and the item list's incremental search, driven as the user
// drives them: the dialog's defaults and outcome, the word history, and the
// search window that typing into the item list opens.
#include "select/find.h"
#include "settings/settings.h"
#include "support/dialog_test_support.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/select/find_dialog.h"
#include "ui/views/card_view.h"
#include "ui/views/incremental_search_window.h"
#include "ui/views/item_list_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QtTest>

namespace {

const QSize kWide(800, 600);

}  // namespace

class CFindDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void findDialog() {
    struct Row {
      const char* what;
      std::vector<int> items;  // selected; empty: none, the focused item (0) decides
      QString word;
      int condition;
      bool distinguishCase;
      int expectCard;  // -1: not found, the current card (3) stays
      int expectItem;
    };
    const Row rows[] = {
        {"two items, case ignored, from the first card", {0, 1}, QStringLiteral("tokyo"), 0, false, 0, 1},
        {"case distinguished", {0, 1}, QStringLiteral("tokyo"), 0, true, 5, 1},
        {"no selection: the focused entry", {}, QStringLiteral("cab"), 0, false, 3, 0},
        {"equal ignores case", {0}, QStringLiteral("ALPHA"), 1, true, 0, 0},
        {"not found", {0, 1}, QStringLiteral("zzz"), 0, false, -1, -1},
    };
    const QString settings = m_env.NewSettings({{QStringLiteral("System/ISearch"), 1}});
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("find.csv"), kWordCards), settings, kWide);
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    bool first = true;
    for (const Row& row : rows) {
      t.App().Doc().MakeCurrent(3);  // the search must start from the first card all the same
      t.App().Doc().UpdateAllViews(nullptr, 0x20004);
      w.SetActiveView(&w.CardView());
      w.CardView().FocusItem(0);  // the dialog opens on the focused item
      const QStringList historyBefore = ReadSearchHistory(t.App().Settings());
      const int messagesBefore = t.CountInTranscript(QStringLiteral("カードが見つかりません"));
      bool ran = false;
      WhenOpen<CFindDialog>(
          [&](CFindDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("カードの検索"));
            auto* list = d.findChild<QListWidget*>();
            QCOMPARE(list->count(), 3);
            QCOMPARE(list->currentRow(), 0);
            QCOMPARE(d.Word(), historyBefore.value(0));
            auto* word = d.findChild<QComboBox*>();
            if (first) QVERIFY(d.DistinguishCase());  // from System/ISearch
            first = false;
            ButtonOf(d, QStringLiteral("全解除(&N)"))->click();
            for (int i : row.items) list->item(i)->setSelected(true);
            word->setEditText(row.word);
            for (QComboBox* c : d.findChildren<QComboBox*>())
              if (c != word) c->setCurrentIndex(row.condition);
            d.findChild<QCheckBox*>()->setChecked(row.distinguishCase);
            ButtonOf(d, QStringLiteral("検索開始"))->click();
          },
          &ran);
      QVERIFY(w.Dispatch(32774));
      QVERIFY2(ran, row.what);
      const QStringList history = ReadSearchHistory(t.App().Settings());
      QCOMPARE(history.value(0), row.word);
      QCOMPARE(history.size(), kSearchHistorySize);
      QCOMPARE(ReadSetting(t.App().Settings(), settings::kISearch), row.distinguishCase ? 1u : 0u);
      w.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&w));
      if (row.expectCard < 0) {
        QCOMPARE(t.App().Doc().CurrentCard(), 3);
        QCOMPARE(t.CountInTranscript(QStringLiteral("カードが見つかりません")), messagesBefore + 1);
      } else {
        QVERIFY2(t.App().Doc().CurrentCard() == row.expectCard, row.what);
        QVERIFY2(w.CardView().FocusedItem() == row.expectItem, row.what);
      }
    }
    // A word already in the history moves to the front instead of repeating.
    const QStringList history = ReadSearchHistory(t.App().Settings());
    QCOMPARE(history.mid(0, 5), (QStringList{QStringLiteral("zzz"), QStringLiteral("ALPHA"), QStringLiteral("cab"),
                                             QStringLiteral("tokyo"), QString()}));
  }

  void incrementalSearch() {
    for (const int on : {1, 0}) {
      const QString settings = m_env.NewSettings({{QStringLiteral("System/IncreSearch"), on}});
      CAppUnderTest t(m_env.WriteCards(QStringLiteral("isearch.csv"), kWordCards), settings, kWide);
      QVERIFY(t.started);
      CMainWindow& w = t.Window();
      CItemListView& list = w.ItemList();
      w.Dispatch(32871);
      QVERIFY(list.ValueListHasFocus());
      QTest::keyClicks(&list.ValueList(), QStringLiteral("ab"));
      if (!on) {
        // The list's own type-ahead still works, as in any list; no window opens.
        QVERIFY(!list.SearchWindow());
        QVERIFY(w.Dispatch(33002));
        QVERIFY(list.SearchWindow());
        QCOMPARE(list.SearchWindow()->Text(), QString());
        continue;
      }
      CIncrementalSearchWindow* search = list.SearchWindow();
      QVERIFY(search);
      QCOMPARE(search->windowTitle(), QStringLiteral("インクリメンタルサーチ"));
      QCOMPARE(search->Text(), QStringLiteral("ab"));
      // Laid over the bottom of the window, across its width.
      QCOMPARE(search->geometry().bottom(), w.geometry().bottom());
      QCOMPARE(search->width(), w.width());
      auto* edit = search->findChild<QLineEdit*>();
      struct Step {
        const char* what;
        QString text;      // set into the window first, unless null
        const char* press;  // then pressed, unless null
        int card;
      };
      const Step steps[] = {
          {"ab finds ABle, case ignored", {}, nullptr, 2},
          {"next candidate", {}, "次候補(&N)", 3},
          {"next again", {}, "次候補(&N)", 4},
          {"a longer text refines from the same start", QStringLiteral("aby"), nullptr, 4},
          {"no match after the start: no wrap", QStringLiteral("alpha"), nullptr, 4},
          {"emptied text starts from the top", QStringLiteral(""), nullptr, 0},
          {"then from the top", QStringLiteral("b"), nullptr, 1},
      };
      for (const Step& step : steps) {
        if (!step.text.isNull()) edit->setText(step.text);
        if (step.press) ButtonOf(*search, QString::fromUtf8(step.press))->click();
        QVERIFY2(t.App().Doc().CurrentCard() == step.card, step.what);
        const QModelIndexList selected = list.ValueList().selectionModel()->selectedRows();
        QVERIFY2(selected.size() == 1 && selected[0].row() == step.card, step.what);
      }
      // Typing into the list while the window is open appends.
      list.FocusValueList();
      QTest::keyClicks(&list.ValueList(), QStringLiteral("e"));
      QCOMPARE(search->Text(), QStringLiteral("be"));
      QCOMPARE(t.App().Doc().CurrentCard(), 1);
      ButtonOf(*search, QStringLiteral("閉じる"))->click();
      QTRY_VERIFY(!list.SearchWindow());
      QTRY_VERIFY(list.ValueListHasFocus());
    }
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CFindDialogsTest)
#include "find_dialogs_test.moc"
