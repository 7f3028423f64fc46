#include "exchange/vcard_reader.h"
#include "exchange/vcard_writer.h"
#include "support/test_support.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QByteArray Fixture(const QString& name) {
  QFile f(qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/tests/data/exchange/"_s + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return f.readAll();
}

// The text of item on contact row, or "<no item>" when the table lacks it.
QString Value(const CExchangeTable& t, int row, const QString& item) {
  const qsizetype c = t.names.indexOf(item);
  if (c < 0) return QStringLiteral("<no item>");
  return t.rows.at(std::size_t(row)).value(c);
}

struct CExpect {
  int row;
  const char* item;
  const char* text;
};

void Check(const CExchangeTable& t, const std::vector<CExpect>& expected) {
  for (const CExpect& e : expected)
    EXPECT_EQ(Value(t, e.row, QString::fromUtf8(e.item)), QString::fromUtf8(e.text)) << e.row << " " << e.item;
}

TEST(VCardReader, FeaturePhoneExportInShiftJisQuotedPrintable) {
  CExchangeReport report;
  CVCardStats stats;
  const CExchangeTable t = ReadVCard(Fixture(u"phone_21_sjis.vcf"_s), u"phone.vcf"_s, &report, &stats);
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(stats.contacts, 2);
  EXPECT_EQ(stats.photos, 1);
  ASSERT_EQ(t.rows.size(), 2u);
  Check(t, {{0, "氏名", "山田 太郎"},
            {0, "姓", "山田"},
            {0, "名", "太郎"},
            {0, "ふりがな", "ヤマダ タロウ"},
            {0, "携帯", "090-1234-5678"},
            {0, "電話", "03-1234-5678\r\n06-9999-0000"},
            {0, "メール", "taro@example.jp"},
            {0, "郵便番号", "100-0001"},
            {0, "住所", "東京都千代田区千代田1-1"},
            {0, "誕生日", "1980/01/02"},
            {0, "メモ", "一行目\r\n二行目、とても長いメモが続きます。折り返しを確かめるための文です。"},
            {1, "氏名", "佐藤 花子"},
            {1, "ふりがな", "サトウ ハナコ"},
            {1, "携帯", "080-0000-1111\r\n070-2222-3333"},
            {1, "電話", ""}});
  const QString message = report.Message();
  EXPECT_TRUE(message.contains(u"写真 1 枚"_s)) << message;
  EXPECT_TRUE(message.contains(u"X-DCM-GN-ORIGINAL (1)"_s)) << message;
}

TEST(VCardReader, AddressBookExportInUtf8) {
  CExchangeReport report;
  CVCardStats stats;
  const CExchangeTable t = ReadVCard(Fixture(u"addressbook_30.vcf"_s), u"book.vcf"_s, &report, &stats);
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(stats.photos, 1);
  Check(t, {{0, "氏名", "鈴木 一郎"},
            {0, "ふりがな", "すずき いちろう"},
            {0, "会社名", "株式会社見本, 東京 営業部"},
            {0, "役職", "課長"},
            {0, "メール", "ichiro@example.com"},
            {0, "携帯", "090-1111-2222"},
            {0, "電話", "03-5555-6666"},
            {0, "住所", "大阪府大阪市北区中之島2-3-4 サンプルビル 5階\r\n東京都千代田区丸の内1-1"},
            {0, "郵便番号", "530-0005\r\n"},
            {0, "メモ", "セミコロン;とカンマ,と円記号\\を含むメモ\r\n二行目"},
            {0, "誕生日", "1975/12/31"}});
  const QString message = report.Message();
  EXPECT_TRUE(message.contains(u"TEL;FAX (1)"_s)) << message;
  EXPECT_TRUE(message.contains(u"URL (1)"_s)) << message;
  EXPECT_FALSE(message.contains(u"X-ABLABEL"_s)) << message;
}

