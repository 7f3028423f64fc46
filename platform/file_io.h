#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

#include <sys/types.h>

// Writing a file so that a failure never costs the old one: the new bytes go to
// a temporary file in the same folder, every write and the final flush are
// checked, and only a complete file is renamed over the old one. Failures are
// reported as "PATH: reason" with the system's own reason ("No space left on
// device", "Permission denied"), for the caller to show.

// The system's text for an errno value.
QString SystemReason(int errnum);

// How a writer treats a path that is a symbolic link.
enum class LinkPolicy {
  kFollow,  // replace the file the link points to (the link stays)
  kRefuse,  // refuse: in a folder the program keeps for itself, a link was put there by someone else
};

// Why path cannot be replaced: empty when it is absent or a regular file
// (through symbolic links when links is kFollow); otherwise "PATH: reason".
// A device, a FIFO or a folder is never replaced by a regular file.
QString CheckWriteTarget(const QString& path, LinkPolicy links = LinkPolicy::kFollow);

class CFileCommit {
 public:
  explicit CFileCommit(QString path, LinkPolicy links = LinkPolicy::kFollow);
  CFileCommit(const CFileCommit&) = delete;
  CFileCommit& operator=(const CFileCommit&) = delete;

  // Checks the target and creates the temporary file. A file in the private
  // folder (below) is never written through a link, and the folder is made
  // or checked first. When a file is replaced,
  // the new one takes its owner, group and permission bits; where the owner or
  // group cannot be kept, the bits that would open the file to others are
  // dropped and Warning() says so.
  bool Open();
  // Each answers false once anything failed; nothing is then committed.
  bool Write(QByteArrayView bytes);
  bool Commit();

  // "PATH: reason" of the first failure.
  const QString& Error() const { return m_error; }
  // Set when the replaced file's owner, group or permissions could not be kept.
  const QString& Warning() const { return m_warning; }
  const QString& Path() const { return m_path; }

 private:
  bool Fail(const QString& qtReason);
  void KeepOwnerAndMode();

  QString m_path;
  LinkPolicy m_links;
  QSaveFile m_file;
  bool m_replacing = false;
  uid_t m_uid = 0;
  gid_t m_gid = 0;
  mode_t m_mode = 0;
  QString m_error;
  QString m_warning;
};

// Writes bytes to path through CFileCommit; answers the error ("PATH: reason")
// or an empty text. warning (when given) receives CFileCommit::Warning().
QString WriteFileSafely(const QString& path, QByteArrayView bytes, LinkPolicy links = LinkPolicy::kFollow,
                        QString* warning = nullptr);

// A folder only this user may enter, for files the program makes for itself
// (the HTML preview and the default template): a shared temporary folder would
// let another user plant a link where the program writes. It is
// $XDG_RUNTIME_DIR/velum when that variable is set, else velum-UID in the
// temporary folder. PrivateFolderPath only names it; PrivateFolder creates it
// with mode 0700 and refuses a folder that is a link, belongs to someone else
// or cannot be closed to others: it answers the path, or an empty text and
// *error ("PATH: reason").
QString PrivateFolderPath();
QString PrivateFolder(QString* error);

namespace file_msg {
inline const QString kNotRegular = QStringLiteral("通常のファイルではありません");
inline const QString kIsLink = QStringLiteral("シンボリックリンクには書き込みません");
inline const QString kNotPrivate = QStringLiteral("ほかのユーザーも使えるフォルダです");
// %1: the path, %2: what could not be kept.
inline const QString kOwnerNotKept =
    QStringLiteral("「%1」の%2を元のとおりにできませんでした。ほかのユーザーに開かれないよう、アクセス権を狭めて保存しました");
inline const QString kOwner = QStringLiteral("所有者");
inline const QString kGroup = QStringLiteral("グループ");
inline const QString kMode = QStringLiteral("アクセス権");
}  // namespace file_msg
