#include "core/card_file.h"
#include "core/card_file_checks.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "core/property_file.h"
#include "core/velum_doc.h"
#include "platform/file_io.h"
#include "platform/input_file.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "card_file_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Also when the text is found only after the first pieces of a large file
// were written: the partly written file is thrown away.
TEST(CardFile, TextTheCodePageCannotHoldIsNeverReplaced) {
  for (const int cards : {1, 60000}) {
    SCOPED_TRACE(cards);
    CTestWorld w;
    QString text = u"名前,メモ\r\n"_s;
    for (int k = 0; k < cards; ++k) text += u"山田,東京都千代田区丸の内一丁目%1\r\n"_s.arg(k);
    const QByteArray original = Sjis(text);
    w.WriteFile(u"c.csv"_s, original);
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"c.csv"_s)), 1);
    const int last = store.VisibleCount() - 1;
    store.SetItemText(last, 1, u"𠮷野家"_s);

    w.prompt.QueueAnswer(false);  // declined: nothing is written
    EXPECT_EQ(store.Write(w.Path(u"c.csv"_s)), 0);
    EXPECT_EQ(w.ReadFile(u"c.csv"_s), original);
    EXPECT_EQ(QDir(w.Path({})).entryList(QDir::Files).size(), 1);  // no temporary file left
    ASSERT_EQ(w.prompt.History().size(), 1u);
    EXPECT_EQ(w.prompt.History()[0].text,
              msg::kUnencodable.arg(u"カード%1"_s.arg(cards), u"メモ"_s, u"𠮷"_s, u"CP932"_s));

    // Accepted: the file is written as UTF-8 with a byte-order mark and reads back.
    EXPECT_EQ(store.Write(w.Path(u"c.csv"_s)), 1);
    EXPECT_TRUE(w.ReadFile(u"c.csv"_s).startsWith("\xEF\xBB\xBF"));
    CCardStore back(*w.services);
    ASSERT_EQ(back.Read(w.Path(u"c.csv"_s)), 1);
    ASSERT_EQ(back.AllCount(), cards);
    EXPECT_EQ(back.AllCard(last)->Item(1).toString(), u"𠮷野家"_s);
    EXPECT_EQ(back.AllCard(0)->Item(1).toString().left(3), last == 0 ? u"𠮷野家"_s.left(3) : u"東京都"_s);
  }
}

// A save never replaces what is not a regular file, and a failed save names
// the path and the system's reason and leaves what was there.
TEST(CardFile, UnwritableTargetsKeepWhatIsThere) {
  CTestWorld w;
  QDir(w.Path({})).mkdir(u"dir.csv"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(w.Path(u"fifo.csv"_s)).constData(), 0600), 0);
  w.WriteFile(u"real.csv"_s, "old\r\n");
  ASSERT_TRUE(QFile::link(w.Path(u"real.csv"_s), w.Path(u"link.csv"_s)));
  struct Case {
    QString path;
    int result;
    QString reason;  // in the message after the path
  };
  const std::vector<Case> cases = {
      {w.Path(u"no/such/x.csv"_s), 0, u"No such file or directory"_s}, {w.Path(u"dir.csv"_s), 0, u"Is a directory"_s},
      {w.Path(u"fifo.csv"_s), 0, file_msg::kNotRegular}, {u"/dev/null"_s, 0, file_msg::kNotRegular},
      {w.Path(u"link.csv"_s), 1, {}},  // a link to a regular file: the file is replaced, the link stays
  };
  for (const Case& c : cases) {
    w.prompt.ClearHistory();
    CCardStore store(*w.services);
    FillStore(store, {u"x"_s}, true);
    EXPECT_EQ(store.Write(c.path), c.result) << c.path;
    const QStringList expected =
        c.result ? QStringList{} : QStringList{msg::kCannotWrite + msg::kReasonSeparator + c.path + u": "_s + c.reason};
    EXPECT_EQ(w.prompt.Texts(), expected) << c.path;
  }
  EXPECT_TRUE(QFileInfo(w.Path(u"fifo.csv"_s)).exists() && !QFileInfo(w.Path(u"fifo.csv"_s)).isFile());
  EXPECT_TRUE(QFileInfo(w.Path(u"link.csv"_s)).isSymLink());
  EXPECT_EQ(w.ReadFile(u"real.csv"_s), "\xEF\xBB\xBF\"n0\"\r\n\"x\"\r\n");  // a new file: UTF-8 with its mark
}

