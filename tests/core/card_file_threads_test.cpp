// The reader and the writer that share their work out to several threads give
// exactly what they give on the calling thread: the same cards, item names,
// flags and messages, on random damaged files and on the files at hand, and
// the same bytes written.
#include "core/card_file.h"
#include "core/card_file_checks.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Everything a read leaves behind that a user or a later save could see.
QStringList Outcome(CCardStore& store, int result, const CScriptedPrompt& prompt) {
  QStringList out;
  out << u"result %1 items %2 cards %3 visible %4"_s.arg(result).arg(store.ItemCount()).arg(store.AllCount()).arg(
      store.VisibleCount());
  out << u"encoding %1 bom %2 multi %3 replaced %4"_s.arg(int(store.Encoding().codePage))
             .arg(store.Encoding().bom)
             .arg(store.MultiLine())
             .arg(store.HasReplacedBytes());
  const CLineEnds& ends = store.LineEnds();
  out << u"line ends %1 inner %2 final %3 mixed %4"_s.arg(int(ends.record))
             .arg(int(ends.inner))
             .arg(ends.finalEnd)
             .arg(ends.mixed);
  auto row = [](const CCardRow& r) {
    QString line;
    for (int i = 0; i < r.ItemCount(); ++i) line += (r.Quoted(i) ? u"[q]"_s : u"[b]"_s) + r.Item(i).toString();
    return line;
  };
  out << row(store);
  for (int k = 0; k < store.AllCount(); ++k) out << row(*store.AllCard(k));
  out << prompt.Texts();
  return out;
}

struct CSettingsCase {
  bool firstLine;
  bool join;
  int codePage;  // System/CodePage, 0: not set
};

QStringList ReadWith(const QByteArray& bytes, const CSettingsCase& s, qint64 pieceSize, qint64 budget,
                     const CReadSplit& split) {
  CTestWorld w;
  if (!s.join) WriteSetting(*w.settings, settings::kMsCsvIn, 0);
  if (s.codePage) WriteSetting(*w.settings, settings::kCodePage, s.codePage);
  CCardStore store(*w.services);
  store.FileProperty().m_firstLine = s.firstLine ? 1 : 0;
  store.SetFilePath(u"/x/f.csv"_s);
  qsizetype pos = 0;
  const int result = ReadCardStream(
      store,
      [&](char* to, qint64 max) {
        const qint64 n = std::min<qint64>(max, bytes.size() - pos);
        std::memcpy(to, bytes.constData() + pos, size_t(n));
        pos += n;
        return n;
      },
      false, pieceSize, budget, split);
  return Outcome(store, result, w.prompt);
}

// Random bytes built from what makes reading hard: quotes (lone, doubled, at
// item starts), commas, CR, LF and CR LF, the escape characters, two-byte
// CP932 characters and cut ones, bytes no code page reads, UTF-8 sequences
// whole and cut, the end-of-text mark, and now and then a line of too many
// items.
QByteArray RandomFile(QRandomGenerator& rng) {
  static const QByteArray kTokens[] = {
      "\"",         "\"\"",     ",",          ",\"",        "\",",         "\r\n",       "\n",
      "\r",         "abc",      "12",         "\x82\xA0",   "\x88\x9F",    "\x82",       "\x81\x0A",
      "\x80",       "\xA0\xFD", "\xFF",       "\xE3\x81\x82", "\xE3\x81",  "\xF0\x9F\x98\x80", "\x01\x02",
      "\x03\x03",   "\x04",     " ",          "\"x\r\ny\"",  "\x1A",       "\xEF\xBB\xBF",
  };
  QByteArray out;
  const int kind = int(rng.bounded(8));
  if (kind == 0) out = "\xEF\xBB\xBF";
  const int tokens = int(rng.bounded(1, 400));
  for (int t = 0; t < tokens; ++t) {
    const quint32 r = rng.bounded(1000);
    if (r == 0) {
      out += QByteArray(",x").repeated(201) + "\r\n";
    } else if (r < 4 && kind != 1) {
      out += "\x1A";
    } else {
      out += kTokens[rng.bounded(int(std::size(kTokens)) - 2)];
    }
  }
  if (kind >= 6) {
    // The same text as UTF-16 with its byte-order mark, now and then cut in
    // the middle of a unit.
    const bool big = kind == 7;
    QByteArray wide = big ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : out) {
      const char u[2] = {big ? '\0' : c, big ? c : '\0'};
      wide.append(u, 2);
    }
    if (rng.bounded(3) == 0) wide.chop(1);
    return wide;
  }
  return out;
}

