#include "html/text_file.h"
#include "platform/prompt.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

TEST(TextFile, Utf8Test) {
  const std::pair<QByteArray, bool> cases[] = {
      {QByteArray(), true},
      {"plain ascii\r\n", true},
      {"\xE6\xB0\x8F\xE5\x90\x8D", true},               // 氏名
      {"\xC3\xA9", true},                               // é
      {"\xF0\x9F\x98\x80", true},                       // an emoji: four bytes
      {"\x8E\x81\x96\xBC", false},                      // 氏名 in CP932
      {"\x82\xA0", false},                              // あ in CP932: a lone continuation byte first
      {"\xE6\xB0", false},                              // cut short
      {"\xC3", false},                                  // cut short
      {"\xF8\x80\x80\x80\x80", false},                  // no lead byte
      {"abc\x80", false},                               // a misplaced continuation byte
      {QByteArray("\xE6\xB0\x8F", 3) + "\x41", true},
  };
  for (const auto& [bytes, utf8] : cases) EXPECT_EQ(LooksLikeUtf8(bytes), utf8) << bytes.toHex().constData();
}

TEST(TextFile, ReaderKeepsLineEndsAndDropsEndOfFileMarks) {
  struct Case {
    QByteArray bytes;
    QStringList lines;
    bool utf8;
  };
  const Case cases[] = {
      {"a\r\nb\nc", {u"a\r\n"_s, u"b\n"_s, u"c"_s}, true},
      {"a\x1A\r\n\x1A", {u"a\r\n"_s}, true},
      {"", {}, true},
      {"\n\n", {u"\n"_s, u"\n"_s}, true},
      {"\xEF\xBB\xBF\xE6\xB0\x8F\r\n", {u"氏\r\n"_s}, true},  // the byte-order mark is no text
      {Sjis(u"氏名\r\n住所"_s), {u"氏名\r\n"_s, u"住所"_s}, false},
      {"\xC0\x80\n", {u"ﾀ\u0080\n"_s}, false},  // an overlong form is no UTF-8: CP932
  };
  for (const Case& c : cases) {
    CTextReader reader(c.bytes);
    QStringList lines;
    QString line;
    while (reader.ReadLine(&line)) lines << line;
    EXPECT_EQ(lines, c.lines) << c.bytes.toHex().constData();
    EXPECT_EQ(reader.WasUtf8(), c.utf8) << c.bytes.toHex().constData();
  }
}

TEST(TextFile, WriterNeverReplacesACharacter) {
  CTestWorld w;
  const QString path = w.Path(u"out.html"_s);
  EXPECT_EQ(WriteTextFile(path, u"氏名\r\n"_s, CodePage::Cp932, w.prompt), 1);
  EXPECT_EQ(w.ReadFile(u"out.html"_s), Sjis(u"氏名\r\n"_s));

  // A character CP932 lacks: the question names it; Cancel writes nothing.
  w.prompt.QueueAnswer(false);
  EXPECT_EQ(WriteTextFile(path, u"a\r\nb\r\n😀"_s, CodePage::Cp932, w.prompt), -1);
  EXPECT_EQ(w.prompt.Texts(), QStringList{kTextUnencodable.arg(u"out.html"_s, u"3"_s, u"😀"_s, u"CP932"_s)});
  EXPECT_EQ(w.ReadFile(u"out.html"_s), Sjis(u"氏名\r\n"_s));
  // OK writes UTF-8 with a byte-order mark.
  EXPECT_EQ(WriteTextFile(path, u"😀"_s, CodePage::Cp932, w.prompt), 1);
  EXPECT_EQ(w.ReadFile(u"out.html"_s), QByteArray("\xEF\xBB\xBF\xF0\x9F\x98\x80"));

  EXPECT_EQ(WriteTextFile(w.Path(u"no/such/folder/x.html"_s), u"x"_s, CodePage::Cp932, w.prompt), 0);
}
