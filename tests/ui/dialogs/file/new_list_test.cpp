// The first start without a file, through velum --script as a user meets it:
// the choice of a starting point comes once, and F1 in a dialog opens the help
// page at the dialog's section.
#include "settings/settings_store.h"
#include "support/ui_test_support.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct CRun {
  int exitCode = -1;
  QString out;
  QString err;
};

// velum --script on the script text, without a card file, with these settings.
CRun RunScript(const QByteArray& script, const QString& settings, const QStringList& extra = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(u"VELUM_SETTINGS"_s, settings);
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(VELUM_PATH), QStringList{u"--script"_s, u"-"_s} + extra);
  p.write(script);
  p.closeWriteChannel();
  CRun run;
  if (!p.waitForFinished(20000)) {
    p.kill();
    p.waitForFinished();
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

}  // namespace

class CNewListTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  // The first start shows the choice over the window; a chosen starting point
  // is the new document. The next start without a file does not ask again,
  // and a start with a file never asks.
  void firstStartOffersTheStartingPoints() {
    const QString settings = m_env.NewSettings();
    CRun run = RunScript("dialog\nchoose 作るリスト(L) 顧客名簿\npress 作成\nstate\ncmd 32837\nlist 0\n", settings);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].contains(u"\"title\":\"新しいリスト\""_s), qPrintable(lines[0]));
    QVERIFY2(lines[0].contains(u"\"items\":[\"住所録\",\"年賀状リスト\",\"顧客名簿\",\"蔵書\",\"空のファイル\"]"_s),
             qPrintable(lines[0]));
    QVERIFY2(lines[1].contains(u"\"total\":1"_s) && lines[1].contains(u"\"modified\":false"_s), qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith(u"{\"align\""_s) && lines[2].contains(u"\"columns\":[\"会社名\",\"部署\",\"氏名\""_s),
             qPrintable(lines[2]));
    QCOMPARE(CSettingsStore(settings).GetProfileInt(u"System"_s, u"StartChoice"_s, 1), 0u);

    run = RunScript("dialog\n", settings);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"no dialog is open"_s), qPrintable(run.err));

    const QString fresh = m_env.NewSettings();
    run = RunScript("dialog\n", fresh, {m_env.CopySample()});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(CSettingsStore(fresh).GetProfileInt(u"System"_s, u"StartChoice"_s, 1), 1u);
  }

  // Cancel keeps the blank file of before, and the choice is not offered again.
  void cancelKeepsTheBlankFile() {
    const QString settings = m_env.NewSettings();
    const CRun run = RunScript("close\nstate\n", settings);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.startsWith(u"{"_s) && run.out.contains(u"\"total\":1"_s), qPrintable(run.out));
    QCOMPARE(CSettingsStore(settings).GetProfileInt(u"System"_s, u"StartChoice"_s, 1), 0u);
  }

  // F1 in a dialog opens the page at the dialog's section; F1 in the window
  // alone is the key map's (nothing opens).
  void helpKeyInDialogs() {
    const QString settings = m_env.NewSettings({{u"System/StartChoice"_s, 0}});
    const CRun run = RunScript(
        "cmd 32774\nkey F1\nclose\nfocus card 氏名\ncmd 33091\nkey F1\nclose\ncmd 57600\nkey F1\nclose\nkey F1\n",
        settings, {m_env.CopySample()});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QRegularExpression opened(u"^opened: file://.*/docs/velum\\.html#(\\w+)$"_s,
                                    QRegularExpression::MultilineOption);
    QStringList anchors;
    for (auto it = opened.globalMatch(run.out); it.hasNext();) anchors << it.next().captured(1);
    QCOMPARE(anchors, (QStringList{u"findfilter"_s, u"properties"_s, u"newlist"_s}));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CNewListTest)
#include "new_list_test.moc"
