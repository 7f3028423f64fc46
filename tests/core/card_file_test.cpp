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


// Every text written in the own style (one line a card, header included), in
// the Microsoft style and in the internal line form reads back the same,
// with every item quoted or every item bare.
TEST(CardFile, EveryFormReadsBackEveryText) {
  for (const bool quoted : {true, false}) {
    for (const int form : {0, 1, 2}) {
      SCOPED_TRACE(testing::Message() << "quoted=" << quoted << " form=" << form);
      CTestWorld w;
      CCardStore store(*w.services);
      FillStore(store, kHardTexts, quoted);
      if (form == 2) {
        const QString line = FormatInternalLine(*store.VisibleCard(0));
        EXPECT_TRUE(line.endsWith(u'\n') && !line.contains(u"\r\n"_s));
        CCardRow row;
        ASSERT_EQ(ParseLine(row, line), ParseStatus::kOk);
        EXPECT_EQ(Texts(row), kHardTexts);
        for (int i = 0; i < row.ItemCount(); ++i) EXPECT_EQ(row.Quoted(i), quoted);
        continue;
      }
      store.SetMultiLine(form == 1);
      ASSERT_EQ(store.Write(w.Path(u"f.csv"_s)), 1);
      if (form == 0) {
        EXPECT_EQ(w.ReadFile(u"f.csv"_s).count("\r\n"), 2);
      }
      CCardStore back(*w.services);
      ASSERT_EQ(back.Read(w.Path(u"f.csv"_s)), 1);
      ASSERT_EQ(back.AllCount(), 1);
      EXPECT_EQ(Texts(*back.AllCard(0)), kHardTexts);
      EXPECT_TRUE(form == 1 || !back.MultiLine());
    }
  }
}

TEST(CardFile, ParseLineCases) {
  struct Case {
    QString line;
    QStringList texts;
    QList<bool> quoted;
  };
  const std::vector<Case> cases = {
      {u"a,b\n"_s, {u"a"_s, u"b"_s}, {false, false}}, {u"\"\",x\n"_s, {u""_s, u"x"_s}, {true, false}},
      {u"a,,b\n"_s, {u"a"_s, u""_s, u"b"_s}, {false, false, false}},
      {u"\"a,b\",c\n"_s, {u"a,b"_s, u"c"_s}, {true, false}}, {u"\"a\"\"b\",c\n"_s, {u"a\"b"_s, u"c"_s}, {true, false}},
      {u"a\"\"b,c\n"_s, {u"a\"b"_s, u"c"_s}, {false, false}},
      {u"x\u0001\u0002y,p\u0004q,r\u0003\u0003s\n"_s, {u"x\r\ny"_s, u"p,q"_s, u"r\"s"_s}, {false, false, false}},
      {u"\u0003\u0004a\u0004\u0003\n"_s, {u"\",a,\""_s}, {false}}, {u"\n"_s, {u""_s}, {false}},
      {u"\"\n"_s, {u""_s}, {true}},
      {u"last"_s, {u"last"_s}, {false}},  // a line feed is assumed
  };
  for (const Case& c : cases) {
    CCardRow row;
    ASSERT_EQ(ParseLine(row, c.line), ParseStatus::kOk) << c.line;
    EXPECT_EQ(Texts(row), c.texts) << c.line;
    for (int i = 0; i < c.quoted.size(); ++i) EXPECT_EQ(row.Quoted(i), c.quoted[i]) << c.line << " item " << i;
  }
}

