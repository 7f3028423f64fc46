// The item list's and the list's models stay consistent (checked by
// QAbstractItemModelTester) through every command that changes the deck, and
// show what the store holds.
#include "core/card_commands.h"
#include "core/item_commands.h"
#include "select/select_commands.h"
#include "support/ui_test_support.h"
#include "ui/views/deck_models.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"

#include <QAbstractItemModelTester>
#include <QListView>
#include <QtTest>

#include <functional>

namespace {

const QByteArray kCards =
    "name,amount\r\n"
    "b,2\r\n"
    "a,10\r\n"
    "c,1\r\n"
    "a,5\r\n";

QStringList Column(const QAbstractItemModel& m, int column) {
  QStringList out;
  for (int r = 0; r < m.rowCount(); ++r) out << m.index(r, column).data().toString();
  return out;
}

}  // namespace

class CDeckModelsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void modelsFollowEveryChange() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("deck.csv"), kCards), m_env.NewSettings(), QSize(800, 600));
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    w.Dispatch(32837);  // the list exists from its first showing on
    QVERIFY(w.ListView());
    w.Dispatch(32837);
    using Mode = QAbstractItemModelTester::FailureReportingMode;
    QAbstractItemModelTester itemListTester(&w.ItemList().Model(), Mode::QtTest);
    QAbstractItemModelTester listTester(&w.ListView()->Model(), Mode::QtTest);
    CVelumDoc& doc = t.App().Doc();
    t.App().ScriptPrompt()->SetDefaultAnswer(true);

    struct Step {
      const char* what;
      std::function<void()> run;
      const char* names;  // the item list (item 0) after the step, comma-separated
      int columns;
    };
    const Step steps[] = {
        {"sort by name", [&] { SortCommand(doc, 0, 0); }, "a,a,b,c", 2},
        {"sort by amount as numbers", [&] { SortCommand(doc, 1, 1); }, "c,b,a,a", 2},
        {"filter name = a", [&] { FilterCommand(doc, {0}, 0, QStringLiteral("a"), 0); }, "a,a", 2},
        {"release the filter", [&] { ReleaseFilterCommand(doc); }, "c,b,a,a", 2},
        {"delete card 1", [&] { DeleteCards(doc, {1}); }, "c,a,a", 2},
        {"copy and paste", [&] {
           CopyCards(doc, {0});
           PasteCards(doc);
         }, "c,c,a,a", 2},
        {"add an item", [&] {
           InsertItem(doc.Store(), 2, QStringLiteral("memo"));
           doc.UpdateAllViews(nullptr, 0x2000F);
         }, "c,c,a,a", 3},
        {"add a card", [&] { w.Dispatch(32776); }, "c,c,a,a,", 3},
    };
    for (const Step& step : steps) {
      step.run();
      const QStringList names = QString::fromLatin1(step.names).split(u',');
      QCOMPARE(Column(w.ItemList().Model(), 0), names);
      QCOMPARE(Column(w.ListView()->Model(), 0), names);
      QCOMPARE(w.ListView()->Model().columnCount(), step.columns);
      // The current card is the selected line of the item list.
      QCOMPARE(w.ItemList().ValueList().currentIndex().row(), doc.CurrentCard());
    }
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CDeckModelsTest)
#include "deck_models_test.moc"
