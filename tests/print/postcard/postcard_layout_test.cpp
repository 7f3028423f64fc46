// Where a postcard's texts stand: the code in its boxes, the address at the
// right, the name in the middle with joint names level with its given name,
// honorifics on one line, the sender at the lower left; and the settings kept.
#include "print/postcard/postcard_geometry.h"
#include "print/postcard/postcard_layout.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

const CSquareMeasure kMeasure;

CPostcardAddress Address(const QString& code, const QString& address1, const QString& address2 = {}) {
  CPostcardAddress a;
  a.code = code;
  a.address1 = address1;
  a.address2 = address2;
  a.name = {u"山田"_s, u"太郎"_s, u"様"_s};
  return a;
}

std::vector<CPostcardColumn> Part(const CPostcardLayout& l, PostcardPart part) {
  std::vector<CPostcardColumn> out;
  for (const CPostcardColumn& c : l.columns)
    if (c.part == part) out.push_back(c);
  return out;
}

double Bottom(const CPostcardColumn& c) { return c.top + kMeasure.VerticalLength(c.text) * c.em * c.pitch; }

void ExpectInsideCard(const CPostcardLayout& l) {
  for (const CPostcardColumn& c : l.columns) {
    EXPECT_GE(c.x - c.em / 2, 0) << c.text;
    EXPECT_LE(c.x + c.em / 2, kCardWidth) << c.text;
    EXPECT_GE(c.top, 0) << c.text;
    EXPECT_LE(Bottom(c), kCardHeight) << c.text;
  }
}

TEST(PostcardLayoutTest, CodeDigitsGoIntoTheirBoxesOrTheTextAboveThem) {
  CPostcardLayout l = LayOutPostcard(Address(u"〒１００－０００１"_s, u"東京都"_s), {}, kMeasure);
  EXPECT_TRUE(l.codeOk);
  ASSERT_EQ(l.digits.size(), 7u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(l.digits[i].digit, u"1000001"_s[i]);
    EXPECT_EQ(l.digits[i].box, CodeBox(i));
  }
  // The last box ends 8.0 mm from the right edge.
  EXPECT_DOUBLE_EQ(CodeBox(6).right(), kCardWidth - 80);
  EXPECT_TRUE(l.lines.empty());

  for (const QString& odd : {u"123-45"_s, u"ABC-DEFG"_s, u"1234567890123456789012345678901234567890"_s}) {
    l = LayOutPostcard(Address(odd, u"東京都"_s), {}, kMeasure);
    EXPECT_FALSE(l.codeOk) << odd;
    EXPECT_TRUE(l.digits.empty()) << odd;
    ASSERT_EQ(l.lines.size(), 1u) << odd;
    EXPECT_EQ(l.lines[0].text, odd);
    EXPECT_LE(l.lines[0].topLeft.y() + l.lines[0].em, kCodeBoxTop) << odd;
    EXPECT_GE(l.lines[0].topLeft.x(), CodeBox(0).left()) << odd;
    EXPECT_LE(l.lines[0].topLeft.x() + odd.size() * l.lines[0].em, CodeBox(6).right() + 0.01) << odd;
  }
  l = LayOutPostcard(Address(u""_s, u"東京都"_s), {}, kMeasure);
  EXPECT_FALSE(l.codeOk);
  EXPECT_TRUE(l.lines.empty());
}

TEST(PostcardLayoutTest, AddressColumnsAtTheRightBelowTheBoxes) {
  const CPostcardLayout l = LayOutPostcard(Address(u"100-0001"_s, u"東京都千代田区千代田1-1"_s, u"皇居ビル101号室"_s),
                                           {}, kMeasure);
  const auto address = Part(l, PostcardPart::kAddress);
  ASSERT_EQ(address.size(), 2u);
  EXPECT_EQ(address[0].text, u"東京都千代田区千代田一ー一"_s);
  EXPECT_EQ(address[1].text, u"皇居ビル一〇一号室"_s);
  EXPECT_LE(address[0].x + address[0].em / 2, CodeBox(6).right());
  EXPECT_GE(address[0].top, kCodeBoxTop + kCodeBoxHeight);
  // The building to the left, starting lower.
  EXPECT_LT(address[1].x + address[1].em / 2, address[0].x - address[0].em / 2);
  EXPECT_GT(address[1].top, address[0].top);
  ExpectInsideCard(l);
}

