#include "support/test_support.h"

#include "platform/code_page.h"

#include <QFile>
#include <QProcess>

#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

CTestWorld::CTestWorld() : clock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30), Qt::LocalTime)) {
  settings = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("velum.reg")));
  services = std::make_unique<CServices>(CServices{prompt, clock, clipboard, shell, *settings, {}});  // the settings decide, as in the window
}

void CTestWorld::WriteFile(const QString& name, const QByteArray& bytes) const {
  QFile f(Path(name));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray CTestWorld::ReadFile(const QString& name) const {
  QFile f(Path(name));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

QByteArray Sjis(const QString& text) {
  const EncodeResult r = EncodeText(text, CodePage::Cp932);
  EXPECT_TRUE(r.ok()) << "no CP932 form at " << r.failedAt;
  return r.bytes;
}

CCliRun RunCli(const QStringList& args, const QByteArray& input, const QString& settingsPath) {
  CCliRun run;
  QProcess p;
  QStringList full;
  if (!settingsPath.isEmpty()) full << QStringLiteral("--settings") << settingsPath;
  full << args;
  p.start(qEnvironmentVariable("VELUM_CLI"), full);
  if (!p.waitForStarted(10000)) return run;
  p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(60000);
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

QString RunWithFileSizeLimit(qint64 limit, const std::function<QString()>& fn) {
  int fds[2];
  if (::pipe(fds) != 0) return QStringLiteral("no pipe");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{rlim_t(limit), rlim_t(limit)};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    const QByteArray answer = fn().toUtf8();
    for (qsizetype done = 0; done < answer.size();) {
      const ssize_t n = ::write(fds[1], answer.constData() + done, size_t(answer.size() - done));
      if (n <= 0) break;
      done += n;
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  QByteArray answer;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status)) return QStringLiteral("child died");
  return QString::fromUtf8(answer);
}

std::vector<QStringList> CardTexts(const CCardStore& store) {
  std::vector<QStringList> out;
  for (int k = 0; k < store.AllCount(); ++k) {
    QStringList card;
    for (int i = 0; i < store.AllCard(k)->ItemCount(); ++i) card << store.AllCard(k)->Item(i).toString();
    out.push_back(card);
  }
  return out;
}

std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