// A file read, and (when `written` is given) written back unchanged.
TEST(CardFile, ReadCases) {
  struct Case {
    const char* what;
    QByteArray bytes;
    std::vector<QStringList> cards;  // the item names first; empty: only the count is checked
    int count = 0;
    QStringList prompts = {};
    QByteArray written = {};
    int multiLine = -1;  // -1: not checked
    bool noHeader = false, noJoin = false;
  };
  const Case cases[] = {
      {"lines cut and cards padded, end-of-file mark",
       "a,b\r\nc,d,e,f,g\r\nh\r\n\x1A\r\n\x1A\x1A\n",
       {{u"項目1"_s, u"項目2"_s}, {u"a"_s, u"b"_s}, {u"c"_s, u"d"_s}, {u"h"_s, u""_s}}, 3, {},
       "a,b\r\nc,d\r\nh,\"\"\r\n", -1, true},  // the padded item is written quoted
      {"quoted items spanning lines are joined", "\"k\",\"v\"\r\n\"x\",\"a\r\nb\r\nc\"\r\n\"y\",\"z\"\r\n",
       {{u"k"_s, u"v"_s}, {u"x"_s, u"a\r\nb\r\nc"_s}, {u"y"_s, u"z"_s}}, 2, {},
       "\"k\",\"v\"\r\n\"x\",\"a\r\nb\r\nc\"\r\n\"y\",\"z\"\r\n", 1},  // line breaks as read
      {"without joining each line is a card", "\"k\",\"v\"\r\n\"x\",\"a\r\nb\r\n", {}, 2, {}, {}, 0, false, true},
      {"a quoted item open at the end is kept", "\"k\",\"v\"\r\n\"x\",\"open\r\nstill open\r\n",
       {{u"k"_s, u"v"_s}, {u"x"_s, u"open\r\nstill open"_s}}, 1, {msg::kUnclosedQuote.arg(2)}},
      {"empty file", "", {{u"項目1"_s}, {u""_s}}, 1},
      {"header only", Sjis(u"名前,電話\r\n"_s), {{u"名前"_s, u"電話"_s}, {u""_s, u""_s}}, 1},
      // 0x82 followed by a comma is a cut double-byte character.
      {"undecodable bytes", "h1,h2\r\nx\x82,y\r\n\x80\xA0,\xFD\xFE\xFF\r\n",
       {{u"h1"_s, u"h2"_s}, {u"x\uFFFD"_s, u"y"_s}, {u"\u0080\uF8F0"_s, u"\uF8F1\uF8F2\uF8F3"_s}}, 2,
       {msg::kUndecodable.arg(u"CP932"_s).arg(1).arg(9)}},
      // 0x80, 0xA0 and 0xFD-0xFF are single characters of the code page.
      {"extra single bytes", "h1,h2\r\n\x80\xA0,\xFD\xFE\xFF\r\n", {}, 1, {}, "h1,h2\r\n\x80\xA0,\xFD\xFE\xFF\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestWorld w;
    if (c.noHeader) WriteSetting(*w.settings, settings::kItem, 1);
    if (c.noJoin) WriteSetting(*w.settings, settings::kMsCsvIn, 0);
    w.WriteFile(u"f.csv"_s, c.bytes);
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"f.csv"_s)), 1);
    ASSERT_EQ(store.AllCount(), c.count);
    if (!c.cards.empty()) {
      std::vector<QStringList> got{Texts(store)};
      for (int k = 0; k < store.AllCount(); ++k) got.push_back(Texts(*store.AllCard(k)));
      EXPECT_EQ(got, c.cards);
    }
    EXPECT_EQ(w.prompt.Texts(), c.prompts);
    if (c.multiLine >= 0) {
      EXPECT_EQ(store.MultiLine(), bool(c.multiLine));
    }
    if (c.written.isEmpty()) continue;
    ASSERT_EQ(store.Write(w.Path(u"f.csv"_s)), 1);
    EXPECT_EQ(w.ReadFile(u"f.csv"_s), c.written);
  }
  // A text with a lone line feed stays inside its card.
  CTestWorld w;
  CCardStore store(*w.services);
  FillStore(store, {u"a\nb"_s, u"c"_s}, false);
  ASSERT_EQ(store.Write(w.Path(u"l.csv"_s)), 1);
  CCardStore back(*w.services);
  ASSERT_EQ(back.Read(w.Path(u"l.csv"_s)), 1);
  EXPECT_EQ(CardTexts(back), (std::vector<QStringList>{{u"a\r\nb"_s, u"c"_s}}));
}

