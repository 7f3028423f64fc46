// The postcard commands in the window: both in the ﾌｧｲﾙ menu of either menu
// form after the print commands, the preview card by card, the settings
// stored by OK, printing to a PDF through the system's dialog and marking the
// cards sent as one undo step.
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "print/postcard/postcard_settings.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/postcard/postcard_print_dialog.h"
#include "ui/dialogs/postcard/postcard_settings_dialog.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QSize kWide(800, 600);
const QSize kNarrow(240, 320);
constexpr std::uint32_t kPostcardPrint = 33215, kPostcardSettings = 33216, kPrintLabels = 33212;

// The command numbers of the first menu, in order.
QList<int> FileMenu(CMainWindow& window) {
  QList<int> ids;
  const QList<QAction*> menus = window.menuBar()->actions();
  if (menus.isEmpty() || !menus[0]->menu()) return ids;
  for (QAction* a : menus[0]->menu()->actions())
    if (!a->isSeparator()) ids << a->data().toInt();
  return ids;
}

}  // namespace

class CPostcardDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void commandsFollowThePrintCommandsInBothMenuForms() {
    for (const QSize screen : {kWide, kNarrow}) {
      CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), screen);
      QVERIFY(t.started);
      const QList<int> ids = FileMenu(t.Window());
      const qsizetype labels = ids.indexOf(int(kPrintLabels));
      QVERIFY2(labels >= 0, qPrintable(QString::number(ids.size())));
      QCOMPARE(ids.value(labels + 1), int(kPostcardSettings));
      QCOMPARE(ids.value(labels + 2), int(kPostcardPrint));
    }
  }

  // The preview goes card by card and names a card whose code fits no boxes.
  void previewGoesCardByCard() {
    const QString path = m_env.WriteCards(
        u"cards.csv"_s, u"郵便番号,住所,氏名\r\n100-0001,東京都千代田区千代田1-1,山田 太郎\r\n12-3,京都府,鈴木 花子\r\n"_s.toUtf8());
    CAppUnderTest t(path, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    const bool seen = WithModalDialog<CPostcardPrintDialog>(
        [&] { t.Window().Dispatch(kPostcardPrint); },
        [](CPostcardPrintDialog& d) {
          QCOMPARE(d.windowTitle(), u"はがき宛名印刷"_s);
          auto* page = d.findChild<QLabel*>(u"page"_s);
          auto* problem = d.findChild<QLabel*>(u"problem"_s);
          QVERIFY(page && problem);
          QCOMPARE(page->text(), u"1 / 2 枚"_s);
          QVERIFY(problem->isHidden());
          QTest::keyClick(&d, Qt::Key_PageDown);
          QCOMPARE(page->text(), u"2 / 2 枚"_s);
          QVERIFY(problem->text().contains(u"12-3"_s));
          QVERIFY(DialogButton(d, u"前のはがき(&P)"_s)->isEnabled());
          QVERIFY(!DialogButton(d, u"次のはがき(&N)"_s)->isEnabled());
          // The card is drawn: more than one colour.
          const QImage shot = d.grab().toImage();
          QVERIFY(!shot.isNull());
        });
    QVERIFY(seen);
  }

  // OK stores what the controls show; キャンセル stores nothing.
  void settingsAreStored() {
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kNarrow);
    QVERIFY(t.started);
    bool seen = WithModalDialog<CPostcardSettingsDialog>([&] { t.Window().Dispatch(kPostcardSettings); },
                                                         [](CPostcardSettingsDialog& d) {
                                                           QCOMPARE(d.windowTitle(), u"はがきの設定"_s);
                                                           QVERIFY(d.width() <= 240 && d.height() <= 320);
                                                           auto combos = d.findChildren<QComboBox*>();
                                                           for (QComboBox* c : combos)
                                                             if (c->itemText(0).startsWith(u"一字ずつ"_s)) c->setCurrentIndex(1);
                                                           d.reject();
                                                         });
    QVERIFY(seen);
    QCOMPARE(ReadPostcardSettings(t.App().Settings()), CPostcardSettings{});
    seen = WithModalDialog<CPostcardSettingsDialog>(
        [&] { t.Window().Dispatch(kPostcardSettings); },
        [](CPostcardSettingsDialog& d) {
          for (QComboBox* c : d.findChildren<QComboBox*>()) {
            if (c->itemText(0).startsWith(u"一字ずつ"_s)) c->setCurrentIndex(1);
            if (c->itemText(0).startsWith(u"ー"_s)) c->setCurrentIndex(1);
          }
          const auto spins = d.findChildren<QDoubleSpinBox*>();
          QCOMPARE(spins.size(), 2);
          spins[0]->setValue(1.5);
          spins[1]->setValue(-0.7);
          d.accept();
        });
    QVERIFY(seen);
    const CPostcardSettings s = ReadPostcardSettings(t.App().Settings());
    QCOMPARE(s.numerals, NumeralStyle::kPlace);
    QCOMPARE(s.hyphen, HyphenStyle::kNo);
    QCOMPARE(s.offsetX, 15);
    QCOMPARE(s.offsetY, -7);
  }

  // Printing to a file writes the PDF beside the card file; yes to the
  // question marks every printed card in the year's item, one undo step.
  void printToPdfAndMarkTheCardsSent() {
    const QString path = m_env.CopySample();
    CAppUnderTest t(path, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    const int items = doc.ItemCount();
    const int cards = doc.Store().VisibleCount();
    const QString pdf = QFileInfo(path).dir().filePath(u"住所録_はがき.pdf"_s);
    t.App().ScriptPrompt()->QueueAnswer(true);
    const bool seen = WithModalDialog<CPostcardPrintDialog>(
        [&] { t.Window().Dispatch(kPostcardPrint); },
        [&](CPostcardPrintDialog& d) {
          const bool printed = WithModalDialog<QPrintDialog>(
              [&] { DialogButton(d, u"印刷(&R)..."_s)->click(); },
              [&](QPrintDialog& p) {
                QCOMPARE(p.printer()->outputFileName(), pdf);
                QCOMPARE(p.printer()->pageLayout().pageSize().id(), QPageSize::Postcard);
                p.accept();
              });
          QVERIFY(printed);
        });
    QVERIFY(seen);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QVERIFY2(t.Transcript().contains(u"2024年賀"_s), qPrintable(t.Transcript()));
    QCOMPARE(doc.ItemCount(), items + 1);
    QCOMPARE(doc.Store().Item(items).toString(), u"2024年賀"_s);
    for (int n = 0; n < cards; ++n) QCOMPARE(doc.Store().GetItemText(n, items).toString(), u"○"_s);
    QVERIFY(doc.IsModified());
    QCOMPARE(doc.UndoStack().UndoLabel(), u"はがきの印"_s);
    doc.UndoStack().Undo(doc);
    QCOMPARE(doc.ItemCount(), items);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CPostcardDialogsTest)
#include "postcard_dialogs_test.moc"
