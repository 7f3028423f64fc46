// One running copy per user, between real processes: a later start hands its
// file to the running copy and ends; a socket left by a crash does not stop a
// start, a stopped copy keeps its own; two starts at the same moment leave one
// copy. This process plays the running copy where the test must answer its
// dialogs or talk to its socket.
#include "platform/file_io.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/ui_test_support.h"
#include "ui/window/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <csignal>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kWaitMs = 8000;

// Waits until the condition holds or the time is up; answers the condition.
template <typename F>
bool WaitFor(F condition, int ms = kWaitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(50);
  }
  return true;
}

// Leaves a socket file that no one listens on, as a crash would.
bool MakeDeadSocket(const QString& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray bytes = QFile::encodeName(path);
  if (bytes.size() >= qsizetype(sizeof addr.sun_path)) return false;
  memcpy(addr.sun_path, bytes.constData(), std::size_t(bytes.size()));
  const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

}  // namespace

class CSingleInstanceTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void cleanup() {
    for (auto& p : m_processes) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(2000);
      }
    }
    m_processes.clear();
  }

  void handOver_data() {
    QTest::addColumn<QString>("leftover");
    QTest::newRow("clean") << QString();
    QTest::newRow("stale file") << QStringLiteral("file");
    QTest::newRow("dead socket") << QStringLiteral("socket");
  }
  // The second start ends at once with status 0 and the first opens its file.
  void handOver() {
    QFETCH(QString, leftover);
    const QString home = NewHome();
    const QString socketPath = PrivateFolderOf(home) + QStringLiteral("/velum.socket");
    if (leftover == u"file") {
      QFile junk(socketPath);
      QVERIFY(junk.open(QIODevice::WriteOnly));
      junk.write("left over");
    } else if (leftover == u"socket") {
      QVERIFY(MakeDeadSocket(socketPath));
    }
    const QString a = Cards(home, QStringLiteral("a.csv"));
    const QString b = Cards(home, QStringLiteral("b.csv"));

    QProcess& first = Start(home, a);
    QVERIFY(WaitFor([&] { return DefaultFile(home) == a; }));
    QVERIFY(first.state() == QProcess::Running);

    QProcess& second = Start(home, b);
    QVERIFY(second.waitForFinished(kWaitMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(WaitFor([&] { return DefaultFile(home) == b; }), qPrintable(DefaultFile(home)));
    QVERIFY(first.state() == QProcess::Running);

    // A start without a file only brings the running copy to the front.
    QProcess& third = Start(home, QString());
    QVERIFY(third.waitForFinished(kWaitMs));
    QCOMPARE(third.exitCode(), 0);
    QTest::qWait(200);
    QCOMPARE(DefaultFile(home), b);
    QVERIFY(first.state() == QProcess::Running);
  }

  // A hand-over that makes the running copy ask something waits there; the
  // next one, sent while the box is open, is answered at once but carried
  // out only after the box is closed, and the copy goes on serving.
  void handOverShowingAMessage() {
    const QString home = NewHome();
    UseRuntimeOf(home);
    CSettingsStore settings(home + QStringLiteral("/settings.reg"));
    CSingleInstance instance;
    QCOMPARE(instance.Claim(QString(), settings), CSingleInstance::Outcome::kFirst);
    QStringList events;
    QProcess* during = nullptr;
    instance.Serve([&](unsigned id) {
      events << QString::number(id);
      if (events.size() > 1) return;
      QMessageBox box(QMessageBox::Question, QStringLiteral("Velum"), QStringLiteral("保存しますか？"),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      // The box's own loop serves the socket: the next start is let in and
      // answered there, and the box is answered once it has ended.
      QTimer::singleShot(100, &box, [&] { during = &Start(home, Cards(home, QStringLiteral("c.csv"))); });
      QTimer poll;
      connect(&poll, &QTimer::timeout, &box, [&] {
        if (during && during->state() == QProcess::NotRunning) {
          events << QStringLiteral("answered %1").arg(during->exitCode());
          box.reject();
        }
      });
      poll.start(50);
      QTimer::singleShot(kWaitMs, &box, &QMessageBox::reject);
      box.exec();
    });
    Start(home, Cards(home, QStringLiteral("b.csv")));
    QVERIFY2(WaitFor([&] { return events.size() >= 3; }), qPrintable(events.join(u',')));
    QCOMPARE(events, (QStringList{QStringLiteral("700"), QStringLiteral("answered 0"), QStringLiteral("700")}));

    // Still serving, also after what an outside program may send: a line
    // without an end, and more silent connections than it serves.
    QLocalSocket flood;
    flood.connectToServer(CSingleInstance::SocketPath());
    QVERIFY(flood.waitForConnected(1000));
    flood.write(QByteArray(1 << 20, 'x'));
    QVERIFY(WaitFor([&] { return flood.state() == QLocalSocket::UnconnectedState; }));
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < CSingleInstance::kMaxConnections + 2; ++i) {
      silent.push_back(std::make_unique<QLocalSocket>());
      silent.back()->connectToServer(CSingleInstance::SocketPath());
    }
    auto closed = [&] {
      return std::count_if(silent.begin(), silent.end(),
                           [](const auto& c) { return c->state() == QLocalSocket::UnconnectedState; });
    };
    QVERIFY(WaitFor([&] { return closed() >= 2; }, 1000));
    QVERIFY(WaitFor([&] { return closed() == qsizetype(silent.size()); }, CSingleInstance::kIdleMs + 2000));
    QProcess& last = Start(home, QString());
    QVERIFY(WaitFor([&] { return last.state() == QProcess::NotRunning; }));
    QCOMPARE(last.exitCode(), 0);
    QVERIFY(WaitFor([&] { return events.size() == 4; }));
    QCOMPARE(events.last(), QStringLiteral("0"));
  }

  // A running copy that already serves as many connections as it takes
  // turns a hand-over away with a word: the start says the copy is busy and
  // to try again (the file will not open by itself later) and takes back the
  // name it wrote; once the connections are gone a start hands over.
  void busyCopyTurnsAHandOverAway() {
    const QString home = NewHome();
    UseRuntimeOf(home);
    CSettingsStore settings(home + QStringLiteral("/settings.reg"));
    CSingleInstance instance(60000);  // the silent connections stay for the test
    QCOMPARE(instance.Claim(QString(), settings), CSingleInstance::Outcome::kFirst);
    QStringList events;
    instance.Serve([&](unsigned id) { events << QString::number(id); });
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < CSingleInstance::kMaxConnections; ++i) {
      silent.push_back(std::make_unique<QLocalSocket>());
      silent.back()->connectToServer(CSingleInstance::SocketPath());
      QVERIFY(silent.back()->waitForConnected(1000));
    }
    QTest::qWait(300);  // all of them taken in
    const QString b = Cards(home, QStringLiteral("b.csv"));
    QProcess& turned = Start(home, b, QProcess::SeparateChannels);
    QVERIFY(WaitFor([&] { return turned.state() == QProcess::NotRunning; }, 2 * kWaitMs));
    const QString said = QString::fromUtf8(turned.readAllStandardError());
    QCOMPARE(turned.exitCode(), 1);
    QVERIFY2(said.contains(single_msg::kBusy.arg(QCoreApplication::applicationPid())), qPrintable(said));
    QCOMPARE(ReadSetting(settings, settings::kPpcFile), QString());
    QTest::qWait(200);
    QVERIFY2(events.isEmpty(), qPrintable(events.join(u',')));
    QVERIFY(std::all_of(silent.begin(), silent.end(),
                        [](const auto& c) { return c->state() == QLocalSocket::ConnectedState; }));

    silent.clear();
    QProcess& again = Start(home, b);
    QVERIFY(WaitFor([&] { return again.state() == QProcess::NotRunning; }, 2 * kWaitMs));
    QCOMPARE(again.exitCode(), 0);
    QVERIFY(WaitFor([&] { return events.size() == 1; }));
    QCOMPARE(events, QStringList{QStringLiteral("700")});
    QCOMPARE(ReadSetting(settings, settings::kPpcFile), b);
  }

  // A running copy that is stopped keeps its socket: a later start says so
  // and ends, and the copy opens the file once it runs again.
  void stoppedCopyKeepsItsSocket() {
    const QString home = NewHome();
    const QString a = Cards(home, QStringLiteral("a.csv"));
    const QString b = Cards(home, QStringLiteral("b.csv"));
    QProcess& first = Start(home, a);
    QVERIFY(WaitFor([&] { return DefaultFile(home) == a; }));
    ::kill(pid_t(first.processId()), SIGSTOP);
    QProcess& second = Start(home, b, QProcess::SeparateChannels);
    // It waits five seconds for an answer before it says so; a busy machine
    // stretches its start as well.
    QVERIFY(second.waitForFinished(10 * kWaitMs));
    const QString said = QString::fromUtf8(second.readAllStandardError());
    ::kill(pid_t(first.processId()), SIGCONT);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY2(said.contains(single_msg::kNotAnswering.arg(first.processId())), qPrintable(said));
    QVERIFY(QFileInfo::exists(PrivateFolderOf(home) + QStringLiteral("/velum.socket")));
    QVERIFY2(WaitFor([&] { return DefaultFile(home) == b; }), qPrintable(DefaultFile(home)));
    QVERIFY(first.state() == QProcess::Running);
  }

  // The socket's folder is the user's own: a link put in its place is refused
  // and the start runs on alone.
  void linkedFolderIsRefused() {
    const QString home = NewHome();
    QDir().mkpath(home + QStringLiteral("/elsewhere"));
    QVERIFY(QFile::link(home + QStringLiteral("/elsewhere"), home + QStringLiteral("/run/velum")));
    UseRuntimeOf(home);
    CSettingsStore settings(home + QStringLiteral("/settings.reg"));
    CSingleInstance instance;
    QCOMPARE(instance.Claim(QString(), settings), CSingleInstance::Outcome::kFailed);
    QVERIFY2(instance.Error().contains(file_msg::kIsLink), qPrintable(instance.Error()));
    QVERIFY(QDir(home + QStringLiteral("/elsewhere")).isEmpty());
  }

  // Two starts at the same moment: one hands over to the other.
  void simultaneousStarts() {
    const QString home = NewHome();
    const QString a = Cards(home, QStringLiteral("a.csv"));
    const QString b = Cards(home, QStringLiteral("b.csv"));
    QProcess& pa = Start(home, a);
    QProcess& pb = Start(home, b);
    QVERIFY(WaitFor([&] { return pa.state() == QProcess::NotRunning || pb.state() == QProcess::NotRunning; }));
    QTest::qWait(300);
    QProcess& ended = pa.state() == QProcess::NotRunning ? pa : pb;
    QProcess& running = &ended == &pa ? pb : pa;
    QVERIFY(running.state() == QProcess::Running);
    QCOMPARE(ended.exitStatus(), QProcess::NormalExit);
    QCOMPARE(ended.exitCode(), 0);
    // The running copy ends with the file of the start that handed over.
    const QString handed = &ended == &pa ? a : b;
    QVERIFY2(WaitFor([&] { return DefaultFile(home) == handed; }), qPrintable(DefaultFile(home)));
  }

 private:
  // A user of their own: settings, runtime, data and configuration folders.
  QString NewHome() {
    const QString home = m_env.Path(QStringLiteral("home-%1").arg(++m_serial));
    for (const char* sub : {"run", "data", "config"}) QDir().mkpath(home + u'/' + QString::fromLatin1(sub));
    QFile::setPermissions(home + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return home;
  }

  static QString PrivateFolderOf(const QString& home) {
    QDir().mkpath(home + QStringLiteral("/run/velum"));
    return home + QStringLiteral("/run/velum");
  }

  // This process as a start of that user.
  static void UseRuntimeOf(const QString& home) { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home + QStringLiteral("/run"))); }

  static QString Cards(const QString& home, const QString& name) {
    QFile file(home + u'/' + name);
    if (file.open(QIODevice::WriteOnly)) file.write("name,memo\r\nx,y\r\n");
    return QFileInfo(file).absoluteFilePath();
  }

  static QString DefaultFile(const QString& home) {
    return CSettingsStore(home + QStringLiteral("/settings.reg"))
        .GetProfileString(QStringLiteral("System"), QStringLiteral("DefaultFile"), QString());
  }

  QProcess& Start(const QString& home, const QString& file,
                  QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELUM_SETTINGS"), home + QStringLiteral("/settings.reg"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(channels);
    process->start(QStringLiteral(VELUM_PATH), file.isEmpty() ? QStringList() : QStringList{file});
    m_processes.push_back(std::move(process));
    return *m_processes.back();
  }

  CUiTestEnv m_env;
  int m_serial = 0;
  std::vector<std::unique_ptr<QProcess>> m_processes;
};

QTEST_MAIN(CSingleInstanceTest)
#include "single_instance_test.moc"
