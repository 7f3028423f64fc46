#include "server/file_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxLockBytes = 4096;

QString UserName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
  return qEnvironmentVariable("USER");
}

bool ProcessAlive(qint64 pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  return kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// The paths of the locks this process holds, for the signal handler: plain
// buffers, since a handler may not allocate.
constexpr int kMaxLocks = 16;
constexpr std::size_t kMaxPath = 4096;
std::array<std::array<char, kMaxPath>, kMaxLocks> s_lockPaths{};
std::mutex s_lockPathsMutex;

void NoteLockPath(const QString& path, bool held) {
  const QByteArray bytes = QFile::encodeName(path);
  if (bytes.size() >= qsizetype(kMaxPath)) return;
  std::lock_guard lock(s_lockPathsMutex);
  for (auto& slot : s_lockPaths) {
    if (held && slot[0] == 0) {
      std::memcpy(slot.data(), bytes.constData(), std::size_t(bytes.size()) + 1);
      return;
    }
    if (!held && std::strcmp(slot.data(), bytes.constData()) == 0) {
      slot[0] = 0;
      return;
    }
  }
}

extern "C" void RemoveLocksAndEnd(int sig) {
  for (auto& slot : s_lockPaths)
    if (slot[0] != 0) unlink(slot.data());
  std::signal(sig, SIG_DFL);
  raise(sig);
}

}  // namespace

QString LockFilePath(const QString& cardPath) {
  const QFileInfo info(cardPath);
  return info.absoluteDir().filePath(u'.' + info.fileName() + QStringLiteral(".velum-lock"));
}

std::optional<CLockHolder> ReadLock(const QString& cardPath) {
  QFile f(LockFilePath(cardPath));
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QString text = QString::fromUtf8(f.read(kMaxLockBytes));
  CLockHolder holder;
  bool havePid = false;
  for (const QString& line : text.split(u'\n')) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0) continue;
    const QStringView key = QStringView(line).left(eq);
    const QString value = line.mid(eq + 1).trimmed();
    if (key == u"user") {
      holder.user = value;
    } else if (key == u"host") {
      holder.host = value;
    } else if (key == u"pid") {
      holder.pid = value.toLongLong(&havePid);
    } else if (key == u"time") {
      holder.time = QDateTime::fromString(value, Qt::ISODate);
    }
  }
  if (!havePid || holder.host.isEmpty()) return std::nullopt;
  return holder;
}

CLockHolder ThisProcess(const QDateTime& now) {
  return {UserName(), QSysInfo::machineHostName(), qint64(getpid()), now};
}

LockState ClassifyLock(const std::optional<CLockHolder>& holder, const QDateTime& now) {
  if (!holder) return LockState::kFree;
  if (holder->host == QSysInfo::machineHostName()) {
    if (holder->pid == qint64(getpid())) return LockState::kOwn;
    return ProcessAlive(holder->pid) ? LockState::kHeld : LockState::kStale;
  }
  // A process elsewhere cannot be asked whether it lives; a day-old lock most
  // likely outlived a machine that was switched off, but the user decides.
  if (!holder->time.isValid() || holder->time.secsTo(now) > 24 * 60 * 60) return LockState::kOldElsewhere;
  return LockState::kHeld;
}

QString DescribeHolder(const CLockHolder& holder) {
  const QString since =
      holder.time.isValid() ? holder.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")) : QStringLiteral("?");
  return QStringLiteral("%1（%2、プロセス %3）が %4 から").arg(holder.user, holder.host).arg(holder.pid).arg(since);
}

bool CFileLock::Acquire(const QString& cardPath, const QDateTime& now, QString* error) {
  Release();
  const QString path = LockFilePath(cardPath);
  const CLockHolder me = ThisProcess(now);
  QSaveFile f(path);
  const QByteArray text = QStringLiteral("user=%1\nhost=%2\npid=%3\ntime=%4\n")
                              .arg(me.user, me.host)
                              .arg(me.pid)
                              .arg(now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate))
                              .toUtf8();
  if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit()) {
    if (error) *error = path + QStringLiteral(": ") + f.errorString();
    return false;
  }
  m_lockPath = path;
  NoteLockPath(path, true);
  return true;
}

void CFileLock::Release() {
  if (m_lockPath.isEmpty()) return;
  const QString path = m_lockPath;
  m_lockPath.clear();
  NoteLockPath(path, false);
  // The lock names its card file's folder; read it back through the card path.
  const QFileInfo info(path);
  const QString cardPath = info.absoluteDir().filePath(info.fileName().mid(1).chopped(int(sizeof(".velum-lock") - 1)));
  if (const auto holder = ReadLock(cardPath); holder && ClassifyLock(holder, QDateTime::currentDateTime()) == LockState::kOwn)
    QFile::remove(path);
}

void RemoveLocksOnSignals() {
  struct sigaction action {};
  action.sa_handler = RemoveLocksAndEnd;
  sigemptyset(&action.sa_mask);
  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}