TEST(CardFile, LineWithMoreThan200ItemsStopsTheReadConsistently) {
  CTestWorld w;
  QByteArray wide = "ok1,ok2\r\nfine,row\r\n";
  for (int i = 0; i < 201; ++i) wide += i ? ",x" : "x";
  wide += "\r\nnever,read\r\n";
  w.WriteFile(u"w.csv"_s, wide);
  CCardStore store(*w.services);
  EXPECT_EQ(store.Read(w.Path(u"w.csv"_s)), -1);
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kTooManyItems.arg(3)});
  EXPECT_EQ(store.ItemCount(), 2);
  ASSERT_EQ(store.AllCount(), 1);
  EXPECT_EQ(store.VisibleCount(), 1);
  EXPECT_EQ(Texts(*store.AllCard(0)), (QStringList{u"fine"_s, u"row"_s}));

  // Exactly 200 items is fine.
  QByteArray full;
  for (int i = 0; i < 200; ++i) full += i ? ",y" : "y";
  w.WriteFile(u"f.csv"_s, full + "\r\n" + full + "\r\n");
  CCardStore ok(*w.services);
  EXPECT_EQ(ok.Read(w.Path(u"f.csv"_s)), 1);
  EXPECT_EQ(ok.ItemCount(), 200);
}

TEST(CardFile, UndecodableBytesAreReportedAndExtraBytesRoundTrip) {
  CTestWorld w;
  // 0x82 followed by a comma is a cut double-byte character; 0x80, 0xA0 and
  // 0xFD-0xFF are single characters of the code page.
  const QByteArray bytes = "h1,h2\r\nx\x82,y\r\n\x80\xA0,\xFD\xFE\xFF\r\n";
  w.WriteFile(u"b.csv"_s, bytes);
  CCardStore store(*w.services);
  ASSERT_EQ(store.Read(w.Path(u"b.csv"_s)), 1);
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kUndecodable.arg(u"CP932"_s).arg(1).arg(9)});
  EXPECT_EQ(store.AllCard(0)->Item(0).toString(), u"x\uFFFD"_s);
  EXPECT_TRUE(store.HasReplacedBytes());

  w.WriteFile(u"x.csv"_s, "h1,h2\r\n\x80\xA0,\xFD\xFE\xFF\r\n");
  CCardStore extra(*w.services);
  ASSERT_EQ(extra.Read(w.Path(u"x.csv"_s)), 1);
  EXPECT_FALSE(extra.HasReplacedBytes());
  ASSERT_EQ(extra.Write(w.Path(u"x.csv"_s)), 1);
  EXPECT_EQ(w.ReadFile(u"x.csv"_s), QByteArray("h1,h2\r\n\x80\xA0,\xFD\xFE\xFF\r\n"));
}

TEST(CardFile, HostileInputNeverBreaksTheStore) {
  CTestWorld w;
  QRandomGenerator rng(42);
  for (int round = 0; round < 40; ++round) {
    QByteArray junk(int(rng.bounded(1, 3000)), Qt::Uninitialized);
    for (char& c : junk) {
      const quint32 r = rng.bounded(10);
      c = r < 3 ? "\",\r\n\x01\x02\x03\x04"[rng.bounded(8)] : char(rng.bounded(256));
    }
    w.WriteFile(u"j.csv"_s, junk);
    CCardStore store(*w.services);
    const int result = store.Read(w.Path(u"j.csv"_s));
    ASSERT_NE(result, 0);
    ASSERT_GE(store.ItemCount(), 1);
    ASSERT_GE(store.AllCount(), 1);
    ASSERT_EQ(store.VisibleCount(), store.AllCount());
    for (int k = 0; k < store.AllCount(); ++k) ASSERT_EQ(store.AllCard(k)->ItemCount(), store.ItemCount());
  }
}

