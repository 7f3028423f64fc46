#include "platform/file_io.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

QString Located(const QString& path, const QString& reason) { return path + QStringLiteral(": ") + reason; }

constexpr qsizetype kTempRandomLength = 6;

// ".NAME.velum-" for a file NAME, NAME shortened where the whole temporary
// name would pass the system's limit on a name (255 bytes).
QString TemporaryPrefix(const QString& fileName) {
  QString base = fileName;
  auto prefix = [&] { return u'.' + base + QStringLiteral(".velum-"); };
  while (!base.isEmpty() && Native(prefix()).size() + kTempRandomLength > 255) base.chop(1);
  return prefix();
}

// ".NAME.velum-XXXXXX" beside the target, XXXXXX random letters and digits.
QString TemporaryName(const QString& folder, const QString& target) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  QString name = folder + u'/' + TemporaryPrefix(QFileInfo(target).fileName());
  for (qsizetype i = 0; i < kTempRandomLength; ++i)
    name += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))]);
  return name;
}

QString ModeText(mode_t mode) { return QStringLiteral("%1").arg(uint(mode & 07777), 4, 8, QLatin1Char('0')); }

// What stands at a path in a folder that others may write (a shared
// temporary folder), where another user can plant a link to a file of this
// user's so that a write through the link replaces it. The system's protected
// links rule is the model: a link there is followed only when it is this
// user's or the folder owner's.
enum class SharedEntry { kNotShared, kNoLink, kOwnLink, kForeignLink };

SharedEntry InSharedFolder(const QString& path) {
  struct stat folder {}, st {};
  if (::stat(Native(QFileInfo(path).absolutePath()).constData(), &folder) != 0 || !(folder.st_mode & S_IWOTH))
    return SharedEntry::kNotShared;
  if (::lstat(Native(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return SharedEntry::kNoLink;
  return st.st_uid == ::geteuid() || st.st_uid == folder.st_uid ? SharedEntry::kOwnLink : SharedEntry::kForeignLink;
}

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

bool IsOwnTemporaryName(QStringView fileName, QStringView of) {
  const QString prefix = TemporaryPrefix(of.toString());
  if (fileName.size() != prefix.size() + kTempRandomLength || !fileName.startsWith(prefix)) return false;
  for (QChar c : fileName.mid(prefix.size()))
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  return true;
}

CFileCommit::CFileCommit(QString path, LinkPolicy links) : m_path(std::move(path)), m_links(links) {}

CFileCommit::~CFileCommit() { Discard(); }

bool CFileCommit::Fail(int errnum) {
  if (m_error.isEmpty()) m_error = Located(m_path, SystemReason(errnum));
  Discard();
  return false;
}

void CFileCommit::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempPath.isEmpty()) ::unlink(Native(m_tempPath).constData());
  m_tempPath.clear();
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
  const SharedEntry shared = m_links == LinkPolicy::kFollow ? InSharedFolder(m_path) : SharedEntry::kNotShared;
  if (shared == SharedEntry::kForeignLink) {
    m_error = Located(m_path, file_msg::kForeignLink);
    return false;
  }
  if (const QString why = CheckWriteTarget(m_path, m_links); !why.isEmpty()) {
    m_error = why;
    return false;
  }
  // In a shared folder a path that is no link now is written in place of
  // whatever stands there at the end, never through a link put there since.
  const bool follow = m_links == LinkPolicy::kFollow && shared != SharedEntry::kNoLink;
  m_target = follow ? ResolvedPath(m_path) : QFileInfo(m_path).absoluteFilePath();
  struct stat st {};
  if ((follow ? ::stat(Native(m_target).constData(), &st) : ::lstat(Native(m_target).constData(), &st)) == 0 &&
      (follow || S_ISREG(st.st_mode))) {
    // A file this user may not write is not replaced behind its back.
    if (::access(Native(m_target).constData(), W_OK) != 0) return Fail(errno);
    m_replacing = true;
    m_uid = st.st_uid;
    m_gid = st.st_gid;
    m_mode = st.st_mode & 07777;
  }
  const QString folder = QFileInfo(m_target).absolutePath();
  RemoveStaleTemporaries(m_target);
  if (!OpenTemporary(folder)) return false;
  if (m_replacing)
    KeepOwnerAndMode();
  else if (m_newMode != mode_t(-1))
    ::fchmod(m_fd, m_newMode);
  return true;
}

bool CFileCommit::OpenTemporary(const QString& folder) {
  // Unnamed until it is complete, where the system allows it: a killed save
  // then leaves nothing behind.
  m_fd = ::open(Native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (m_fd >= 0) return true;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return Fail(errno);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString name = TemporaryName(folder, m_target);
    m_fd = ::open(Native(name).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
      m_tempPath = name;
      return true;
    }
    if (errno != EEXIST) return Fail(errno);
  }
  return Fail(EEXIST);
}

bool CFileCommit::NameTemporary(const QString& folder) {
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString name = TemporaryName(folder, m_target);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, Native(name).constData(), AT_SYMLINK_FOLLOW) == 0) {
      m_tempPath = name;
      return true;
    }
    if (errno != EEXIST) return Fail(errno);
  }
  return Fail(EEXIST);
}

