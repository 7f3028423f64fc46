#include "core/messages.h"
#include "core/velum_doc.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <QFile>
#include <QFileInfo>

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
  EXPECT_EQ(w.ReadFile(u"new.csv"_s), Sjis(u"\"項目１\"\r\n\"メモ\"\r\n"_s));

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

TEST(VelumDoc, AFileReadOnlyInPartIsNotSavedOverItself) {
  CTestWorld w;
  QByteArray bytes = "a,b\r\n1,2\r\n";
  for (int i = 0; i < 250; ++i) bytes += "x,";
  bytes += "x\r\n3,4\r\n";
  w.WriteFile(u"p.csv"_s, bytes);
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"p.csv"_s));
  EXPECT_TRUE(doc.ReadIncomplete());
  EXPECT_EQ(w.prompt.Texts(), (QStringList{msg::kTooManyItems.arg(3), msg::kReadIncomplete}));
  EXPECT_FALSE(doc.PathName().isEmpty());
  EXPECT_EQ(doc.VisibleCount(), 1);

  EXPECT_FALSE(doc.Save());
  EXPECT_EQ(w.prompt.Texts().last(), msg::kPartialOverwrite);
  EXPECT_EQ(w.ReadFile(u"p.csv"_s), bytes);
  EXPECT_TRUE(doc.SaveAs(w.Path(u"copy.csv"_s)));
  EXPECT_FALSE(doc.ReadIncomplete());
  EXPECT_TRUE(doc.Save());
}

TEST(VelumDoc, ReloadAsksAndDiscardsChanges) {
  CTestWorld w;
  CVelumDoc doc(*w.services);
  CRecordingView view;
  doc.AddView(&view);
  EXPECT_FALSE(doc.Reload());
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kNewFileError});

  w.WriteFile(u"f.csv"_s, Sjis(kFive));
  doc.OnOpenDocument(w.Path(u"f.csv"_s));
  doc.Store().SetItemText(0, 0, u"changed"_s);
  doc.SetModifiedFlag();
  w.prompt.ClearHistory();
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(doc.Reload());
  EXPECT_EQ(doc.Store().GetItemText(0, 0).toString(), u"changed"_s);
  EXPECT_TRUE(doc.Reload());
  EXPECT_EQ(doc.Store().GetItemText(0, 0).toString(), u"一"_s);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(w.prompt.Texts(), (QStringList{msg::kReloadQuestion, msg::kReloadQuestion}));
  EXPECT_EQ(view.hints, std::vector<std::uint32_t>{hint::kWholeDocument});
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
