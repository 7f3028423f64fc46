#include "japanese/postal_codes.h"

#include "platform/code_page.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString DataFile(const QString& name) {
  return QDir(qEnvironmentVariable("VELUM_SOURCE_DIR")).filePath(u"tests/data/japanese/"_qs + name);
}

QStringList Addresses(const CPostalCodes& codes, QStringView code) {
  QStringList out;
  for (const CPostalAddress& a : codes.Lookup(code))
    out << (a.office.isEmpty() ? a.address : a.office + u" @ "_qs + a.address);
  return out;
}

TEST(PostalCodeTest, NormalizesCodesAsPeopleWriteThem) {
  const std::pair<const char16_t*, const char16_t*> rows[] = {
      {u"100-0001", u"1000001"}, {u"1000001", u"1000001"},   {u"〒100-0001", u"1000001"},
      {u"〒 １００－０００１", u"1000001"}, {u"100ー0001", u"1000001"}, {u" 100−0001 ", u"1000001"},
      {u"１０００００１", u"1000001"},  {u"100-001", u""},        {u"10-00001", u""},
      {u"100--0001", u""},          {u"100000１2", u""},       {u"abc", u""},
      {u"", u""},
  };
  for (const auto& [text, code] : rows)
    EXPECT_EQ(NormalizePostalCode(text), QString::fromUtf16(code)) << QString::fromUtf16(text).toStdString();
}

TEST(PostalCodeTest, ReadsTheDictionaries) {
  CPostalCodes codes;
  QString error;
  ASSERT_TRUE(codes.Load(DataFile(u"SKK-JISYO.zipcode"_qs), &error)) << error;
  ASSERT_TRUE(codes.Load(DataFile(u"SKK-JISYO.office.zipcode"_qs), &error)) << error;
  EXPECT_EQ(Addresses(codes, u"1000001"), QStringList({u"東京都千代田区千代田"_qs, u"皇居警察 @ 東京都千代田区千代田１−１"_qs}));
  EXPECT_EQ(Addresses(codes, u"〒４９８－００００"), QStringList({u"愛知県弥富市"_qs, u"三重県桑名郡木曽岬町"_qs}));
  EXPECT_EQ(Addresses(codes, u"100-8799"), QStringList({u"日本郵便　株式会社 @ 東京都千代田区大手町２丁目３−１"_qs}));
  EXPECT_TRUE(Addresses(codes, u"1000002").isEmpty());
  EXPECT_TRUE(Addresses(codes, u"100").isEmpty());
}

TEST(PostalCodeTest, CodesOfAnAddress) {
  CPostalCodes codes;
  ASSERT_TRUE(codes.Load(DataFile(u"SKK-JISYO.zipcode"_qs), nullptr));
  ASSERT_TRUE(codes.Load(DataFile(u"SKK-JISYO.office.zipcode"_qs), nullptr));
  const auto texts = [&](QStringView address) {
    QStringList out;
    for (const CPostalMatch& m : codes.CodesForAddress(address)) out << m.code + u' ' + m.address;
    return out;
  };
  // The longest match first, then the city around it; offices are not offered.
  EXPECT_EQ(texts(u"東京都千代田区千代田１－１"),
            QStringList({u"1000001 東京都千代田区千代田"_qs, u"1000000 東京都千代田区"_qs}));
  // Blanks and widths do not matter; ケ and が are left as they are written.
  EXPECT_EQ(texts(u"東京都 千代田区　飯田橋3-4").value(0), u"1020072 東京都千代田区飯田橋"_qs);
  // One address with two codes: both, by code.
  EXPECT_EQ(texts(u"京都府京都市上京区亀屋町"),
            QStringList({u"6028062 京都府京都市上京区亀屋町"_qs, u"6028064 京都府京都市上京区亀屋町"_qs}));
  EXPECT_TRUE(texts(u"大阪府大阪市").isEmpty());
  EXPECT_TRUE(codes.AddressMatches(u"100-0001", u"東京都千代田区千代田1-1"));
  EXPECT_TRUE(codes.AddressMatches(u"4980000", u"三重県桑名郡木曽岬町大字和富"));
  EXPECT_FALSE(codes.AddressMatches(u"1000001", u"東京都千代田区飯田橋"));
  EXPECT_FALSE(codes.AddressMatches(u"9999999", u"東京都"));
}

