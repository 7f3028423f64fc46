#include "server/file_lock.h"

#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void WriteLock(const QString& cardPath, const QString& host, qint64 pid, const QDateTime& time) {
  QFile f(LockFilePath(cardPath));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("user=hanako\nhost=%1\npid=%2\ntime=%3\n").arg(host).arg(pid).arg(time.toString(Qt::ISODate)).toUtf8());
}

// A process id that is surely gone: a child that was reaped.
qint64 GonePid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST(FileLock, PathLiesBesideTheCardFile) {
  EXPECT_EQ(LockFilePath(QStringLiteral("/share/住所録.csv")), QStringLiteral("/share/.住所録.csv.velum-lock"));
}

TEST(FileLock, ClassifiesHolders) {
  CTestWorld w;
  const QString card = w.Path(QStringLiteral("a.csv"));
  const QDateTime now = QDateTime::currentDateTime();
  const QString here = QSysInfo::machineHostName();
  struct Case {
    const char* what;
    QString host;
    qint64 pid;
    QDateTime time;
    LockState expected;
  };
  const Case cases[] = {
      {"this process", here, qint64(getpid()), now, LockState::kOwn},
      {"a live process here", here, qint64(getppid()), now.addDays(-3), LockState::kHeld},
      {"a gone process here", here, GonePid(), now, LockState::kStale},
      {"another host, an hour old", QStringLiteral("pc-elsewhere"), 1, now.addSecs(-3600), LockState::kHeld},
      {"another host, two days old", QStringLiteral("pc-elsewhere"), 1, now.addDays(-2), LockState::kOldElsewhere},
      {"another host, no time", QStringLiteral("pc-elsewhere"), 1, QDateTime(), LockState::kOldElsewhere},
  };
  EXPECT_EQ(ClassifyLock(ReadLock(card), now), LockState::kFree);
  for (const Case& c : cases) {
    WriteLock(card, c.host, c.pid, c.time);
    const auto holder = ReadLock(card);
    ASSERT_TRUE(holder) << c.what;
    EXPECT_EQ(holder->user, QStringLiteral("hanako")) << c.what;
    EXPECT_EQ(ClassifyLock(holder, now), c.expected) << c.what;
  }
  // What cannot be read as a lock is none.
  for (const QByteArray& damaged : {QByteArray(), QByteArray("garbage"), QByteArray("user=x\npid=12\n"),
                                    QByteArray("host=h\npid=notanumber\n")}) {
    QFile f(LockFilePath(card));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(damaged);
    f.close();
    EXPECT_FALSE(ReadLock(card)) << damaged.constData();
  }
}

TEST(FileLock, ReleaseRemovesOnlyItsOwnLock) {
  CTestWorld w;
  const QString card = w.Path(QStringLiteral("a.csv"));
  const QDateTime now = QDateTime::currentDateTime();
  {
    CFileLock lock;
    ASSERT_TRUE(lock.Acquire(card, now));
    const auto holder = ReadLock(card);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, qint64(getpid()));
    EXPECT_EQ(holder->time.toSecsSinceEpoch(), now.toSecsSinceEpoch());
    EXPECT_EQ(ClassifyLock(holder, now), LockState::kOwn);
  }
  EXPECT_FALSE(QFile::exists(LockFilePath(card)));

  // Another process took the lock over meanwhile: it stays.
  CFileLock lock;
  ASSERT_TRUE(lock.Acquire(card, now));
  WriteLock(card, QSysInfo::machineHostName(), qint64(getppid()), now);
  lock.Release();
  EXPECT_TRUE(QFile::exists(LockFilePath(card)));
}

TEST(FileLock, FolderThatTakesNoLockSaysWhy) {
  QString error;
  CFileLock lock;
  EXPECT_FALSE(lock.Acquire(QStringLiteral("/nonexistent-folder/a.csv"), QDateTime::currentDateTime(), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent-folder/.a.csv.velum-lock")));
  EXPECT_FALSE(lock.Held());
}

TEST(FileLock, SignalRemovesTheLock) {
  CTestWorld w;
  const QString card = w.Path(QStringLiteral("a.csv"));
  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
      RemoveLocksOnSignals();
      static CFileLock lock;
      lock.Acquire(card, QDateTime::currentDateTime());
      (void)!write(ready[1], "x", 1);
      for (;;) pause();
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_TRUE(QFile::exists(LockFilePath(card)));
    kill(child, sig);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
    EXPECT_FALSE(QFile::exists(LockFilePath(card))) << sig;
    close(ready[0]);
    close(ready[1]);
  }
}

}  // namespace
