#include "core/card_file_checks.h"
#include "core/file_kind.h"
#include "core/messages.h"
#include "platform/file_io.h"
#include "platform/input_file.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBook = u"名前,メモ\r\n山田,\"東京,港区\"\r\n佐藤,x\u0001\u0002y\r\n"_s;

class CliTest : public ::testing::Test {
 protected:
  CCliRun Run(const QStringList& args, const QByteArray& input = {}) {
    return RunCli(args, input, w.Path(u"velum.reg"_s));
  }
  CTestWorld w;
};

}  // namespace

TEST_F(CliTest, ShowPrintsATableOrJson) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  CCliRun r = Run({u"show"_s, w.Path(u"a.csv"_s)});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"名前\tメモ\n山田\t東京,港区\n佐藤\tx\\ny\n"_s);

  r = Run({u"show"_s, u"--json"_s, w.Path(u"a.csv"_s)});  // options before or after
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"{\"items\":[\"名前\",\"メモ\"],\"cards\":[[\"山田\",\"東京,港区\"],[\"佐藤\",\"x\\r\\ny\"]]}\n"_s);

  // One-shot commands do not touch the file the application opens at start.
  EXPECT_TRUE(w.ReadFile(u"velum.reg"_s).isEmpty());
}

// Each entry on one line: a line break inside a text is written as \n unless
// --raw asks for the text as it is.
TEST_F(CliTest, ValueAndCountWriteOneLineAnEntry) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const QString a = w.Path(u"a.csv"_s);
  const std::pair<QStringList, QString> cases[] = {
      {{u"value"_s, a, u"1"_s, u"メモ"_s}, u"x\\ny\n"_s},
      {{u"value"_s, a, u"1"_s, u"メモ"_s, u"--raw"_s}, u"x\r\ny\n"_s},
      {{u"value"_s, a, u"0"_s, u"#1"_s}, u"東京,港区\n"_s},
      {{u"count"_s, a, u"メモ"_s}, u"総数 2\n   1  東京,港区\n   1  x\\ny\n"_s},
      {{u"count"_s, a, u"メモ"_s, u"--raw"_s}, u"総数 2\n   1  東京,港区\n   1  x\r\ny\n"_s},
  };
  for (const auto& [args, out] : cases) {
    const CCliRun r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << args.join(u' ') << r.err;
    EXPECT_EQ(r.out, out) << args.join(u' ');
  }
}

// Failures name the path and give the system's reason; bad usage is 2.
TEST_F(CliTest, FailuresSayWhereAndWhy) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const QString a = w.Path(u"a.csv"_s);
  const QString missing = w.Path(u"missing.csv"_s);
  struct Case {
    QStringList args;
    int exitCode;
    QString err;  // a part of stderr
  };
  const std::vector<Case> cases = {
      {{u"value"_s, a, u"2"_s, u"#0"_s}, 1, u"no card 2"_s},
      {{u"value"_s, a, u"0"_s, u"住所"_s}, 1, u"no item 住所"_s},
      {{u"value"_s, missing, u"0"_s, u"#0"_s}, 1, missing + u": No such file or directory"_s},
      {{u"show"_s, w.Path({})}, 1, u": Is a directory"_s},
      {{u"convert"_s, a, u"-o"_s, u"/dev/null"_s}, 1, u"/dev/null: "_s + file_msg::kNotRegular},
      {{u"convert"_s, a, u"-o"_s, w.Path(u"no/x.csv"_s)}, 1, w.Path(u"no/x.csv"_s) + u": No such file or directory"_s},
      {{u"html"_s, a, u"-t"_s, missing, u"-o"_s, w.Path(u"x.html"_s)}, 1, missing + u": No such file or directory"_s},
      {{u"value"_s, a}, 2, u"usage"_s},
      {{u"nonsense"_s}, 2, u"unknown command"_s},
      {{u"--encoding"_s, u"latin1"_s, u"show"_s, a}, 2, u"--encoding"_s},
  };
  for (const Case& c : cases) {
    const CCliRun r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(u' ');
    EXPECT_TRUE(r.err.contains(c.err)) << c.args.join(u' ') << ": " << r.err;
  }
}

