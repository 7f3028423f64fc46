#include "core/messages.h"
#include "core/save_question.h"
#include "core/velum_doc.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kFive = u"名前\r\n一\r\n二\r\n三\r\n四\r\n五\r\n"_s;

}  // namespace

TEST(VelumDoc, NewDocumentHasOneItemAndOneCard) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  doc.Store().Property(0).m_initialValue = u"初期"_s;
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(doc.Store().Item(0).toString(), u"項目１"_s);
  EXPECT_EQ(doc.VisibleCount(), 1);
  EXPECT_EQ(doc.Store().GetItemText(0, 0).toString(), u""_s);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(doc.PathName().isEmpty());
}

TEST(VelumDoc, OpeningAMissingFileLeavesANewDocument) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  EXPECT_TRUE(doc.OnOpenDocument(w.Path(u"missing.csv"_s)));
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kCannotOpen});
  EXPECT_EQ(w.prompt.WaitDepth(), 0);
  EXPECT_EQ(doc.Store().Item(0).toString(), u"項目１"_s);
  EXPECT_TRUE(doc.PathName().isEmpty());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(ReadSetting(*w.settings, settings::kDefaultFile).isEmpty());
}

TEST(VelumDoc, IniCursorChoosesTheFirstCard) {
  // 2 takes the position stored in the property file, 0 without one.
  for (const auto& [iniCursor, expected] : {std::pair{0u, 0}, {1u, 4}, {2u, 0}, {7u, 0}}) {
    CTestWorld w;
    w.WriteFile(u"f.csv"_s, Sjis(kFive));
    WriteSetting(*w.settings, settings::kIniCursor, iniCursor);
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"f.csv"_s));
    EXPECT_EQ(doc.CurrentCard(), expected) << iniCursor;
    EXPECT_EQ(ReadSetting(*w.settings, settings::kDefaultFile), QFileInfo(w.Path(u"f.csv"_s)).absoluteFilePath());
    EXPECT_EQ(doc.LoadTime(), w.clock.Now());
    EXPECT_FALSE(doc.IsModified());
  }
}

TEST(VelumDoc, IniCursorTwoTakesThePositionSavedWithTheFile) {
  CTestWorld w;
  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  WriteSetting(*w.settings, settings::kIniCursor, 2);
  {
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"f.csv"_s));
    const CVelumProperty& p = doc.Store().FileProperty();
    doc.ApplyFileProperties(p.m_msCsv != 0, p.m_backColor, true);  // the property file is written from now on
    doc.MakeCurrent(3);
    ASSERT_TRUE(doc.Save());
  }
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  EXPECT_EQ(doc.CurrentCard(), 3);

  // A position beyond the last card gives card 0.
  doc.MakeCurrent(4);
  ASSERT_TRUE(doc.Save());
  w.WriteFile(u"f.csv"_s, Sjis(u"名前\r\n一\r\n二\r\n"_s));
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  EXPECT_EQ(doc.CurrentCard(), 0);
}

TEST(VelumDoc, MakeCurrentStaysInsideTheVisibleCards) {
  CTestWorld w;
  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  EXPECT_TRUE(doc.MakeCurrent(4));
  EXPECT_FALSE(doc.MakeCurrent(5));
  EXPECT_FALSE(doc.MakeCurrent(-1));
  EXPECT_EQ(doc.CurrentCard(), 4);
}

TEST(VelumDoc, SaveRecordsTheCardPositionAndThePreviousPath) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  CRecordingView view;
  doc.AddView(&view);
  doc.Store().SetItemText(0, 0, u"メモ"_s);
  doc.SetModifiedFlag();
  const QString path = w.Path(u"new.csv"_s);
  ASSERT_TRUE(doc.SaveAs(path));
  EXPECT_EQ(view.stores, 1);
  EXPECT_FALSE(doc.IsModified());
  // A new document had no path when it was saved under a new name.
  EXPECT_EQ(ReadSetting(*w.settings, settings::kDefaultFile), u""_s);
  EXPECT_EQ(doc.PathName(), QFileInfo(path).absoluteFilePath());
  // A new file is UTF-8 with a byte-order mark, which spreadsheets read as such.
  EXPECT_EQ(w.ReadFile(u"new.csv"_s), "\xEF\xBB\xBF" + u"\"項目１\"\r\n\"メモ\"\r\n"_s.toUtf8());

  doc.MakeCurrent(0);
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(ReadSetting(*w.settings, settings::kDefaultFile), doc.PathName());
}