// Long lines read in time linear in their length: 50 MB of letters with a few
// quotes, and texts of millions of quotes (doubled in a quoted item, or bare).
TEST(CardFile, LongLinesReadInOneCard) {
  constexpr qsizetype kQuotes = 4 * 1024 * 1024;
  QByteArray letters(50 * 1024 * 1024, 'a');
  for (qsizetype i = 1000; i < letters.size(); i += 1000000) letters[i] = '"';
  const struct {
    QByteArray bytes;
    qsizetype length;  // of the one text; -1: not checked
  } cases[] = {
      {letters, letters.size()}, {'"' + QByteArray(2 * kQuotes, '"') + '"', kQuotes}, {QByteArray(kQuotes, '"'), -1},
  };
  letters.clear();
  for (const auto& c : cases) {
    CTestWorld w;
    WriteSetting(*w.settings, settings::kItem, 1);
    w.WriteFile(u"big.csv"_s, c.bytes);
    QElapsedTimer t;
    t.start();
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"big.csv"_s)), 1);
    EXPECT_LT(t.elapsed(), 20000);
    ASSERT_EQ(store.AllCount(), 1);
    if (c.length >= 0) EXPECT_EQ(store.AllCard(0)->Item(0).size(), c.length);
    if (c.length == kQuotes) EXPECT_EQ(store.AllCard(0)->Item(0).count(u'"'), kQuotes);
  }
}

// Only regular files are read: a device or a FIFO says why, at once.
TEST(CardFile, OnlyRegularFilesAreRead) {
  CTestWorld w;
  const QString fifo = w.Path(u"fifo.csv"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString& path : {fifo, u"/dev/zero"_s, w.Path(u"."_s)}) {
    w.prompt.ClearHistory();
    CCardStore store(*w.services);
    EXPECT_EQ(store.Read(path), 0) << path;
    EXPECT_EQ(w.prompt.Texts(), QStringList{input_msg::kCannotRead.arg(path, input_msg::kNotRegular)}) << path;
  }
}

// A file beyond the limit is refused before it is read, and so is one whose
// many small cards would take more memory than their budget; either is named
// with the limit, and the store stays whole.
TEST(CardFile, LimitsAreNamedAndTheStoreStaysWhole) {
  CTestWorld w;
  QFile large(w.Path(u"large.csv"_s));
  ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(kMaxCardFile + 1));
  large.close();
  CCardStore store(*w.services);
  EXPECT_EQ(store.Read(w.Path(u"large.csv"_s)), 0);
  EXPECT_EQ(w.prompt.Texts(), QStringList{input_msg::kCannotRead.arg(w.Path(u"large.csv"_s),
                                                                     input_msg::kTooLarge.arg(512))});

  const QByteArray tiny = "n\r\n" + QByteArray("1\r\n").repeated(20000);  // 60 kB, about 2 MB of cards
  for (const qint64 budget : {qint64(1) << 20, qint64(8) << 20}) {
    w.prompt.ClearHistory();
    CCardStore cards(*w.services);
    cards.SetFilePath(u"/x/tiny.csv"_s);
    const int result = ReadCardStream(
        cards,
        [&, pos = qsizetype(0)](char* to, qint64 max) mutable {
          const qint64 n = std::min<qint64>(max, tiny.size() - pos);
          std::memcpy(to, tiny.constData() + pos, size_t(n));
          pos += n;
          return n;
        },
        false, 4096, budget);
    const bool fits = budget > (2 << 20);
    EXPECT_EQ(result, fits ? 1 : 0) << budget;
    EXPECT_EQ(cards.AllCount(), fits ? 20000 : 0) << budget;
    EXPECT_EQ(cards.FilePath(), u"/x/tiny.csv"_s);
    EXPECT_EQ(w.prompt.Texts(), fits ? QStringList() : QStringList{input_msg::kCannotRead.arg(
                                                            u"/x/tiny.csv"_s, input_msg::kTooManyCards.arg(1))});
  }
}