TEST(PostalCodeTest, ReadsJapanPostsListsInEitherEncoding) {
  for (const QString& name : {u"KEN_ALL.CSV"_qs, u"utf_ken_all.csv"_qs}) {
    CPostalCodes codes;
    QString error;
    ASSERT_TRUE(codes.Load(DataFile(name), &error)) << error;
    // Notes in parentheses go, also one that runs over two lines.
    EXPECT_EQ(Addresses(codes, u"0600042"), QStringList({u"北海道札幌市中央区大通西"_qs})) << name;
    EXPECT_EQ(Addresses(codes, u"0660005"), QStringList({u"北海道千歳市蘭越"_qs})) << name;
    // "The rest of the city" gives the city alone.
    EXPECT_EQ(Addresses(codes, u"1000000"), QStringList({u"東京都千代田区"_qs})) << name;
    EXPECT_EQ(Addresses(codes, u"4980000"), QStringList({u"愛知県弥富市"_qs, u"三重県桑名郡木曽岬町"_qs})) << name;
    EXPECT_EQ(codes.Count(), 6) << name;
  }
}

TEST(PostalCodeTest, DamagedAndMissingFiles) {
  CPostalCodes codes;
  QString error;
  EXPECT_FALSE(codes.Load(DataFile(u"no-such-file"_qs), &error));
  EXPECT_FALSE(error.isEmpty());
  error.clear();
  EXPECT_FALSE(codes.LoadBytes("just some text\n\x01\x02\xff", u"x"_qs, &error));
  EXPECT_TRUE(error.contains(u"x"));
  // A dictionary cut in the middle of a line keeps the lines before it.
  QFile f(DataFile(u"SKK-JISYO.zipcode"_qs));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray whole = f.readAll();
  const QByteArray cut = whole.left(whole.indexOf("4980000") + 12);
  EXPECT_TRUE(codes.LoadBytes(cut, u"cut"_qs, nullptr));
  EXPECT_EQ(Addresses(codes, u"1020072"), QStringList({u"東京都千代田区飯田橋"_qs}));
  EXPECT_TRUE(Addresses(codes, u"9071801").isEmpty());
  // Bytes that are no character do not stop the reading of the others.
  QByteArray flipped = whole;
  flipped[flipped.indexOf("0600042") + 9] = '\xff';
  CPostalCodes other;
  EXPECT_TRUE(other.LoadBytes(flipped, u"flipped"_qs, nullptr));
  EXPECT_EQ(Addresses(other, u"1000001"), QStringList({u"東京都千代田区千代田"_qs}));
}

// The dictionary that setup installs (skkdic-extra).
TEST(PostalCodeTest, TheInstalledDictionary) {
  const QString path = u"/usr/share/skk/SKK-JISYO.zipcode"_qs;
  if (!QFileInfo::exists(path)) GTEST_SKIP() << "skkdic-extra is not installed";
  CPostalCodes codes;
  ASSERT_TRUE(codes.Load(path, nullptr));
  EXPECT_GT(codes.Count(), 100000);
  EXPECT_EQ(Addresses(codes, u"100-0001"), QStringList({u"東京都千代田区千代田"_qs}));
  EXPECT_EQ(Addresses(codes, u"4980000"), QStringList({u"愛知県弥富市"_qs, u"三重県桑名郡木曽岬町"_qs}));
  EXPECT_EQ(codes.CodesForAddress(u"東京都千代田区千代田1-1").front().code, u"1000001"_qs);
}

}  // namespace