// A save on a disk that fills up: exit 1, the reason, and the old file whole.
TEST_F(CliTest, ASaveThatRunsOutOfSpaceFails) {
  QByteArray big = Sjis(u"名前,メモ\r\n"_s);
  for (int k = 0; k < 5000; ++k) big += Sjis(QStringLiteral("山田%1,東京都港区の住所\r\n").arg(k));
  w.WriteFile(u"big.csv"_s, big);
  // The converted file is larger than the limit; its temporary file cannot be finished.
  QProcess p;
  p.start(u"/bin/sh"_s, {u"-c"_s, u"trap '' XFSZ; ulimit -f 64; exec \"$0\" \"$@\""_s, qEnvironmentVariable("VELUM_CLI"),
                         u"--settings"_s, w.Path(u"velum.reg"_s), u"convert"_s, w.Path(u"big.csv"_s), u"-o"_s,
                         w.Path(u"big.csv"_s), u"--to-encoding"_s, u"utf-8"_s});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 1) << err;
  EXPECT_TRUE(err.contains(w.Path(u"big.csv"_s) + u": File too large"_s)) << err;
  EXPECT_EQ(w.ReadFile(u"big.csv"_s), big);
}

// A one-shot command never answers a question that changes or loses data on
// the user's behalf: it stops with exit 1 and the question on stderr, unless
// --yes answers it.
TEST_F(CliTest, OneShotCommandsAskBeforeChangingData) {
  // UTF-8 without a byte-order mark that CP932 cannot read: read as UTF-8 and
  // written back as it was.
  const QByteArray utf8 = u"名前,メモ\r\nデータ,ソフト\r\n"_s.toUtf8();
  w.WriteFile(u"u.csv"_s, utf8);
  CCliRun r = Run({u"recalc"_s, w.Path(u"u.csv"_s)});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"u.csv"_s), utf8);

  // A text CP932 cannot hold: the question, and nothing written.
  w.WriteFile(u"e.csv"_s, u"名前\r\n😀\r\n"_s.toUtf8());
  const QStringList convert = {u"convert"_s, w.Path(u"e.csv"_s), u"-o"_s, w.Path(u"out.csv"_s), u"--to-encoding"_s,
                               u"cp932"_s};
  r = Run(convert);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(u"UTF-8で保存しますか？ -> cancel"_s)) << r.err;
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"out.csv"_s)));
  r = Run(QStringList{u"--yes"_s} + convert);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"out.csv"_s), "\xEF\xBB\xBF" + u"名前\r\n😀\r\n"_s.toUtf8());

  // Bytes UTF-8 cannot read, shown as U+FFFD: saving over the file would lose
  // them. Written elsewhere, the file stays as it was without a question.
  const QByteArray bad = "\xEF\xBB\xBF" + u"名前\r\nあ"_s.toUtf8() + "\xFF\r\n";
  w.WriteFile(u"bad.csv"_s, bad);
  const QStringList recalc = {u"recalc"_s, w.Path(u"bad.csv"_s)};
  r = Run(recalc);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(msg::kReplacedBytesOverwrite.arg(u"bad.csv"_s) + u" -> cancel"_s)) << r.err;
  EXPECT_EQ(w.ReadFile(u"bad.csv"_s), bad);
  r = Run({u"recalc"_s, w.Path(u"bad.csv"_s), u"-o"_s, w.Path(u"fixed.csv"_s)});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"fixed.csv"_s), "\xEF\xBB\xBF" + u"名前\r\nあ\uFFFD\r\n"_s.toUtf8());
  r = Run(QStringList{u"--yes"_s} + recalc);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"bad.csv"_s), w.ReadFile(u"fixed.csv"_s));
}