TEST(CardFile, PiecesOfAnySizeReadTheSame) {
  // Characters of two bytes (CP932) or up to four (UTF-8), CR LF pairs and
  // joined lines cut at every place by the end of a piece.
  const QString text = u"名前,メモ\r\n山田,\"東京,港区\"\r\n\"佐藤\",\"x\r\ny\"\r\n𠮷,\u0001\u0002z\u001A\r\n\u001A"_s;
  for (const bool utf8 : {false, true}) {
    CTestWorld w;
    const QByteArray bytes = utf8 ? "\xEF\xBB\xBF" + text.toUtf8() : Sjis(QString(text).replace(u"𠮷"_s, u"吉"_s));
    CCardStore whole(*w.services);
    ASSERT_EQ(ReadCardBytes(whole, bytes, false), 1);
    ASSERT_EQ(whole.AllCount(), 3);
    for (const qint64 piece : {1, 2, 3, 4, 5, 7}) {
      CCardStore store(*w.services);
      ASSERT_EQ(ReadCardBytes(store, bytes, false, piece), 1) << piece;
      EXPECT_EQ(CardTexts(store), CardTexts(whole)) << "piece " << piece << " utf8 " << utf8;
      EXPECT_EQ(store.Encoding(), whole.Encoding());
    }
    EXPECT_TRUE(w.prompt.Texts().isEmpty()) << w.prompt.Texts().join(u'|');
  }
}

// Texts of every length up to a few dozen units, with the characters the line
// form rewrites at every place (the searches look at eight units at a time),
// written in each form and parsed back unchanged.
TEST(CardFile, TextsOfEveryLengthParseBack) {
  const char16_t kUnits[] = {u'a', u'"', u',', u'\r', u'\n', u'あ', u' '};
  QRandomGenerator rng(5);
  for (int length = 0; length < 40; ++length) {
    for (int round = 0; round < 20; ++round) {
      QStringList texts;
      for (int item = 0; item < 3; ++item) {
        QString t;
        for (int k = 0; k < length; ++k) t += QChar(kUnits[rng.bounded(int(std::size(kUnits)))]);
        t.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'a').replace(u"\n"_s, u"\r\n"_s);  // line breaks as CR LF
        texts << t;
      }
      for (const bool quoted : {false, true}) {
        CCardRow row;
        row.MakeEmpty(3);
        for (int i = 0; i < 3; ++i) {
          row.SetItem(i, texts[i]);
          row.SetQuoted(i, quoted);
        }
        QString own = FormatLine(row, false);
        own.chop(2);
        CCardRow back;
        ASSERT_EQ(ParseLine(back, own), ParseStatus::kOk);
        ASSERT_EQ(Texts(back), texts) << own;
        CCardRow internal;
        ASSERT_EQ(ParseLine(internal, FormatInternalLine(row)), ParseStatus::kOk);
        ASSERT_EQ(Texts(internal), texts);
      }
    }
  }
}

// Text after the end-of-file mark is never dropped without a word: the line
// of the mark is named and the file counts as read in part (a save over it
// would cut the rest). Line ends and more marks after it (records padded
// out) end the text quietly. The same in pieces of any size, on threads, in
// UTF-16.
TEST(CardFile, TextAfterTheEndOfFileMarkIsNamed) {
  struct Case {
    const char* what;
    QByteArray bytes;
    QStringList firstItems;  // of every card read
    int line;                // of the mark; 0: nothing after it
  };
  const Case cases[] = {
      {"mark then line ends", "n\r\na\r\nb\r\n\x1A\r\n\r\n\x1A\x1A", {u"a"_s, u"b"_s}, 0},
      {"mark at the very end", "n\r\na\r\nb\x1A", {u"a"_s, u"b"_s}, 0},
      {"mark inside a line", "n\r\na\r\nb\x1A" "c\r\nd\r\n", {u"a"_s, u"b"_s}, 3},
      {"mark starting a line", "n\r\na\r\n\x1A" "b\r\nc\r\n", {u"a"_s}, 3},
      {"mark before anything", "\x1Axyz\r\n", {u""_s}, 1},
      {"text after padding", "n\r\na\r\n\x1A\r\n\x1A\r\nlost\r\n", {u"a"_s}, 3},
  };
  for (const Case& c : cases) {
    for (const bool wide : {false, true}) {
      for (const qint64 piece : {qint64(1), qint64(3), kReadPiece}) {
        for (const int threads : {1, 2}) {
          SCOPED_TRACE(testing::Message() << c.what << " wide " << wide << " piece " << piece << " threads " << threads);
          CTestWorld w;
          QByteArray bytes = c.bytes;
          if (wide) {
            const QString text = QString::fromLatin1(c.bytes);
            bytes = QByteArray("\xFF\xFE") +
                    QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
          }
          CCardStore store(*w.services);
          const int result = ReadCardBytes(store, bytes, false, piece, CReadSplit{threads, 4});
          EXPECT_EQ(result, c.line ? -1 : 1);
          QStringList firsts;
          for (int k = 0; k < store.AllCount(); ++k) firsts << store.AllCard(k)->Item(0).toString();
          EXPECT_EQ(firsts, c.firstItems);
          EXPECT_EQ(w.prompt.Texts(), c.line ? QStringList{msg::kTextAfterEndOfFile.arg(c.line)} : QStringList());
        }
      }
    }
  }
  // The document counts it as read in part: a save over it is refused.
  CTestWorld w;
  const QByteArray bytes = "n\r\na\r\nb\x1A" "c\r\nd\r\n";
  w.WriteFile(u"m.csv"_s, bytes);
  CVelumDoc doc(*w.services);
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"m.csv"_s)));
  EXPECT_TRUE(doc.ReadIncomplete());
  EXPECT_FALSE(doc.Save());
  EXPECT_EQ(w.ReadFile(u"m.csv"_s), bytes);
}

