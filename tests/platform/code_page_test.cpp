#include "platform/code_page.h"
#include "support/test_support.h"

#include <QRandomGenerator>

#include <iterator>
#include <thread>
#include <vector>

#include <iconv.h>

using namespace Qt::StringLiterals;

TEST(CodePage, Cp932FollowsThePlatformTable) {
  struct Case {
    QByteArray bytes;
    QString text;
  };
  const std::vector<Case> cases = {
      {"abc\\~", u"abc\\~"_s},
      {"\x82\xA0\x88\x9F", u"あ亜"_s},
      {"\x81\x5F\x81\x60\x81\x61\x81\x7C", u"＼～∥－"_s},  // the Microsoft forms
      {"\x87\x40\xFA\x5C\xFA\x40", u"①纊ⅰ"_s},            // NEC and IBM extensions
      {"\xB1\xB2", u"ｱｲ"_s},
      {"\x80\xA0\xFD\xFE\xFF", u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"_s},
  };
  for (const Case& c : cases) {
    const DecodeResult d = DecodeBytes(c.bytes, CodePage::Cp932);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.badCount, 0);
    const EncodeResult e = EncodeText(c.text, CodePage::Cp932);
    ASSERT_TRUE(e.ok()) << c.text;
    EXPECT_EQ(e.bytes, c.bytes) << c.text;
  }
}

// The encoder keeps the platform converter's answer for each character: every
// character of the plane, encoded one by one, in one text, and on several
// threads at once, gives what the converter gives for the whole text; the
// first character it cannot hold is named.
TEST(CodePage, Cp932EncodingMatchesTheConverterOverThePlane) {
  QString all;
  QByteArray expected;
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (char32_t u = 0x80; u < 0x10000; ++u) {
    if (QChar::isSurrogate(u)) continue;
    char16_t unit = char16_t(u);
    char* in = reinterpret_cast<char*>(&unit);
    size_t inLeft = 2;
    char out[4];
    char* o = out;
    size_t outLeft = sizeof out;
    const bool ok = iconv(cd, &in, &inLeft, &o, &outLeft) != size_t(-1);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const EncodeResult one = EncodeText(QStringView(&unit, 1), CodePage::Cp932);
    if (!ok) {
      const bool extra = u == 0x80 || (u >= 0xF8F0 && u <= 0xF8F3);
      ASSERT_EQ(one.ok(), extra) << std::hex << unsigned(u);
      continue;
    }
    ASSERT_EQ(one.bytes, QByteArray(out, qsizetype(sizeof out - outLeft))) << std::hex << unsigned(u);
    all += QChar(unit);
    expected.append(out, qsizetype(sizeof out - outLeft));
  }
  iconv_close(cd);
  std::vector<std::thread> threads;
  std::vector<QByteArray> got(3);
  for (int t = 0; t < 3; ++t) threads.emplace_back([&, t] { got[t] = EncodeText(all, CodePage::Cp932).bytes; });
  for (std::thread& t : threads) t.join();
  for (const QByteArray& g : got) EXPECT_EQ(g, expected);
  const EncodeResult cut = EncodeText(all.left(100) + u"𠮷"_s + all.left(5), CodePage::Cp932);
  EXPECT_EQ(cut.failedAt, 100);
  EXPECT_TRUE(cut.bytes.isEmpty());
}

TEST(CodePage, NecSelectedExtensionsEncodeAsTheIbmForm) {
  EXPECT_EQ(DecodeBytes("\xED\x40", CodePage::Cp932).text, u"纊"_s);
  EXPECT_EQ(EncodeText(u"纊"_s, CodePage::Cp932).bytes, QByteArray("\xFA\x5C"));
}

TEST(CodePage, DamageIsReportedWhereItIs) {
  DecodeResult d = DecodeBytes("ab\x82\x20" "c\x82", CodePage::Cp932);
  EXPECT_EQ(d.firstBadOffset, 2);
  EXPECT_EQ(d.badCount, 2);
  EXPECT_EQ(d.text, u"ab\uFFFD c\uFFFD"_s);

  d = DecodeBytes("ok\xC3(\xE3\x81\x82", CodePage::Utf8);
  EXPECT_EQ(d.firstBadOffset, 2);
  EXPECT_EQ(d.badCount, 1);
  EXPECT_TRUE(d.text.endsWith(u"あ"_s));

  EncodeResult e = EncodeText(u"東京𠮷野家"_s, CodePage::Cp932);
  EXPECT_FALSE(e.ok());
  EXPECT_EQ(e.failedAt, 2);
  EXPECT_TRUE(e.bytes.isEmpty());
  EXPECT_EQ(CharacterAt(u"東京𠮷野家"_s, 2), u"𠮷"_s);
  e = EncodeText(u"한"_s, CodePage::Cp932);
  EXPECT_EQ(e.failedAt, 0);
  e = EncodeText(u"a"_s + QChar(0xD800) + u"b"_s, CodePage::Utf8);
  EXPECT_EQ(e.failedAt, 1);
  EXPECT_TRUE(EncodeText(u"𠮷"_s, CodePage::Utf8).ok());
}

