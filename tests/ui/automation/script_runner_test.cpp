// velum --script as a program: lines it refuses (with their number), input
// that never ends a line, the screenshot written like any other file, and a
// run without a display.
#include "platform/file_io.h"
#include "support/ui_test_support.h"
#include "ui/automation/script_runner.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct CRun {
  int exitCode = -1;
  QString out;
  QString err;
};

// Runs velum with these words and no display at all; nothing on standard input.
CRun RunWithoutDisplay(const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(VELUM_PATH), args);
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

// Runs velum --script on the script text (or on scriptPath when given).
CRun RunScript(const QByteArray& script, const QString& scriptPath = QStringLiteral("-"),
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(VELUM_PATH), {QStringLiteral("--script"), scriptPath});
  if (scriptPath == u"-") {
    p.write(script);
    p.closeWriteChannel();
  }
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

class CScriptRunnerTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void refusedLines_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("state with words") << QByteArray("state\n\nstate extra args\n") << 2 << QStringLiteral("line 3: usage: state");
    QTest::newRow("layout with a number") << QByteArray("layout 5\n") << 2 << QStringLiteral("line 1: usage: layout");
    QTest::newRow("menu with a word") << QByteArray("menu x\n") << 2 << QStringLiteral("line 1: usage: menu");
    QTest::newRow("overlong line")
        << QByteArray("state\n") + QByteArray(CScriptRunner::kMaxLine + 1, 'x') << 2
        << QStringLiteral("line 2: line longer than");
    const QString fifo = m_env.Path(QStringLiteral("shot.fifo"));
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    QTest::newRow("screenshot into a FIFO")
        << ("screenshot " + QFile::encodeName(fifo) + '\n') << 1 << fifo + QStringLiteral(": ") + file_msg::kNotRegular;
  }
  // Each ends the script with its line number and reason; nothing after it runs.
  void refusedLines() {
    QFETCH(QByteArray, script);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    const CRun run = RunScript(script + "state\n");
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QVERIFY(run.out.count(QStringLiteral("\"view\"")) <= 1);
  }

  // A script that is a device without line ends stops at the line limit; a
  // FIFO no one writes to is not waited on; a folder is refused.
  void unusualScriptFiles() {
    const QString fifo = m_env.Path(QStringLiteral("script.fifo"));
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    const struct {
      QString path;
      int exitCode;
      QString said;
    } cases[] = {
        {QStringLiteral("/dev/zero"), 2, QStringLiteral("line 1: line longer than")},
        {fifo, 0, QString()},
        {m_env.Path(QStringLiteral("run")), 1, QStringLiteral(": Is a directory")},
    };
    for (const auto& c : cases) {
      const CRun run = RunScript({}, c.path);
      QCOMPARE(run.exitCode, c.exitCode);
      QVERIFY2(run.err.contains(c.said), qPrintable(run.err));
    }
  }

  // What prints and ends needs no display: the usage on standard output for
  // help, on standard error with status 2 for bad usage.
  void optionsWithoutDisplay() {
    const struct {
      QStringList args;
      int exitCode;
      bool onStdout;
    } cases[] = {
        {{u"--help"_s}, 0, true},
        {{u"-h"_s}, 0, true},
        {{u"a.csv"_s, u"--help"_s}, 0, true},
        {{u"--bogus"_s}, 2, false},
        {{u"--screen"_s, u"240x320"_s}, 2, false},
        {{u"--script"_s, u"-"_s, u"--screen"_s, u"wide"_s}, 2, false},
        {{u"a.csv"_s, u"b.csv"_s}, 2, false},
    };
    for (const auto& c : cases) {
      const CRun run = RunWithoutDisplay(c.args);
      const QString what = c.args.join(u' ') + u": "_s + run.err;
      QVERIFY2(run.exitCode == c.exitCode, qPrintable(what));
      QVERIFY2((c.onStdout ? run.out : run.err).startsWith(u"usage: velum"_s), qPrintable(what));
      QVERIFY2(!run.err.contains(u"platform"_s), qPrintable(what));
    }
  }

  // The picture replaces the old file whole; without a display the script
  // runs offscreen by itself.
  void screenshotWithoutDisplay() {
    const QString png = m_env.Path(QStringLiteral("shot.png"));
    QFile old(png);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'o'));
    old.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
    const CRun run = RunScript("screenshot " + QFile::encodeName(png) + "\nstate\n", QStringLiteral("-"), env);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(u'{'));
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray bytes = old.readAll();
    QVERIFY(bytes.startsWith("\x89PNG"));
    QVERIFY(bytes.endsWith(QByteArray::fromHex("49454e44ae426082")));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CScriptRunnerTest)
#include "script_runner_test.moc"