namespace {

// Cuts the file being read to `to` bytes at the first step of progress, as
// another program might while a large file is read.
class CCuttingProgress final : public IProgress {
 public:
  CCuttingProgress(QString path, qint64 to) : m_path(std::move(path)), m_to(to) {}
  void Begin(const QString&, qint64) override {}
  void Step(qint64) override {
    if (m_done) return;
    m_done = true;
    QFile(m_path).resize(m_to);
  }
  void End() override {}

 private:
  QString m_path;
  qint64 m_to;
  bool m_done = false;
};

}  // namespace

// A file cut while it is read gives the cards read, with a message of how
// far reading came, and counts as read in part.
TEST(CardFile, AFileCutWhileReadIsNamed) {
  CTestWorld w;
  QByteArray bytes = "n\r\n";
  while (bytes.size() < 3 * kReadPiece) bytes += "0123456789abcdef\r\n";
  w.WriteFile(u"cut.csv"_s, bytes);
  const qint64 cutAt = kReadPiece + kReadPiece / 2 + 5;  // inside a line
  CCuttingProgress cutter(w.Path(u"cut.csv"_s), cutAt);
  w.services->progress = &cutter;
  CCardStore store(*w.services);
  EXPECT_EQ(store.Read(w.Path(u"cut.csv"_s)), -1);
  EXPECT_EQ(w.prompt.Texts(),
            QStringList{msg::kCutWhileReading.arg(w.Path(u"cut.csv"_s)).arg(cutAt).arg(bytes.size())});
  EXPECT_EQ(store.AllCount(), int((cutAt - 3) / 18) + 1);  // the cut line is kept as far as it came
  w.services->progress = nullptr;
}

// A file that is UTF-8 but for a stray byte reads as UTF-8, the byte shown as
// U+FFFD; text much like UTF-8 with too many bytes UTF-8 cannot read is CP932.
// Either way the user hears once which encoding was taken and why. Plain
// CP932 text, half-width kana included, says nothing.
TEST(CardFile, TheEncodingTakenIsToldWhenTheTextLeavesADoubt) {
  const QByteArray names = u"名前,メモ\r\n山田太郎,東京都港区\r\n"_s.toUtf8();
  const QByteArray stray = names + u"佐藤"_s.toUtf8() + "\xFF," + u"大阪"_s.toUtf8() + "\r\n";
  QByteArray many = names;
  for (int k = 0; k < 4; ++k) many += u"あい"_s.toUtf8() + "\xFE\r\n";
  struct Case {
    const char* what;
    QByteArray bytes;
    CodePage taken;
    QString told;  // the start of the one message; empty: none
  };
  const Case cases[] = {
      {"one stray byte", stray, CodePage::Utf8,
       msg::kMostlyUtf8 + msg::kUndecodable.arg(u"UTF-8"_s).arg(1).arg(stray.indexOf('\xFF') + 1)},
      {"many stray bytes", many, CodePage::Cp932, msg::kNotUtf8.arg(many.indexOf('\xFE') + 1).arg(u"CP932"_s)},
      {"CP932 with half-width kana", Sjis(u"名前,ﾌﾘｶﾞﾅ\r\n山田,ﾔﾏﾀﾞ ﾀﾛｳ\r\n佐藤,ｻﾄｳ ﾊﾅｺ\r\n"_s), CodePage::Cp932, {}},
      {"plain UTF-8", names, CodePage::Utf8, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestWorld w;
    w.WriteFile(u"e.csv"_s, c.bytes);
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"e.csv"_s)), 1);
    EXPECT_EQ(store.Encoding().codePage, c.taken);
    if (c.told.isEmpty()) {
      EXPECT_TRUE(w.prompt.Texts().isEmpty()) << w.prompt.Texts().join(u'|');
      continue;
    }
    ASSERT_EQ(w.prompt.Texts().size(), 1) << w.prompt.Texts().join(u'|');
    EXPECT_TRUE(w.prompt.Texts()[0].startsWith(c.told)) << w.prompt.Texts()[0];
  }
}