// A byte-order mark decides; without one a code page chosen for good does;
// otherwise text that UTF-8 reads is UTF-8, even where CP932 reads it too.
TEST(CodePage, EncodingOfAFile) {
  const QByteArray utf8AlsoCp932 = u"番号,name\r\n"_s.toUtf8();
  ASSERT_EQ(DecodeBytes(utf8AlsoCp932, CodePage::Cp932).badCount, 0);  // the trap: 逡ｪ蜿ｷ
  struct Case {
    QByteArray bytes;
    CodePage configured;
    bool forced;
    FileEncoding encoding;
    qsizetype body;
  };
  const std::vector<Case> cases = {
      {"\xEF\xBB\xBFx", CodePage::Cp932, true, {CodePage::Utf8, true}, 3},
      {QByteArray("\xFF\xFEx\0", 4), CodePage::Cp932, false, {CodePage::Utf16Le, true}, 2},
      {QByteArray("\xFE\xFF\0x", 4), CodePage::Utf8, true, {CodePage::Utf16Be, true}, 2},
      {"x", CodePage::Utf8, false, {CodePage::Utf8, false}, 0},
      {"x", CodePage::Cp932, false, {CodePage::Cp932, false}, 0},
      {utf8AlsoCp932, CodePage::Cp932, false, {CodePage::Utf8, false}, 0},
      {utf8AlsoCp932, CodePage::Cp932, true, {CodePage::Cp932, false}, 0},
      {"\x94\xD4\x8D\x86", CodePage::Cp932, false, {CodePage::Cp932, false}, 0},  // 番号 in CP932
      {"\x94\xD4\x8D\x86", CodePage::Utf8, false, {CodePage::Utf8, false}, 0},
  };
  for (const Case& c : cases) {
    qsizetype body = -1;
    EXPECT_EQ(DetectEncoding(c.bytes, c.configured, c.forced, &body), c.encoding) << c.bytes.toHex().constData();
    EXPECT_EQ(body, c.body) << c.bytes.toHex().constData();
    EXPECT_EQ(ByteOrderMark(c.encoding), c.bytes.left(c.body));
  }
  CodePage cp;
  EXPECT_TRUE(ParseCodePageName(u"UTF-8", &cp));
  EXPECT_EQ(cp, CodePage::Utf8);
  EXPECT_TRUE(ParseCodePageName(u"cp932", &cp));
  EXPECT_EQ(cp, CodePage::Cp932);
  EXPECT_FALSE(ParseCodePageName(u"latin1", &cp));
}

// UTF-16 in either byte order, cut into pieces anywhere, reads the same; a
// lone surrogate or half a unit at the end is damage.
TEST(CodePage, Utf16InPiecesAndDamaged) {
  const QString text = u"名前,𠮷\r\na\u001A"_s;
  for (const CodePage cp : {CodePage::Utf16Le, CodePage::Utf16Be}) {
    const EncodeResult e = EncodeText(text, cp);
    ASSERT_TRUE(e.ok());
    ASSERT_EQ(e.bytes.size(), text.size() * 2);
    for (const qsizetype piece : {1, 2, 3, 5}) {
      CStreamDecoder decoder(cp);
      QString out;
      for (qsizetype i = 0; i < e.bytes.size(); i += piece)
        decoder.Feed(e.bytes.constData() + i, std::min(piece, e.bytes.size() - i), i + piece >= e.bytes.size(), out);
      EXPECT_EQ(out, text) << CodePageName(cp) << " piece " << piece;
      EXPECT_EQ(decoder.BadCount(), 0);
    }
    // a, a lone low surrogate, b, a high surrogate with nothing after it, half a unit.
    QByteArray damaged;
    for (const char16_t u : {char16_t(u'a'), char16_t(0xDC00), char16_t(u'b'), char16_t(0xD800)}) {
      const char hi = char(u >> 8), lo = char(u & 0xFF);
      damaged.append(cp == CodePage::Utf16Le ? lo : hi).append(cp == CodePage::Utf16Le ? hi : lo);
    }
    const DecodeResult d = DecodeBytes(damaged + 'x', cp);
    EXPECT_EQ(d.text, u"a\uFFFDb\uFFFD\uFFFD"_s);
    EXPECT_EQ(d.badCount, 3);
    EXPECT_EQ(d.firstBadOffset, 2);
    EXPECT_EQ(EncodeText(u"a"_s + QChar(0xDC00), cp).failedAt, 1);
  }
}

// Runs of ASCII of every length between characters of two bytes, single
// bytes of the code page, damage and a lead byte cut at the end: a text
// decoded whole is the text decoded a byte at a time, and (but for the
// damage) encodes again to what its characters encode to one by one.
TEST(CodePage, Cp932RunsOfAsciiAtEveryOffset) {
  const QByteArray pieces[] = {"\x82\xA0", "\x88\x9F", "\xB1", "\x80", "\xFD", "\x82\x20", "\xFF", ",", "\"", "\r\n"};
  QRandomGenerator rng(5);
  for (int k = 0; k < 400; ++k) {
    QByteArray bytes;
    const int count = 1 + int(rng.bounded(12));
    for (int p = 0; p < count; ++p) {
      bytes += QByteArray(int(rng.bounded(40)), char('a' + rng.bounded(26)));
      bytes += pieces[rng.bounded(int(std::size(pieces)))];
    }
    if (k % 3 == 0) bytes += '\x82';
    const DecodeResult whole = DecodeBytes(bytes, CodePage::Cp932);
    CStreamDecoder decoder(CodePage::Cp932);
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) decoder.Feed(bytes.constData() + i, 1, i + 1 == bytes.size(), text);
    ASSERT_EQ(whole.text, text) << k;
    ASSERT_EQ(whole.badCount, decoder.BadCount()) << k;
    ASSERT_EQ(whole.firstBadOffset, decoder.FirstBadOffset()) << k;

    text.remove(QChar(0xFFFD));  // damage, which no code page holds
    QByteArray oneByOne;
    for (const QChar c : text) oneByOne += EncodeText(QStringView(&c, 1), CodePage::Cp932).bytes;
    const EncodeResult encoded = EncodeText(text, CodePage::Cp932);
    ASSERT_TRUE(encoded.ok()) << k;
    ASSERT_EQ(encoded.bytes, oneByOne) << k;
  }
}
