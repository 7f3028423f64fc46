// 件数集計 and 合計と平均: the item they are about (the current item, or
// 項目の選択 while the list is shown), the lines and fields they show, and the
// cards they use.
#include "select/filter.h"
#include "select/select_commands.h"
#include "support/dialog_test_support.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/select/summary_dialogs.h"
#include "ui/views/list_view.h"
#include "ui/widgets/item_choice_dialog.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

namespace {

const QSize kWide(800, 600);

// UTF-8 with its byte-order mark, so that the texts need no code page.
const QByteArray kCards =
    "\xEF\xBB\xBF"
    "city\r\n"
    "東京\r\n"
    "大阪\r\n"
    "東京\r\n"
    "東京\r\n"
    "大阪\r\n"
    "名古屋\r\n";

const QByteArray kAmounts =
    "name,amount\r\n"
    "a,\"1,000\"\r\n"
    "b,\"\\2,500\"\r\n"
    "c,abc\r\n"
    "d,\r\n"
    "e,\"1,200,000\"\r\n"
    "f,\"34,567.5\"\r\n";

QStringList Lines(QListWidget& list) {
  QStringList out;
  for (int i = 0; i < list.count(); ++i) out << list.item(i)->text();
  return out;
}

// The totals dialog's fields in its order.
QStringList Fields(QDialog& d) {
  QStringList out;
  auto* grid = d.findChild<QGridLayout*>();
  for (int r = 0; grid && r < grid->rowCount(); ++r)
    if (auto* e = qobject_cast<QLineEdit*>(grid->itemAtPosition(r, 1)->widget())) out << e->text();
  return out;
}

}  // namespace

class CSummaryDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void countResult() {
    struct Row {
      const char* what;
      bool filtered;  // only 東京 and 名古屋 shown
      QString total;
      QStringList lines;
    };
    const Row rows[] = {
        {"every card", false, QStringLiteral("6"),
         {QStringLiteral("   3  東京"), QStringLiteral("   2  大阪"), QStringLiteral("   1  名古屋")}},
        {"the visible cards", true, QStringLiteral("4"),
         {QStringLiteral("   3  東京"), QStringLiteral("   1  名古屋")}},
    };
    for (const Row& row : rows) {
      CAppUnderTest t(m_env.WriteCards(QStringLiteral("count.csv"), kCards), m_env.NewSettings(), kWide);
      QVERIFY(t.started);
      CVelumDoc& doc = t.App().Doc();
      if (row.filtered) {
        FilterCommand(doc, {0}, 0, QStringLiteral("大阪"), 0);
        InvertVisible(doc.Store());
      }
      doc.SetCurrentItem(0);
      bool ran = false;
      WhenOpen<CCountResultDialog>(
          [&](CCountResultDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("集計結果"));
            QCOMPARE(d.findChild<QLineEdit*>()->text(), row.total);
            auto* list = d.findChild<QListWidget*>();
            QCOMPARE(Lines(*list), row.lines);
            QCOMPARE(list->currentRow(), 0);
            ButtonOf(d, QStringLiteral("OK"))->click();
          },
          &ran);
      QVERIFY(t.Window().Dispatch(32794));
      QVERIFY2(ran, row.what);
    }
  }

  void totals() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("totals.csv"), kAmounts), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    CMainWindow& w = t.Window();
    doc.SetCurrentItem(1);
    bool ran = false;
    // Cards 0 to 3: 1,000, \2,500, abc and an empty text.
    FilterCommand(doc, {0}, 1, QStringLiteral("e"), 0);
    FilterCommand(doc, {0}, 1, QStringLiteral("f"), 2);
    InvertVisible(doc.Store());
    WhenOpen<CTotalsDialog>(
        [&](CTotalsDialog& d) {
          QCOMPARE(d.windowTitle(), QStringLiteral("合計と平均"));
          QCOMPARE(Fields(d), (QStringList{QStringLiteral("amount"), QStringLiteral("3,500"),
                                           QStringLiteral("1,750"), QStringLiteral("2,500"),
                                           QStringLiteral("1,000"), QStringLiteral("562,500"),
                                           QStringLiteral("750"), QStringLiteral("2")}));
          ButtonOf(d, QStringLiteral("OK"))->click();
        },
        &ran);
    QVERIFY(w.Dispatch(32858));
    QVERIFY(ran);

    // In the list, the item is asked for, and three selected rows are the cards.
    ShowAllCards(doc.Store());
    doc.UpdateAllViews(nullptr, 0x20003);
    QVERIFY(w.Dispatch(32837));
    QVERIFY(w.ListActive());
    CListView* list = w.ListView();
    list->selectionModel()->clearSelection();
    for (int row : {1, 4, 5}) list->selectionModel()->select(list->model()->index(row, 0),
                                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // The choice starts at the column the cursor is in.
    list->selectionModel()->setCurrentIndex(list->model()->index(4, 1), QItemSelectionModel::NoUpdate);
    bool chose = false;
    ran = false;
    WhenOpen<CItemChoiceDialog>(
        [&](CItemChoiceDialog& d) {
          QCOMPARE(d.windowTitle(), QStringLiteral("項目の選択"));
          QCOMPARE(d.Item(), 1);
          WhenOpen<CTotalsDialog>(
              [&](CTotalsDialog& r) {
                QCOMPARE(Fields(r).mid(0, 2), (QStringList{QStringLiteral("amount"), QStringLiteral("1,237,067.5")}));
                QCOMPARE(Fields(r).last(), QStringLiteral("3"));
              },
              &ran);
          ButtonOf(d, QStringLiteral("OK"))->click();
        },
        &chose);
    QVERIFY(w.Dispatch(32858));
    QVERIFY(chose);
    QVERIFY(ran);

    // Cancelling the choice ends the command; no item asks for one.
    chose = false;
    WhenOpen<CItemChoiceDialog>([](CItemChoiceDialog& d) { ButtonOf(d, QStringLiteral("ｷｬﾝｾﾙ"))->click(); }, &chose);
    QVERIFY(w.Dispatch(32794));
    QVERIFY(chose);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(w.Dispatch(32837));
    doc.SetCurrentItem(-1);
    QVERIFY(w.Dispatch(32794));
    QCOMPARE(t.CountInTranscript(QStringLiteral("項目を選択してください")), 1);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CSummaryDialogsTest)
#include "summary_dialogs_test.moc"
