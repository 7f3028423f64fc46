// Which items a postcard reads, and the names, joint names and honorifics it
// makes of a card.
#include "print/postcard/postcard_address.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

// A card as item name -> value.
CPostcardAddress Read(const QStringList& names, const QStringList& values, const CPostcardSettings& s = {}) {
  const CPostcardItems items = ResolvePostcardItems(names, s);
  return ReadPostcardAddress([&](int i) { return values.value(i); }, items, s);
}

QStringList Joint(const CPostcardAddress& a) {
  QStringList out;
  for (const CPostcardName& j : a.joint) out << j.given + u"|"_s + j.honorific;
  return out;
}

TEST(PostcardAddressTest, FindsItemsByTheUsualNamesAndByTheChosenOnes) {
  const QStringList names{u"〒"_s, u"住所1"_s, u"住所2"_s, u"姓"_s, u"名"_s, u"連名2"_s, u"会社"_s, u"部署名"_s, u"自宅"_s};
  CPostcardItems items = ResolvePostcardItems(names, {});
  EXPECT_EQ(items.code, 0);
  EXPECT_EQ(items.address1, 1);
  EXPECT_EQ(items.address2, 2);
  EXPECT_EQ(items.name, -1);
  EXPECT_EQ(items.family, 3);
  EXPECT_EQ(items.given, 4);
  EXPECT_EQ(items.joints, (std::array<int, 3>{-1, 5, -1}));
  EXPECT_EQ(items.company, 6);
  EXPECT_EQ(items.department, 7);
  CPostcardSettings s;
  s.address1Item = u"自宅"_s;
  s.codeItem = u"なし"_s;  // a name the file lacks falls back to the usual ones
  items = ResolvePostcardItems(names, s);
  EXPECT_EQ(items.address1, 8);
  EXPECT_EQ(items.code, 0);
  // 住所 wins over 住所1, which is then no second address.
  items = ResolvePostcardItems({u"住所"_s, u"住所2"_s, u"住所1"_s}, {});
  EXPECT_EQ(items.address1, 0);
  EXPECT_EQ(items.address2, 1);
}

TEST(PostcardAddressTest, NamesJointNamesAndHonorifics) {
  struct Row {
    QStringList names, values;
    QString family, given, honorific;
    QStringList joint;  // "given|honorific"
  };
  const Row rows[] = {
      {{u"氏名"_s}, {u"山田 太郎"_s}, u"山田"_s, u"太郎"_s, u"様"_s, {}},
      {{u"氏名"_s}, {u"山田\u3000太郎"_s}, u"山田"_s, u"太郎"_s, u"様"_s, {}},
      {{u"氏名"_s}, {u"  山田   太郎  "_s}, u"山田"_s, u"太郎"_s, u"様"_s, {}},
      {{u"氏名"_s}, {u"山田太郎"_s}, u"山田太郎"_s, u""_s, u"様"_s, {}},
      {{u"姓"_s, u"名"_s}, {u"鈴木"_s, u"一郎"_s}, u"鈴木"_s, u"一郎"_s, u"様"_s, {}},
      {{u"姓"_s, u"名"_s}, {u""_s, u"一郎"_s}, u"一郎"_s, u""_s, u"様"_s, {}},
      // Joint names: 連名 split at 、 and blanks, then 連名1–3, three at most.
      {{u"氏名"_s, u"連名"_s}, {u"山田 太郎"_s, u"花子、一郎"_s}, u"山田"_s, u"太郎"_s, u"様"_s,
       {u"花子|様"_s, u"一郎|様"_s}},
      {{u"氏名"_s, u"連名"_s}, {u"山田 太郎"_s, u"花子 一郎　次郎"_s}, u"山田"_s, u"太郎"_s, u"様"_s,
       {u"花子|様"_s, u"一郎|様"_s, u"次郎|様"_s}},
      {{u"氏名"_s, u"連名1"_s, u"連名2"_s, u"連名3"_s}, {u"山田 太郎"_s, u"花子"_s, u""_s, u"ちゃん付け"_s},
       u"山田"_s, u"太郎"_s, u"様"_s, {u"花子|様"_s, u"ちゃん付け|様"_s}},
      // The card's 敬称; a name that ends with an honorific gets none.
      {{u"氏名"_s, u"敬称"_s, u"連名"_s}, {u"佐藤 先生"_s, u"殿"_s, u"健太くん"_s}, u"佐藤"_s, u"先生"_s, u""_s,
       {u"健太くん|"_s}},
      {{u"氏名"_s, u"敬称"_s}, {u"佐藤 健"_s, u"先生"_s}, u"佐藤"_s, u"健"_s, u"先生"_s, {}},
      // A company: above the person, or with 御中 when there is none.
      {{u"氏名"_s, u"会社名"_s}, {u"田中 次郎"_s, u"株式会社ABC"_s}, u"田中"_s, u"次郎"_s, u"様"_s, {}},
      {{u"氏名"_s, u"会社名"_s, u"連名"_s}, {u""_s, u"株式会社ABC"_s, u"花子"_s}, u""_s, u""_s, u"御中"_s, {}},
      {{u"氏名"_s, u"会社名"_s, u"部署"_s}, {u""_s, u"株式会社ABC"_s, u"営業部"_s}, u""_s, u""_s, u"御中"_s, {}},
  };
  for (const Row& r : rows) {
    const CPostcardAddress a = Read(r.names, r.values);
    EXPECT_EQ(a.name.family, r.family) << r.values.join(u',');
    EXPECT_EQ(a.name.given, r.given) << r.values.join(u',');
    EXPECT_EQ(a.name.honorific, r.honorific) << r.values.join(u',');
    EXPECT_EQ(Joint(a), r.joint) << r.values.join(u',');
  }
}

TEST(PostcardAddressTest, HonorificSettings) {
  const QStringList names{u"氏名"_s, u"敬称"_s, u"会社名"_s};
  CPostcardSettings s;
  s.honorific = u"殿"_s;
  EXPECT_EQ(Read(names, {u"山田 太郎"_s}, s).name.honorific, u"殿"_s);
  EXPECT_EQ(Read(names, {u"山田 太郎"_s, u"先生"_s}, s).name.honorific, u"先生"_s);
  s.useHonorificItem = false;
  EXPECT_EQ(Read(names, {u"山田 太郎"_s, u"先生"_s}, s).name.honorific, u"殿"_s);
  EXPECT_EQ(Read(names, {u""_s, u""_s, u"株式会社ABC"_s}, s).name.honorific, u"御中"_s);
  s.companyOnchu = false;
  EXPECT_EQ(Read(names, {u""_s, u""_s, u"株式会社ABC"_s}, s).name.honorific, u"殿"_s);
}

TEST(PostcardAddressTest, JointNamesBeyondTheThirdAreNamedNotPrinted) {
  const CPostcardAddress a = Read({u"氏名"_s, u"連名"_s}, {u"山田 太郎"_s, u"花子、一郎、次郎、三郎、四郎"_s});
  EXPECT_EQ(a.joint.size(), 3u);
  EXPECT_EQ(a.droppedJoint, (QStringList{u"三郎"_s, u"四郎"_s}));
}

}  // namespace