TEST_F(CliTest, VersionAndHelp) {
  CCliRun r = Run({u"--version"_s});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out.startsWith(u"velum-cli "_s)) << r.out;
  r = Run({u"batch"_s, u"--help"_s});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out.contains(u"answer ok|cancel|yes|no"_s)) << r.out;
  EXPECT_FALSE(QFileInfo::exists(u"--help"_s));
}

TEST_F(CliTest, ConvertChangesStyleAndEncoding) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  CCliRun r = Run({u"convert"_s, w.Path(u"a.csv"_s), u"-o"_s, w.Path(u"ms.csv"_s), u"--style"_s, u"ms"_s,
                   u"--to-encoding"_s, u"utf-8"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"ms.csv"_s),
            "\xEF\xBB\xBF" + u"名前,メモ\r\n山田,\"東京,港区\"\r\n佐藤,\"x\ny\"\r\n"_s.toUtf8());
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(kBook));  // the source is untouched

  r = Run({u"convert"_s, w.Path(u"ms.csv"_s), u"-o"_s, w.Path(u"own.csv"_s), u"--style"_s, u"own"_s,
           u"--to-encoding"_s, u"cp932"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The Microsoft style quoted the item with the line break, and it stays quoted.
  EXPECT_EQ(w.ReadFile(u"own.csv"_s), Sjis(u"名前,メモ\r\n山田,\"東京,港区\"\r\n佐藤,\"x\u0001\u0002y\"\r\n"_s));

  r = Run({u"convert"_s, w.Path(u"a.csv"_s), u"--style"_s, u"odd"_s, u"-o"_s, w.Path(u"x.csv"_s)});
  EXPECT_EQ(r.exitCode, 2);
  r = Run({u"convert"_s, w.Path(u"a.csv"_s), u"-o"_s});
  EXPECT_EQ(r.exitCode, 2);
}

TEST_F(CliTest, BatchDrivesTheDocument) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const QByteArray script =
      "state\n"
      "set 1 メモ \"two words \\\"quoted\\\"\"\n"
      "card 1\n"
      "item #1\n"
      "state\n"
      "first-line off\n"
      "show --json\n"
      "first-line on\n"
      "save\n"
      "reload\n"
      "answer cancel\n"
      "reload\n"
      "card 9\n"
      "bogus\n"
      "state\n";
  CCliRun r = Run({u"batch"_s, w.Path(u"a.csv"_s)}, script);
  const QStringList lines = r.out.split(u'\n');
  ASSERT_GE(lines.size(), 6) << r.out;
  const QString path = w.Path(u"a.csv"_s);
  EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8()).object().value(u"modified"_s).toBool(), false);
  const QJsonObject state = QJsonDocument::fromJson(lines[1].toUtf8()).object();
  EXPECT_EQ(state.value(u"card"_s).toInt(), 1);
  EXPECT_EQ(state.value(u"item"_s).toInt(), 1);
  EXPECT_EQ(state.value(u"total"_s).toInt(), 2);
  EXPECT_TRUE(state.value(u"modified"_s).toBool());
  EXPECT_EQ(lines[2], u"{\"items\":[\"項目1\",\"項目2\"],\"cards\":[[\"名前\",\"メモ\"],[\"山田\",\"東京,港区\"],"
                      "[\"佐藤\",\"two words \\\"quoted\\\"\"]]}"_s);
  EXPECT_EQ(lines[3], u"question: ファイルを再読み込みしますか？ -> ok"_s);
  EXPECT_EQ(lines[4], u"question: ファイルを再読み込みしますか？ -> cancel"_s);
  EXPECT_EQ(r.exitCode, 2);  // the unknown command stops the script there
  EXPECT_EQ(lines.size(), 6) << r.out;
  EXPECT_TRUE(r.err.contains(u"error: no card 9"_s)) << r.err;
  EXPECT_TRUE(r.err.contains(u"error: line 14: unknown command: bogus"_s)) << r.err;
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(u"名前,メモ\r\n山田,\"東京,港区\"\r\n佐藤,two words \u0003\u0003quoted\u0003\u0003\r\n"_s));
}

