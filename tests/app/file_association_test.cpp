#include "app/file_association.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace association;

namespace {

// The XDG folders point into a temporary folder for the test's life.
class FileAssociation : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVars) m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    qputenv("XDG_DATA_HOME", Path(u"data"_s).toUtf8());
    qputenv("XDG_CONFIG_HOME", Path(u"config"_s).toUtf8());
    qputenv("XDG_DATA_DIRS", Path(u"sysdata"_s).toUtf8());
    qputenv("XDG_CONFIG_DIRS", Path(u"sysconfig"_s).toUtf8());
  }
  void TearDown() override {
    for (const auto& s : m_saved) s.wasSet ? void(qputenv(s.name, s.value)) : void(qunsetenv(s.name));
  }
  QString Path(const QString& rel) const { return m_dir.filePath(rel); }
  QByteArray Read(const QString& rel) const {
    QFile f(Path(rel));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void Write(const QString& rel, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(Path(rel)).absolutePath());
    QFile f(Path(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  static constexpr const char* kVars[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};
  struct Saved {
    const char* name;
    QByteArray value;
    bool wasSet;
  };
  std::vector<Saved> m_saved;
  QTemporaryDir m_dir;
};

const QByteArray kUserList =
    "# mine\n"
    "[Added Associations]\n"
    "text/csv=libreoffice-calc.desktop;\n"
    "\n"
    "[Default Applications]\n"
    "text/plain=org.gnome.TextEditor.desktop\n"
    "Text/CSV=libreoffice-calc.desktop\n"
    "\n"
    "[Removed Associations]\n"
    "image/png=gimp.desktop\n";

}  // namespace

TEST_F(FileAssociation, UnforcedLeavesAnExistingAssociationAlone) {
  Write(u"config/mimeapps.list"_s, kUserList);
  CAssociationResult r = RegisterFileTypes(u"/opt/velum/bin/velum"_s, false);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.written.size(), 3);
  QByteArray expected = kUserList;
  expected.replace("Text/CSV=libreoffice-calc.desktop\n",
                   "Text/CSV=libreoffice-calc.desktop\napplication/x-velum-vcsv=velum.desktop\n");
  EXPECT_EQ(Read(u"config/mimeapps.list"_s), expected);
  const QByteArray desktop = Read(u"data/applications/velum.desktop"_s);
  EXPECT_TRUE(desktop.contains("\nExec=/opt/velum/bin/velum %F\n")) << desktop.constData();
  EXPECT_TRUE(desktop.contains("\nMimeType=text/csv;application/x-velum-vcsv;\n"));
  EXPECT_TRUE(Read(u"data/mime/packages/velum.xml"_s).contains("<glob pattern=\"*.vcsv\"/>"));

  // Both types now have a program: a second start writes nothing.
  r = RegisterFileTypes(u"/elsewhere/velum"_s, false);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.written.isEmpty());
  EXPECT_EQ(Read(u"config/mimeapps.list"_s), expected);

  // A system-wide default counts as an association too.
  QDir(Path(u"config"_s)).removeRecursively();
  Write(u"sysdata/applications/mimeapps.list"_s, "[Default Applications]\ntext/csv=calc.desktop\n");
  ASSERT_TRUE(RegisterFileTypes(u"/opt/velum/bin/velum"_s, false).ok);
  EXPECT_EQ(Read(u"config/mimeapps.list"_s), "[Default Applications]\napplication/x-velum-vcsv=velum.desktop\n");
}

