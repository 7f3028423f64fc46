#include "select/find.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void WriteText(const QString& path, const QString& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text.toUtf8());
}

QString ReadText(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

}  // namespace

TEST(SettingsStore, EmptyStoreGivesEveryDefault) {
  CTestWorld w;
  const CSettingsStore& s = *w.settings;
  const std::vector<std::pair<IntSetting, std::uint32_t>> numbers = {
      {settings::kCursorMove, 1},   {settings::kCursorRightMove, 0}, {settings::kIncreSearch, 1},
      {settings::kPPCOpenDlg, 1},   {settings::kPPCSaveDlg, 0},      {settings::kCardAdd, 1},
      {settings::kIniCursor, 0},    {settings::kMsCsvIn, 1},         {settings::kCalcNull, 0},
      {settings::kMaxTate, 4},      {settings::kItemPosMode, 1},     {settings::kSplPos, 2},
      {settings::kRow, 60},         {settings::kColum, 260},         {settings::kViewList, 1},
      {settings::kKeyName, 1},      {settings::kDateTime24, 1},      {settings::kPrintSotowaku, 5},
      {settings::kLabelCx, 84},     {settings::kPFontSize, 64},
  };
  for (const auto& [setting, def] : numbers) EXPECT_EQ(ReadSetting(s, setting), def) << setting.name.toString();
  EXPECT_EQ(ReadSetting(s, settings::kDefaultFile), u""_s);
  EXPECT_EQ(ReadSetting(s, settings::kDateMark), u"/"_s);
  EXPECT_EQ(settings::ReadMru(s, 1024, 768), 10u);
  EXPECT_EQ(settings::ReadMru(s, 480, 640), 7u);
  EXPECT_EQ(settings::ReadKeycust(s, u"/opt/velum"_s), u"/opt/velum/velum.key"_s);
  EXPECT_EQ(settings::ReadKeycust(s, u"/opt/velum/"_s), u"/opt/velum/velum.key"_s);
  EXPECT_EQ(settings::ReadFont(s, settings::FontSection::ItemFont),
            (settings::CFontRecord{u"SYSTEM"_s, 10, 400, 0, 0, 128}));
  EXPECT_EQ(settings::ReadFont(s, settings::FontSection::Font).faceName, u"ＭＳ Ｐゴシック"_s);
  EXPECT_EQ(settings::ReadCustomColor(s, 15), 16777215u);
  EXPECT_FALSE(QFile::exists(s.Path()));  // reading never creates the file
}

TEST(SettingsStore, ValuesPersistWithTheirTypesAndSpelling) {
  CTestWorld w;
  CSettingsStore& s = *w.settings;
  ASSERT_TRUE(s.WriteProfileString(u"System"_s, u"DefaultFile"_s, u"C:\\データ\\\"住所\".csv"_s));
  ASSERT_TRUE(s.WriteProfileInt(u"System"_s, u"CalcNull"_s, 0xFFFFFFFF));
  ASSERT_TRUE(s.WriteProfileString(u"System"_s, u"InitDir"_s, u""_s));
  settings::WriteLastTime(s, QDateTime(QDate(1999, 12, 31), QTime(23, 59, 7)));

  CSettingsStore other(s.Path());
  EXPECT_EQ(other.GetProfileString(u"system"_s, u"defaultfile"_s, u"x"_s), u"C:\\データ\\\"住所\".csv"_s);
  EXPECT_EQ(other.GetProfileInt(u"SYSTEM"_s, u"CalcNull"_s, 0), 0xFFFFFFFFu);
  // An empty text is a value, not a missing one.
  EXPECT_EQ(other.GetProfileString(u"System"_s, u"InitDir"_s, u"default"_s), u""_s);
  // A number is never read as a text, nor a text as a number.
  EXPECT_EQ(other.GetProfileString(u"System"_s, u"CalcNull"_s, u"d"_s), u"d"_s);
  EXPECT_EQ(other.GetProfileInt(u"System"_s, u"DefaultFile"_s, 5), 5u);
  EXPECT_EQ(other.GetProfileString(u"System"_s, u"lasttime"_s, {}), u"199912312359"_s);

  // The first spelling of a section and a value stays.
  ASSERT_TRUE(other.WriteProfileInt(u"SYSTEM"_s, u"CALCNULL"_s, 1));
  const QString text = ReadText(s.Path());
  EXPECT_TRUE(text.startsWith(u"Windows Registry Editor Version 5.00\n"_s)) << text;
  EXPECT_TRUE(text.contains(u"[HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\System]\n"_s)) << text;
  EXPECT_TRUE(text.contains(u"\"CalcNull\"=dword:00000001\n"_s)) << text;
  EXPECT_TRUE(text.contains(u"\"DefaultFile\"=\"C:\\\\データ\\\\\\\"住所\\\".csv\"\n"_s)) << text;
  EXPECT_EQ(text.count(u"[HKEY"_s), 1);
}

