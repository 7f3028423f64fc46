#include "platform/file_io.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

mode_t ModeOf(const QString& path) {
  struct stat st {};
  return ::stat(Native(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Sets a file's modification time seconds ago, without following a link.
void Age(const QString& path, int seconds) {
  const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
  ::utimensat(AT_FDCWD, Native(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

// Every entry of a folder but the test world's settings file.
QStringList FilesIn(const QString& folder) {
  QStringList names = QDir(folder).entryList(
      QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  names.removeAll(u"velum.reg"_s);
  return names;
}

}  // namespace

// Two files prepared before either is committed: when the second does not fit
// on the disk, neither replaces its old file, and no temporary file is left.
TEST(FileCommit, APairIsCommittedOnlyWhenBothAreWritten) {
  struct Case {
    const char* what;
    qsizetype firstSize, secondSize;
    bool committed;
    QString failing;
  };
  const std::vector<Case> cases = {
      {"both fit", 1000, 1000, true, {}},
      {"the second does not fit", 1000, 100000, false, u"b"_s},
      {"the first does not fit", 100000, 1000, false, u"a"_s},
  };
  for (const Case& c : cases) {
    CTestWorld w;
    w.WriteFile(u"a"_s, "old a");
    w.WriteFile(u"b"_s, "old b");
    const QString heard = RunWithFileSizeLimit(64 * 1024, [&] {
      CFileCommit a(w.Path(u"a"_s)), b(w.Path(u"b"_s));
      const bool ok = a.Open() && a.Write(QByteArray(c.firstSize, 'a')) && a.Prepare() && b.Open() &&
                      b.Write(QByteArray(c.secondSize, 'b')) && b.Prepare() && a.Commit() && b.Commit();
      return ok ? u"ok"_s : a.Error() + b.Error();
    });
    if (c.committed) {
      EXPECT_EQ(heard, u"ok"_s) << c.what;
      EXPECT_EQ(w.ReadFile(u"a"_s), QByteArray(c.firstSize, 'a')) << c.what;
      EXPECT_EQ(w.ReadFile(u"b"_s), QByteArray(c.secondSize, 'b')) << c.what;
    } else {
      EXPECT_EQ(heard, w.Path(c.failing) + u": File too large"_s) << c.what;
      EXPECT_EQ(w.ReadFile(u"a"_s), "old a") << c.what;
      EXPECT_EQ(w.ReadFile(u"b"_s), "old b") << c.what;
    }
    EXPECT_EQ(FilesIn(w.Path({})), (QStringList{u"a"_s, u"b"_s})) << c.what;
  }
}

// A killed save may leave a complete temporary file of the program's own
// naming; the next save of that file removes it, and nothing else.
TEST(FileCommit, StaleTemporariesOfTheOwnNamingAloneGo) {
  CTestWorld w;
  w.WriteFile(u"a.csv"_s, "old");
  struct Case {
    QString name;
    bool removed;
    std::function<void(const QString&)> make;
  };
  const auto file = [&](const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("left over");
  };
  const std::vector<Case> cases = {
      {u".a.csv.velum-Ab3xZ9"_s, true, file},
      {u".a.csv.velum-recent"_s, false, file},  // aged below: a save running now may own it
      {u".a.csv.velum-Ab3xZ"_s, false, file},   // not the form
      {u".a.csv.velum-Ab3xZ9.bak"_s, false, file},
      {u"a.csv.backup"_s, false, file},
      {u".b.csv.velum-Ab3xZ9"_s, false, file},  // another file's
      {u".a.csv.velum-link00"_s, false,
       [&](const QString& path) { ASSERT_TRUE(QFile::link(w.Path(u"a.csv"_s), path)); }},
      {u".a.csv.velum-folder"_s, false, [](const QString& path) { ASSERT_TRUE(QDir().mkdir(path)); }},
      {u".a.csv.velum-others"_s, false,
       [&](const QString& path) {
         file(path);
         ASSERT_EQ(::chown(Native(path).constData(), 65534, 65534), 0);
       }},
      {u".a.csv.velum-hardln"_s, false,
       [&](const QString& path) {
         file(path);
         ASSERT_EQ(::link(Native(path).constData(), Native(w.Path(u"keep-hardlink"_s)).constData()), 0);
       }},
  };
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  for (const Case& c : cases) {
    c.make(w.Path(c.name));
    if (c.name != u".a.csv.velum-recent"_s) Age(w.Path(c.name), 120);
  }
  ASSERT_EQ(WriteFileSafely(w.Path(u"a.csv"_s), "new"), QString());
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), "new");
  const QStringList left = FilesIn(w.Path({}));
  for (const Case& c : cases) EXPECT_EQ(left.contains(c.name), !c.removed) << c.name;
}

// A new file takes the permissions asked for (a property file those of its card
// file) rather than the umask's; a replaced file keeps its own.
TEST(FileCommit, PermissionsOfNewAndReplacedFiles) {
  CTestWorld w;
  w.WriteFile(u"old"_s, "x");
  ASSERT_EQ(::chmod(Native(w.Path(u"old"_s)).constData(), 0640), 0);
  const mode_t saved = ::umask(022);
  struct Case {
    QString name;
    mode_t asked;  // -1: nothing asked
    mode_t expected;
  };
  const std::vector<Case> cases = {
      {u"new"_s, mode_t(-1), 0644}, {u"private"_s, 0600, 0600}, {u"old"_s, 0600, 0640}};
  for (const Case& c : cases) {
    CFileCommit f(w.Path(c.name));
    if (c.asked != mode_t(-1)) f.SetNewFileMode(c.asked);
    ASSERT_TRUE(f.Open() && f.Write("y") && f.Commit()) << f.Error().toStdString();
    EXPECT_EQ(ModeOf(w.Path(c.name)), c.expected) << c.name;
  }
  ::umask(saved);
}

// Links are followed to the file they lead to: paths compare by the file, and
// a commit replaces the file and keeps the link.
TEST(FileCommit, LinksLeadToTheRealFile) {
  CTestWorld w;
  QDir(w.Path({})).mkdir(u"real"_s);
  w.WriteFile(u"real/a.csv"_s, "old");
  ASSERT_TRUE(QFile::link(w.Path(u"real/a.csv"_s), w.Path(u"link.csv"_s)));
  ASSERT_TRUE(QFile::link(w.Path(u"link.csv"_s), w.Path(u"link2.csv"_s)));
  ASSERT_TRUE(QFile::link(w.Path(u"real"_s), w.Path(u"folder"_s)));
  ASSERT_TRUE(QFile::link(w.Path(u"real/none.csv"_s), w.Path(u"dangling.csv"_s)));
  ASSERT_TRUE(QFile::link(w.Path(u"loop"_s), w.Path(u"loop"_s)));
  const QString real = w.Path(u"real/a.csv"_s);

  EXPECT_TRUE(SameFile(real, w.Path(u"link2.csv"_s)));
  EXPECT_TRUE(SameFile(w.Path(u"folder/a.csv"_s), w.Path(u"link.csv"_s)));
  EXPECT_FALSE(SameFile(real, w.Path(u"dangling.csv"_s)));
  EXPECT_FALSE(SameFile(real, w.Path(u"velum.reg"_s)));

  const struct {
    QString path;
    QString resolved;
  } rows[] = {
      {w.Path(u"link2.csv"_s), real},
      {w.Path(u"dangling.csv"_s), w.Path(u"real/none.csv"_s)},
      {w.Path(u"loop"_s), w.Path(u"loop"_s)},
      {w.Path(u"real/./a.csv"_s), real},
  };
  for (const auto& r : rows) EXPECT_EQ(ResolvedPath(r.path), r.resolved) << r.path;

  ASSERT_EQ(WriteFileSafely(w.Path(u"link2.csv"_s), "new"), QString());
  EXPECT_EQ(w.ReadFile(u"real/a.csv"_s), "new");
  EXPECT_TRUE(QFileInfo(w.Path(u"link2.csv"_s)).isSymLink());
  ASSERT_EQ(WriteFileSafely(w.Path(u"dangling.csv"_s), "made"), QString());
  EXPECT_EQ(w.ReadFile(u"real/none.csv"_s), "made");

  const CFileStamp before = FileStamp(real);
  EXPECT_TRUE(before.valid);
  EXPECT_EQ(FileStamp(w.Path(u"link.csv"_s)), before);
  ASSERT_EQ(WriteFileSafely(real, "new"), QString());  // same size, a new file
  EXPECT_NE(FileStamp(real), before);
  EXPECT_FALSE(FileStamp(w.Path(u"missing"_s)).valid);
}

// In a folder others may write, a link another user planted is never written
// through (nor a link to nowhere, which would create the file it names); a
// link of this user's is followed as the system's protected links rule allows.
TEST(FileCommit, ForeignLinksInASharedFolderAreRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
  CTestWorld w;
  QDir(w.Path({})).mkdir(u"shared"_s);
  ASSERT_EQ(::chmod(Native(w.Path(u"shared"_s)).constData(), 01777), 0);
  w.WriteFile(u"victim.txt"_s, "private");
  ::chmod(Native(w.Path(u"victim.txt"_s)).constData(), 0600);
  auto link = [&](const QString& name, const QString& to, uid_t owner) {
    const QByteArray at = Native(w.Path(u"shared/"_s + name));
    ASSERT_EQ(::symlink(Native(to).constData(), at.constData()), 0);
    ASSERT_EQ(::lchown(at.constData(), owner, owner), 0);
  };
  link(u"planted"_s, w.Path(u"victim.txt"_s), 65534);
  link(u"dangling"_s, w.Path(u"made-by-link.txt"_s), 65534);
  link(u"mine"_s, w.Path(u"own.txt"_s), ::geteuid());
  const struct {
    QString name;
    bool written;
  } rows[] = {{u"planted"_s, false}, {u"dangling"_s, false}, {u"mine"_s, true}, {u"plain.txt"_s, true}};
  for (const auto& r : rows) {
    const QString error = WriteFileSafely(w.Path(u"shared/"_s + r.name), "new");
    EXPECT_EQ(error.isEmpty(), r.written) << r.name << error;
    if (!r.written) {
      EXPECT_EQ(error, w.Path(u"shared/"_s + r.name) + u": "_s + file_msg::kForeignLink);
    }
  }
  EXPECT_EQ(w.ReadFile(u"victim.txt"_s), "private");
  EXPECT_EQ(ModeOf(w.Path(u"victim.txt"_s)), 0600u);
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"made-by-link.txt"_s)));
  EXPECT_TRUE(QFileInfo(w.Path(u"shared/planted"_s)).isSymLink());
  EXPECT_EQ(w.ReadFile(u"own.txt"_s), "new");
  EXPECT_EQ(w.ReadFile(u"shared/plain.txt"_s), "new");
  // The same link in a folder only its owner may write is followed, as before.
  ASSERT_EQ(::chmod(Native(w.Path(u"shared"_s)).constData(), 0755), 0);
  EXPECT_EQ(WriteFileSafely(w.Path(u"shared/planted"_s), "owner's"), QString());
  EXPECT_EQ(w.ReadFile(u"victim.txt"_s), "owner's");
}

// The temporary file's name stays within the system's limit on a name, and
// only the exact form counts as the program's own.
TEST(FileCommit, TemporaryNamesOfLongNamesAndTheirForm) {
  CTestWorld w;
  const QString longName = QString(80, u'あ') + u".csv"_s;  // 244 bytes
  ASSERT_EQ(WriteFileSafely(w.Path(longName), "long"), QString());
  EXPECT_EQ(w.ReadFile(longName), "long");
  const struct {
    QString name;
    QString of;
    bool own;
  } rows[] = {
      {u".a.csv.velum-Ab3xZ9"_s, u"a.csv"_s, true},  {u"a.csv.velum-Ab3xZ9"_s, u"a.csv"_s, false},
      {u".a.csv.velum-Ab3x９9"_s, u"a.csv"_s, false}, {u".a.csv.velum-Ab3xZ9"_s, u"b.csv"_s, false},
      {u"."_s + QString(80, u'あ') + u"..velum-Ab3xZ9"_s, longName, true},  // "csv" cut to fit
  };
  for (const auto& r : rows) EXPECT_EQ(IsOwnTemporaryName(r.name, r.of), r.own) << r.name;
}
