// The main window on a wide and a narrow screen: its commands, toolbar, split,
// title, and the questions before it closes.
#include "app/frame_command_table.h"
#include "core/file_kind.h"
#include "keys/menu_label.h"
#include "settings/settings_store.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include <set>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);
const QSize kNarrow(240, 320);

void MenuIds(const QList<QAction*>& actions, std::set<std::uint32_t>* ids) {
  for (QAction* a : actions) {
    if (a->menu())
      MenuIds(a->menu()->actions(), ids);
    else if (!a->isSeparator() && a->data().isValid())
      ids->insert(a->data().toUInt());
  }
}

void EntryIds(const std::vector<CMenuEntry>& entries, std::set<std::uint32_t>* ids) {
  for (const CMenuEntry& e : entries) {
    if (e.kind == CMenuEntry::kCommand) ids->insert(e.id);
    if (e.kind == CMenuEntry::kPopup) EntryIds(e.children, ids);
  }
}

std::uint32_t StoredInt(const QString& settingsPath, const QString& section, const QString& value) {
  return CSettingsStore(settingsPath).GetProfileInt(section, value, 0xFFFFFFFF);
}

// Answers the next message box with the button of that text once it is shown;
// records its title and button texts.
struct CBoxAnswer {
  QString title, text;
  QStringList buttons;
  void Arm(const QString& press) {
    QTimer::singleShot(0, [this, press] {
      QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      title = box->windowTitle();
      text = box->text();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == press) b->click();
    });
  }
};

}  // namespace

class CMainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void screens_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<int>("toolbarEntries");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("stacked");
    QTest::newRow("800x600") << kWide << true << 19 << QStringLiteral("住所録 - VELUM") << false;
    QTest::newRow("240x320") << kNarrow << false << 12 << QStringLiteral("Velum") << true;
  }
  // Every command has its action with its menu text, in the menus the screen
  // calls for; the toolbar and the title follow the screen's shape.
  void screens() {
    QFETCH(QSize, screen);
    QFETCH(bool, wide);
    QFETCH(int, toolbarEntries);
    QFETCH(QString, title);
    QFETCH(bool, stacked);
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), screen);
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    QCOMPARE(w.WideMenu(), wide);
    for (const CFrameCommand& c : FrameCommands()) {
      if (c.id == cmd::kHandOver) continue;
      QAction* a = w.Action(c.id);
      QVERIFY2(a, qPrintable(QString::number(c.id)));
      const QString expected = wide || c.text129.isEmpty() ? c.text : c.text129;
      QCOMPARE(SetMenuLabelText(a->text(), std::nullopt), expected);
    }
    std::set<std::uint32_t> shown, listed;
    MenuIds(w.menuBar()->actions(), &shown);
    EntryIds(wide ? MenuBarWide() : MenuBarNarrow(), &listed);
    QVERIFY(shown == listed);
    if (!wide) {
      QStringList tops;
      for (QAction* a : w.menuBar()->actions()) tops << a->text();
      QCOMPARE(tops, (QStringList{QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ﾒﾆｭｰ")}));
    }

    QVERIFY(w.ToolBar());
    const QList<QAction*> buttons = w.ToolBar()->actions();
    QCOMPARE(buttons.size(), toolbarEntries);
    const std::vector<std::uint32_t> expected = ToolbarButtons(screen.width());
    for (int i = 0; i < buttons.size(); ++i) {
      QCOMPARE(buttons[i]->isSeparator(), expected[std::size_t(i)] == 0);
      if (!buttons[i]->isSeparator()) QCOMPARE(buttons[i]->data().toUInt(), expected[std::size_t(i)]);
    }

    QCOMPARE(w.ShownTitle(), title);
    QCOMPARE(w.Stacked(), stacked);
  }

  // A highlighted menu entry shows the first line of its prompt in the status
  // bar, a recent file the prompt they share; a toolbar button's tip is the
  // command's name alone.
  void promptsAndTips() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    const struct {
      std::uint32_t id;
      QString prompt;
    } rows[] = {{cmd::kSwitchList, u"一覧表とカードを切り替えます"_s},
                {cmd::kOpen, u"既存のカードファイルを開きます"_s},
                {cmd::kRecentFirst, u"指定のﾌｧｲﾙを開く"_s}};
    for (const auto& row : rows) {
      QMenu* menu = nullptr;
      QAction* entry = nullptr;
      for (QAction* top : w.menuBar()->actions()) {
        if (!top->menu()) continue;
        Q_EMIT top->menu()->aboutToShow();  // fills the recent files
        for (QAction* a : top->menu()->actions())
          if (a->data().toUInt() == row.id && a->isVisible()) menu = top->menu(), entry = a;
      }
      QVERIFY2(menu && entry, qPrintable(QString::number(row.id)));
      w.statusBar()->clearMessage();
      menu->popup(w.mapToGlobal(QPoint(10, 10)));
      menu->setActiveAction(entry);
      QCOMPARE(w.statusBar()->currentMessage(), row.prompt);
      menu->hide();
    }
    const QList<QAction*> buttons = w.ToolBar()->actions();
    QStringList tips;
    // A tip is the command's name, and the key its menu entry shows.
    for (QAction* a : buttons) {
      if (a->isSeparator()) continue;
      tips << a->toolTip();
      QString name = a->toolTip();
      const qsizetype tab = a->text().indexOf(u'\t');
      if (tab >= 0) {
        const QString key = u" (%1)"_s.arg(a->text().mid(tab + 1));
        QVERIFY2(name.endsWith(key), qPrintable(a->toolTip() + u" / "_s + a->text()));
        name.chop(key.size());
      }
      QVERIFY2(!name.contains(u'(') && !name.contains(u"..."_s), qPrintable(a->toolTip()));
    }
    for (const QString& tip : {u"開く (Ctrl+O)"_s, u"上書き保存 (Ctrl+S)"_s, u"カードの追加 (Ctrl+Enter)"_s})
      QVERIFY2(tips.contains(tip), qPrintable(tip));
  }

  void okButton_data() {
    QTest::addColumn<int>("okFrame");
    QTest::addColumn<int>("softKeyMenu");
    QTest::newRow("off") << 0 << 0;
    QTest::newRow("toolbar") << 1 << 0;
    QTest::newRow("soft keys") << 1 << 1;
  }
  // OkFrame set: an OK button at the toolbar's right end (the menu bar's in
  // the soft-key mode) ends the program.
  void okButton() {
    QFETCH(int, okFrame);
    QFETCH(int, softKeyMenu);
    CAppUnderTest t(m_env.CopySample(),
                    m_env.NewSettings({{u"System/OkFrame"_s, okFrame}, {u"System/SoftKeyMenu"_s, softKeyMenu}}), kWide);
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    QAction* ok = w.OkButton();
    QCOMPARE(ok != nullptr, okFrame != 0);
    if (!ok) return;
    QCOMPARE(ok->text(), u"OK"_s);
    QWidget* button = nullptr;
    if (softKeyMenu) {
      QVERIFY(!w.ToolBar());
      button = w.menuBar()->cornerWidget(Qt::TopRightCorner);
    } else {
      QCOMPARE(w.ToolBar()->actions().last(), ok);
      button = w.ToolBar()->widgetForAction(ok);
      // At the right end: past every other button.
      for (QAction* a : w.ToolBar()->actions())
        if (a != ok && w.ToolBar()->widgetForAction(a))
          QVERIFY(w.ToolBar()->widgetForAction(a)->geometry().right() < button->geometry().left());
    }
    QVERIFY(button && button->isVisibleTo(&w));
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(!w.isVisible());
  }

  // The split commands change the direction and are remembered; the item list
  // comes back with a third of the room, whatever it had before.
  void split() {
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kNarrow);
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    QSplitter& splitter = w.Splitter();
    QVERIFY(w.Stacked());

    const struct {
      std::uint32_t command;
      bool stacked;
      std::uint32_t splPos;
    } rows[] = {{32828, false, 0}, {32828, false, 0}, {32809, true, 1}, {33084, true, 2}, {32828, false, 0}};
    for (const auto& row : rows) {
      QVERIFY(w.Dispatch(row.command));
      QCOMPARE(w.Stacked(), row.stacked);
      QCOMPARE(splitter.orientation(), row.stacked ? Qt::Vertical : Qt::Horizontal);
      QCOMPARE(StoredInt(settings, QStringLiteral("View"), QStringLiteral("SplPos")), row.splPos);
      QCOMPARE(w.SplitMode(), int(row.splPos));
      QVERIFY(w.Action(32828)->isChecked() == (row.splPos == 0));
      QVERIFY(w.Action(32809)->isChecked() == (row.splPos == 1));
      QVERIFY(w.Action(33084)->isChecked() == (row.splPos == 2));
    }

    for (const bool stacked : {false, true}) {
      QVERIFY(w.Dispatch(stacked ? 32809 : 32828));
      splitter.setSizes({10, 1000});  // the user dragged the list small
      QVERIFY(w.Dispatch(32770));
      QCOMPARE(splitter.sizes().value(0), 0);
      QVERIFY(!w.Action(32770)->isChecked());
      QCOMPARE(StoredInt(settings, QStringLiteral("Option"), QStringLiteral("ViewList")), 0u);
      QVERIFY(w.Dispatch(32770));
      QVERIFY(w.Action(32770)->isChecked());
      QCOMPARE(StoredInt(settings, QStringLiteral("Option"), QStringLiteral("ViewList")), 1u);
      const int room = stacked ? splitter.height() : splitter.width();
      const int first = splitter.sizes().value(0);
      QVERIFY2(std::abs(first - room / 3) <= splitter.handleWidth() + 1,
               qPrintable(QStringLiteral("%1 of %2").arg(first).arg(room)));
    }
  }

  // In the automatic mode turning the window changes the direction; a change
  // of height alone does not.
  void automaticSplit() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kNarrow);
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    QCOMPARE(w.SplitMode(), 2);
    const struct {
      QSize size;
      bool stacked;
    } rows[] = {{{240, 320}, true}, {{640, 320}, false}, {{640, 900}, false}, {{300, 900}, true}, {{300, 200}, true}};
    for (const auto& row : rows) {
      w.resize(row.size);
      QTRY_COMPARE(w.size(), row.size);
      QCOMPARE(w.Stacked(), row.stacked);
    }
  }

  void exitConfirmation_data() {
    QTest::addColumn<QString>("press");
    QTest::addColumn<bool>("open");
    QTest::newRow("いいえ") << QStringLiteral("いいえ") << true;
    QTest::newRow("はい") << QStringLiteral("はい") << false;
  }
  void exitConfirmation() {
    QFETCH(QString, press);
    QFETCH(bool, open);
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CBoxAnswer box;
    box.Arm(press);
    QVERIFY(t.Window().Dispatch(32866));
    QCOMPARE(box.title, QStringLiteral("VELUMの終了"));
    QCOMPARE(box.buttons.size(), 2);
    QVERIFY(box.buttons.contains(QStringLiteral("はい")) && box.buttons.contains(QStringLiteral("いいえ")));
    QCOMPARE(t.Window().isVisible(), open);
  }

  // A damaged sheet, opened as the open command, a drop or a recent entry
  // opens it, is named with the reader's reason; the document stays and the
  // file never enters the recent files. Contacts come in as a new, unsaved
  // deck named after their file.
  void sheetsAndContactsOpenAsNewDecks() {
    const QString sample = m_env.CopySample();
    const QString vcf = m_env.WriteCards(u"連絡先.vcf"_s, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田\r\nEND:VCARD\r\n");
    const QString zip = m_env.WriteCards(u"表.xlsx"_s, QByteArray("PK\x03\x04\x14\0\0\0", 8) + "xl/workbook.xml");
    CAppUnderTest t(sample, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    QVERIFY(!t.Window().OpenFile(zip));
    QVERIFY2(t.Transcript().contains(u"message: 表.xlsx: "_s), qPrintable(t.Transcript()));
    QCOMPARE(t.App().Doc().PathName(), sample);
    QCOMPARE(t.App().Doc().VisibleCount(), 7);
    QVERIFY(t.Window().OpenFile(vcf));
    QVERIFY(t.App().Doc().PathName().isEmpty());
    QCOMPARE(t.App().Doc().VisibleCount(), 1);
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 0).toString(), u"山田"_s);
    QVERIFY(t.Window().ShownTitle().startsWith(u"連絡先*"_s));
    QVERIFY(!t.App().Recent().Files().contains(vcf) && !t.App().Recent().Files().contains(zip));
  }

  // Closing with unsaved typing asks; Cancel keeps the window and the typing.
  void saveQuestionOnClose_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel") << int(IPrompt::Choice::Cancel) << QStringLiteral("cancel") << true << false;
    QTest::newRow("no") << int(IPrompt::Choice::No) << QStringLiteral("no") << false << false;
    QTest::newRow("yes") << int(IPrompt::Choice::Yes) << QStringLiteral("yes") << false << true;
  }
  void saveQuestionOnClose() {
    QFETCH(int, answer);
    QFETCH(QString, word);
    QFETCH(bool, open);
    QFETCH(bool, saved);
    const QString file = m_env.CopySample();
    QFile original(file);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    CAppUnderTest t(file, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(0);
    auto* edit = qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(0));
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("X"));
    t.App().ScriptPrompt()->QueueChoice(IPrompt::Choice(answer));
    t.Window().close();
    QCOMPARE(t.Transcript(), QStringLiteral("question: 住所録.csv への変更を保存しますか？ -> %1\n").arg(word));
    QCOMPARE(t.Window().isVisible(), open);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll() != before, saved);
    if (open) QCOMPARE(edit->toPlainText(), QStringLiteral("X山田 太郎"));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CMainWindowTest)
#include "main_window_test.moc"
