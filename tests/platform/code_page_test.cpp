#include "platform/code_page.h"
#include "support/test_support.h"

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

TEST(CodePage, ByteOrderMarkAndNames) {
  qsizetype body = -1;
  EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFx", CodePage::Cp932, &body), (FileEncoding{CodePage::Utf8, true}));
  EXPECT_EQ(body, 3);
  EXPECT_EQ(DetectEncoding("x", CodePage::Utf8, &body), (FileEncoding{CodePage::Utf8, false}));
  EXPECT_EQ(body, 0);
  CodePage cp;
  EXPECT_TRUE(ParseCodePageName(u"UTF-8", &cp));
  EXPECT_EQ(cp, CodePage::Utf8);
  EXPECT_TRUE(ParseCodePageName(u"cp932", &cp));
  EXPECT_EQ(cp, CodePage::Cp932);
  EXPECT_FALSE(ParseCodePageName(u"latin1", &cp));
}
