#include "support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

TEST_F(CliTest, ValueAndItsErrors) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  CCliRun r = Run({u"value"_s, w.Path(u"a.csv"_s), u"1"_s, u"メモ"_s});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, u"x\r\ny\n"_s);
  r = Run({u"value"_s, w.Path(u"a.csv"_s), u"0"_s, u"#1"_s});
  EXPECT_EQ(r.out, u"東京,港区\n"_s);

  r = Run({u"value"_s, w.Path(u"a.csv"_s), u"2"_s, u"#0"_s});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(u"no card 2"_s)) << r.err;
  r = Run({u"value"_s, w.Path(u"a.csv"_s), u"0"_s, u"住所"_s});
  EXPECT_EQ(r.exitCode, 1);
  r = Run({u"value"_s, w.Path(u"missing.csv"_s), u"0"_s, u"#0"_s});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(u"ファイルが開けません"_s)) << r.err;
  r = Run({u"value"_s, w.Path(u"a.csv"_s)});
  EXPECT_EQ(r.exitCode, 2);
  r = Run({u"nonsense"_s});
  EXPECT_EQ(r.exitCode, 2);
  r = Run({u"--encoding"_s, u"latin1"_s, u"show"_s, w.Path(u"a.csv"_s)});
  EXPECT_EQ(r.exitCode, 2);
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
      "bogus\n";
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
  EXPECT_EQ(r.exitCode, 2);  // the unknown command
  EXPECT_TRUE(r.err.contains(u"error: no card 9"_s)) << r.err;
  EXPECT_TRUE(r.err.contains(u"error: unknown command: bogus"_s)) << r.err;
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(u"名前,メモ\r\n山田,\"東京,港区\"\r\n佐藤,two words \u0003\u0003quoted\u0003\u0003\r\n"_s));
}

TEST_F(CliTest, BatchOnANewDocumentAndAMissingFile) {
  const QByteArray script = "new\nset 0 #0 hello\nsave\nsave " + w.Path(u"n.csv"_s).toUtf8() + "\nstate\n";
  CCliRun r = Run({u"batch"_s}, script);
  EXPECT_EQ(r.exitCode, 1);  // the first save had no path
  EXPECT_TRUE(r.err.contains(u"save PATH"_s)) << r.err;
  EXPECT_EQ(w.ReadFile(u"n.csv"_s), Sjis(u"\"項目１\"\r\n\"hello\"\r\n"_s));

  r = Run({u"batch"_s, w.Path(u"gone.csv"_s)}, "state\n");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.startsWith(u"message: ファイルが開けません\n"_s)) << r.out;
}
