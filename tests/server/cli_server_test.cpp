// velum-cli against a real server: push, pull, the read commands on a URI,
// batch runs of several processes at once, and the lock beside a card file.
#include "server/file_lock.h"
#include "server/pg_server.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>

#include <unistd.h>

namespace {

QString Example() { return qEnvironmentVariable("VELUM_SOURCE_DIR") + QStringLiteral("/examples/住所録.csv"); }

// A velum-cli batch that runs while the test talks to it: each Send waits
// until the command (and a state after it) ran.
class CBatchProcess {
 public:
  explicit CBatchProcess(const QStringList& args) {
    m_p.start(qEnvironmentVariable("VELUM_CLI"), args);
    EXPECT_TRUE(m_p.waitForStarted(30000));
  }
  ~CBatchProcess() {
    m_p.closeWriteChannel();
    m_p.waitForFinished(60000);
  }
  // Runs line; answers what it printed on stderr.
  QString Send(const QString& line) {
    m_p.write((line + QStringLiteral("\nstate\n")).toUtf8());
    QByteArray out;
    while (!out.contains("\"visible\"")) {
      if (!m_p.waitForReadyRead(60000)) break;
      out += m_p.readAllStandardOutput();
    }
    return QString::fromUtf8(m_p.readAllStandardError());
  }
  int Finish() {
    m_p.closeWriteChannel();
    m_p.waitForFinished(60000);
    return m_p.exitCode();
  }

 private:
  QProcess m_p;
};

TEST(CliServer, PushPullAndReadCommandsTakeAUri) {
  CTestWorld w;
  const QString uri = TestPgServer().Uri(QStringLiteral("住所録 'cli'; $$"));
  const QString settings = w.Path(QStringLiteral("velum.reg"));
  CCliRun push = RunCli({QStringLiteral("push"), Example(), uri}, {}, settings);
  ASSERT_EQ(push.exitCode, 0) << push.err;
  // Not over an existing deck without --replace.
  push = RunCli({QStringLiteral("push"), Example(), uri}, {}, settings);
  EXPECT_EQ(push.exitCode, 1);
  EXPECT_TRUE(push.err.contains(QStringLiteral("--replace")));
  ASSERT_EQ(RunCli({QStringLiteral("push"), Example(), uri, QStringLiteral("--replace")}, {}, settings).exitCode, 0);

  // Each read command answers on the deck as on the file.
  const QList<QStringList> reads = {
      {QStringLiteral("show"), QStringLiteral("@"), QStringLiteral("--json")},
      {QStringLiteral("show"), QStringLiteral("@"), QStringLiteral("--stored")},
      {QStringLiteral("value"), QStringLiteral("@"), QStringLiteral("1"), QStringLiteral("電話")},
      {QStringLiteral("count"), QStringLiteral("@"), QStringLiteral("区分")},
      {QStringLiteral("totals"), QStringLiteral("@"), QStringLiteral("誕生日")},
      {QStringLiteral("sort"), QStringLiteral("@"), QStringLiteral("電話:1")},
  };
  for (QStringList args : reads) {
    QStringList onFile = args;
    onFile.replaceInStrings(QStringLiteral("@"), Example());
    args.replaceInStrings(QStringLiteral("@"), uri);
    const CCliRun file = RunCli(onFile, {}, settings);
    const CCliRun deck = RunCli(args, {}, settings);
    EXPECT_EQ(deck.exitCode, 0) << args.join(u' ') << deck.err;
    EXPECT_EQ(deck.out, file.out) << args.join(u' ');
  }

  // Back as a card file with its property file: the same cards, the same records.
  const QString pulled = w.Path(QStringLiteral("戻り.csv"));
  const CCliRun pull = RunCli({QStringLiteral("pull"), uri, QStringLiteral("-o"), pulled}, {}, settings);
  ASSERT_EQ(pull.exitCode, 0) << pull.err;
  EXPECT_EQ(RunCli({QStringLiteral("show"), pulled, QStringLiteral("--stored")}, {}, settings).out,
            RunCli({QStringLiteral("show"), Example(), QStringLiteral("--stored")}, {}, settings).out);
  auto props = [&](const QString& path) {
    QStringList lines = RunCli({QStringLiteral("props"), path}, {}, settings).out.split(u'\n');
    lines.removeIf([](const QString& l) { return l.contains(QStringLiteral("\"path\"")); });
    return lines;
  };
  EXPECT_EQ(props(pulled), props(Example()));

  // A deck that is not there, a server that is not there: exit 1 with the reason.
  const CCliRun missing = RunCli({QStringLiteral("show"), TestPgServer().Uri(QStringLiteral("none"))}, {}, settings);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("no deck named none"))) << missing.err;
  const CCliRun noServer =
      RunCli({QStringLiteral("show"), QStringLiteral("postgresql:///postgres?host=/nonexistent&deck=x")}, {}, settings);
  EXPECT_EQ(noServer.exitCode, 1);
  EXPECT_FALSE(noServer.err.isEmpty());
}

