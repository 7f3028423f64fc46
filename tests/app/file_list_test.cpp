#include "app/file_list.h"
#include "support/test_support.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QStringList Shown(const std::vector<CFileObj>& entries) {
  QStringList out;
  for (const CFileObj& e : entries) out << e.ShownName();
  return out;
}

void Touch(const QString& path, int bytes, const QDateTime& when) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(bytes, 'x'));
  f.close();
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

}  // namespace

TEST(FileList, FilterParsing) {
  const struct {
    QString filter;
    QStringList labels;
    QStringList firstPatterns;
  } rows[] = {
      {u"VELUMﾌｧｲﾙ(*.vcsv;*.csv) |*.vcsv;*.csv|全て|*.*||"_s, {u"VELUMﾌｧｲﾙ(*.vcsv;*.csv) "_s, u"全て"_s},
       {u"*.vcsv"_s, u"*.csv"_s}},
      {u""_s, {u"全てのファイル"_s}, {u"*.*"_s}},
      {u"a|*.a|b"_s, {u"a"_s}, {u"*.a"_s}},  // a label without its patterns ends the list
      {u"a|*.a||b|*.b||"_s, {u"a"_s}, {u"*.a"_s}},
  };
  for (const auto& r : rows) {
    const std::vector<CFileFilter> f = ParseFileFilter(r.filter);
    QStringList labels;
    for (const CFileFilter& x : f) labels << x.label;
    EXPECT_EQ(labels, r.labels) << r.filter;
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f[0].patterns, r.firstPatterns) << r.filter;
  }
  EXPECT_EQ(ParseFileFilter(u"VCSVﾌｧｲﾙ(*.vcsv) |*.vcsv||"_s)[0].QtForm(), u"VCSVﾌｧｲﾙ (*.vcsv)"_s);
}

TEST(FileList, PatternMatching) {
  const struct {
    const char16_t* name;
    const char16_t* pattern;
    bool match;
  } rows[] = {
      {u"velum.key", u"*.KEY", true},  // letters compare without case
      {u"VELUM.KEY", u"*.key", true},
      {u"a.csv", u"*.csv", true},
      {u"a.csv.bak", u"*.csv", false},
      {u"a.html", u"*.htm*", true},
      {u"noext", u"*.*", true},
      {u"ab.txt", u"?.txt", false},
      {u"a.txt", u"?.txt", true},
  };
  for (const auto& r : rows)
    EXPECT_EQ(MatchesPattern(QString::fromUtf16(r.name), QString::fromUtf16(r.pattern)), r.match)
        << QString::fromUtf16(r.name).toStdString() << " " << QString::fromUtf16(r.pattern).toStdString();
}

TEST(FileList, FolderListingAndOrder) {
  QTemporaryDir dir;
  const QString root = dir.path();
  ASSERT_TRUE(QDir(root).mkpath(u"Zeta"_s));
  ASSERT_TRUE(QDir(root).mkpath(u"alpha"_s));
  ASSERT_TRUE(QDir(root).mkpath(u".hidden"_s));
  const QDateTime t0(QDate(2004, 3, 5), QTime(9, 7));
  Touch(root + u"/velum.key"_s, 1500, t0.addDays(2));
  Touch(root + u"/b.csv"_s, 10, t0);
  Touch(root + u"/A.vcsv"_s, 2000000, t0.addDays(1));
  Touch(root + u"/c.txt"_s, 5, t0);
  Touch(root + u"/.secret.csv"_s, 5, t0);

  const CFileFilter csv{u"c"_s, {u"*.vcsv"_s, u"*.csv"_s}};
  std::vector<CFileObj> list = ListFolder(root, csv);
  // Folders first, hidden entries left out; ".." first and dated.
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list[0].date, u"1996/01/01 00:00"_s);
  const struct {
    int column;
    int mode;
    QStringList expected;
  } orders[] = {
      {0, 0, {u"[..]"_s, u"[alpha]"_s, u"[Zeta]"_s, u"A.vcsv"_s, u"b.csv"_s}},
      {0, 1, {u"[..]"_s, u"[Zeta]"_s, u"[alpha]"_s, u"b.csv"_s, u"A.vcsv"_s}},
      {1, 1, {u"[..]"_s, u"[alpha]"_s, u"[Zeta]"_s, u"A.vcsv"_s, u"b.csv"_s}},  // newest first
      {2, 0, {u"[..]"_s, u"[alpha]"_s, u"[Zeta]"_s, u"b.csv"_s, u"A.vcsv"_s}},
      {3, 0, {u"[..]"_s, u"[alpha]"_s, u"[Zeta]"_s, u"b.csv"_s, u"A.vcsv"_s}},
  };
  for (const auto& o : orders) {
    // Folders of equal sort keys keep a stable order; compare the files and the folder block.
    SortFileList(list, o.column, o.mode);
    QStringList shown = Shown(list);
    if (o.column != 0) {
      std::sort(shown.begin() + 1, shown.begin() + 3,
                [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    }
    EXPECT_EQ(shown, o.expected) << o.column << "/" << o.mode;
  }
  const CFileObj& big = *std::find_if(list.begin(), list.end(), [](const CFileObj& e) { return e.name == u"A"; });
  EXPECT_EQ(big.SizeText(), u"2,000,000"_s);
  EXPECT_EQ(big.extension, u"vcsv"_s);
  EXPECT_EQ(list[1].SizeText(), u"        "_s);

  // *.KEY lists velum.key although the file system tells the cases apart.
  std::vector<CFileObj> keys = ListFolder(root, CFileFilter{u"k"_s, {u"*.KEY"_s}});
  SortFileList(keys, 0, 0);
  EXPECT_EQ(Shown(keys),
            (QStringList{u"[..]"_s, u"[alpha]"_s, u"[Zeta]"_s, u"velum.key"_s}));
  // The root has no "..", a missing folder only "..".
  EXPECT_NE(ListFolder(QDir::rootPath(), csv).front().name, u".."_s);
  EXPECT_EQ(Shown(ListFolder(root + u"/missing"_s, csv)), QStringList{u"[..]"_s});
}

TEST(FileList, SortToggleParentAndChosenName) {
  int item = 0, mode = 0;
  ToggleSort(1, &item, &mode);
  EXPECT_EQ(std::pair(item, mode), std::pair(1, 0));
  ToggleSort(1, &item, &mode);
  EXPECT_EQ(std::pair(item, mode), std::pair(1, 1));
  ToggleSort(2, &item, &mode);
  EXPECT_EQ(std::pair(item, mode), std::pair(2, 0));

  EXPECT_EQ(ParentFolder(u"/a/b"_s), u"/a"_s);
  EXPECT_EQ(ParentFolder(u"/a"_s), u"/"_s);
  EXPECT_EQ(ParentFolder(u"/"_s), u"/"_s);

  const struct {
    QString name;
    std::optional<QString> path;
  } rows[] = {
      {u"住所"_s, u"/d/住所.csv"_s},
      {u"a.vcsv"_s, u"/d/a.vcsv"_s},
      {u"  b  "_s, u"/d/b.csv"_s},
      {u""_s, std::nullopt},
      {u"*.csv"_s, std::nullopt},
      {u"/other/x.csv"_s, u"/other/x.csv"_s},
  };
  for (const auto& r : rows) EXPECT_EQ(ChosenPath(u"/d"_s, r.name, u"csv"_s), r.path) << r.name;
}
