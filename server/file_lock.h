#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The lock file beside a card file that is open in a window:
// ".NAME.velum-lock" in the card file's folder, four UTF-8 lines
//   user=NAME
//   host=HOST
//   pid=NUMBER
//   time=YYYY-MM-DDTHH:MM:SS+ZZ:ZZ
// It tells other windows (of any user, on any host that sees the folder) who
// has the file open and since when. It is advice, not enforcement: a holder
// that is gone leaves a stale lock, which the next opener takes over.

struct CLockHolder {
  QString user;
  QString host;
  qint64 pid = 0;
  QDateTime time;
};

// Where the lock of a card file lies.
QString LockFilePath(const QString& cardPath);

// The holder named by the lock of cardPath; none when there is no lock or it
// cannot be read as one.
std::optional<CLockHolder> ReadLock(const QString& cardPath);

// This process as a holder, at now.
CLockHolder ThisProcess(const QDateTime& now);

enum class LockState {
  kFree,        // no lock
  kOwn,         // this process holds it
  kStale,       // a process on this host that is gone: taken over silently
  kOldElsewhere,  // another host, older than a day: the user is asked
  kHeld,        // a live holder
};
LockState ClassifyLock(const std::optional<CLockHolder>& holder, const QDateTime& now);

// "taro (host pc1, process 1234) since 2026/12/08 10:00", the holder named
// for messages.
QString DescribeHolder(const CLockHolder& holder);

// The lock a window holds on its card file. Writing it is atomic (a
// temporary file renamed into place). Release removes the file only when it
// still names this process, so a lock another process took over stays.
class CFileLock {
 public:
  CFileLock() = default;
  ~CFileLock() { Release(); }
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;

  // Writes the lock of cardPath naming this process (over a stale one too);
  // false with *error when the folder cannot take it (a read-only share: the
  // file is then open without a lock).
  bool Acquire(const QString& cardPath, const QDateTime& now, QString* error = nullptr);
  void Release();
  bool Held() const { return !m_lockPath.isEmpty(); }

 private:
  QString m_lockPath;
};

// From now on SIGTERM, SIGINT and SIGHUP remove every lock this process holds
// before the process ends as the signal would end it.
void RemoveLocksOnSignals();