// A question the script declines is printed and the script goes on.
TEST_F(CliTest, BatchGoesOnAfterADeclinedQuestion) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const CCliRun r = Run({u"batch"_s, w.Path(u"a.csv"_s)}, "set 0 #0 😀\nanswer cancel\nsave\nstate\n");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.out.contains(u"UTF-8で保存しますか？ -> cancel\n{"_s)) << r.out;
  EXPECT_TRUE(r.out.contains(u"\"modified\":true"_s)) << r.out;
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(kBook));
}

TEST_F(CliTest, BatchOnANewDocumentAndAMissingFile) {
  const QByteArray script = "new\nset 0 #0 hello\nsave\nsave " + w.Path(u"n.csv"_s).toUtf8() + "\nstate\n";
  CCliRun r = Run({u"batch"_s}, script);
  EXPECT_EQ(r.exitCode, 1);  // the first save had no path
  EXPECT_TRUE(r.err.contains(u"save PATH"_s)) << r.err;
  EXPECT_EQ(w.ReadFile(u"n.csv"_s), "\xEF\xBB\xBF" + u"\"項目１\"\r\n\"hello\"\r\n"_s.toUtf8());

  r = Run({u"batch"_s, w.Path(u"gone.csv"_s)}, "state\n");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.startsWith(u"message: ファイルが開けません\n"_s)) << r.out;
}

// Outputs into a folder others may write never go through a link another user
// planted there: each command refuses with the reason, and the file the link
// leads to (the user's own, closed to others) is left as it was.
TEST_F(CliTest, OutputsRefuseLinksPlantedInASharedFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  w.WriteFile(u"t.html"_s, "<p>%%1%%</p>\r\n");
  w.WriteFile(u"victim.txt"_s, "private");
  const QString shared = w.Path(u"shared"_s);
  ASSERT_TRUE(QDir().mkdir(shared));
  ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
  auto plant = [&](const QString& name) {
    const QByteArray at = QFile::encodeName(shared + u'/' + name);
    EXPECT_EQ(::symlink(QFile::encodeName(w.Path(u"victim.txt"_s)).constData(), at.constData()), 0);
    EXPECT_EQ(::lchown(at.constData(), 65534, 65534), 0);
    return shared + u'/' + name;
  };
  const QString a = w.Path(u"a.csv"_s), t = w.Path(u"t.html"_s);
  const struct {
    QStringList args;
    QString link;
  } cases[] = {
      {{u"html"_s, a, u"-t"_s, t, u"-o"_s, plant(u"out.html"_s)}, shared + u"/out.html"_s},
      {{u"html"_s, a, u"-t"_s, t, u"-o"_s, shared, u"--all"_s}, plant(u"card-0.html"_s)},
      {{u"print"_s, a, u"-o"_s, plant(u"out.pdf"_s)}, shared + u"/out.pdf"_s},
      {{u"convert"_s, a, u"-o"_s, plant(u"out.csv"_s)}, shared + u"/out.csv"_s},
  };
  for (const auto& c : cases) {
    const CCliRun r = Run(c.args);
    EXPECT_EQ(r.exitCode, 1) << c.args.join(u' ');
    EXPECT_TRUE(r.err.contains(c.link + u": "_s + file_msg::kForeignLink)) << c.args.join(u' ') << ": " << r.err;
    EXPECT_EQ(w.ReadFile(u"victim.txt"_s), "private") << c.args.join(u' ');
  }
}