// A disk that fills up during a save: whichever file cannot be written whole,
// both old files stay as they were (both are written out before either
// replaces its old file) and the user hears the path, the reason and that
// both were kept.
TEST(CardFile, ASaveThatRunsOutOfSpaceKeepsTheOldFiles) {
  struct Case {
    const char* what;
    int cards;      // of about 30 bytes each
    int choices;    // of about 30 bytes each, in the property file
    QString failing;
  };
  const std::vector<Case> cases = {
      {"card file", 20000, 0, u"a.csv"_s}, {"property file", 1, 20000, u"a.vcv"_s},
  };
  for (const Case& c : cases) {
    CTestWorld w;
    const QByteArray oldCards = Sjis(u"名前,メモ\r\n山田,東京\r\n"_s);
    w.WriteFile(u"a.csv"_s, oldCards);
    CVelumDoc doc(*w.services);
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"a.csv"_s)));
    ASSERT_TRUE(doc.Save());  // no property is set: no property file yet
    doc.Store().Property(0).m_set = 1;
    ASSERT_TRUE(doc.Save());
    const QByteArray oldProps = w.ReadFile(u"a.vcv"_s);
    ASSERT_FALSE(oldProps.isEmpty());
    for (int k = 1; k < c.cards; ++k) {
      doc.Store().AddCard(-1);
      doc.Store().SetItemText(k, 0, QStringLiteral("カード%1の名前はここにある").arg(k));
    }
    for (int i = 0; i < c.choices; ++i)
      doc.Store().Property(0).m_choices << QStringLiteral("選択肢%1はここにある長い文").arg(i);

    const QString texts = RunWithFileSizeLimit(64 * 1024, [&] {
      w.prompt.ClearHistory();
      const bool saved = doc.Save();
      return (saved ? u"saved|"_s : u"failed|"_s) + w.prompt.Texts().join(u'|');
    });
    EXPECT_TRUE(texts.startsWith(u"failed|"_s)) << c.what << ": " << texts;
    EXPECT_TRUE(texts.contains(w.Path(c.failing) + u": File too large"_s)) << c.what << ": " << texts;
    EXPECT_EQ(w.ReadFile(u"a.vcv"_s), oldProps) << c.what;
    EXPECT_EQ(w.ReadFile(u"a.csv"_s), oldCards) << c.what;  // never a new card file beside the old records
    EXPECT_EQ(texts.endsWith(msg::kPairKept), c.failing == u"a.vcv"_s) << c.what << ": " << texts;
    EXPECT_EQ(QDir(w.Path({})).entryList(QDir::Files).filter(u".csv"_s).size() +
                  QDir(w.Path({})).entryList(QDir::Files).filter(u".vcv"_s).size(),
              2)
        << c.what << ": no temporary file is left";
  }
}