TEST(PostcardLayoutTest, LongAddressesTakeMoreColumnsAndKeepClearOfTheName) {
  const QString longAddress = u"北海道札幌市中央区北一条西二丁目一番地札幌時計台前通り沿い南側の角を曲がって三軒目"_s;
  const CPostcardLayout l =
      LayOutPostcard(Address(u"060-8588"_s, longAddress, u"ノースパレスタワーレジデンス札幌三十五階3501号室"_s),
                     {}, kMeasure);
  const auto address = Part(l, PostcardPart::kAddress);
  ASSERT_GE(address.size(), 3u);
  QString all;
  for (const CPostcardColumn& c : address) all += c.text;
  EXPECT_EQ(all, longAddress + u"ノースパレスタワーレジデンス札幌三十五階三五〇一号室"_s);
  const auto name = Part(l, PostcardPart::kName);
  ASSERT_FALSE(name.empty());
  for (const CPostcardColumn& c : address) EXPECT_GT(c.x - c.em / 2, name[0].x + name[0].em / 2) << c.text;
  ExpectInsideCard(l);
}

TEST(PostcardLayoutTest, NameInTheMiddleLargestWithJointNamesLevelAndHonorificsOnOneLine) {
  CPostcardAddress a = Address(u"100-0001"_s, u"東京都千代田区千代田1-1"_s);
  a.joint = {{{}, u"花子"_s, u"様"_s}, {{}, u"健太郎"_s, u"くん"_s}};
  const CPostcardLayout l = LayOutPostcard(a, {}, kMeasure);
  const auto name = Part(l, PostcardPart::kName);
  ASSERT_EQ(name.size(), 2u);
  EXPECT_EQ(name[0].text, u"山田"_s);
  EXPECT_EQ(name[1].text, u"太郎"_s);
  EXPECT_DOUBLE_EQ(name[0].x, kCardWidth / 2);
  EXPECT_GT(name[1].top, Bottom(name[0]));
  for (const CPostcardColumn& c : l.columns)
    if (c.part != PostcardPart::kName) {
      EXPECT_LE(c.em, name[0].em) << c.text;
    }
  const auto joint = Part(l, PostcardPart::kJoint);
  ASSERT_EQ(joint.size(), 2u);
  EXPECT_EQ(joint[0].text, u"花子"_s);
  EXPECT_EQ(joint[1].text, u"健太郎"_s);
  const auto honorific = Part(l, PostcardPart::kHonorific);
  const auto jointHonorific = Part(l, PostcardPart::kJointHonorific);
  ASSERT_EQ(honorific.size(), 1u);
  ASSERT_EQ(jointHonorific.size(), 2u);
  double x = name[0].x;
  for (std::size_t i = 0; i < joint.size(); ++i) {
    EXPECT_DOUBLE_EQ(joint[i].top, name[1].top) << i;  // level with the given name
    EXPECT_LT(joint[i].x, x) << i;                      // each to the left of the one before
    x = joint[i].x;
    EXPECT_DOUBLE_EQ(jointHonorific[i].x, joint[i].x);
    EXPECT_DOUBLE_EQ(Bottom(jointHonorific[i]), Bottom(honorific[0])) << i;
    EXPECT_GT(jointHonorific[i].top, Bottom(joint[i])) << i;
  }
  EXPECT_GT(honorific[0].top, Bottom(name[1]));
  ExpectInsideCard(l);
}

TEST(PostcardLayoutTest, CompanyAboveThePersonOrAsTheNameWithOnchu) {
  CPostcardAddress a = Address(u"100-0001"_s, u"東京都千代田区千代田1-1"_s);
  a.company = u"株式会社ABC"_s;
  a.department = u"営業部"_s;
  CPostcardLayout l = LayOutPostcard(a, {}, kMeasure);
  auto company = Part(l, PostcardPart::kCompany);
  ASSERT_EQ(company.size(), 1u);
  EXPECT_EQ(company[0].text, u"株式会社ABC\u3000営業部"_s);
  const auto name = Part(l, PostcardPart::kName);
  ASSERT_FALSE(name.empty());
  EXPECT_GT(company[0].x - company[0].em / 2, name[0].x + name[0].em / 2);
  EXPECT_LT(company[0].x + company[0].em / 2, Part(l, PostcardPart::kAddress)[0].x);

  a.name = {{}, {}, u"御中"_s};
  a.department.clear();
  l = LayOutPostcard(a, {}, kMeasure);
  EXPECT_TRUE(Part(l, PostcardPart::kCompany).empty());
  ASSERT_EQ(Part(l, PostcardPart::kName).size(), 1u);
  EXPECT_EQ(Part(l, PostcardPart::kName)[0].text, u"株式会社ABC"_s);
  EXPECT_EQ(Part(l, PostcardPart::kHonorific)[0].text, u"御中"_s);
  a.department = u"営業部"_s;
  l = LayOutPostcard(a, {}, kMeasure);
  EXPECT_EQ(Part(l, PostcardPart::kName)[0].text, u"営業部"_s);
  EXPECT_EQ(Part(l, PostcardPart::kCompany)[0].text, u"株式会社ABC"_s);
  ExpectInsideCard(l);
}

