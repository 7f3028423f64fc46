#include "platform/input_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

InputStatus OpenInputFile(QFile& file, const QString& path, qint64 maxBytes, QString* reason) {
  auto fail = [&](InputStatus status, const QString& why) {
    if (reason) *reason = why;
    return status;
  };
  // Opened without blocking, so that a FIFO answers at once; the type is then
  // told from the open descriptor, which no rename can swap behind our back.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return fail(errno == ENOENT ? InputStatus::kMissing : InputStatus::kCannotOpen,
                QString::fromLocal8Bit(std::strerror(errno)));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return fail(InputStatus::kCannotOpen, why);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(InputStatus::kNotRegular, input_msg::kNotRegular);
  }
  if (maxBytes >= 0 && st.st_size > maxBytes) {
    ::close(fd);
    return fail(InputStatus::kTooLarge, input_msg::kTooLarge.arg(maxBytes >> 20));
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return fail(InputStatus::kCannotOpen, file.errorString());
  }
  return InputStatus::kOk;
}

InputStatus ReadInputFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* reason) {
  QFile file;
  const InputStatus status = OpenInputFile(file, path, maxBytes, reason);
  if (status != InputStatus::kOk) return status;
  // Read in pieces against the limit: the file may have grown since it was
  // measured.
  QByteArray out;
  out.reserve(file.size());
  char piece[1 << 16];
  for (;;) {
    const qint64 n = file.read(piece, sizeof piece);
    if (n < 0) {
      if (reason) *reason = file.errorString();
      return InputStatus::kCannotOpen;
    }
    if (n == 0) break;
    if (maxBytes >= 0 && out.size() + n > maxBytes) {
      if (reason) *reason = input_msg::kTooLarge.arg(maxBytes >> 20);
      return InputStatus::kTooLarge;
    }
    out.append(piece, n);
  }
  *bytes = std::move(out);
  return InputStatus::kOk;
}
