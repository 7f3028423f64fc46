// The window's commands on what the user picked: the item with the focus, the
// cards selected in the list; the list's editing keys; files that are not there;
// the start folder of the file dialogs and the font dialog's stored face.
#include "app/frame_command_table.h"
#include "app/recent_files.h"
#include "core/card_store.h"
#include "select/filter.h"
#include "select/select_commands.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/select/sort_dialog.h"
#include "ui/views/card_view.h"
#include "ui/views/deck_models.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"
#include "ui/widgets/file_select_dialog.h"
#include "ui/widgets/font_dialog.h"
#include "ui/widgets/ui_services.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);
const QByteArray kCards =
    "氏名,住所,金額\r\n"
    "安藤,東京,100\r\n"
    "伊藤,大阪,200\r\n"
    "上野,京都,300\r\n"
    "江藤,札幌,400\r\n"
    "小野,福岡,500\r\n";

// The item the sort dialog offers first when opened by the menu.
int SortDialogItem(CAppUnderTest& t) {
  int item = -2;
  const bool shown = WithModalDialog<CSortDialog>([&] { t.Window().Dispatch(cmd::kSort); },
                                                  [&](CSortDialog& d) { item = d.Item(); });
  return shown ? item : -3;
}

QStringList VisibleNames(CVelumDoc& doc) {
  QStringList names;
  for (int c = 0; c < doc.VisibleCount(); ++c) names << doc.Store().GetItemText(c, 0).toString();
  return names;
}

}  // namespace

class CMainWindowCommandsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void itemCommandsOpenOnTheItemThePlaceShows() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("items.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();

    // The card view: the item whose field has the focus.
    t.Window().CardView().FocusItem(1);
    QCOMPARE(doc.CurrentItem(), 1);
    QCOMPARE(SortDialogItem(t), 1);
    QVERIFY(QTest::qWaitForWindowActive(&t.Window()));
    t.Window().CardView().FocusItem(2);
    QCOMPARE(SortDialogItem(t), 2);
    QVERIFY(QTest::qWaitForWindowActive(&t.Window()));

    // The item list: the item it lists, once chosen or entered.
    QComboBox& chooser = t.Window().ItemList().Chooser();
    chooser.setCurrentIndex(1);
    Q_EMIT chooser.activated(1);
    QCOMPARE(doc.CurrentItem(), 1);
    t.Window().CardView().FocusItem(0);
    t.Window().ItemList().FocusValueList();
    QCOMPARE(doc.CurrentItem(), 1);
    QCOMPARE(SortDialogItem(t), 1);
    QVERIFY(QTest::qWaitForWindowActive(&t.Window()));

    // The list: its current column, which a change of card keeps.
    QVERIFY(t.Window().Dispatch(cmd::kListScreen));
    CListView* list = t.Window().ListView();
    QVERIFY(list);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 2));
    QCOMPARE(doc.CurrentItem(), 2);
    QVERIFY(t.Window().Dispatch(cmd::kNextCard));
    QCOMPARE(list->currentIndex().row(), 1);
    QCOMPARE(list->currentIndex().column(), 2);
    QCOMPARE(SortDialogItem(t), 2);
  }

  void hideThisCardHidesOnlyWhatWasPicked() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("hide.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    FilterCommand(doc, {0}, 0, u"小野"_s, 0);
    InvertVisible(doc.Store());
    QCOMPARE(doc.VisibleCount(), 4);

    // The card view or the item list: the current card alone.
    QVERIFY(t.Window().Dispatch(cmd::kNextCard));
    QVERIFY(t.Window().Dispatch(cmd::kHideCard));
    QCOMPARE(VisibleNames(doc), (QStringList{u"安藤"_s, u"上野"_s, u"江藤"_s}));

    // The list: the selected rows.
    QVERIFY(t.Window().Dispatch(cmd::kListScreen));
    CListView* list = t.Window().ListView();
    list->setFocus();
    list->selectionModel()->select(QItemSelection(list->model()->index(0, 0), list->model()->index(1, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QVERIFY(t.Window().Dispatch(cmd::kHideCard));
    QCOMPARE(VisibleNames(doc), QStringList{u"江藤"_s});
  }

  void listKeysActOnTheSelectedCards() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("keys.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    QVERIFY(t.Window().Dispatch(cmd::kListScreen));
    CListView* list = t.Window().ListView();
    list->setFocus();
    auto selectRows = [&](int first, int last) {
      list->selectionModel()->select(QItemSelection(list->model()->index(first, 0), list->model()->index(last, 0)),
                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };

    // A copy is rows with names first for a spreadsheet, and the cards' own
    // form for a paste here.
    selectRows(0, 2);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"氏名\t住所\t金額\n安藤\t東京\t100\n伊藤\t大阪\t200\n上野\t京都\t300\n"_s);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasFormat(CQtClipboard::kCardsMime));
    const QStringList copied = QString::fromUtf8(data->data(CQtClipboard::kCardsMime)).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(copied.size(), 3);
    QVERIFY(copied[2].contains(u"上野"_s));

    // Ctrl+End and Ctrl+Home go to the last and the first card.
    list->setCurrentIndex(list->model()->index(1, 1));
    QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(list->currentIndex(), list->model()->index(4, 1));
    QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(list->currentIndex(), list->model()->index(0, 1));

    selectRows(3, 4);
    QTest::keyClick(list, Qt::Key_Delete);
    QVERIFY(t.Transcript().contains(u"question:"_s));
    QCOMPARE(VisibleNames(doc), (QStringList{u"安藤"_s, u"伊藤"_s, u"上野"_s}));

    selectRows(0, 0);
    QTest::keyClick(list, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(VisibleNames(doc), (QStringList{u"伊藤"_s, u"上野"_s}));
    QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(doc.VisibleCount(), 3);
    QVERIFY(VisibleNames(doc).contains(u"安藤"_s));
  }

  void listHeadingsSortAlignAndKeepWidths() {
    CAppUnderTest t(m_env.WriteCards(u"table.csv"_s, kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    QVERIFY(t.Window().Dispatch(cmd::kListScreen));
    CListView* list = t.Window().ListView();
    QVERIFY(!list->Model().RightAligned(0));
    QVERIFY(list->Model().RightAligned(2));
    QCOMPARE(list->model()->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
             Qt::AlignRight);

    // 金額 by number, then the same heading again reverses; each is one undo step.
    QVERIFY(doc.Store().SetItemText(0, 2, u"1000"_s));
    list->SortByHeading(2);
    QCOMPARE(VisibleNames(doc), (QStringList{u"伊藤"_s, u"上野"_s, u"江藤"_s, u"小野"_s, u"安藤"_s}));
    QCOMPARE(list->horizontalHeader()->sortIndicatorSection(), 2);
    list->SortByHeading(2);
    QCOMPARE(VisibleNames(doc).first(), u"安藤"_s);
    QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QVERIFY(t.Window().Dispatch(cmd::kUndoCommand));
    QCOMPARE(VisibleNames(doc).first(), u"伊藤"_s);

    // A width the user dragged stays through a sort and a filter.
    // (pressed beside the last heading, where a click sorts nothing)
    QWidget* headings = list->horizontalHeader()->viewport();
    const QPoint beside(headings->width() - 2, headings->height() / 2);
    const int widened = list->columnWidth(1) + 150;
    QTest::mousePress(headings, Qt::LeftButton, {}, beside);
    list->setColumnWidth(1, widened);
    QTest::mouseRelease(headings, Qt::LeftButton, {}, beside);
    list->SortByHeading(0);
    QCOMPARE(list->columnWidth(1), widened);
    FilterCommand(doc, {0}, 0, u"小野"_s, 0);
    QCOMPARE(list->columnWidth(1), widened);
  }

  void itemListRefreshCommandsAreTaken() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("refresh.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(0);
    auto* name = qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(0));
    name->selectAll();
    name->insertPlainText(u"変更"_s);
    QVERIFY(t.Window().Dispatch(cmd::kRefreshListLine));
    QVERIFY(t.Window().Dispatch(cmd::kRefreshListFirst));
    // The editor's text reaches the line of the current card.
    QCOMPARE(t.Window().ItemList().Model().index(0).data().toString(), u"変更"_s);
  }

  void filesThatAreNotThereLeaveTheDocument() {
    const QString missing = m_env.Path(QStringLiteral("gone.csv"));
    {
      // At start: the window opens on a new document and says which file and why.
      CAppUnderTest t(missing, m_env.NewSettings(), kWide);
      QVERIFY(t.started);
      QVERIFY(t.App().Doc().PathName().isEmpty());
      const QString said = t.Transcript();
      QVERIFY2(said.contains(u"ファイルが開けません"_s) && said.contains(missing) &&
                   said.contains(u"No such file or directory"_s),
               qPrintable(said));
    }
    // From the recent-file list: the open document stays, and the entry goes
    // when the user agrees.
    const QString path = m_env.WriteCards(QStringLiteral("kept.csv"), kCards);
    CAppUnderTest t(path, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.App().Recent().Add(missing);
    QCOMPARE(t.App().Recent().Files().first(), missing);
    auto* prompt = dynamic_cast<CScriptedPrompt*>(&t.App().Prompt());
    QVERIFY(prompt);
    for (bool answer : {false, true}) {
      prompt->QueueAnswer(answer);
      QVERIFY(t.Window().Dispatch(cmd::kRecentFirst));
      QCOMPARE(t.App().Doc().PathName(), QFileInfo(path).absoluteFilePath());
      QCOMPARE(t.App().Doc().VisibleCount(), 5);
      QCOMPARE(t.App().Recent().Files().contains(missing), !answer);
    }
  }

  void fileDialogsStartInTheOpenFilesFolder() {
    QDir().mkpath(m_env.Path(u"folder"_s));
    const QString path = m_env.WriteCards(u"folder/cards.csv"_s, kCards);
    const QString folder = QFileInfo(path).absolutePath();
    // The standard dialogs, with their filters and the proposed name.
    CAppUnderTest t(path, m_env.NewSettings({{u"System/PPCOpenDlg"_s, 1}, {u"System/PPCSaveDlg"_s, 1}}), kWide);
    QVERIFY(t.started);
    for (std::uint32_t id : {cmd::kOpen, cmd::kSaveAs}) {
      QString shown, selected;
      QStringList filters;
      QVERIFY(WithModalDialog<QFileDialog>([&] { t.Window().Dispatch(id); },
                                           [&](QFileDialog& d) {
                                             shown = d.directory().absolutePath();
                                             filters = d.nameFilters();
                                             selected = d.selectedFiles().value(0);
                                           }));
      QCOMPARE(shown, folder);
      QVERIFY(filters.first().startsWith(id == cmd::kOpen ? u"VELUMﾌｧｲﾙ"_s : u"CSVﾌｧｲﾙ"_s));
      if (id == cmd::kSaveAs) QCOMPARE(QFileInfo(selected).fileName(), u"cards.csv"_s);
    }
    // The program's own dialogs.
    CAppUnderTest own(path, m_env.NewSettings({{u"System/PPCOpenDlg"_s, 0}, {u"System/PPCSaveDlg"_s, 0}}), kWide);
    QVERIFY(own.started);
    for (std::uint32_t id : {cmd::kOpen, cmd::kSaveAs}) {
      QString shown;
      QVERIFY(WithModalDialog<CFileSelectDialog>([&] { own.Window().Dispatch(id); },
                                                 [&](CFileSelectDialog& d) { shown = d.Folder(); }));
      QCOMPARE(QDir(shown).absolutePath(), folder);
    }
  }

  void fontDialogKeepsAStoredFaceTheMachineLacks() {
    CFontDialog dialog(u"ＭＳ ゴシック"_s, 10, false, false);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* families = dialog.findChild<QListWidget*>();
    families->setFocus();
    QCOMPARE(dialog.FaceName(), u"ＭＳ ゴシック"_s);
    bool noted = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) noted |= label->text().contains(u"で表示します"_s);
    QVERIFY(noted);
    // A choice the user makes is taken.
    families->setCurrentRow(1);
    QCOMPARE(dialog.FaceName(), families->item(1)->text());
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CMainWindowCommandsTest)
#include "main_window_commands_test.moc"