// A file that is no card file is named as what it seems to be and not read:
// exit 1, and it is not remembered as the file to open next time.
TEST_F(CliTest, FilesThatAreNoCardFilesAreRefused) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  w.WriteFile(u"b.vcf"_s, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田\r\nEND:VCARD\r\n");
  w.WriteFile(u"c.png"_s, QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  const std::pair<QString, QString> files[] = {{u"b.vcf"_s, msg::kKindVCard}, {u"c.png"_s, msg::kKindImage}};
  for (const auto& [name, kind] : files) {
    const QString path = w.Path(name);
    const QString reason = msg::kNotCardFile.arg(kind);
    CCliRun r = Run({u"show"_s, path});
    EXPECT_EQ(r.exitCode, 1) << name;
    EXPECT_EQ(r.err, u"velum-cli: "_s + path + u": "_s + reason + u'\n') << name;
    EXPECT_TRUE(r.out.isEmpty()) << r.out;

    r = Run({u"batch"_s, w.Path(u"a.csv"_s)}, "open " + path.toUtf8() + "\nstate\n");
    EXPECT_EQ(r.exitCode, 1) << name;
    EXPECT_TRUE(r.out.startsWith(u"message: "_s + msg::kCannotOpenPath.arg(path, reason) + u'\n')) << r.out;
    EXPECT_TRUE(r.out.contains(u"\"path\":\""_s + w.Path(u"a.csv"_s) + u'"')) << r.out;
    EXPECT_FALSE(w.ReadFile(u"velum.reg"_s).contains(name.toUtf8())) << name;
  }
}

// Open, new and reload ask whether to save the changes first, naming the file,
// as the window does: cancel keeps them, no lets them go, yes saves.
TEST_F(CliTest, BatchAsksToSaveChangesBeforeReplacingTheDocument) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  w.WriteFile(u"b.csv"_s, Sjis(kBook));
  const QByteArray script = "set 0 #0 X\n"
                            "answer cancel\nreload\n"
                            "answer cancel\nopen " + w.Path(u"b.csv"_s).toUtf8() + "\n"
                            "answer cancel\nnew\n"
                            "state\n"
                            "answer no\nopen " + w.Path(u"b.csv"_s).toUtf8() + "\n"
                            "set 0 #0 Y\n"
                            "answer yes\nnew\n"
                            "set 0 #0 Z\n"
                            "answer yes\nopen " + w.Path(u"a.csv"_s).toUtf8() + "\n"
                            "state\n";
  const CCliRun r = Run({u"batch"_s, w.Path(u"a.csv"_s)}, script);
  EXPECT_EQ(r.exitCode, 1);  // the new document had no path to be saved to
  EXPECT_TRUE(r.err.contains(u"a new document needs a path"_s)) << r.err;
  const QString ask = u"question: %1 への変更を保存しますか？ -> %2\n"_s;
  const QString state = u"{\"card\":0,\"item\":0,\"modified\":%1,\"path\":\"%2\",\"total\":2,\"visible\":2}\n"_s;
  EXPECT_EQ(r.out, ask.arg(u"a.csv"_s, u"cancel"_s) + ask.arg(u"a.csv"_s, u"cancel"_s) +
                       ask.arg(u"a.csv"_s, u"cancel"_s) + state.arg(u"true"_s, w.Path(u"a.csv"_s)) +
                       ask.arg(u"a.csv"_s, u"no"_s) + ask.arg(u"b.csv"_s, u"yes"_s) + ask.arg(u"無題"_s, u"yes"_s) +
                       u"{\"card\":0,\"item\":0,\"modified\":true,\"path\":\"\",\"total\":1,\"visible\":1}\n"_s);
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(kBook));
  EXPECT_TRUE(w.ReadFile(u"b.csv"_s).contains(Sjis(u"\r\nY,"_s))) << w.ReadFile(u"b.csv"_s).toStdString();
}