// A byte-order mark decides the encoding (UTF-8, UTF-16 in either order);
// without one, text that UTF-8 reads is read as UTF-8, even when CP932 reads it
// too, unless System/CodePage chose CP932 for good; other text is CP932. Each
// is written back as it was.
TEST(CardFile, FilesKeepTheirEncoding) {
  const QString utf8Text = u"名前,メモ\r\nデータ,ソフト\r\n"_s;  // "デ" and "ソ" are no CP932 pair sequence
  const QString bothText = u"番号,name\r\n1,abc\r\n"_s;       // its UTF-8 bytes are valid CP932 too
  auto utf16 = [](const QString& text, CodePage cp) { return ByteOrderMark({cp, true}) + EncodeText(text, cp).bytes; };
  struct Case {
    const char* what;
    QByteArray bytes;
    FileEncoding encoding;
    QString firstItem;
    bool forced = false;  // System/CodePage is 932
  };
  const QByteArray asciiHead = QByteArray("a,b\r\n").repeated(30000);  // beyond the first sample
  const QString wide = utf8Text + u"𠮷野家,한국어\r\n"_s;
  const std::vector<Case> cases = {
      {"UTF-8", utf8Text.toUtf8(), {CodePage::Utf8, false}, u"名前"_s},
      {"UTF-8 that CP932 reads too", bothText.toUtf8(), {CodePage::Utf8, false}, u"番号"_s},
      {"CP932 chosen for good", bothText.toUtf8(), {CodePage::Cp932, false}, u"逡ｪ蜿ｷ"_s, true},
      {"CP932", Sjis(utf8Text), {CodePage::Cp932, false}, u"名前"_s},
      {"ASCII", "a,b\r\n1,2\r\n", {CodePage::Cp932, false}, u"a"_s},
      {"BOM", "\xEF\xBB\xBF" + wide.toUtf8(), {CodePage::Utf8, true}, u"名前"_s},
      {"UTF-16LE", utf16(wide, CodePage::Utf16Le), {CodePage::Utf16Le, true}, u"名前"_s},
      {"UTF-16BE", utf16(wide, CodePage::Utf16Be), {CodePage::Utf16Be, true}, u"名前"_s, true},
      {"UTF-8 after ASCII", asciiHead + utf8Text.toUtf8(), {CodePage::Utf8, false}, u"a"_s},
      {"neither", "\x82\xA0,\x82\x20\r\n", {CodePage::Cp932, false}, u"あ"_s},
  };
  for (const Case& c : cases) {
    CTestWorld w;
    if (c.forced) WriteSetting(*w.settings, settings::kCodePage, 932);
    for (const qint64 piece : {qint64(3), kReadPiece}) {
      CCardStore store(*w.services);
      store.SetFirstLineIsItems(true);
      ReadCardBytes(store, c.bytes, false, piece);
      EXPECT_EQ(store.Encoding(), c.encoding) << c.what << " piece " << piece;
      EXPECT_EQ(store.Item(0).toString(), c.firstItem) << c.what;
    }
    if (QByteArray(c.what) == "neither") continue;
    w.WriteFile(u"f.csv"_s, c.bytes);
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"f.csv"_s)), 1);
    if (c.encoding.codePage == CodePage::Utf16Le) EXPECT_EQ(CardTexts(store)[1], (QStringList{u"𠮷野家"_s, u"한국어"_s}));
    store.SetItemText(0, 1, store.AllCard(0)->Item(1).toString());  // edited and saved
    ASSERT_EQ(store.Write(w.Path(u"f.csv"_s)), 1) << c.what;
    EXPECT_EQ(w.ReadFile(u"f.csv"_s), c.bytes) << c.what;
    EXPECT_TRUE(w.prompt.Texts().isEmpty()) << c.what << ": " << w.prompt.Texts().join(u'|');
  }
}

