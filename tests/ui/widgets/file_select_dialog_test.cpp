// The program's own file and folder dialogs: the name check, the overwrite
// question, going up, the kept sort, and the folder tree with フォルダ作成.
#include "settings/settings.h"
#include "support/ui_test_support.h"
#include "ui/widgets/file_select_dialog.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);

QLineEdit* Name(CFileSelectDialog& d) { return d.findChild<QLineEdit*>(u"1029"_s); }

}  // namespace

class CFileSelectDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    m_env.SetUp();
    m_folder = m_env.Path(u"files"_s);
    QDir().mkpath(m_folder + u"/sub/deeper"_s);
    QFile f(m_folder + u"/a.csv"_s);
    QVERIFY(f.open(QIODevice::WriteOnly));
  }

  void theNameIsChecked_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer");  // -1 none, 0 yes, 1 no
    QTest::addColumn<QString>("path");  // empty: the dialog stays open
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << false << u""_s << -1 << u""_s << u"message: 正しいファイル名を入力してください"_s;
    QTest::newRow("wildcard") << false << u"*.csv"_s << -1 << u""_s << u"message: 正しいファイル名を入力してください"_s;
    QTest::newRow("no dot") << false << u"新規"_s << -1 << u"新規.csv"_s << u""_s;
    QTest::newRow("with dot") << true << u"b.vcsv"_s << -1 << u"b.vcsv"_s << u""_s;
    QTest::newRow("overwrite no") << true << u"a.csv"_s << 1 << u""_s << u"は既に存在しています。\n上書きしますか？ -> no"_s;
    QTest::newRow("overwrite yes") << true << u"a"_s << 0 << u"a.csv"_s << u"は既に存在しています。\n上書きしますか？ -> yes"_s;
  }
  void theNameIsChecked() {
    QFETCH(bool, save);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(QString, path);
    QFETCH(QString, message);
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    if (answer >= 0) t.App().ScriptPrompt()->QueueChoice(answer == 0 ? IPrompt::Choice::Yes : IPrompt::Choice::No);
    CFileRequest request{u"t"_s, m_folder, {}, {}, u"csv"_s, save, true};
    CFileSelectDialog d(t.App(), request);
    d.show();
    Name(d)->setText(name);
    d.accept();
    QCOMPARE(d.isVisible(), path.isEmpty());
    QCOMPARE(d.Path(), path.isEmpty() ? QString() : m_folder + u'/' + path);
    if (!message.isEmpty()) QVERIFY2(t.Transcript().contains(message), qPrintable(t.Transcript()));
  }

  void upSelectsTheFolderLeftAndTheSortIsKept() {
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    {
      CFileSelectDialog d(t.App(), CFileRequest{u"t"_s, m_folder + u"/sub"_s, {}, {}, u"csv"_s, false, true});
      QCOMPARE(d.List()->topLevelItem(0)->text(0), u"[..]"_s);
      QCOMPARE(d.List()->topLevelItem(0)->text(1), QString());  // ".." shows no date
      d.findChild<QToolButton*>(u"1020"_s)->click();
      QCOMPARE(d.Folder(), m_folder);
      QCOMPARE(d.List()->currentItem()->text(0), u"[sub]"_s);
      // The date heading twice: by date, newest first; folders stay first.
      d.List()->header()->sectionClicked(1);
      d.List()->header()->sectionClicked(1);
      QCOMPARE(d.List()->topLevelItem(1)->text(0), u"[sub]"_s);
      QCOMPARE(d.List()->topLevelItem(2)->text(0), u"a.csv"_s);
      // Into a folder by activating it.
      d.List()->itemActivated(d.List()->topLevelItem(1), 0);
      QCOMPARE(d.Folder(), m_folder + u"/sub"_s);
    }
    CSettingsStore store(settings);
    QCOMPARE(ReadSetting(store, settings::kFileSelectSortItem), 1u);
    QCOMPARE(ReadSetting(store, settings::kFileSelectSortMode), 1u);
  }

  void folderTreeFollowsTheStartAndCreatesFolders() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CFolderDialog d(t.App(), m_folder + u"/sub/deeper"_s);
    QCOMPARE(d.Folder(), m_folder + u"/sub/deeper"_s);
    QCOMPARE(d.Tree()->topLevelItem(0)->text(0), u"ルート"_s);
    // The starting folder was reached through its parents.
    QTreeWidgetItem* sub = d.Tree()->currentItem()->parent();
    QCOMPARE(sub->text(0), u"sub"_s);

    QVERIFY(d.CreateFolder(u"新しい"_s));
    QCOMPARE(d.Folder(), m_folder + u"/sub/deeper/新しい"_s);
    QVERIFY(QFileInfo(d.Folder()).isDir());
    QTreeWidgetItem* deeper = d.Tree()->currentItem()->parent();
    d.Tree()->setCurrentItem(deeper);
    const int children = deeper->childCount();
    QVERIFY(!d.CreateFolder(u"新しい"_s));  // exists already: nothing changes
    QCOMPARE(deeper->childCount(), children);
    QCOMPARE(d.Folder(), m_folder + u"/sub/deeper"_s);
  }

 private:
  CUiTestEnv m_env;
  QString m_folder;
};

QTEST_MAIN(CFileSelectDialogTest)
#include "file_select_dialog_test.moc"