// A first start on a desktop where nothing opens CSV files registers
// Velum's own type and offers Velum for CSV, but leaves CSV files to the
// desktop's choice; asked, Velum goes before the earlier default and, asked
// again, gives the place back.
TEST_F(FileAssociation, CsvBecomesOursOnlyWhenAsked) {
  CAssociationResult r = RegisterFileTypes(u"/opt/velum/bin/velum"_s, false);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Read(u"config/mimeapps.list"_s), "[Default Applications]\napplication/x-velum-vcsv=velum.desktop\n");
  EXPECT_TRUE(Read(u"data/applications/velum.desktop"_s).contains("\nMimeType=text/csv;application/x-velum-vcsv;\n"));
  EXPECT_FALSE(IsCsvDefault());
  // The entry missing while the type has its program: the entry alone comes back.
  QFile::remove(Path(u"data/applications/velum.desktop"_s));
  r = RegisterFileTypes(u"/opt/velum/bin/velum"_s, false);
  EXPECT_EQ(r.written, QStringList{Path(u"data/applications/velum.desktop"_s)} + QStringList{Path(u"data/mime/packages/velum.xml"_s)});

  Write(u"config/mimeapps.list"_s, kUserList);
  ASSERT_TRUE(SetCsvDefault(u"/opt/velum/bin/velum"_s, true).ok);
  EXPECT_TRUE(IsCsvDefault());
  QByteArray expected = kUserList;
  expected.replace("Text/CSV=libreoffice-calc.desktop\n", "text/csv=velum.desktop;libreoffice-calc.desktop;\n");
  EXPECT_EQ(Read(u"config/mimeapps.list"_s), expected);
  ASSERT_TRUE(SetCsvDefault(u"/opt/velum/bin/velum"_s, false).ok);
  EXPECT_FALSE(IsCsvDefault());
  expected.replace("text/csv=velum.desktop;libreoffice-calc.desktop;\n", "text/csv=libreoffice-calc.desktop;\n");
  EXPECT_EQ(Read(u"config/mimeapps.list"_s), expected);
  // Off again: nothing to take out, nothing written.
  EXPECT_TRUE(SetCsvDefault(u"/opt/velum/bin/velum"_s, false).written.isEmpty());
}

TEST_F(FileAssociation, ForcedWritesBothTheSameEachTime) {
  Write(u"config/mimeapps.list"_s, kUserList);
  const QStringList files{u"config/mimeapps.list"_s, u"data/applications/velum.desktop"_s,
                          u"data/mime/packages/velum.xml"_s};
  ASSERT_TRUE(RegisterFileTypes(u"/opt/my apps/velum"_s, true).ok);
  std::vector<QByteArray> first;
  for (const QString& f : files) first.push_back(Read(f));
  ASSERT_TRUE(RegisterFileTypes(u"/opt/my apps/velum"_s, true).ok);
  for (qsizetype i = 0; i < files.size(); ++i) EXPECT_EQ(Read(files[i]), first[i]) << files[i];

  QByteArray expected = kUserList;
  expected.replace("Text/CSV=libreoffice-calc.desktop\n",
                   "text/csv=velum.desktop\napplication/x-velum-vcsv=velum.desktop\n");
  EXPECT_EQ(first[0], expected);
  EXPECT_TRUE(first[1].contains("\nExec=\"/opt/my apps/velum\" %F\n"));
}

