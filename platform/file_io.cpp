#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

QString Located(const QString& path, const QString& reason) { return path + QStringLiteral(": ") + reason; }

}  // namespace

QString SystemReason(int errnum) { return QString::fromLocal8Bit(std::strerror(errnum)); }

QString CheckWriteTarget(const QString& path, LinkPolicy links) {
  struct stat st {};
  if (::lstat(Native(path).constData(), &st) != 0)
    return errno == ENOENT ? QString() : Located(path, SystemReason(errno));
  if (S_ISLNK(st.st_mode)) {
    if (links == LinkPolicy::kRefuse) return Located(path, file_msg::kIsLink);
    // A link to nowhere: the file it names is created, as before.
    if (::stat(Native(path).constData(), &st) != 0)
      return errno == ENOENT ? QString() : Located(path, SystemReason(errno));
  }
  if (S_ISDIR(st.st_mode)) return Located(path, SystemReason(EISDIR));
  if (!S_ISREG(st.st_mode)) return Located(path, file_msg::kNotRegular);
  return {};
}

CFileCommit::CFileCommit(QString path, LinkPolicy links) : m_path(std::move(path)), m_links(links), m_file(m_path) {}

bool CFileCommit::Fail(const QString& qtReason) {
  // The system's own words where the failing call left them; Qt's text
  // otherwise (Qt reports some failures of write as "Unknown error").
  const int e = errno;
  if (m_error.isEmpty()) m_error = Located(m_path, e != 0 ? SystemReason(e) : qtReason);
  if (m_file.isOpen()) m_file.cancelWriting();
  return false;
}

bool CFileCommit::Open() {
  if (QFileInfo(m_path).absolutePath() == PrivateFolderPath()) {
    QString error;
    if (PrivateFolder(&error).isEmpty()) {
      m_error = error;
      return false;
    }
    m_links = LinkPolicy::kRefuse;
  }
  if (const QString why = CheckWriteTarget(m_path, m_links); !why.isEmpty()) {
    m_error = why;
    return false;
  }
  struct stat st {};
  if (::stat(Native(m_path).constData(), &st) == 0) {
    m_replacing = true;
    m_uid = st.st_uid;
    m_gid = st.st_gid;
    m_mode = st.st_mode & 07777;
  }
  errno = 0;
  if (!m_file.open(QIODevice::WriteOnly)) return Fail(m_file.errorString());
  if (m_replacing) KeepOwnerAndMode();
  return true;
}

void CFileCommit::KeepOwnerAndMode() {
  const int fd = m_file.handle();
  struct stat now {};
  if (fd < 0 || ::fstat(fd, &now) != 0) return;
  QStringList lost;
  mode_t mode = m_mode;
  if (now.st_uid != m_uid && ::fchown(fd, m_uid, gid_t(-1)) != 0) {
    mode &= ~mode_t(S_ISUID);
    lost << file_msg::kOwner;
  }
  if (now.st_gid != m_gid && ::fchown(fd, uid_t(-1), m_gid) != 0) {
    // Another group would read what the old group was meant to: keep the
    // group out instead.
    mode &= ~mode_t(S_ISGID | S_IRWXG);
    lost << file_msg::kGroup;
  }
  if (::fchmod(fd, mode) != 0) {
    // Never more open than the old file: fall back to the owner alone.
    ::fchmod(fd, m_mode & S_IRWXU);
    lost << file_msg::kMode;
  }
  if (!lost.isEmpty()) m_warning = file_msg::kOwnerNotKept.arg(m_path, lost.join(QStringLiteral("・")));
}

bool CFileCommit::Write(QByteArrayView bytes) {
  if (!m_error.isEmpty() || !m_file.isOpen()) return false;
  errno = 0;
  if (m_file.write(bytes.data(), bytes.size()) != bytes.size()) return Fail(m_file.errorString());
  return true;
}

bool CFileCommit::Commit() {
  if (!m_error.isEmpty() || !m_file.isOpen()) return false;
  errno = 0;
  // The buffered rest is written here: a full disk shows itself now at the
  // latest, before the old file is replaced.
  if (!m_file.flush() || m_file.error() != QFileDevice::NoError) return Fail(m_file.errorString());
  if (::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != EROFS) return Fail({});
  errno = 0;
  if (!m_file.commit()) {
    const int e = errno;
    m_error = Located(m_path, e != 0 ? SystemReason(e) : m_file.errorString());
    return false;
  }
  return true;
}

QString WriteFileSafely(const QString& path, QByteArrayView bytes, LinkPolicy links, QString* warning) {
  CFileCommit file(path, links);
  const bool ok = file.Open() && file.Write(bytes) && file.Commit();
  if (warning) *warning = file.Warning();
  return ok ? QString() : file.Error();
}

QString PrivateFolderPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  const QString base = !runtime.isEmpty() ? QFile::decodeName(runtime) + QStringLiteral("/velum")
                                          : QDir::tempPath() + QStringLiteral("/velum-%1").arg(::geteuid());
  return QDir::cleanPath(QFileInfo(base).absoluteFilePath());
}

QString PrivateFolder(QString* error) {
  const QString path = PrivateFolderPath();
  const QByteArray native = Native(path);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
    *error = Located(path, SystemReason(errno));
    return {};
  }
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) {
    *error = Located(path, SystemReason(errno));
    return {};
  }
  if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
    *error = Located(path, S_ISLNK(st.st_mode) ? file_msg::kIsLink : SystemReason(ENOTDIR));
    return {};
  }
  if (st.st_uid != ::geteuid()) {
    *error = Located(path, file_msg::kNotPrivate);
    return {};
  }
  if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0) {
    *error = Located(path, file_msg::kNotPrivate);
    return {};
  }
  return path;
}