TEST(VCardReader, Version4WithSortAsAndUris) {
  CExchangeReport report;
  CVCardStats stats;
  const CExchangeTable t = ReadVCard(Fixture(u"contacts_40.vcf"_s), u"v4.vcf"_s, &report, &stats);
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(stats.photos, 1);
  Check(t, {{0, "氏名", "田中 次郎"},
            {0, "ふりがな", "たなか じろう"},
            {0, "携帯", "+81-90-3333-4444"},
            {0, "メール", "jiro@example.org"},
            {0, "誕生日", "--0704"},
            {0, "メモ", QString(u"とても長いメモ。"_s.repeated(12)).toUtf8().constData()}});
}

// Damaged and odd input: each row a file, what the table holds and what the
// message must say.
TEST(VCardReader, DamagedInput) {
  struct CCase {
    const char* name;
    QByteArray bytes;
    bool ok;
    const char* item;
    const char* text;
    const char* note;
  } cases[] = {
      {"no contact", "hello\r\nworld\r\n", false, "", "", "BEGIN:VCARD"},
      {"empty file", "", false, "", "", "BEGIN:VCARD"},
      {"broken quoted-printable", "BEGIN:VCARD\r\nFN;ENCODING=QUOTED-PRINTABLE:A=ZZB=4\r\nEND:VCARD\r\n", true, "氏名",
       "A=ZZB=4", "2 行目"},
      {"unknown charset", "BEGIN:VCARD\r\nFN;CHARSET=X-NOSUCH:abc\r\nEND:VCARD\r\n", true, "氏名", "abc", "X-NOSUCH"},
      {"missing end", "BEGIN:VCARD\r\nFN:A\r\nBEGIN:VCARD\r\nFN:B\r\n", true, "氏名", "A", "END:VCARD"},
      {"bytes of no character", "BEGIN:VCARD\r\nFN;CHARSET=UTF-8:\xff\xfe" "a\r\nEND:VCARD\r\n", true, "氏名",
       "\xef\xbf\xbd\xef\xbf\xbd" "a", "\xef\xbf\xbd"},
      {"lines outside a card", "junk\r\nBEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nmore junk\r\n", true, "氏名", "A",
       "2 行"},
      {"lone line feeds and folding", "BEGIN:VCARD\nFN:Lo\n ng\n\tName\nEND:VCARD\n", true, "氏名", "LongName", ""},
      {"utf-8 byte-order mark", "\xef\xbb\xbf" "BEGIN:VCARD\r\nFN:\xe5\xb1\xb1\r\nEND:VCARD\r\n", true, "氏名",
       "\xe5\xb1\xb1", ""},
  };
  for (const CCase& c : cases) {
    CExchangeReport report;
    const CExchangeTable t = ReadVCard(c.bytes, u"x.vcf"_s, &report);
    EXPECT_EQ(report.ok, c.ok) << c.name;
    if (c.ok) {
      ASSERT_FALSE(t.rows.empty()) << c.name;
      EXPECT_EQ(Value(t, 0, QString::fromUtf8(c.item)), QString::fromUtf8(c.text)) << c.name;
    }
    EXPECT_TRUE(report.Message().contains(QString::fromUtf8(c.note))) << c.name << ": " << report.Message();
    if (!c.ok) {
      EXPECT_TRUE(report.Message().contains(u"x.vcf"_s)) << c.name;
    }
  }
}

TEST(VCardReader, LargePhotoIsSkippedWithoutKeepingIt) {
  QByteArray bytes = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Big\r\nPHOTO;ENCODING=b;TYPE=JPEG:";
  const QByteArray line = QByteArray(74, 'A');
  bytes.reserve(11 << 20);
  while (bytes.size() < (10 << 20)) bytes += "\r\n " + line;
  bytes += "\r\nTEL:1\r\nEND:VCARD\r\n";
  CExchangeReport report;
  CVCardStats stats;
  const CExchangeTable t = ReadVCard(bytes, u"big.vcf"_s, &report, &stats);
  ASSERT_TRUE(report.ok);
  EXPECT_EQ(stats.photos, 1);
  EXPECT_EQ(Value(t, 0, u"氏名"_s), u"Big"_s);
  EXPECT_EQ(Value(t, 0, u"電話"_s), u"1"_s);
}

