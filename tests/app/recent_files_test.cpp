#include "app/recent_files.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

TEST(RecentFiles, AddMovesToTheFrontAndTrims) {
  const struct {
    int max;
    QStringList added;
    QStringList expected;
  } rows[] = {
      {4, {u"/a"_s, u"/b"_s, u"/c"_s}, {u"/c"_s, u"/b"_s, u"/a"_s}},
      {4, {u"/a"_s, u"/b"_s, u"/a"_s}, {u"/a"_s, u"/b"_s}},
      {2, {u"/a"_s, u"/b"_s, u"/c"_s}, {u"/c"_s, u"/b"_s}},
      {3, {u"/a"_s, u"/A"_s, u""_s}, {u"/A"_s, u"/a"_s}},  // exact compare; no empty entry
      {0, {u"/a"_s}, {}},
      {99, QStringList(20, u"/x"_s), {u"/x"_s}},
  };
  for (const auto& r : rows) {
    CRecentFileList list(r.max);
    for (const QString& f : r.added) list.Add(f);
    EXPECT_EQ(list.Files(), r.expected) << r.added.join(u' ');
  }
  CRecentFileList list(16);
  for (int i = 0; i < 20; ++i) list.Add(u"/f%1"_s.arg(i));
  EXPECT_EQ(list.Files().size(), 16);
  list.Remove(0);
  list.Remove(99);
  EXPECT_EQ(list.Files().front(), u"/f18"_s);
}

TEST(RecentFiles, SavedAndLoadedThroughTheSettings) {
  CTestWorld w;
  CRecentFileList list(3);
  for (const QString& f : {u"/a/1.csv"_s, u"/b/2.csv"_s, u"/c/3.csv"_s}) list.Add(f);
  list.Save(*w.settings);
  CRecentFileList shorter(3);
  shorter.Add(u"/only.csv"_s);
  shorter.Save(*w.settings);  // slots past the list are emptied
  CRecentFileList loaded(3);
  loaded.Load(*w.settings);
  EXPECT_EQ(loaded.Files(), QStringList{u"/only.csv"_s});
  EXPECT_EQ(settings::ReadRecentFiles(*w.settings, 3), QStringList{u"/only.csv"_s});
}

TEST(RecentFiles, MenuTexts) {
  CRecentFileList list(16);
  const QStringList files{
      u"/home/u/住所.csv"_s,
      u"/home/u/sub/R&D.csv"_s,
      u"/home/user/documents/projects/velum/cards/deck.csv"_s,
      u"/x/a-file-name-that-is-far-too-long-for-a-menu-entry.vcsv"_s,
      u"/home/user/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p.csv"_s,
  };
  for (auto it = files.rbegin(); it != files.rend(); ++it) list.Add(*it);
  const QStringList expected{
      u"&1 住所.csv"_s,
      u"&2 /home/u/sub/R&&D.csv"_s,
      u"&3 /.../projects/velum/cards/deck.csv"_s,
      u"&4 a-file-name-that-is-far-too-long-for-a-menu-entry.vcsv"_s,
      u"&5 /.../a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p.csv"_s,
  };
  for (int i = 0; i < files.size(); ++i) EXPECT_EQ(list.MenuText(i, u"/home/u/"_s), expected[i]);
  EXPECT_EQ(list.MenuText(5, u"/"_s), QString());
  for (int i = 0; i < 10; ++i) list.Add(u"/n%1"_s.arg(i));
  EXPECT_EQ(list.MenuText(9, {}), u"1&0 /n0"_s);
  EXPECT_EQ(list.MenuText(11, {}), u"1&2 /home/u/sub/R&&D.csv"_s);
}
