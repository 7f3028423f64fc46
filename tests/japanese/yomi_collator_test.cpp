#include "japanese/yomi_collator.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

namespace {

struct CPair {
  const char16_t* a;
  const char16_t* b;
  int order;  // -1: a first, 0: alike
  const char* why;
};

// Each row is checked both ways round.
const CPair kPairs[] = {
    {u"かとう", u"カトウ", 0, "hiragana and katakana are the same letters"},
    {u"かとう", u"ｶﾄｳ", 0, "half-width katakana are the same letters"},
    {u"カトウ", u"ｶﾄｳ", 0, "half-width and full-width alike"},
    {u"かとう", u"がとう", -1, "a voiced kana after its plain one"},
    {u"がとう", u"かとうa", -1, "the letters decide before the voiced mark"},
    {u"ガトウ", u"かとうあ", -1, "kana kind does not decide before the letters"},
    {u"はは", u"ばば", -1, "plain before voiced"},
    {u"ばば", u"ぱぱ", -1, "voiced before semi-voiced"},
    {u"ﾊﾟﾊﾟ", u"ばば", 1, "half-width semi-voiced after voiced"},
    {u"きって", u"きつて", -1, "small kana before the plain one"},
    {u"きってa", u"きつてb", -1, "small kana are the same letter at the first level"},
    {u"かーど", u"かあど", -1, "the long vowel mark reads as the vowel, before the written one"},
    {u"かーどa", u"かあどb", -1, "the long vowel mark is the vowel at the first level"},
    {u"かーど", u"かいど", -1, "the long vowel mark repeats the vowel of the kana before it"},
    {u"1丁目2番", u"1丁目10番", -1, "numbers in a text by their value"},
    {u"１丁目２番", u"1丁目10番", -1, "full-width digits by their value"},
    {u"9", u"10", -1, "numbers by their value"},
    {u"abc", u"ABC", -1, "case only as the last tie-break"},
    {u"ABC", u"abd", -1, "case does not decide before the letters"},
    {u"ＡＢＣ", u"abd", -1, "full-width letters are the same letters"},
    {u"abc", u"あ", -1, "Latin letters before kana"},
    {u"あ", u"亜", -1, "kana before kanji"},
    {u"", u"あ", -1, "the empty text first"},
};

TEST(YomiCollatorTest, OrdersAsADictionary) {
  const CYomiCollator c;
  for (const CPair& p : kPairs) {
    const QString a = QString::fromUtf16(p.a);
    const QString b = QString::fromUtf16(p.b);
    const auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    EXPECT_EQ(sign(c.Compare(a, b)), p.order) << p.why << ": " << a.toStdString() << " / " << b.toStdString();
    EXPECT_EQ(sign(c.Compare(b, a)), -p.order) << p.why;
    EXPECT_EQ(sign(c.SortKey(a).compare(c.SortKey(b))), p.order) << p.why << " (sort keys)";
  }
}

TEST(YomiCollatorTest, SortsAListOfReadings) {
  QStringList names{u"わたなべ"_qs, u"ｶﾄｳ"_qs, u"あべ"_qs, u"カトウ"_qs, u"がとう"_qs, u"かとう"_qs, u"いとう"_qs};
  const CYomiCollator c;
  std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return c.Compare(a, b) < 0; });
  // ｶﾄｳ, カトウ and かとう compare equal and keep their order.
  EXPECT_EQ(names.join(u' '), u"あべ いとう ｶﾄｳ カトウ かとう がとう わたなべ"_qs);
}

}  // namespace