// The replaced file keeps its permissions; a save reports its progress.
TEST(CardFile, ASaveKeepsThePermissionsAndReportsProgress) {
  struct CRecordingProgress final : IProgress {
    void Begin(const QString& what, qint64 total) override { events << what + u' ' + QString::number(total); }
    void Step(qint64) override { ++steps; }
    void End() override { events << u"end"_s; }
    QStringList events;
    int steps = 0;
  };
  CTestWorld w;
  CRecordingProgress progress;
  w.services->progress = &progress;
  w.WriteFile(u"p.csv"_s, "a\r\n");
  const QByteArray native = QFile::encodeName(w.Path(u"p.csv"_s));
  ASSERT_EQ(::chmod(native.constData(), 0640), 0);
  CCardStore store(*w.services);
  FillStore(store, {u"x"_s}, true);
  ASSERT_EQ(store.Write(w.Path(u"p.csv"_s)), 1);
  struct stat st {};
  ASSERT_EQ(::stat(native.constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(progress.events, (QStringList{progress_msg::kSaving + u" 1"_s, u"end"_s}));
  EXPECT_GE(progress.steps, 1);
}

// Another user who may write into the folder replaces a file they cannot
// give back to its owner: the new file is never more open than the old one,
// and the user is told what its permissions now are.
TEST(CardFile, AFileWhoseOwnerCannotBeKeptIsNotOpenedToOthers) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  constexpr uid_t kNobody = 65534;
  struct Case {
    gid_t group;     // of the old file
    QString lost;    // what could not be kept
    mode_t mode;     // of the new file
    bool narrowed;
  };
  const std::vector<Case> cases = {
      {0, file_msg::kOwner + u"・"_s + file_msg::kGroup, 0606, true},  // the old group's rights go with it
      {kNobody, file_msg::kOwner, 0666, false},                        // the group is kept, and so are the bits
  };
  for (const Case& c : cases) {
    CTestWorld w;
    const QByteArray folder = QFile::encodeName(w.Path({}));
    const QByteArray file = QFile::encodeName(w.Path(u"shared.csv"_s));
    ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
    w.WriteFile(u"shared.csv"_s, "a\r\n");
    ASSERT_EQ(::chown(file.constData(), 0, c.group), 0);
    ASSERT_EQ(::chmod(file.constData(), 0666), 0);
    const QString texts = RunWithFileSizeLimit(qint64(1) << 40, [&] {
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return u"no nobody"_s;
      CCardStore store(*w.services);
      FillStore(store, {u"x"_s}, true);
      const int result = store.Write(w.Path(u"shared.csv"_s));
      return QString::number(result) + u'|' + w.prompt.Texts().join(u'|');
    });
    struct stat st {};
    ASSERT_EQ(::stat(file.constData(), &st), 0);
    const QString path = w.Path(u"shared.csv"_s);
    EXPECT_EQ(texts, u"1|"_s + (c.narrowed ? file_msg::kOwnerNotKept.arg(path, c.lost, u"0666"_s, u"0606"_s)
                                           : file_msg::kOwnerNotKeptModeKept.arg(path, c.lost, u"0666"_s)));
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
  }
}

// What Velum writes reads back whole: an item that holds U+001A (which would
// end the file there) or half a surrogate pair (which no encoding holds) is
// asked about before anything is written; on OK the mark is taken out and
// the half pair written as U+FFFD, on Cancel the old file stays. A UTF-8
// file is never offered UTF-8.
TEST(CardFile, TextsThatWouldCutOrBreakTheFileAreAskedAbout) {
  struct Case {
    const char* what;
    bool utf8;
    QString text;      // put into card 3, item メモ
    QStringList asked;  // the questions
    QString back;      // the text read back after OK
  };
  const QString mark = u"後\u001Aろ"_s;
  const QString half = u"a\xD840"_s + u"b𠀋\xDC0B"_s;
  const QString card3 = u"カード3"_s;
  const Case cases[] = {
      {"mark, CP932", false, mark, {msg::kEndOfFileQuestion.arg(card3, u"メモ"_s)}, u"後ろ"_s},
      {"mark, UTF-8", true, mark, {msg::kEndOfFileQuestion.arg(card3, u"メモ"_s)}, u"後ろ"_s},
      {"half a pair, UTF-8", true, half, {msg::kLoneSurrogateQuestion.arg(card3, u"メモ"_s)}, u"a\uFFFDb𠀋\uFFFD"_s},
      {"half a pair, CP932", false, half,
       {msg::kLoneSurrogateQuestion.arg(card3, u"メモ"_s),
        msg::kUnencodable.arg(card3, u"メモ"_s, u"\uFFFD"_s, u"CP932"_s)},
       u"a\uFFFDb𠀋\uFFFD"_s},
      {"both", true, mark + half,
       {msg::kEndOfFileQuestion.arg(card3, u"メモ"_s), msg::kLoneSurrogateQuestion.arg(card3, u"メモ"_s)},
       u"後ろa\uFFFDb𠀋\uFFFD"_s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestWorld w;
    QString text = u"名前,メモ\r\n"_s;
    for (int k = 0; k < 4; ++k) text += u"山田%1,東京\r\n"_s.arg(k);
    const QByteArray original = c.utf8 ? "\xEF\xBB\xBF" + text.toUtf8() : Sjis(text);
    w.WriteFile(u"c.csv"_s, original);
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"c.csv"_s)), 1);
    store.SetItemText(2, 1, c.text);

    for (int declined = 0; declined < c.asked.size(); ++declined) {
      w.prompt.ClearHistory();
      for (int k = 0; k < declined; ++k) w.prompt.QueueAnswer(true);
      w.prompt.QueueAnswer(false);
      EXPECT_EQ(store.Write(w.Path(u"c.csv"_s)), 0);
      EXPECT_EQ(w.ReadFile(u"c.csv"_s), original);
      EXPECT_EQ(w.prompt.Texts(), c.asked.mid(0, declined + 1));
      store.SetItemText(2, 1, c.text);
    }
    w.prompt.ClearHistory();
    ASSERT_EQ(store.Write(w.Path(u"c.csv"_s)), 1);
    EXPECT_EQ(w.prompt.Texts(), c.asked);
    CCardStore back(*w.services);
    ASSERT_EQ(back.Read(w.Path(u"c.csv"_s)), 1);
    ASSERT_EQ(back.AllCount(), 4);
    EXPECT_EQ(back.AllCard(2)->Item(1).toString(), c.back);
    EXPECT_EQ(back.AllCard(3)->Item(0).toString(), u"山田3"_s);
    EXPECT_EQ(store.AllCard(2)->Item(1).toString(), c.back);  // the document holds what the file holds
  }
}