TEST(VelumDoc, FailedSaveKeepsTheDocumentModified) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  doc.SetModifiedFlag();
  EXPECT_FALSE(doc.SaveAs(w.Path(u"missing/folder/x.csv"_s)));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(doc.PathName().isEmpty());
}

// A file read only in part is not saved over by any path that leads to it:
// the path it was opened by, the real file behind a link, a linked folder.
TEST(VelumDoc, AFileReadOnlyInPartIsNotSavedOverItself) {
  CTestWorld w;
  QByteArray bytes = "a,b\r\n1,2\r\n";
  for (int i = 0; i < 250; ++i) bytes += "x,";
  bytes += "x\r\n3,4\r\n";
  QDir(w.Path({})).mkdir(u"real"_s);
  w.WriteFile(u"real/p.csv"_s, bytes);
  ASSERT_TRUE(QFile::link(w.Path(u"real/p.csv"_s), w.Path(u"link.csv"_s)));
  ASSERT_TRUE(QFile::link(w.Path(u"real"_s), w.Path(u"folder"_s)));
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"link.csv"_s));
  EXPECT_TRUE(doc.ReadIncomplete());
  EXPECT_EQ(w.prompt.Texts(), (QStringList{msg::kTooManyItems.arg(3), msg::kReadIncomplete}));
  EXPECT_FALSE(doc.PathName().isEmpty());
  EXPECT_EQ(doc.VisibleCount(), 1);

  const std::vector<std::function<bool()>> saves = {
      [&] { return doc.Save(); },
      [&] { return doc.SaveAs(w.Path(u"real/p.csv"_s)); },
      [&] { return doc.SaveAs(w.Path(u"folder/p.csv"_s)); },
      [&] { return doc.SaveAs(w.Path(u"real/../folder/./p.csv"_s)); },
  };
  for (size_t i = 0; i < saves.size(); ++i) {
    w.prompt.ClearHistory();
    EXPECT_FALSE(saves[i]()) << i;
    EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kPartialOverwrite}) << i;
    EXPECT_EQ(w.ReadFile(u"real/p.csv"_s), bytes) << i;
  }
  EXPECT_TRUE(doc.SaveAs(w.Path(u"copy.csv"_s)));
  EXPECT_FALSE(doc.ReadIncomplete());
  EXPECT_TRUE(doc.Save());
}