// Every read that refuses a file, or reads it only in part, exits 1 with the
// reason on stderr: never an empty or partial deck with exit 0.
TEST_F(CliTest, RefusedReadsExitOneWithTheReason) {
  // Cards at the start, then a hole that takes no space.
  w.WriteFile(u"large.csv"_s, "n\r\n" + QByteArray("card\r\n").repeated(kSniffBytes / 6 + 1));
  QFile large(w.Path(u"large.csv"_s));
  ASSERT_TRUE(large.resize(kMaxCardFile + 1));
  w.WriteFile(u"mark.csv"_s, "n\r\na\r\nb\x1A" "c\r\n");
  const QString big = w.Path(u"large.csv"_s);
  const QString tooLarge = input_msg::kCannotRead.arg(big, input_msg::kTooLarge.arg(512));
  const QString mark = msg::kTextAfterEndOfFile.arg(3);
  const std::pair<QStringList, QString> cases[] = {
      {{u"show"_s, big}, tooLarge},
      {{u"show"_s, big, u"--json"_s}, tooLarge},
      {{u"value"_s, big, u"0"_s, u"#0"_s}, tooLarge},
      {{u"count"_s, big, u"#0"_s}, tooLarge},
      {{u"recalc"_s, big, u"-o"_s, w.Path(u"out.csv"_s)}, tooLarge},
      {{u"show"_s, w.Path(u"mark.csv"_s)}, mark},
      {{u"value"_s, w.Path(u"mark.csv"_s), u"0"_s, u"#0"_s}, mark},
  };
  for (const auto& [args, reason] : cases) {
    const CCliRun r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << args.join(u' ');
    EXPECT_TRUE(r.err.contains(reason)) << args.join(u' ') << ": " << r.err;
  }
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"out.csv"_s)));
}

// A U+001A typed into an item through batch is taken out with a word, and the
// file saved reads back whole.
TEST_F(CliTest, BatchTakesOutEndOfFileMarks) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const CCliRun r = Run({u"batch"_s, w.Path(u"a.csv"_s)}, "set 0 メモ \"x\x1Ay\"\nsave\n");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.out.contains(u"message: "_s + msg::kEndOfFileRemoved)) << r.out;
  const CCliRun shown = Run({u"show"_s, w.Path(u"a.csv"_s)});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.out, u"名前\tメモ\n山田\txy\n佐藤\tx\\ny\n"_s);
}

// convert keeps the line ends, the form and the encoding the file was read
// with, unless an option chooses one.
TEST_F(CliTest, ConvertKeepsTheFormOrTakesTheOneAskedFor) {
  const QByteArray lf = "n,m\na,\"x\ny\"\nb,2";
  w.WriteFile(u"lf.csv"_s, lf);
  const QString in = w.Path(u"lf.csv"_s), out = w.Path(u"out.csv"_s);
  const std::vector<std::pair<QStringList, QByteArray>> cases = {
      {{}, lf},
      {{u"--line-ends"_s, u"crlf"_s}, "n,m\r\na,\"x\ny\"\r\nb,2"},
      {{u"--line-ends"_s, u"CR"_s}, "n,m\ra,\"x\ny\"\rb,2"},  // the break inside as read
      {{u"--style"_s, u"own"_s}, "n,m\na,\"x\x01\x02y\"\nb,2"},
      {{u"--to-encoding"_s, u"utf-8"_s, u"--line-ends"_s, u"lf"_s}, "\xEF\xBB\xBF" + lf},
  };
  for (const auto& [options, bytes] : cases) {
    const CCliRun r = Run(QStringList{u"convert"_s, in, u"-o"_s, out} + options);
    ASSERT_EQ(r.exitCode, 0) << options.join(u' ') << r.err;
    EXPECT_EQ(w.ReadFile(u"out.csv"_s), bytes) << options.join(u' ');
  }
  const CCliRun bad = Run({u"convert"_s, in, u"-o"_s, out, u"--line-ends"_s, u"unix"_s});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_TRUE(bad.err.contains(u"--line-ends"_s)) << bad.err;

  // Mixed line ends: the most common, said once on stderr.
  w.WriteFile(u"mixed.csv"_s, "n,m\r\na,b\nc,d\n");
  const CCliRun mixed = Run({u"convert"_s, w.Path(u"mixed.csv"_s), u"-o"_s, out});
  ASSERT_EQ(mixed.exitCode, 0) << mixed.err;
  EXPECT_EQ(w.ReadFile(u"out.csv"_s), "n,m\na,b\nc,d\n");
  EXPECT_EQ(mixed.err.count(msg::kMixedLineEnds.arg(u"LF"_s)), 1) << mixed.err;
}

