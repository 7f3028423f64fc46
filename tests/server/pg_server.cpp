#include "server/pg_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QUrl>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace {

// The newest server Debian installed; else whatever is on the PATH.
QString ServerBinFolder() {
  const QDir lib(QStringLiteral("/usr/lib/postgresql"));
  QStringList versions = lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
  for (const QString& v : versions)
    if (QFileInfo(lib.filePath(v + QStringLiteral("/bin/initdb"))).isExecutable()) return lib.filePath(v + QStringLiteral("/bin"));
  return {};
}

}  // namespace

CTestPgServer::~CTestPgServer() { Stop(); }

bool CTestPgServer::Run(const QString& tool, const QStringList& args) {
  const QString program = m_bin.isEmpty() ? tool : m_bin + u'/' + tool;
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  if (m_asPostgres)
    p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
  else
    p.start(program, args);
  if (!p.waitForStarted(30000) || !p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    m_error = tool + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll()) + p.errorString();
    return false;
  }
  return true;
}

bool CTestPgServer::Start() {
  if (m_running) return true;
  if (!m_dir) {
    m_bin = ServerBinFolder();
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velum-pg-XXXXXX"));
    if (!m_dir->isValid()) {
      m_error = QStringLiteral("no temporary folder");
      return false;
    }
    // The server refuses to run as root: it runs as postgres, which owns the folder.
    if (geteuid() == 0) {
      const passwd* pw = getpwnam("postgres");
      if (!pw) {
        m_error = QStringLiteral("running as root, and there is no user postgres");
        return false;
      }
      m_asPostgres = true;
      m_user = QStringLiteral("postgres");
      if (chown(QFile::encodeName(m_dir->path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
        m_error = QStringLiteral("cannot give the folder to postgres");
        return false;
      }
    } else {
      const passwd* pw = getpwuid(geteuid());
      m_user = pw ? QString::fromLocal8Bit(pw->pw_name) : qEnvironmentVariable("USER");
    }
    if (!Run(QStringLiteral("initdb"), {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-U"),
                                        m_user, QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                                        QStringLiteral("--no-locale"), QStringLiteral("--no-sync")}))
      return false;
  }
  // No TCP at all; the socket lies in the folder, which only the owner reads.
  const QString options = QStringLiteral("-k %1 -c listen_addresses= -c fsync=off -c max_connections=60").arg(m_dir->path());
  if (!Run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-l"),
                                      m_dir->filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("-t"),
                                      QStringLiteral("120"), QStringLiteral("-o"), options, QStringLiteral("start")}))
    return false;
  m_running = true;
  return true;
}

bool CTestPgServer::Stop() {
  if (!m_running) return true;
  m_running = false;
  return Run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
                                        QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString CTestPgServer::Uri(const QString& deck) const {
  return QStringLiteral("postgresql://%1@/postgres?host=%2&deck=%3")
      .arg(m_user, QString::fromUtf8(QUrl::toPercentEncoding(m_dir->path(), "/")),
           QString::fromUtf8(QUrl::toPercentEncoding(deck)));
}

CTestPgServer& TestPgServer() {
  static int argc = 1;
  static char name[] = "velum-test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  static CTestPgServer server;
  // The tests then fail on their first connection, with this said first.
  if (!server.Running() && !server.Start()) std::fprintf(stderr, "test server: %s\n", qPrintable(server.Error()));
  return server;
}