CExchangeTable SampleDeck() {
  CExchangeTable t;
  t.names = {u"氏名"_s, u"ふりがな"_s, u"郵便番号"_s, u"住所"_s, u"電話"_s, u"携帯"_s, u"メール"_s,
             u"誕生日"_s, u"会社名"_s, u"役職"_s, u"メモ"_s, u"グループ"_s, u"区分\"A\""_s};
  t.rows.push_back({u"山田 太郎"_s, u"やまだ たろう"_s, u"100-0001\r\n530-0005"_s,
                    u"東京都千代田区千代田1-1\r\n大阪府大阪市北区中之島2-3-4"_s, u"03-1234-5678"_s,
                    u"090-1234-5678\r\n080-1111-2222"_s, u"taro@example.jp"_s, u"1980/01/02"_s,
                    u"株式会社見本; 東京, 本社"_s, u"課長"_s, u"一行目\r\n二行目\\三行目"_s, u"友人"_s, u"1"_s});
  t.rows.push_back({u"Ｓｍｉｔｈ"_s, u""_s, u""_s, u""_s, u""_s, u""_s, u""_s, u"いつか"_s,
                    QString(), QString(), u"長いメモ、"_s.repeated(40), QString(), QString()});
  return t;
}

TEST(VCardWriter, RoundTripKeepsEveryItemInBothVersions) {
  const CExchangeTable deck = SampleDeck();
  for (VCardVersion version : {VCardVersion::k30, VCardVersion::k40}) {
    int others = -1;
    const QByteArray bytes = WriteVCard(deck, version, &others);
    EXPECT_EQ(others, 2);
    // Every line ends in CR LF and holds at most 75 octets.
    for (const QByteArray& line : bytes.split('\n')) {
      if (line.isEmpty()) continue;
      EXPECT_TRUE(line.endsWith('\r'));
      EXPECT_LE(line.size() - 1, 75) << line.constData();
      // No character is cut: every line is UTF-8 by itself.
      EXPECT_EQ(QString::fromUtf8(line).toUtf8(), line);
    }
    EXPECT_TRUE(bytes.contains(version == VCardVersion::k30 ? "VERSION:3.0" : "VERSION:4.0"));
    EXPECT_EQ(bytes.contains("SORT-STRING:"), version == VCardVersion::k30);
    EXPECT_TRUE(bytes.contains("X-PHONETIC-LAST-NAME:"));
    CExchangeReport report;
    const CExchangeTable back = ReadVCard(bytes, u"out.vcf"_s, &report);
    ASSERT_TRUE(report.ok) << report.error;
    ASSERT_EQ(back.rows.size(), deck.rows.size());
    for (std::size_t r = 0; r < deck.rows.size(); ++r)
      for (int c = 0; c < deck.names.size(); ++c)
        EXPECT_EQ(Value(back, int(r), deck.names[c]) == u"<no item>"_s ? QString() : Value(back, int(r), deck.names[c]),
                  deck.rows[r][c])
            << int(version) << " " << r << " " << deck.names[c];
  }
}

TEST(VCardWriter, FoldsAtCharacterBoundaries) {
  struct CCase {
    QByteArray line;
    int lines;
  } cases[] = {{"", 1}, {QByteArray(75, 'a'), 1}, {QByteArray(76, 'a'), 2}, {QByteArray(75 + 74 + 1, 'a'), 3}};
  for (const CCase& c : cases) {
    const QByteArray folded = FoldVCardLine(c.line);
    EXPECT_EQ(folded.count("\r\n"), c.lines) << c.line.size();
    QByteArray unfolded = folded;
    unfolded.replace("\r\n ", "");
    unfolded.chop(2);
    EXPECT_EQ(unfolded, c.line);
  }
  // 25 three-byte characters: 75 octets fit one line; one more moves whole.
  const QByteArray wide = u"あ"_s.repeated(26).toUtf8();
  const QByteArray folded = FoldVCardLine(wide);
  EXPECT_EQ(folded.indexOf("\r\n"), 75);
  EXPECT_EQ(QString::fromUtf8(folded.left(75)), u"あ"_s.repeated(25));
}

}  // namespace