const CSettingsCase kSettings[] = {
    {true, true, 0}, {false, true, 0}, {true, false, 0}, {false, false, 932}, {true, true, 65001},
};

}  // namespace

// Random files under every setting, cut into chunks of many sizes and read on
// two to four threads, against the read on the calling thread.
TEST(CardFileReader, ThreadsReadRandomFilesAsOneThreadDoes) {
  QRandomGenerator rng(7);
  for (int round = 0; round < 200; ++round) {
    const QByteArray bytes = RandomFile(rng);
    const CSettingsCase& s = kSettings[round % std::size(kSettings)];
    const qint64 piece = round % 3 == 0 ? 3 : kReadPiece;
    const qint64 budget = round % 7 == 0 ? qint64(rng.bounded(200, 20000)) : -1;
    const QStringList alone = ReadWith(bytes, s, piece, budget, {1, kReadChunk});
    for (const qint64 chunk : {round % 2 ? 1 : 2, 7, 40}) {
      const CReadSplit split{int(2 + round % 3), chunk};
      const QStringList shared = ReadWith(bytes, s, piece, budget, split);
      ASSERT_EQ(shared, alone) << "round " << round << " chunk " << chunk << " threads " << split.threads << "\n"
                               << bytes.toHex().constData();
    }
    // On one thread the size of the chunks changes nothing either.
    ASSERT_EQ(ReadWith(bytes, s, piece, budget, {1, 5}), alone) << "round " << round;
  }
}

// The cases that test where the threads' results meet: a quoted item open
// across a cut, a stop in a later chunk (its line and the bad bytes up to
// it), the end-of-text mark, the memory budget.
TEST(CardFileReader, CasesAtTheCuts) {
  struct Case {
    const char* what;
    QByteArray bytes;
    QStringList prompts;
    int result;
  };
  QByteArray wide;
  for (int i = 0; i < 201; ++i) wide += i ? ",x" : "x";
  const Case cases[] = {
      {"an item open over many lines", "h1,h2\r\n\"a\r\nb\r\nc\r\nd\",e\r\nf,g\r\n", {}, 1},
      {"an item open to the end", "h1,h2\r\na,\"b\r\nc\r\nd\r\n", {msg::kUnclosedQuote.arg(2)}, 1},
      {"a stop after bad bytes; none counted after it",
       "h1,h2\r\n\x82,a\r\nb,c\r\n" + wide + "\r\n\xFF\x82,x\r\n",
       {msg::kTooManyItems.arg(4), msg::kUndecodable.arg(u"CP932"_s).arg(1).arg(8)}, -1},
      {"a stop in a joined record", "h1,h2\r\nq\r\n\"a\r\nb\"," + wide + "\r\nq\r\n", {msg::kTooManyItems.arg(3)}, -1},
      {"the end-of-text mark ends the counting", "h1,h2\r\na\x82\r\n\x1A\x82\x82\r\n",
       {msg::kTextAfterEndOfFile.arg(3), msg::kUndecodable.arg(u"CP932"_s).arg(1).arg(9)}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QStringList alone = ReadWith(c.bytes, {true, true, 932}, kReadPiece, -1, {1, kReadChunk});
    EXPECT_EQ(alone.first().section(u' ', 1, 1).toInt(), c.result);
    EXPECT_EQ(alone.mid(alone.size() - c.prompts.size()), c.prompts);
    for (const qint64 chunk : {1, 3, 9, 64})
      EXPECT_EQ(ReadWith(c.bytes, {true, true, 932}, kReadPiece, -1, {3, chunk}), alone) << chunk;
  }
  // Every budget from too small for the first card to enough for all.
  const QByteArray many = "n\r\n" + QByteArray("1\r\n\"2\r\n3\"\r\n").repeated(30);
  for (qint64 budget = 0; budget < 12000; budget += 250) {
    const QStringList alone = ReadWith(many, {true, true, 932}, kReadPiece, budget, {1, kReadChunk});
    EXPECT_EQ(ReadWith(many, {true, true, 932}, kReadPiece, budget, {2, 4}), alone) << budget;
  }
}

// The sample file and the fuzz corpus, every file under every setting.
TEST(CardFileReader, FilesAtHandReadAlike) {
  const QString source = qEnvironmentVariable("VELUM_SOURCE_DIR");
  QStringList files{source + u"/examples/住所録.csv"_s};
  QDirIterator it(source + u"/fuzz/card_file/corpus"_s, QDir::Files);
  while (it.hasNext()) files << it.next();
  ASSERT_GT(files.size(), 10);
  for (const QString& path : files) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path;
    const QByteArray bytes = f.readAll();
    for (const CSettingsCase& s : kSettings) {
      const QStringList alone = ReadWith(bytes, s, kReadPiece, -1, {1, kReadChunk});
      for (const qint64 chunk : {1, 16})
        ASSERT_EQ(ReadWith(bytes, s, kReadPiece, -1, {2, chunk}), alone) << path << " chunk " << chunk;
    }
  }
}