TEST(SettingsStore, UnreadableLinesGiveDefaultsAndSurviveWrites) {
  CTestWorld w;
  const QString path = w.settings->Path();
  WriteText(path,
            u"Windows Registry Editor Version 5.00\n\n"
            "; a comment\n"
            "[HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\View]\n"
            "\"MaxTate\"=dword:zz\n"
            "\"Row\"=dword:0000004b\n"
            "garbage line\n"
            "\"Bad\"=\"unclosed\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\n"
            "\"Row\"=dword:00000001\n"_s);
  CSettingsStore& s = *w.settings;
  EXPECT_EQ(ReadSetting(s, settings::kMaxTate), 4u);
  EXPECT_EQ(ReadSetting(s, settings::kRow), 75u);
  WriteSetting(s, settings::kColum, 300);
  const QString text = ReadText(path);
  for (const QString& kept : {u"garbage line"_s, u"\"MaxTate\"=dword:zz"_s, u"; a comment"_s,
                              u"[HKEY_CURRENT_USER\\Software\\Other]"_s, u"\"Bad\"=\"unclosed"_s})
    EXPECT_TRUE(text.contains(kept)) << kept;
  EXPECT_EQ(ReadSetting(s, settings::kColum), 300u);
  EXPECT_EQ(ReadSetting(s, settings::kRow), 75u);
}

TEST(SettingsStore, ReadsSeeAnotherWritersChanges) {
  CTestWorld w;
  CSettingsStore a(w.settings->Path());
  CSettingsStore b(w.settings->Path());
  EXPECT_EQ(ReadSetting(a, settings::kIncreSearch), 1u);
  WriteSetting(b, settings::kIncreSearch, 0);
  EXPECT_EQ(ReadSetting(a, settings::kIncreSearch), 0u);
  // Same size, same second: the file is still read again.
  WriteSetting(b, settings::kIncreSearch, 1);
  EXPECT_EQ(ReadSetting(a, settings::kIncreSearch), 1u);
}