// A disk that fills up: the file that does not fit keeps its old content (the
// user's other associations are never lost), no empty file is left, and the
// result names the file and the system's reason.
TEST_F(FileAssociation, AFullDiskKeepsEveryOldFile) {
  const QByteArray bigList = kUserList + QByteArray("x-custom/type=some.desktop\n").repeated(4000);
  struct Case {
    qint64 limit;
    QString failing;
    int written;
  };
  const std::vector<Case> cases = {
      {100, u"data/applications/velum.desktop"_s, 0},
      {64 * 1024, u"config/mimeapps.list"_s, 2},
  };
  for (const Case& c : cases) {
    QDir(Path(u"data"_s)).removeRecursively();
    Write(u"config/mimeapps.list"_s, bigList);
    const QString heard = RunWithFileSizeLimit(c.limit, [] {
      const CAssociationResult r = RegisterFileTypes(u"/opt/velum/bin/velum"_s, true);
      return (r.ok ? u"ok|"_s : u"failed|"_s) + r.error + u'|' + QString::number(r.written.size());
    });
    EXPECT_EQ(heard, u"failed|"_s + Path(c.failing) + u": File too large|"_s + QString::number(c.written));
    EXPECT_EQ(Read(u"config/mimeapps.list"_s), bigList) << c.limit;
    EXPECT_EQ(QFileInfo::exists(Path(u"data/applications/velum.desktop"_s)), c.written > 0) << c.limit;
    EXPECT_EQ(QDir(Path(u"config"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"mimeapps.list"_s});
  }
}

TEST(FileAssociationText, DefaultApplicationLines) {
  const QStringList both{kCsvType.toString(), kVcsvType.toString()};
  const struct {
    QString before;
    QString after;
  } rows[] = {
      {u""_s, u"[Default Applications]\ntext/csv=velum.desktop\napplication/x-velum-vcsv=velum.desktop\n"_s},
      {u"[Other]\na=b"_s,  // no final line end
       u"[Other]\na=b\n\n[Default Applications]\ntext/csv=velum.desktop\napplication/x-velum-vcsv=velum.desktop\n"_s},
      {u"[Default Applications]\ntext/csv=a.desktop\ntext/csv=b.desktop\n\n[X]\ny=z\n"_s,
       u"[Default Applications]\ntext/csv=velum.desktop\napplication/x-velum-vcsv=velum.desktop\n\n[X]\ny=z\n"_s},
      {u"[Default Applications]\napplication/x-velum-vcsv = old.desktop\ntext/csvx=k\n"_s,
       u"[Default Applications]\napplication/x-velum-vcsv=velum.desktop\ntext/csvx=k\ntext/csv=velum.desktop\n"_s},
  };
  for (const auto& r : rows) {
    const QString after = SetDefaultApplications(r.before, both, kDesktopId);
    EXPECT_EQ(after, r.after) << r.before;
    EXPECT_EQ(SetDefaultApplications(after, both, kDesktopId), after);
    EXPECT_TRUE(HasDefaultApplication(after, kCsvType));
  }
  EXPECT_FALSE(HasDefaultApplication(u"[Added Associations]\ntext/csv=a.desktop\n"_s, kCsvType));
  EXPECT_EQ(DefaultApplication(u"[Default Applications]\ntext/csv= ;b.desktop;c\n"_s, kCsvType), u"b.desktop"_s);
  const struct {
    QString before, after;
  } removals[] = {
      {u"[Default Applications]\ntext/csv=velum.desktop\nx=y\n"_s, u"[Default Applications]\nx=y\n"_s},
      {u"[Default Applications]\nText/Csv=a;velum.desktop;b\n"_s, u"[Default Applications]\nText/Csv=a;b;\n"_s},
      {u"[Added Associations]\ntext/csv=velum.desktop\n"_s, u"[Added Associations]\ntext/csv=velum.desktop\n"_s},
  };
  for (const auto& r : removals)
    EXPECT_EQ(RemoveDefaultApplication(r.before, kCsvType, kDesktopId), r.after) << r.before.toStdString();
  EXPECT_FALSE(HasDefaultApplication(u"[Default Applications]\ntext/csv= ; \n"_s, kCsvType));
}

TEST(FileAssociationText, ExecProgram) {
  const struct {
    QString path;
    QString exec;
  } rows[] = {
      {u"/usr/bin/velum"_s, u"/usr/bin/velum"_s},
      {u"/opt/my apps/velum"_s, u"\"/opt/my apps/velum\""_s},
      {u"/opt/$x\"y/velum"_s, u"\"/opt/\\\\$x\\\\\"y/velum\""_s},
      {u"/opt/100%/velum"_s, u"/opt/100%%/velum"_s},
      {u"/opt/a\nb/velum"_s, u""_s},
  };
  for (const auto& r : rows) EXPECT_EQ(ExecProgram(r.path), r.exec) << r.path;
}