// In a deck large enough to be looked over in parts, the questions name the
// first card holding each kind of text, whichever part it lies in.
TEST(CardFile, LargeDeckQuestionsNameTheFirstCardOfEachKind) {
  CTestWorld w;
  CCardStore store(*w.services);
  CItemNameRow names;
  names.MakeEmpty(1);
  names.SetItem(0, u"メモ"_s);
  store.SetItemNames(names, false);
  constexpr int kCards = 120000;
  for (int k = 0; k < kCards; ++k) {
    store.AllCards().push_back(std::make_unique<CCardRow>());
    store.AllCards().back()->MakeEmpty(1);
  }
  store.RebuildVisible();
  store.AllCard(30000)->SetItem(0, u"後\u001Aろ"_s);
  store.AllCard(100000)->SetItem(0, u"後\u001Aろ"_s);
  store.AllCard(70000)->SetItem(0, u"a\xD840"_s);
  w.prompt.QueueAnswer(true);
  w.prompt.QueueAnswer(false);
  EXPECT_EQ(store.Write(w.Path(u"big.csv"_s)), 0);
  EXPECT_EQ(w.prompt.Texts(), (QStringList{msg::kEndOfFileQuestion.arg(msg::kCardN.arg(30001), u"メモ"_s),
                                            msg::kLoneSurrogateQuestion.arg(msg::kCardN.arg(70001), u"メモ"_s)}));
}

// A save never writes a file the reader would refuse: one beyond the size
// limit is refused before anything is written when its text alone passes it,
// and stopped while it is written when its encoding does; cards too many for
// the reader's memory are refused too. The message names the limit and the
// old file stays.
TEST(CardFile, NoSaveWritesWhatTheReaderRefuses) {
  constexpr qint64 kLimit = qint64(1) << 20;
  struct Case {
    const char* what;
    int cards;
    QString text;  // of each card's one item
    QString reason;  // empty: written
  };
  const QString tooLarge = msg::kLargerThanReadable.arg(1);
  const QString tooMany = msg::kMoreCardsThanReadable.arg(5);
  const Case cases[] = {
      {"text alone too long", 2, QString(600000, u'a'), tooLarge},
      {"encoded too long", 2, QString(200000, u'漢'), tooLarge},  // 3 bytes a character in UTF-8
      {"just fits", 2, QString(100000, u'漢'), {}},
      {"too many cards", 60000, u"1"_s, tooMany},
      {"many cards that fit", 30000, u"1"_s, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestWorld w;
    const QByteArray original = "\xEF\xBB\xBFn\r\nold\r\n";
    w.WriteFile(u"s.csv"_s, original);
    w.WriteFile(u"in.csv"_s, "\xEF\xBB\xBFn\r\n" + QByteArray("x\r\n").repeated(c.cards));
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"in.csv"_s)), 1);
    for (int k = 0; k < c.cards; ++k) store.AllCard(k)->SetItem(0, c.text);
    const int result = WriteCardFile(store, w.Path(u"s.csv"_s), {}, kLimit);
    if (c.reason.isEmpty()) {
      ASSERT_EQ(result, 1);
      EXPECT_TRUE(w.prompt.Texts().isEmpty()) << w.prompt.Texts().join(u'|');
      CCardStore back(*w.services);
      EXPECT_EQ(ReadCardFile(back, w.Path(u"s.csv"_s), kLimit), 1);
      EXPECT_EQ(back.AllCount(), c.cards);
      continue;
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(w.prompt.Texts(),
              QStringList{msg::kCannotWrite + msg::kReasonSeparator + w.Path(u"s.csv"_s) + u": "_s + c.reason});
    EXPECT_EQ(w.ReadFile(u"s.csv"_s), original);
    EXPECT_EQ(QDir(w.Path({})).entryList(QDir::Files).size(), 2);  // no temporary file left
    // Written without the limit, the reader refuses it indeed.
    ASSERT_EQ(WriteCardFile(store, w.Path(u"big.csv"_s), {}, -1), 1);
    CCardStore back(*w.services);
    EXPECT_EQ(ReadCardFile(back, w.Path(u"big.csv"_s), kLimit), 0);
  }
}