TEST(CliServer, BatchesOfTwoProcessesCommitEachCommandAndReportConflicts) {
  CTestWorld w;
  const QString uri = TestPgServer().Uri(QStringLiteral("two batches"));
  const QString settings = w.Path(QStringLiteral("velum.reg"));
  ASSERT_EQ(RunCli({QStringLiteral("push"), Example(), uri, QStringLiteral("--replace")}, {}, settings).exitCode, 0);
  for (const bool yes : {false, true}) {
    QStringList args{QStringLiteral("--settings"), settings};
    CBatchProcess a(args + QStringList{QStringLiteral("batch"), uri});
    CBatchProcess b(args + (yes ? QStringList{QStringLiteral("--yes")} : QStringList()) +
                    QStringList{QStringLiteral("batch"), uri});
    // Another card, another item of the same card: no conflict.
    const QString n = yes ? QStringLiteral("2") : QStringLiteral("1");
    EXPECT_EQ(b.Send(QStringLiteral("set 1 電話 b-1-") + n), QString());
    EXPECT_EQ(b.Send(QStringLiteral("set 0 メモ \"b; 'memo' $$") + n + u'"'), QString());
    EXPECT_EQ(a.Send(QStringLiteral("set 0 電話 a-0-") + n), QString());
    // The same item: reported, not overwritten (unless --yes).
    EXPECT_EQ(b.Send(QStringLiteral("set 0 電話 b-0-") + n), QStringLiteral("conflict: 0 電話\n"));
    EXPECT_EQ(a.Finish(), 0);
    EXPECT_EQ(b.Finish(), 0);
    const CCliRun show = RunCli({QStringLiteral("value"), uri, QStringLiteral("0"), QStringLiteral("電話")}, {}, settings);
    EXPECT_EQ(show.out, (yes ? QStringLiteral("b-0-") : QStringLiteral("a-0-")) + n + u'\n');
    EXPECT_EQ(RunCli({QStringLiteral("value"), uri, QStringLiteral("0"), QStringLiteral("メモ")}, {}, settings).out,
              QStringLiteral("b; 'memo' $$") + n + u'\n');
    EXPECT_EQ(RunCli({QStringLiteral("value"), uri, QStringLiteral("1"), QStringLiteral("電話")}, {}, settings).out,
              QStringLiteral("b-1-") + n + u'\n');
  }
}

TEST(CliServer, WritingCommandsHonourTheLock) {
  CTestWorld w;
  const QString settings = w.Path(QStringLiteral("velum.reg"));
  const QString card = w.Path(QStringLiteral("a.csv"));
  QFile::copy(Example(), card);
  QFile::copy(Example().chopped(3) + QStringLiteral("vcv"), w.Path(QStringLiteral("a.vcv")));
  const QByteArray before = w.ReadFile(QStringLiteral("a.csv"));
  auto lockBy = [&](qint64 pid) {
    QFile f(LockFilePath(card));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("user=hanako\nhost=%1\npid=%2\ntime=2024-05-03T09:00:00+09:00\n")
                .arg(QSysInfo::machineHostName())
                .arg(pid)
                .toUtf8());
  };
  lockBy(getpid());  // a live process that is not velum-cli's
  const QList<QStringList> writes = {
      {QStringLiteral("recalc"), card},
      {QStringLiteral("sort"), card, QStringLiteral("電話:0"), QStringLiteral("-o"), card},
      {QStringLiteral("convert"), Example(), QStringLiteral("-o"), card},
  };
  for (const QStringList& args : writes) {
    const CCliRun run = RunCli(args, {}, settings);
    EXPECT_EQ(run.exitCode, 1) << args.join(u' ');
    EXPECT_TRUE(run.err.contains(QStringLiteral("hanako"))) << run.err;
    EXPECT_EQ(w.ReadFile(QStringLiteral("a.csv")), before) << args.join(u' ');
  }
  const CCliRun batch = RunCli({QStringLiteral("batch"), card}, "set 0 電話 x\nsave\n", settings);
  EXPECT_EQ(batch.exitCode, 1);
  EXPECT_EQ(w.ReadFile(QStringLiteral("a.csv")), before);
  // Reading is never refused; --yes writes.
  EXPECT_EQ(RunCli({QStringLiteral("show"), card}, {}, settings).exitCode, 0);
  EXPECT_EQ(RunCli({QStringLiteral("--yes"), QStringLiteral("batch"), card}, "set 0 電話 x\nsave\n", settings).exitCode, 0);
  EXPECT_NE(w.ReadFile(QStringLiteral("a.csv")), before);
  // A lock left by a process that is gone is no holder.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  lockBy(child);
  EXPECT_EQ(RunCli({QStringLiteral("batch"), card}, "set 0 電話 y\nsave\n", settings).exitCode, 0);
}

}  // namespace
