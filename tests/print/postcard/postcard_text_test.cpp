// The texts a postcard prints: postal codes read in every form a card file
// holds them, numbers written as kanji numerals, addresses broken into columns.
#include "print/postcard/address_break.h"
#include "print/postcard/kanji_numerals.h"
#include "print/postcard/postcard_code.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

TEST(PostcardCodeTest, ReadsEveryUsualFormAndNamesTheRest) {
  struct Row {
    QString text;
    QString digits;  // empty: not ok
    QString kept;
  };
  const Row rows[] = {
      {u"123-4567"_s, u"1234567"_s, u"123-4567"_s},
      {u"1234567"_s, u"1234567"_s, u"1234567"_s},
      {u"１２３－４５６７"_s, u"1234567"_s, u"１２３－４５６７"_s},
      {u"〒100-0001"_s, u"1000001"_s, u"〒100-0001"_s},
      {u"〒 １００ー０００１"_s, u"1000001"_s, u"〒 １００ー０００１"_s},
      {u"  060-8588\u3000"_s, u"0608588"_s, u"060-8588"_s},
      {u"123‐4567"_s, u"1234567"_s, u"123‐4567"_s},
      // Not seven digits: kept as they stand.
      {u"123-456"_s, {}, u"123-456"_s},
      {u"12-34567"_s, {}, u"12-34567"_s},
      {u"1234-567"_s, {}, u"1234-567"_s},
      {u"123--4567"_s, {}, u"123--4567"_s},
      {u"12345678"_s, {}, u"12345678"_s},
      {u"ABC-DEFG"_s, {}, u"ABC-DEFG"_s},
      {u"123-45G7"_s, {}, u"123-45G7"_s},
      {u"123 4567"_s, {}, u"123 4567"_s},
      {u""_s, {}, u""_s},
      {u"〒"_s, {}, u"〒"_s},
  };
  for (const Row& r : rows) {
    const CPostcardCode code = ParsePostcardCode(r.text);
    EXPECT_EQ(code.ok, !r.digits.isEmpty()) << r.text;
    EXPECT_EQ(code.digits, r.digits) << r.text;
    EXPECT_EQ(code.text, r.kept) << r.text;
  }
}

TEST(KanjiNumeralsTest, NumbersInBothStyles) {
  struct Row {
    QString digits, byDigit, byPlace;
  };
  const Row rows[] = {
      {u"0"_s, u"〇"_s, u"〇"_s},          {u"7"_s, u"七"_s, u"七"_s},
      {u"10"_s, u"一〇"_s, u"十"_s},       {u"12"_s, u"一二"_s, u"十二"_s},
      {u"20"_s, u"二〇"_s, u"二十"_s},     {u"101"_s, u"一〇一"_s, u"百一"_s},
      {u"110"_s, u"一一〇"_s, u"百十"_s},  {u"999"_s, u"九九九"_s, u"九百九十九"_s},
      {u"1000"_s, u"一〇〇〇"_s, u"千"_s}, {u"2024"_s, u"二〇二四"_s, u"二千二十四"_s},
      {u"10000"_s, u"一〇〇〇〇"_s, u"一万"_s},
      {u"11000"_s, u"一一〇〇〇"_s, u"一万一千"_s},
      {u"20001"_s, u"二〇〇〇一"_s, u"二万一"_s},
      {u"99999999"_s, u"九九九九九九九九"_s, u"九千九百九十九万九千九百九十九"_s},
      // A leading zero, or more than eight digits, stays digit by digit.
      {u"0101"_s, u"〇一〇一"_s, u"〇一〇一"_s},
      {u"123456789"_s, u"一二三四五六七八九"_s, u"一二三四五六七八九"_s},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(KanjiNumber(r.digits, NumeralStyle::kDigits), r.byDigit) << r.digits;
    EXPECT_EQ(KanjiNumber(r.digits, NumeralStyle::kPlace), r.byPlace) << r.digits;
  }
}