// A file is written back with the line ends it was read with: after each
// record, inside quoted items and (or not) after the last record; read in
// one piece or in small chunks on threads, written in one piece or in
// batches on threads. A file whose records mix their ends is written with
// the most common one and says so at its first save only.
TEST(CardFile, LineEndsStayAsRead) {
  auto utf16 = [](const QString& text) { return ByteOrderMark({CodePage::Utf16Le, true}) + EncodeText(text, CodePage::Utf16Le).bytes; };
  struct Case {
    const char* what;
    QByteArray bytes;
    CLineEnds ends;
    bool multiLine;  // written in the Microsoft form: no escape of the own form was read
    QByteArray written = {};  // empty: the bytes read
    std::vector<QStringList> cards = {};  // names first; empty: not checked
  };
  const LineEnd crLf = LineEnd::kCrLf, lf = LineEnd::kLf, cr = LineEnd::kCr;
  const std::vector<Case> cases = {
      {"LF", "n,m\na,\"l1\nl2\"\nb,\"x,\"\"y\"\"\"\n", {lf, lf, true, false}, true, {},
       {{u"n"_s, u"m"_s}, {u"a"_s, u"l1\r\nl2"_s}, {u"b"_s, u"x,\"y\""_s}}},
      {"CR LF inside and out", "n,m\r\na,\"l1\r\nl2\r\n\"\r\nb,c\r\n", {crLf, crLf, true, false}, true, {},
       {{u"n"_s, u"m"_s}, {u"a"_s, u"l1\r\nl2\r\n"_s}, {u"b"_s, u"c"_s}}},
      {"CR LF records, LF inside", "n,m\r\na,\"l1\nl2\"\r\n", {crLf, lf, true, false}, true},
      {"CR", "n,m\ra,\"l1\rl2\"\rb,c\r", {cr, cr, true, false}, true, {},
       {{u"n"_s, u"m"_s}, {u"a"_s, u"l1\r\nl2"_s}, {u"b"_s, u"c"_s}}},
      {"LF, the last line without an end", "n,m\na,b\nc,d", {lf, lf, false, false}, true},
      {"CR LF, the last line without an end", "n,m\r\na,\"l1\r\nl2\"", {crLf, crLf, false, false}, true},
      {"CR, the last line without an end", "n,m\ra,b", {cr, cr, false, false}, true},
      {"a lone CR inside a quoted item of an LF file", "n,m\na,\"x\ry\"\n", {lf, lf, true, false}, true, {},
       {{u"n"_s, u"m"_s}, {u"a"_s, u"x\ry"_s}}},
      {"own form, LF", "n,m\na,l1\x01\x02l2\nb,p\x04q\n", {lf, lf, true, false}, false, {},
       {{u"n"_s, u"m"_s}, {u"a"_s, u"l1\r\nl2"_s}, {u"b"_s, u"p,q"_s}}},
      {"mixed: LF most", "n,m\r\na,b\nc,\"d\r\ne\"\nf,g", {lf, crLf, false, true}, true, "n,m\na,b\nc,\"d\r\ne\"\nf,g"},
      {"mixed: CR LF most", "n,m\r\na,b\r\nc,d\n", {crLf, lf, true, true}, true, "n,m\r\na,b\r\nc,d\r\n"},
      {"UTF-16, CR", utf16(u"名前,メモ\r山田,\"一\r二\"\r"_s), {cr, cr, true, false}, true, {},
       {{u"名前"_s, u"メモ"_s}, {u"山田"_s, u"一\r\n二"_s}}},
      {"UTF-8 with its mark, LF", "\xEF\xBB\xBF" + u"名前,メモ\n山田,\"一\n二\"\n"_s.toUtf8(), {lf, lf, true, false}, true},
  };
  for (const Case& c : cases) {
    for (const int way : {0, 1}) {
      SCOPED_TRACE(testing::Message() << c.what << (way ? " on threads" : ""));
      CTestWorld w;
      w.WriteFile(u"f.csv"_s, c.bytes);
      CCardStore store(*w.services);
      if (way == 0) {
        ASSERT_EQ(store.Read(w.Path(u"f.csv"_s)), 1);
      } else {
        ASSERT_EQ(ReadCardBytes(store, c.bytes, false, 3, {2, 5}), 1);
      }
      EXPECT_EQ(store.LineEnds(), c.ends);
      EXPECT_EQ(store.MultiLine(), c.multiLine);
      if (!c.cards.empty()) {
        std::vector<QStringList> got{Texts(store)};
        for (const QStringList& card : CardTexts(store)) got.push_back(card);
        EXPECT_EQ(got, c.cards);
      }
      w.prompt.ClearHistory();
      ASSERT_EQ(WriteCardFile(store, w.Path(u"g.csv"_s), way ? CWriteSplit{2, 1} : CWriteSplit{1}), 1);
      const QByteArray expected = c.written.isEmpty() ? c.bytes : c.written;
      EXPECT_EQ(w.ReadFile(u"g.csv"_s), expected);
      EXPECT_EQ(w.prompt.Texts(),
                c.ends.mixed ? QStringList{msg::kMixedLineEnds.arg(LineEndName(c.ends.record))} : QStringList{});
      // Said once; the next save writes the same bytes without a word.
      w.prompt.ClearHistory();
      ASSERT_EQ(store.Write(w.Path(u"g.csv"_s)), 1);
      EXPECT_EQ(w.ReadFile(u"g.csv"_s), expected);
      EXPECT_TRUE(w.prompt.Texts().isEmpty());
    }
  }
}