// Stores read from random files, some with a text CP932 cannot hold, saved in
// the own and the Microsoft style on one thread and in small batches on
// three: the same bytes, the same quote flags set by the save, and the same
// question when the code page cannot hold a text (declined: nothing written;
// accepted: UTF-8).
TEST(CardFileWriter, ThreadsWriteWhatOneThreadWrites) {
  QRandomGenerator rng(11);
  for (int round = 0; round < 60; ++round) {
    QByteArray bytes = RandomFile(rng);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) bytes = bytes.mid(2);
    const bool multiLine = round % 2 == 1;
    const int unencodable = round % 5 == 0 ? int(rng.bounded(40)) : -1;
    const bool accept = round % 10 == 0;
    struct CSaved {
      int result;
      QByteArray bytes;
      QStringList prompts, rows;
    };
    auto save = [&](const CWriteSplit& split) {
      CTestWorld w;
      w.WriteFile(u"f.csv"_s, bytes);
      CCardStore store(*w.services);
      store.FileProperty().m_firstLine = round % 3 ? 1 : 0;
      if (store.Read(w.Path(u"f.csv"_s)) == 0) return CSaved{-9, {}, {}, {}};
      store.SetMultiLine(multiLine);
      if (unencodable >= 0 && unencodable < store.AllCount()) store.SetItemText(unencodable, 0, u"𠮷"_s);
      w.prompt.ClearHistory();
      w.prompt.QueueAnswer(accept);
      CSaved saved;
      saved.result = WriteCardFile(store, w.Path(u"f.csv"_s), split);
      saved.bytes = w.ReadFile(u"f.csv"_s);
      saved.prompts = w.prompt.Texts();
      saved.rows = Outcome(store, saved.result, w.prompt);
      return saved;
    };
    const CSaved alone = save({1, 8192});
    for (const int batch : {1, 3, 7}) {
      const CSaved shared = save({3, batch});
      ASSERT_EQ(shared.result, alone.result) << round << " batch " << batch;
      ASSERT_EQ(shared.bytes, alone.bytes) << round << " batch " << batch;
      ASSERT_EQ(shared.prompts, alone.prompts) << round << " batch " << batch;
      ASSERT_EQ(shared.rows, alone.rows) << round << " batch " << batch;
    }
  }
}