// A file another program changed after it was read is not overwritten without
// a word: overwrite, save under another name (the window's own dialog) or
// cancel. An unchanged file, and one saved since, is saved without a question.
TEST(VelumDoc, AFileChangedOnDiskIsNotOverwrittenSilently) {
  const QByteArray mine = Sjis(u"名前\r\n一\r\n"_s);
  struct Change {
    const char* what;
    std::function<void(CTestWorld&)> apply;
  };
  const auto touch = [](CTestWorld& w) {
    const timespec later[2] = {{::time(nullptr) + 5, 0}, {::time(nullptr) + 5, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(w.Path(u"f.csv"_s)).constData(), later, 0);
  };
  const std::vector<Change> changes = {
      {"same size", [&](CTestWorld& w) { w.WriteFile(u"f.csv"_s, Sjis(u"名前\r\n二\r\n"_s)); touch(w); }},
      {"grown", [](CTestWorld& w) { w.WriteFile(u"f.csv"_s, Sjis(u"名前\r\n二\r\n三\r\n"_s)); }},
      {"replaced",
       [](CTestWorld& w) {
         w.WriteFile(u"new.csv"_s, Sjis(u"名前\r\n二\r\n"_s));
         QFile::remove(w.Path(u"f.csv"_s));
         QFile::rename(w.Path(u"new.csv"_s), w.Path(u"f.csv"_s));
       }},
  };
  for (const Change& c : changes) {
    for (const IPrompt::Choice answer : {IPrompt::Choice::Yes, IPrompt::Choice::No, IPrompt::Choice::Cancel}) {
      CTestWorld w;
      w.WriteFile(u"f.csv"_s, Sjis(u"名前\r\n元\r\n"_s));
      CVelumDoc doc(*w.services);
      doc.OnOpenDocument(w.Path(u"f.csv"_s));
      doc.Store().SetItemText(0, 0, u"一"_s);
      doc.SetModifiedFlag();
      int saveAsRuns = 0;
      doc.onSaveAsCommand = [&] {
        ++saveAsRuns;
        return doc.SaveAs(w.Path(u"other.csv"_s));
      };
      ASSERT_TRUE(doc.Save()) << "unchanged";
      ASSERT_TRUE(w.prompt.Texts().isEmpty());
      c.apply(w);
      const QByteArray theirs = w.ReadFile(u"f.csv"_s);

      w.prompt.QueueChoice(answer);
      doc.SetModifiedFlag();
      const bool saved = doc.Save();
      const QString where = QString::fromLatin1(c.what) + u' ' + QString::number(int(answer));
      EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kChangedOnDisk.arg(u"f.csv"_s)}) << where;
      EXPECT_EQ(saved, answer != IPrompt::Choice::Cancel) << where;
      EXPECT_EQ(w.ReadFile(u"f.csv"_s), answer == IPrompt::Choice::Yes ? mine : theirs) << where;
      EXPECT_EQ(saveAsRuns, answer == IPrompt::Choice::No ? 1 : 0) << where;
      EXPECT_EQ(doc.PathName(), w.Path(answer == IPrompt::Choice::No ? u"other.csv"_s : u"f.csv"_s)) << where;
      EXPECT_EQ(doc.IsModified(), answer == IPrompt::Choice::Cancel) << where;
      if (answer == IPrompt::Choice::No) EXPECT_EQ(w.ReadFile(u"other.csv"_s), mine) << where;

      // What was saved is the file's state now: the next save asks nothing.
      w.prompt.ClearHistory();
      if (answer != IPrompt::Choice::Cancel) {
        EXPECT_TRUE(doc.Save()) << where;
        EXPECT_TRUE(w.prompt.Texts().isEmpty()) << where;
      }
    }
  }
}

// Bytes that could not be read were replaced by U+FFFD: saving over the file
// would lose them, so it asks first; a save elsewhere keeps the file as it was.
TEST(VelumDoc, SavingOverReplacedBytesAsksFirst) {
  CTestWorld w;
  const QByteArray bytes = "\xEF\xBB\xBFname,memo\r\nabc,d\xFFz\r\n";  // UTF-8 by its mark
  w.WriteFile(u"b.csv"_s, bytes);
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"b.csv"_s));
  ASSERT_TRUE(doc.Store().HasReplacedBytes());
  const QString question = msg::kReplacedBytesOverwrite.arg(u"b.csv"_s);

  w.prompt.ClearHistory();
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(doc.Save());
  EXPECT_EQ(w.prompt.Texts(), QStringList{question});
  EXPECT_EQ(w.ReadFile(u"b.csv"_s), bytes);

  w.prompt.ClearHistory();
  EXPECT_TRUE(doc.SaveAs(w.Path(u"copy.csv"_s)));
  EXPECT_FALSE(w.prompt.Texts().contains(question));
  EXPECT_EQ(w.ReadFile(u"b.csv"_s), bytes);

  doc.OnOpenDocument(w.Path(u"b.csv"_s));
  w.prompt.ClearHistory();
  EXPECT_TRUE(doc.Save());  // answered OK
  EXPECT_EQ(w.prompt.Texts().value(0), question);
  EXPECT_NE(w.ReadFile(u"b.csv"_s), bytes);
  w.prompt.ClearHistory();
  EXPECT_TRUE(doc.Save());  // nothing is left to lose
  EXPECT_TRUE(w.prompt.Texts().isEmpty()) << w.prompt.Texts().join(u'|');
}