TEST(PostcardLayoutTest, SenderAtTheLowerLeftWithItsCode) {
  CPostcardSettings s;
  s.sender = true;
  s.senderName = u"差出 人子"_s;
  s.senderAddress1 = u"大阪府大阪市北区梅田3-1-1"_s;
  s.senderCode = u"530-0001"_s;
  CPostcardAddress a = Address(u"100-0001"_s, u"東京都千代田区千代田1-1"_s);
  a.joint = {{{}, u"花子"_s, u"様"_s}, {{}, u"一郎"_s, u"様"_s}, {{}, u"次郎"_s, u"様"_s}};
  const CPostcardLayout l = LayOutPostcard(a, s, kMeasure);
  const auto sender = Part(l, PostcardPart::kSender);
  const auto senderName = Part(l, PostcardPart::kSenderName);
  ASSERT_EQ(sender.size(), 1u);
  ASSERT_EQ(senderName.size(), 1u);
  EXPECT_EQ(sender[0].text, u"大阪府大阪市北区梅田三ー一ー一"_s);
  EXPECT_LT(senderName[0].x, sender[0].x);
  EXPECT_LE(Bottom(senderName[0]), s.senderBoxes.top);
  EXPECT_LE(sender[0].x + sender[0].em / 2, s.senderBoxes.left[6] + s.senderBoxes.width);
  ASSERT_EQ(l.digits.size(), 14u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(l.digits[7 + i].digit, u"5300001"_s[i]);
    EXPECT_EQ(l.digits[7 + i].box, QRectF(s.senderBoxes.left[i], s.senderBoxes.top, 40, 65));
  }
  // Three joint names would reach over the sender's block: they stand beside
  // it or end above it.
  double senderTop = kCardHeight, senderRight = 0;
  for (const auto& c : sender) senderTop = std::min(senderTop, c.top), senderRight = std::max(senderRight, c.x + c.em / 2);
  for (const auto& c : senderName) senderTop = std::min(senderTop, c.top);
  for (const CPostcardColumn& c : l.columns)
    if (c.part == PostcardPart::kJoint || c.part == PostcardPart::kJointHonorific) {
      EXPECT_TRUE(Bottom(c) < senderTop || c.x - c.em / 2 > senderRight) << c.text;
    }
  ExpectInsideCard(l);

  s.senderCode = u"53-1"_s;
  const CPostcardLayout odd = LayOutPostcard(a, s, kMeasure);
  EXPECT_FALSE(odd.senderCodeOk);
  ASSERT_EQ(odd.lines.size(), 1u);
  EXPECT_EQ(odd.lines[0].text, u"53-1"_s);
}

TEST(PostcardLayoutTest, SettingsRoundTripAndDamagedValuesFallBack) {
  CTestWorld w;
  CPostcardSettings s = ReadPostcardSettings(*w.settings);
  EXPECT_EQ(s, CPostcardSettings{});
  s.nameItem = u"お名前"_s;
  s.honorific = u"殿"_s;
  s.numerals = NumeralStyle::kPlace;
  s.hyphen = HyphenStyle::kNo;
  s.sender = true;
  s.senderName = u"差出 人子"_s;
  s.senderBoxes.left[0] = 60;
  s.offsetX = -15;
  s.offsetY = 7;
  s.mark = u"済"_s;
  WritePostcardSettings(*w.settings, s);
  EXPECT_EQ(ReadPostcardSettings(*w.settings), s);

  for (const QString& boxes : {u"1,2,3"_s, u"a,b,c,d,e,f,g,h,i,j"_s, u"52,92,132,182,222,262,302,1460,40,65"_s,
                               u"52,92,132,182,222,262,990,1225,40,65"_s}) {
    w.settings->WriteProfileString(u"Postcard"_s, u"SenderBoxes"_s, boxes);
    EXPECT_EQ(ReadPostcardSettings(*w.settings).senderBoxes, CSenderBoxes{}) << boxes;
  }
  w.settings->WriteProfileInt(u"Postcard"_s, u"OffsetX"_s, 5000);
  w.settings->WriteProfileInt(u"Postcard"_s, u"OffsetY"_s, std::uint32_t(-5000));
  EXPECT_EQ(ReadPostcardSettings(*w.settings).offsetX, kMaxPostcardOffset);
  EXPECT_EQ(ReadPostcardSettings(*w.settings).offsetY, -kMaxPostcardOffset);
}

}  // namespace