// Copies running at once lose neither single values nor words of the search
// history, whose every push is a read-modify-write of twenty values.
TEST(SettingsStore, ProcessesWritingAtOnceLoseNothing) {
  CTestWorld w;
  const QString path = w.settings->Path();
  constexpr int kChildren = 4;
  constexpr int kValues = 30;
  constexpr int kWords = kSearchHistorySize / kChildren;
  pid_t children[kChildren];
  for (int c = 0; c < kChildren; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      CSettingsStore s(path);
      bool ok = true;
      for (int i = 0; i < kValues; ++i) {
        ok &= s.WriteProfileInt(QStringLiteral("P%1").arg(c), QStringLiteral("V%1").arg(i), std::uint32_t(i * 10 + c));
        if (i < kWords) PushSearchHistory(s, QStringLiteral("語%1-%2").arg(c).arg(i));
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  CSettingsStore check(path);
  for (int c = 0; c < kChildren; ++c)
    for (int i = 0; i < kValues; ++i)
      EXPECT_EQ(check.GetProfileInt(QStringLiteral("P%1").arg(c), QStringLiteral("V%1").arg(i), 9999),
                std::uint32_t(i * 10 + c));
  const QStringList history = ReadSearchHistory(check);
  for (int c = 0; c < kChildren; ++c) {
    qsizetype later = -1;  // each copy's words stand newest first
    for (int i = kWords - 1; i >= 0; --i) {
      const qsizetype at = history.indexOf(QStringLiteral("語%1-%2").arg(c).arg(i));
      EXPECT_GT(at, later) << "word " << c << '-' << i << " in " << history.join(u',');
      later = at;
    }
  }
}

// The store keeps the form of a file it did not write and every byte it does
// not understand; a file it cannot read at all it never writes over.
TEST(SettingsStore, FilesFromElsewhereSurviveWrites) {
  const QString exportText = u"Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\View]\r\n"
                             "\"Row\"=dword:0000004b\r\n"
                             "\"Name\"=\"住所\"\r\n"_s;
  auto utf16 = [](const QString& text, bool be) {
    QByteArray out = be ? "\xFE\xFF" : "\xFF\xFE";
    for (QChar c : text) {
      const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
      out.append(be ? hi : lo).append(be ? lo : hi);
    }
    return out;
  };
  const QByteArray latin1Line = "\"Old\"=\"caf\xE9\"\r";
  const QString colum = u"\"Colum\"=dword:0000012c\r\n"_s;  // the new value ends the section
  struct Case {
    const char* what;
    QByteArray bytes;
    std::uint32_t row;     // what Row reads as
    QByteArray written;    // what the file is after Colum=300 was written; empty: unchanged
  };
  const std::vector<Case> cases = {
      {"UTF-16LE", utf16(exportText, false), 75, utf16(exportText + colum, false)},
      {"UTF-16BE", utf16(exportText, true), 75, utf16(exportText + colum, true)},
      {"UTF-8 with a byte-order mark and bytes of another code page",
       "\xEF\xBB\xBF" + exportText.toUtf8() + latin1Line + "\n", 75,
       "\xEF\xBB\xBF" + exportText.toUtf8() + latin1Line + "\n" + colum.toUtf8()},
      {"UTF-16 without a byte-order mark", utf16(exportText, false).mid(2), 60, {}},
  };
  for (const Case& c : cases) {
    CTestWorld w;
    w.WriteFile(u"velum.reg"_s, c.bytes);
    QStringList problems;
    w.settings->onProblem = [&](const QString& text) { problems << text; };
    EXPECT_EQ(ReadSetting(*w.settings, settings::kRow), c.row) << c.what;
    EXPECT_EQ(w.settings->WriteProfileInt(u"View"_s, u"Colum"_s, 300), !c.written.isEmpty()) << c.what;
    EXPECT_EQ(w.ReadFile(u"velum.reg"_s), c.written.isEmpty() ? c.bytes : c.written) << c.what;
    EXPECT_EQ(problems.size(), c.written.isEmpty() ? 1 : 0) << c.what;
  }
}

// A write that runs out of space leaves the old file and says why.
TEST(SettingsStore, AWriteThatRunsOutOfSpaceKeepsTheOldFile) {
  CTestWorld w;
  QString text = u"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\Search]\n"_s;
  for (int i = 0; i < 4000; ++i) text += QStringLiteral("\"Old%1\"=\"ずっと前に探した長い言葉です\"\n").arg(i);
  w.WriteFile(u"velum.reg"_s, text.toUtf8());
  const QString heard = RunWithFileSizeLimit(64 * 1024, [&] {
    QString problem;
    w.settings->onProblem = [&](const QString& t) { problem = t; };
    PushSearchHistory(*w.settings, u"新しい言葉"_s);
    return problem;
  });
  EXPECT_EQ(heard, settings_msg::kCannotSave + w.settings->Path() + u": File too large"_s);
  EXPECT_EQ(w.ReadFile(u"velum.reg"_s), text.toUtf8());
}

TEST(SettingsStore, DerivedValues) {
  CTestWorld w;
  CSettingsStore& s = *w.settings;
  EXPECT_EQ(settings::FormatLastTime(QDateTime(QDate(2024, 1, 2), QTime(3, 4))), u"202401020304"_s);
  EXPECT_EQ(settings::FontHeight(10, 96), -13);
  EXPECT_EQ(settings::FontHeight(9, 72), -9);
  s.WriteProfileString(u"ColorDlg"_s, u"Custom0"_s, u"255abc"_s);
  s.WriteProfileString(u"ColorDlg"_s, u"Custom1"_s, u"red"_s);
  EXPECT_EQ(settings::ReadCustomColor(s, 0), 255u);
  EXPECT_EQ(settings::ReadCustomColor(s, 1), 0u);
  settings::WriteCustomColor(s, 2, 0x00FF8040);
  EXPECT_EQ(s.GetProfileString(u"ColorDlg"_s, u"Custom2"_s, {}), u"16744512"_s);
  EXPECT_EQ(settings::ReadCustomColor(s, 2), 0x00FF8040u);
  EXPECT_EQ(settings::SearchHistoryName(3), u"Str03"_s);
  settings::WriteRecentFiles(s, {u"/a.csv"_s, u"/b.csv"_s}, 4);
  EXPECT_EQ(settings::ReadRecentFiles(s, 4), (QStringList{u"/a.csv"_s, u"/b.csv"_s}));
  settings::WriteFont(s, settings::FontSection::Item, {u"Noto"_s, 12, 700, 1, 0, 128});
  // The item-name font is always made with the default character set.
  EXPECT_EQ(settings::ReadFont(s, settings::FontSection::Item), (settings::CFontRecord{u"Noto"_s, 12, 700, 1, 0, 1}));
}

// A text with line breaks (a card file named so) stays one value: the values
// after it in its section are still read, and files written before the
// escapes read as they did.
TEST(SettingsStore, TextsWithLineBreaksStayOneValue) {
  CTestWorld w;
  CSettingsStore& s = *w.settings;
  const QStringList texts = {u"/home/u/a\n[HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\Evil]\n.csv"_s,
                             u"cr\rlf\ncrlf\r\n"_s, u"nul"_s + QChar(0) + u"end"_s, u"\\n is no line feed\\"_s,
                             u"\"quoted\""_s};
  for (const QString& text : texts) {
    ASSERT_TRUE(s.WriteProfileString(u"System"_s, u"DefaultFile"_s, text));
    ASSERT_TRUE(s.WriteProfileInt(u"System"_s, u"CalcNull"_s, 7));
    CSettingsStore other(s.Path());
    EXPECT_EQ(other.GetProfileString(u"System"_s, u"DefaultFile"_s, {}), text);
    EXPECT_EQ(other.GetProfileInt(u"System"_s, u"CalcNull"_s, 0), 7u);
    const QString file = ReadText(s.Path());
    EXPECT_EQ(file.count(u'\n'), 5) << file;  // the header, a blank line, the section and its two values
    EXPECT_FALSE(file.contains(u'\r') || file.contains(QChar(0))) << file;
  }
  WriteText(s.Path(), u"[HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\System]\n"
                      "\"DefaultFile\"=\"C:\\\\new\\\\\\\"x\\\".csv\"\n"_s);
  EXPECT_EQ(s.GetProfileString(u"System"_s, u"DefaultFile"_s, {}), u"C:\\new\\\"x\".csv"_s);
}

// A settings file that is no regular file or is too large is not read (the
// defaults hold, at once) and never written over; the reason is said once.
TEST(SettingsStore, OnlyRegularFilesOfASensibleSizeAreRead) {
  CTestWorld w;
  const QString fifo = w.Path(u"fifo.reg"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString large = w.Path(u"large.reg"_s);
  {
    QFile f(large);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(CSettingsStore::kMaxFileSize + 1));
  }
  for (const QString& path : {fifo, u"/dev/zero"_s, large}) {
    CSettingsStore s(path);
    QStringList problems;
    s.onProblem = [&](const QString& text) { problems << text; };
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(ReadSetting(s, settings::kRow), 60u) << path;
    EXPECT_FALSE(s.WriteProfileInt(u"View"_s, u"Row"_s, 1)) << path;
    EXPECT_FALSE(s.WriteProfileInt(u"View"_s, u"Colum"_s, 1)) << path;
    EXPECT_LT(t.elapsed(), 30000) << path;  // a FIFO would block for ever
    ASSERT_EQ(problems.size(), 1) << path << problems.join(u'|');
    EXPECT_TRUE(problems[0].startsWith(settings_msg::kUntouched.arg(path, QString()).chopped(1))) << problems[0];
  }
  EXPECT_EQ(QFileInfo(large).size(), CSettingsStore::kMaxFileSize + 1);
  EXPECT_FALSE(QFileInfo(fifo).isFile());
}

// A lock another process keeps is waited for a bounded time; the write then
// fails naming the lock file, once, and later writes do not wait again. Reads
// go on. velum-cli says it once and ends.
TEST(SettingsStore, ALockHeldElsewhereIsWaitedForABoundedTime) {
  CTestWorld w;
  CSettingsStore& s = *w.settings;
  ASSERT_TRUE(s.WriteProfileInt(u"View"_s, u"Row"_s, 75));
  const QString lockPath = s.Path() + u".lock"_s;
  const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  s.lockWait = std::chrono::milliseconds(300);
  QStringList problems;
  s.onProblem = [&](const QString& text) { problems << text; };
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(s.WriteProfileInt(u"View"_s, u"Row"_s, 1));
  EXPECT_GE(t.elapsed(), 300);
  // Were it to wait again, it would wait a minute: the guard is far above
  // the moment it takes and far below the wait.
  s.lockWait = std::chrono::minutes(1);
  t.restart();
  EXPECT_FALSE(s.WriteProfileInt(u"View"_s, u"Colum"_s, 1));
  EXPECT_LT(t.elapsed(), 30000);
  EXPECT_EQ(problems, QStringList{settings_msg::kCannotSave + settings_msg::kLocked.arg(lockPath)});
  EXPECT_EQ(ReadSetting(s, settings::kRow), 75u);

  w.WriteFile(u"t.csv"_s, "a,b\r\n1,2\r\n");
  t.restart();
  const CCliRun run = RunCli({u"batch"_s}, "open " + w.Path(u"t.csv"_s).toUtf8() + "\nsave\n", s.Path());
  EXPECT_LT(t.elapsed(), 30000);  // one wait of 3 s, with room for a busy machine
  EXPECT_EQ(run.err.count(settings_msg::kLocked.arg(lockPath)), 1) << run.err;

  ::close(fd);
  EXPECT_TRUE(s.WriteProfileInt(u"View"_s, u"Row"_s, 2));
  EXPECT_EQ(ReadSetting(s, settings::kRow), 2u);
}