// 再読込 of an unchanged file asks whether to reload. With unsaved changes it
// asks whether to save them, naming the file: キャンセル keeps them, 保存しない
// reloads without them, 保存 saves them and reloads what was saved.
TEST(VelumDoc, ReloadAsksToSaveUnsavedChangesFirst) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  CRecordingView view;
  doc.AddView(&view);
  EXPECT_FALSE(doc.Reload());
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kNewFileError});

  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  w.prompt.ClearHistory();
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(doc.Reload());
  EXPECT_TRUE(doc.Reload());
  EXPECT_EQ(w.prompt.Texts(), (QStringList{msg::kReloadQuestion, msg::kReloadQuestion}));

  const struct {
    IPrompt::Choice answer;
    bool reloaded;
    const char16_t* shown;  // the first card afterwards
    bool saved;
  } rows[] = {{IPrompt::Choice::Cancel, false, u"changed", false},
              {IPrompt::Choice::No, true, u"一", false},
              {IPrompt::Choice::Yes, true, u"changed", true}};
  for (const auto& r : rows) {
    w.WriteFile(u"f.csv"_s, Sjis(kFive));
    doc.OnOpenDocument(w.Path(u"f.csv"_s));
    doc.Store().SetItemText(0, 0, u"changed"_s);
    doc.SetModifiedFlag();
    w.prompt.ClearHistory();
    view.hints.clear();
    w.prompt.QueueChoice(r.answer);
    EXPECT_EQ(doc.Reload(), r.reloaded) << int(r.answer);
    EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kSaveChanges.arg(u"f.csv"_s)}) << int(r.answer);
    EXPECT_EQ(doc.Store().GetItemText(0, 0).toString(), QString::fromUtf16(r.shown)) << int(r.answer);
    EXPECT_EQ(doc.IsModified(), !r.reloaded) << int(r.answer);
    EXPECT_EQ(w.ReadFile(u"f.csv"_s) != Sjis(kFive), r.saved) << int(r.answer);
    EXPECT_EQ(view.hints, r.reloaded ? std::vector<std::uint32_t>{hint::kWholeDocument} : std::vector<std::uint32_t>{})
        << int(r.answer);
  }
}

TEST(VelumDoc, SyncCheckAsksOnlyWhenTheFileIsNewer) {
  CTestWorld w;
  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  CVelumDoc doc(*w.services);
  int reloads = 0;
  doc.onReloadCommand = [&] { ++reloads; };
  EXPECT_FALSE(doc.SyncCheck());  // no path

  const QDateTime fileTime = QFileInfo(w.Path(u"f.csv"_s)).lastModified();
  w.clock.Set(fileTime.addSecs(60));
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  EXPECT_FALSE(doc.SyncCheck());
  EXPECT_TRUE(w.prompt.Texts().isEmpty());

  w.clock.Set(fileTime.addSecs(-3600));
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(doc.SyncCheck());
  EXPECT_TRUE(doc.SyncCheck());
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(w.prompt.Texts(), (QStringList{msg::kSyncQuestion, msg::kSyncQuestion}));
}

TEST(VelumDoc, FilePropertiesUpdateTheViews) {
  CTestWorld w;
  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  CVelumDoc doc(*w.services);
  CRecordingView view;
  doc.AddView(&view);
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  doc.MakeCurrent(4);

  doc.ApplyFileProperties(true, 0x123456, true);  // unchanged flag
  EXPECT_EQ(doc.Store().FileProperty().m_set, 1);
  EXPECT_EQ(doc.Store().FileProperty().m_backColor, 0x123456u);
  EXPECT_TRUE(doc.IsModified());
  doc.ApplyFileProperties(true, 0x123456, false);  // the names become a card
  EXPECT_EQ(doc.VisibleCount(), 6);
  doc.ApplyFileProperties(true, 0x123456, true);
  EXPECT_EQ(doc.CurrentCard(), 4);
  EXPECT_EQ(view.hints, (std::vector<std::uint32_t>{hint::kRedraw, hint::kItemLayout, hint::kItemLayout}));
}

TEST(VelumDoc, TargetCardsFollowTheListSelection) {
  CTestWorld w;
  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  CVelumDoc doc(*w.services);
  CRecordingView view;
  doc.AddView(&view);
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  EXPECT_EQ(doc.TargetCards(), (std::vector<int>{0, 1, 2, 3, 4}));
  view.selected = {3};
  EXPECT_EQ(doc.TargetCards(), (std::vector<int>{0, 1, 2, 3, 4}));
  view.selected = {1, 3};
  EXPECT_EQ(doc.TargetCards(), (std::vector<int>{1, 3}));
  doc.MakeCurrent(2);
  EXPECT_EQ(doc.TargetCardsOfItemList(), std::vector<int>{2});
}