void CFileCommit::KeepOwnerAndMode() {
  struct stat now {};
  if (::fstat(m_fd, &now) != 0) return;
  QStringList lost;
  mode_t mode = m_mode;
  if (now.st_uid != m_uid && ::fchown(m_fd, m_uid, gid_t(-1)) != 0) {
    mode &= ~mode_t(S_ISUID);
    lost << file_msg::kOwner;
  }
  if (now.st_gid != m_gid && ::fchown(m_fd, uid_t(-1), m_gid) != 0) {
    // Another group would read what the old group was meant to: keep the
    // group out instead.
    mode &= ~mode_t(S_ISGID | S_IRWXG);
    lost << file_msg::kGroup;
  }
  if (::fchmod(m_fd, mode) != 0) {
    // Never more open than the old file: fall back to the owner alone.
    mode = m_mode & S_IRWXU;
    ::fchmod(m_fd, mode);
    lost << file_msg::kMode;
  }
  if (lost.isEmpty()) return;
  const QString what = lost.join(QStringLiteral("・"));
  m_warning = mode == m_mode ? file_msg::kOwnerNotKeptModeKept.arg(m_path, what, ModeText(m_mode))
                             : file_msg::kOwnerNotKept.arg(m_path, what, ModeText(m_mode), ModeText(mode));
}

bool CFileCommit::Write(QByteArrayView bytes) {
  if (!m_error.isEmpty() || m_fd < 0) return false;
  if (m_limit >= 0 && bytes.size() > m_limit - m_written) {
    m_error = Located(m_path, m_limitReason);
    Discard();
    return false;
  }
  m_written += bytes.size();
  const char* data = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(m_fd, data, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
    data += n;
    left -= n;
  }
  return true;
}

bool CFileCommit::Prepare() {
  if (!m_error.isEmpty() || m_fd < 0) return false;
  if (m_prepared) return true;
  if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) return Fail(errno);
  m_prepared = true;
  return true;
}

bool CFileCommit::Commit() {
  if (!Prepare()) return false;
  const QString folder = QFileInfo(m_target).absolutePath();
  if (m_tempPath.isEmpty() && !NameTemporary(folder)) return false;
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
  if (::rename(Native(m_tempPath).constData(), Native(m_target).constData()) != 0) return Fail(errno);
  m_tempPath.clear();
  // The new name itself lasts a crash too.
  if (const int dir = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

int RemoveStaleTemporaries(const QString& path, int minAgeSeconds) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  const QDir folder = info.absoluteDir();
  const QString pattern = TemporaryPrefix(name) + u'*';
  const qint64 now = QDateTime::currentSecsSinceEpoch();
  int removed = 0;
  for (const QString& entry : folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System)) {
    if (!IsOwnTemporaryName(entry, name)) continue;
    const QByteArray native = Native(folder.filePath(entry));
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        st.st_nlink != 1 || now - qint64(st.st_mtime) < minAgeSeconds)
      continue;
    if (::unlink(native.constData()) == 0) ++removed;
  }
  return removed;
}

bool SameFile(const QString& a, const QString& b) {
  struct stat sa {}, sb {};
  return ::stat(Native(a).constData(), &sa) == 0 && ::stat(Native(b).constData(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString ResolvedPath(const QString& path) {
  QFileInfo info(QFileInfo(path).absoluteFilePath());
  // A chain of links is followed to its end; a loop leaves the path as given.
  for (int depth = 0; info.isSymLink(); ++depth) {
    if (depth == 40) return QFileInfo(path).absoluteFilePath();
    info.setFile(info.symLinkTarget());
  }
  return QDir::cleanPath(info.absoluteFilePath());
}

CFileStamp FileStamp(const QString& path) {
  struct stat st {};
  if (::stat(Native(path).constData(), &st) != 0) return {};
  return {true, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
          qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
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