namespace {

// The rows a spreadsheet would see: Python's csv module over the file, as
// JSON; empty when Python cannot run.
QJsonArray PythonCsvRows(const QString& path) {
  const QString python = QStandardPaths::findExecutable(u"python3"_s);
  if (python.isEmpty()) return {};
  QProcess p;
  p.start(python, {u"-c"_s,
                   u"import csv, json, sys\n"
                   "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                   "    print(json.dumps(list(csv.reader(f))))\n"_s,
                   path});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

// The item names and cards of a file as velum-cli shows them, line breaks
// as a spreadsheet gives them (LF).
QJsonArray VelumRows(const CCliRun& show) {
  const QJsonObject o = QJsonDocument::fromJson(show.out.toUtf8()).object();
  QJsonArray rows{o[u"items"_s]};
  for (const QJsonValue& card : o[u"cards"_s].toArray()) rows.append(card);
  QJsonArray out;
  for (const QJsonValue& row : rows) {
    QJsonArray texts;
    for (const QJsonValue& t : row.toArray()) texts.append(t.toString().replace(u"\r\n"_s, u"\n"_s));
    out.append(texts);
  }
  return out;
}

}  // namespace

// A new file from velum-cli new or batch new, with line breaks, commas and
// quotes in its items, reads back the same in the program and in Python's csv
// module, as a spreadsheet reads it.
TEST_F(CliTest, NewFilesReadBackInSpreadsheets) {
  const QByteArray edits =
      "set 0 メモ 一行目二行目\nlinebreak メモ 3\nset 0 名前 \"山田, 太郎\"\nadd\n"
      "set 1 名前 \"say \\\"hi\\\"\"\nset 1 メモ \"\\\"引用\\\",で終わる\"\n";
  const QJsonArray expected = QJsonDocument::fromJson(
      u"[[\"名前\",\"メモ\"],[\"山田, 太郎\",\"一行目\\n二行目\"],[\"say \\\"hi\\\"\",\"\\\"引用\\\",で終わる\"]]"_s.toUtf8())
                                  .array();
  ASSERT_EQ(expected.size(), 3);

  const QString made = w.Path(u"made.csv"_s);
  CCliRun r = Run({u"new"_s, made, u"--items"_s, u"名前,メモ"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"made.csv"_s), "\xEF\xBB\xBF" + u"\"名前\",\"メモ\"\r\n\"\",\"\"\r\n"_s.toUtf8());
  r = Run({u"batch"_s, made}, edits + "save\n");
  ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
  r = Run({u"new"_s, made, u"--items"_s, u"a"_s});
  EXPECT_EQ(r.exitCode, 1);  // never over a file that is there
  EXPECT_TRUE(r.err.contains(u"exists"_s)) << r.err;

  const QString batched = w.Path(u"batched.csv"_s);
  r = Run({u"batch"_s}, "new\nitem-rename #0 名前\nitem-add メモ\n" + edits + "save " + batched.toUtf8() + "\n");
  ASSERT_EQ(r.exitCode, 0) << r.err << r.out;

  for (const QString& path : {made, batched}) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_TRUE(w.ReadFile(QFileInfo(path).fileName()).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(VelumRows(Run({u"show"_s, u"--json"_s, path})), expected);
    const QJsonArray python = PythonCsvRows(path);
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not at hand";
    EXPECT_EQ(python, expected);
  }
}

// new --template makes the starting points of ﾌｧｲﾙ ▸ 新規作成: the items, their
// properties in the property file beside it, one empty card; the age follows
// the birthday and stays empty without one. Bad choices change no file.
TEST_F(CliTest, NewFromAStartingPoint) {
  const QString book = w.Path(u"住所.csv"_s);
  CCliRun r = Run({u"new"_s, book, u"--template"_s, u"住所録"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"住所.csv"_s),
            "\xEF\xBB\xBF" + u"\"氏名\",\"ふりがな\",\"郵便番号\",\"住所1\",\"住所2\",\"電話\",\"携帯\",\"メール\",\"誕生日\","
                             "\"年齢\",\"メモ\"\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.toUtf8());
  const QJsonObject props = QJsonDocument::fromJson(Run({u"props"_s, book}).out.toUtf8()).object();
  const QJsonArray records = props.value(u"items"_s).toArray();
  ASSERT_EQ(records.size(), 11) << Run({u"props"_s, book}).out.left(400).toStdString();
  EXPECT_EQ(records[9].toObject().value(u"formula"_s).toString(), u"STR(IFS(%[誕生日]=,,IFS(%[誕生日]=0,,YEARS(%[誕生日]))))"_s);
  EXPECT_EQ(records[2].toObject().value(u"imeMode"_s).toInt(), 2);

  r = Run({u"batch"_s, book}, "show\nset 0 誕生日 2000/5/4\nshow\nset 0 誕生日 1975/5/3\nshow\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const QStringList ages = r.out.split(u'\n').filter(u"\t"_s).filter(QRegularExpression(u"^\t"_s));
  ASSERT_EQ(ages.size(), 3) << r.out.toStdString();
  EXPECT_EQ(ages[0].split(u'\t')[9], u""_s);
  EXPECT_EQ(ages[1].split(u'\t')[9], u"23"_s);
  EXPECT_EQ(ages[2].split(u'\t')[9], u"49"_s);

  const QString cards = w.Path(u"賀状.csv"_s);
  ASSERT_EQ(Run({u"new"_s, cards, u"--template"_s, u"年賀状リスト"_s, u"--to-encoding"_s, u"cp932"_s}).exitCode, 0);
  EXPECT_TRUE(w.ReadFile(u"賀状.csv"_s).startsWith(Sjis(u"\"氏名\",\"ふりがな\",\"連名\",\"敬称\""_s)));
  EXPECT_TRUE(w.ReadFile(u"賀状.csv"_s).contains(Sjis(u"\"2024年\",\"2025年\""_s)));

  const struct {
    QStringList args;
    int exitCode;
    QString said;
  } refused[] = {
      {{u"--template"_s, u"家計簿"_s}, 2, u"no template 家計簿 (the templates: 住所録, 年賀状リスト, 顧客名簿, 蔵書"_s},
      {{u"--template"_s, u"空のファイル"_s}, 2, u"no template 空のファイル"_s},
      {{u"--template"_s, u"住所録"_s, u"--items"_s, u"a"_s}, 2, u"usage: velum-cli new FILE (--template NAME | --items"_s},
      {{}, 2, u"usage: velum-cli new"_s},
      {{u"--items"_s, u"氏名,電話,氏名"_s}, 2, u"項目名「氏名」が２回あります"_s},
      {{u"--items"_s, u", ,"_s}, 2, u"項目名を１行に１つずつ入力してください"_s},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.args.join(u' ').toStdString());
    r = Run(QStringList{u"new"_s, w.Path(u"refused.csv"_s)} + c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(w.Path(u"refused.csv"_s)));
  }
  r = Run({u"new"_s, w.Path(u"trimmed.csv"_s), u"--items"_s, u" 氏名 ,,電話"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"trimmed.csv"_s), "\xEF\xBB\xBF" + u"\"氏名\",\"電話\"\r\n\"\",\"\"\r\n"_s.toUtf8());
}
