// ソート（整列） and 複数キーソート（整列）: their defaults, the ways to confirm
// and to cancel, and the order the cards end in (hidden cards included).
#include "select/filter.h"
#include "select/select_commands.h"
#include "support/dialog_test_support.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/select/multi_sort_dialog.h"
#include "ui/dialogs/select/sort_dialog.h"

#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

namespace {

const QSize kWide(800, 600);

void DoubleClick(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class CSortDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void sortDialog() {
    enum Confirm { kOk, kDoubleTap, kCancel };
    struct Row {
      int item;
      int order;
      Confirm confirm;
      const char* names;  // after the sort, from the file's order
    };
    const Row rows[] = {
        {2, 1, kOk, "ABle xaby dab beta Cab Alpha"},         // numbers: abc and empty read 0, ties by position
        {2, 3, kOk, "Alpha Cab beta dab ABle xaby"},         // numbers descending
        {0, 0, kDoubleTap, "ABle Alpha beta Cab dab xaby"},  // text without regard to case
        {1, 2, kOk, "Alpha ABle dab beta xaby Cab"},         // Tokyo = tokyo; position decides among them
        {1, 2, kCancel, "Alpha beta ABle Cab xaby dab"},
    };
    for (const Row& row : rows) {
      CAppUnderTest t(m_env.WriteCards(QStringLiteral("sort.csv"), kWordCards), m_env.NewSettings(), kWide);
      QVERIFY(t.started);
      CVelumDoc& doc = t.App().Doc();
      doc.MakeCurrent(4);
      doc.SetCurrentItem(1);
      bool ran = false;
      WhenOpen<CSortDialog>(
          [&](CSortDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("ソート（整列）"));
            auto* list = d.findChild<QListWidget*>();
            QCOMPARE(d.Item(), 1);  // the document's current item
            QCOMPARE(d.Order(), 0);
            d.findChildren<QRadioButton*>()[row.order]->click();
            list->setCurrentRow(row.item);
            if (row.confirm == kDoubleTap)
              DoubleClick(list, row.item);
            else
              ButtonOf(d, row.confirm == kOk ? QStringLiteral("OK") : QStringLiteral("ｷｬﾝｾﾙ"))->click();
          },
          &ran);
      QVERIFY(t.Window().Dispatch(32778));
      QVERIFY(ran);
      QCOMPARE(Names(doc), QString::fromUtf8(row.names));
      QCOMPARE(doc.CurrentCard(), row.confirm == kCancel ? 4 : 0);
      QVERIFY(!doc.IsModified());
    }
  }

  void multiSortDialog() {
    struct Row {
      const char* what;
      std::vector<std::pair<int, int>> keys;  // (entry, order) as chosen before each "追加↓"
      bool filterFirst;                       // only the Osaka cards visible during the sort
      const char* names;
      QStringList labels;
    };
    const Row rows[] = {
        {"city descending, then name",
         {{1, 2}, {0, 0}},
         false,
         "ABle Alpha dab beta xaby Cab",
         {QStringLiteral("city 文字（降順）"), QStringLiteral("name 文字（昇順）")}},
        {"the mark first", {{3, 2}, {0, 2}}, false, "xaby beta dab Cab Alpha ABle",
         {QStringLiteral("[マーク] 文字（降順）"), QStringLiteral("name 文字（降順）")}},
        {"no keys keeps the visible order", {}, false, "Alpha beta ABle Cab xaby dab", {}},
        {"hidden cards are sorted too", {{2, 3}, {0, 0}}, true, "Alpha Cab beta dab ABle xaby",
         {QStringLiteral("amount 数字（降順）"), QStringLiteral("name 文字（昇順）")}},
    };
    for (const Row& row : rows) {
      CAppUnderTest t(m_env.WriteCards(QStringLiteral("msort.csv"), kWordCards), m_env.NewSettings(), kWide);
      QVERIFY(t.started);
      CVelumDoc& doc = t.App().Doc();
      for (int c : {1, 4}) doc.Store().VisibleCard(c)->SetMark(1);  // beta and xaby
      if (row.filterFirst) FilterCommand(doc, {1}, 0, QStringLiteral("ka"), 0);
      bool ran = false;
      WhenOpen<CMultiSortDialog>(
          [&](CMultiSortDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("複数キーソート（整列）"));
            auto* order = d.findChild<QComboBox*>();
            QCOMPARE(order->currentText(), QStringLiteral("昇順-文字"));
            auto* items = d.findChild<QListWidget*>(QStringLiteral("items"));
            auto* keys = d.findChild<QListWidget*>(QStringLiteral("keys"));
            QCOMPARE(items->item(3)->text(), QStringLiteral("[マーク]"));
            QCOMPARE(items->currentRow(), 0);
            QCOMPARE(keys->count(), 0);
            bool tap = false;
            for (const auto& [entry, o] : row.keys) {
              order->setCurrentIndex(o);
              items->setCurrentRow(entry);
              if (tap)
                DoubleClick(items, entry);
              else
                ButtonOf(d, QStringLiteral("追加↓"))->click();
              tap = !tap;
            }
            QStringList labels;
            for (int i = 0; i < keys->count(); ++i) labels << keys->item(i)->text();
            QCOMPARE(labels, row.labels);
            QCOMPARE(int(d.Keys().m_keys.size()), int(row.keys.size()));
            ButtonOf(d, QStringLiteral("OK"))->click();
          },
          &ran);
      QVERIFY(t.Window().Dispatch(32875));
      QVERIFY2(ran, row.what);
      if (row.filterFirst) {
        QCOMPARE(Names(doc), QStringLiteral("beta xaby"));
        ShowAllCards(doc.Store());
      }
      QVERIFY2(Names(doc) == QString::fromUtf8(row.names), row.what);
      QCOMPARE(doc.CurrentCard(), 0);
    }
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CSortDialogsTest)
#include "sort_dialogs_test.moc"