TEST(KanjiNumeralsTest, AddressTextsWithHyphensAndWidths) {
  struct Row {
    QString text;
    NumeralStyle numerals;
    HyphenStyle hyphen;
    QString expected;
  };
  const Row rows[] = {
      {u"千代田1-1"_s, NumeralStyle::kDigits, HyphenStyle::kBar, u"千代田一ー一"_s},
      {u"1-2-3"_s, NumeralStyle::kDigits, HyphenStyle::kBar, u"一ー二ー三"_s},
      {u"1-2-3"_s, NumeralStyle::kDigits, HyphenStyle::kNo, u"一の二の三"_s},
      {u"12-101"_s, NumeralStyle::kPlace, HyphenStyle::kBar, u"十二ー百一"_s},
      {u"１２－３４"_s, NumeralStyle::kDigits, HyphenStyle::kBar, u"一二ー三四"_s},
      {u"３丁目５番地"_s, NumeralStyle::kPlace, HyphenStyle::kBar, u"三丁目五番地"_s},
      {u"三丁目5−1"_s, NumeralStyle::kDigits, HyphenStyle::kNo, u"三丁目五の一"_s},
      // Hyphens that join no numbers, Latin letters and other text stay.
      {u"ABC-タワー 3F"_s, NumeralStyle::kDigits, HyphenStyle::kBar, u"ABC-タワー 三F"_s},
      {u"ビル-1"_s, NumeralStyle::kDigits, HyphenStyle::kNo, u"ビル-一"_s},
      {u"1-"_s, NumeralStyle::kDigits, HyphenStyle::kNo, u"一-"_s},
      // Half-width katakana become full-width.
      {u"ｺｰﾎﾟ ｶﾞｰﾃﾞﾝ101"_s, NumeralStyle::kDigits, HyphenStyle::kBar, u"コーポ ガーデン一〇一"_s},
      {u"丸の内1-1-1, 丸の内ビル5F"_s, NumeralStyle::kDigits, HyphenStyle::kBar, u"丸の内一ー一ー一、 丸の内ビル五F"_s},
      {u""_s, NumeralStyle::kDigits, HyphenStyle::kBar, u""_s},
  };
  for (const Row& r : rows) {
    const CVerticalText t = VerticalAddressText(r.text, r.numerals, r.hyphen);
    EXPECT_EQ(t.text, r.expected) << r.text;
    EXPECT_EQ(t.inNumber.size(), std::size_t(t.text.size())) << r.text;
  }
  // The characters of a number, hyphens joining numbers included, are marked.
  const CVerticalText t = VerticalAddressText(u"港区12-3ビル"_s, NumeralStyle::kDigits, HyphenStyle::kBar);
  ASSERT_EQ(t.text, u"港区一二ー三ビル"_s);
  const std::vector<bool> marked{false, false, true, true, true, true, false, false};
  EXPECT_EQ(t.inNumber, marked);
}

TEST(AddressBreakTest, BreaksAtNaturalPlacesAndNeverInsideANumber) {
  struct Row {
    QString address;
    int capacity;  // characters per column
    QStringList columns;
  };
  const Row rows[] = {
      {u"東京都千代田区千代田1-1"_s, 20, {u"東京都千代田区千代田一ー一"_s}},
      // After 丁目, 番地, 番, 号; at a blank, which is dropped.
      {u"東京都港区芝公園四丁目2番8号"_s, 12, {u"東京都港区芝公園四丁目"_s, u"二番八号"_s}},
      {u"大阪府大阪市北区梅田三丁目1番地3"_s, 14, {u"大阪府大阪市北区梅田三丁目"_s, u"一番地三"_s}},
      {u"北海道札幌市中央区北1条西2丁目1番地"_s, 16, {u"北海道札幌市中央区北一条西二丁目"_s, u"一番地"_s}},
      {u"神奈川県横浜市 中区日本大通1"_s, 10, {u"神奈川県横浜市"_s, u"中区日本大通一"_s}},
      // Not after 番 of 番地, nor after 号 of 号室.
      {u"京都府京都市下京区烏丸通塩小路下ル東塩小路町1番地"_s, 24, {u"京都府京都市下京区烏丸通塩小路下ル東塩小路町"_s, u"一番地"_s}},
      // Without such a place: after a city or town, else beside a number.
      {u"福岡県福岡市博多区博多駅前123-4567"_s, 12, {u"福岡県福岡市博多区"_s, u"博多駅前一二三ー四五六七"_s}},
      {u"あいうえおかきくけこ12345"_s, 12, {u"あいうえおかきくけこ"_s, u"一二三四五"_s}},
      // A number longer than a column is all that may break.
      {u"123456789"_s, 4, {u"一二三四"_s, u"五六七八"_s, u"九"_s}},
      {u"  "_s, 5, {}},
      {u""_s, 5, {}},
  };
  for (const Row& r : rows) {
    const CVerticalText t = VerticalAddressText(r.address, NumeralStyle::kDigits, HyphenStyle::kBar);
    const QStringList columns = BreakAddress(t, [&](QStringView c) { return c.size() <= r.capacity; });
    EXPECT_EQ(columns, r.columns) << r.address << " -> " << columns.join(u'|');
    for (const QString& c : columns) EXPECT_LE(c.size(), r.capacity) << r.address;
  }
}

}  // namespace