// After one edit only the edited line differs, in a file of LF line ends
// without one after its last line, in both forms; a new card added to it
// goes after a line end and is the last line without one.
TEST(CardFile, AnEditChangesOnlyItsLine) {
  for (const bool own : {false, true}) {
    SCOPED_TRACE(own ? "own form" : "Microsoft form");
    CTestWorld w;
    const QByteArray bytes = own ? QByteArray("n,m\na,1\x01\x02x\nb,2\nc,3") : QByteArray("n,m\na,\"1\nx\"\nb,2\nc,3");
    w.WriteFile(u"f.csv"_s, bytes);
    CCardStore store(*w.services);
    ASSERT_EQ(store.Read(w.Path(u"f.csv"_s)), 1);
    store.SetItemText(1, 1, u"22\r\n\"y\""_s);
    ASSERT_EQ(store.Write(w.Path(u"f.csv"_s)), 1);
    QByteArray expected = bytes;
    expected.replace("b,2\n", own ? "b,22\x01\x02\x03\x03y\x03\x03\n" : "b,\"22\n\"\"y\"\"\"\n");
    EXPECT_EQ(w.ReadFile(u"f.csv"_s), expected);
    store.AddCard(-1);
    store.SetItemText(3, 0, u"d"_s);
    ASSERT_EQ(store.Write(w.Path(u"f.csv"_s)), 1);
    EXPECT_TRUE(w.ReadFile(u"f.csv"_s).endsWith("\nc,3\nd,"));
  }
}
