#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

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

// Whether fileName is of the form a commit's temporary file for the file
// named `of` has before it is renamed over it: ".NAME.velum-" and six letters
// or digits (NAME shortened when the whole would pass 255 bytes). Only files
// of this form are ever taken for leftovers of a killed save.
bool IsOwnTemporaryName(QStringView fileName, QStringView of);

class CFileCommit {
 public:
  explicit CFileCommit(QString path, LinkPolicy links = LinkPolicy::kFollow);
  ~CFileCommit();  // an uncommitted temporary file goes
  CFileCommit(const CFileCommit&) = delete;
  CFileCommit& operator=(const CFileCommit&) = delete;

  // For a file that does not exist yet: the permission bits it is made with,
  // instead of 0666 less the umask (a property file takes those of its card
  // file). Call before Open.
  void SetNewFileMode(mode_t mode) { m_newMode = mode & 0777; }

  // Checks the target and creates the temporary file beside the file the path
  // leads to (a link is followed and stays). A file in the private folder
  // (below) is never written through a link, and the folder is made or
  // checked first. In a folder others may write, a link that neither this
  // user nor the folder's owner made is refused (kForeignLink), and a path
  // that is no link is replaced where it stands, never written through a
  // link planted there meanwhile. Temporary files of this program's own naming that a killed
  // save left beside it (regular files of this user, untouched for a minute)
  // are removed. When a file is replaced, the new one takes its owner, group
  // and permission bits; where the owner or group cannot be kept, the group's
  // bits are dropped when the group changes, and Warning() says what the
  // permissions now are.
  bool Open();
  // The most bytes the file may hold: a Write beyond them fails with reason
  // (what a reader of the file would refuse is never written). Call before
  // writing.
  void SetSizeLimit(qint64 bytes, const QString& reason) {
    m_limit = bytes;
    m_limitReason = reason;
  }
  // Each answers false once anything failed; nothing is then committed.
  bool Write(QByteArrayView bytes);
  // Writes out and syncs the temporary file: a full disk shows itself here at
  // the latest. After it, Commit only renames, which needs no space, so two
  // files prepared first are committed together or not at all as far as the
  // disk decides.
  bool Prepare();
  // Prepare (when not done), then the temporary file replaces the old one.
  bool Commit();
  // Throws the temporary file away; the old file stays.
  void Discard();

  // "PATH: reason" of the first failure.
  const QString& Error() const { return m_error; }
  // Set when the replaced file's owner, group or permissions could not be kept.
  const QString& Warning() const { return m_warning; }
  const QString& Path() const { return m_path; }

 private:
  bool Fail(int errnum);
  bool OpenTemporary(const QString& folder);
  bool NameTemporary(const QString& folder);
  void KeepOwnerAndMode();

  QString m_path;
  QString m_target;  // the file the path leads to
  LinkPolicy m_links;
  int m_fd = -1;
  QString m_tempPath;  // empty while the temporary file has no name
  bool m_prepared = false;
  bool m_replacing = false;
  uid_t m_uid = 0;
  gid_t m_gid = 0;
  mode_t m_mode = 0;
  mode_t m_newMode = mode_t(-1);
  qint64 m_limit = -1;
  qint64 m_written = 0;
  QString m_limitReason;
  QString m_error;
  QString m_warning;
};

// Removes what a killed save left beside path: files whose name is of this
// program's temporary form for that file name, regular, of this user, with one
// link, and untouched for minAgeSeconds. Answers how many went.
int RemoveStaleTemporaries(const QString& path, int minAgeSeconds = 60);

// Whether two paths lead to the same file (device and inode, through links
// and linked folders); false when either does not exist.
bool SameFile(const QString& a, const QString& b);

// The absolute path of the file a path leads to when it is a symbolic link
// (a link to nowhere gives the path it names); otherwise the path made
// absolute. Files kept beside a card file belong beside this one.
QString ResolvedPath(const QString& path);

// What tells that a file was replaced or changed since it was read: its
// device and inode, size and modification time. Invalid when it is absent.
struct CFileStamp {
  bool valid = false;
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = 0;
  qint64 modifiedNs = 0;
  bool operator==(const CFileStamp&) const = default;
};
CFileStamp FileStamp(const QString& path);

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
// A link in a folder others may write that neither this user nor the folder's owner made.
inline const QString kForeignLink =
    QStringLiteral("ほかのユーザーが共有フォルダに置いたシンボリックリンクには書き込みません");
inline const QString kNotPrivate = QStringLiteral("ほかのユーザーも使えるフォルダです");
// %1: the path, %2: what could not be kept, %3 and %4: the permissions before and after.
inline const QString kOwnerNotKept = QStringLiteral(
    "「%1」の%2を元のとおりにできませんでした。ほかのユーザーに開かれないよう、アクセス権を%3から%4に狭めて保存しました");
// %1: the path, %2: what could not be kept, %3: the permissions, kept as they were.
inline const QString kOwnerNotKeptModeKept =
    QStringLiteral("「%1」の%2を元のとおりにできませんでした。アクセス権は元のまま（%3）です");
inline const QString kOwner = QStringLiteral("所有者");
inline const QString kGroup = QStringLiteral("グループ");
inline const QString kMode = QStringLiteral("アクセス権");
}  // namespace file_msg
