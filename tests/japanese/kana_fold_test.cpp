#include "japanese/kana_fold.h"
#include "japanese/wide_digits.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

struct CFold {
  const char16_t* text;
  const char16_t* folded;
};

TEST(KanaFoldTest, FoldsKanaKindsAndWidths) {
  const CFold rows[] = {
      {u"カトウ", u"かとう"},
      {u"ｶﾄｳ", u"かとう"},
      {u"ｶﾞｯｺｳ", u"がっこう"},
      {u"ﾊﾟﾝ", u"ぱん"},
      {u"ｳﾞｧｲｵﾘﾝ", u"ゔぁいおりん"},
      {u"ｱﾞ", u"あ゛"},  // no voiced あ: the mark stays beside it
      {u"ｰ", u"ー"},
      {u"ｺｰﾋｰ｡", u"こーひー。"},
      {u"ヴ ヶ ヽ", u"ゔ ゖ ゝ"},
      {u"ＡＢＣ　１２３", u"ABC 123"},
      {u"ａｂｃ＠ｘ．ｊｐ", u"abc@x.jp"},
      {u"漢字 abc", u"漢字 abc"},
      {u"", u""},
  };
  for (const CFold& r : rows) {
    const QString text = QString::fromUtf16(r.text);
    EXPECT_EQ(FoldKana(text), QString::fromUtf16(r.folded)) << text.toStdString();
    EXPECT_EQ(NeedsKanaFold(text), FoldKana(text) != text) << text.toStdString();
  }
}

TEST(KanaFoldTest, ReadingsInEitherKana) {
  EXPECT_EQ(ToHiragana(u"ｶﾄｳ ＡＢ カトウ"), u"かとう ＡＢ かとう"_qs);
  EXPECT_EQ(HiraganaToKatakana(u"かとう たろう ゔ"), u"カトウ タロウ ヴ"_qs);
  EXPECT_TRUE(IsKanaText(u"かとう"));
  EXPECT_TRUE(IsKanaText(u"コーヒー"));
  EXPECT_TRUE(IsKanaText(u"ｶﾞｯｺｳ"));
  EXPECT_FALSE(IsKanaText(u"加藤"));
  EXPECT_FALSE(IsKanaText(u"かt"));
  EXPECT_FALSE(IsKanaText(u""));
}

TEST(WideDigitsTest, NarrowsNumberCharacters) {
  const CFold rows[] = {
      {u"１２３", u"123"},       {u"－５", u"-5"},          {u"−５", u"-5"},
      {u"１，２３４．５", u"1,234.5"}, {u"２０２６／１２／７", u"2026/12/7"}, {u"￥１，０００", u"\\1,000"},
      {u"12円", u"12円"},
  };
  for (const CFold& r : rows) {
    const QString text = QString::fromUtf16(r.text);
    EXPECT_EQ(NarrowNumberText(text), QString::fromUtf16(r.folded)) << text.toStdString();
    EXPECT_EQ(HasWideNumberChars(text), NarrowNumberText(text) != text) << text.toStdString();
  }
}

}  // namespace
