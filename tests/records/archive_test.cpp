#include "records/archive.h"
#include "records/print_prop.h"
#include "records/velum_property.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

// A small record for the object tests: one DWORD.
class CTestObject : public CArchiveObject {
 public:
  explicit CTestObject(const char* name, std::uint32_t value = 0) : m_name(name), m_value(value) {}
  const char* ClassName() const override { return m_name; }
  std::unique_ptr<CArchiveObject> Clone() const override { return std::make_unique<CTestObject>(*this); }
  void Store(CArchiveWriter& ar) const override { ar.WriteDword(m_value); }
  bool Load(CArchiveReader& ar) override { return ar.ReadDword(&m_value); }
  QJsonObject ToJson() const override { return {}; }
  const char* m_name;
  std::uint32_t m_value;
};

std::unique_ptr<CArchiveObject> TestFactory(QByteArrayView name) {
  if (name == "CTestA") return std::make_unique<CTestObject>("CTestA");
  if (name == "CTestB") return std::make_unique<CTestObject>("CTestB");
  return nullptr;
}

QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

}  // namespace

// Strings in every length form: what the writer makes (UTF-16, a row with a
// length) is the header and the characters and reads back; the one-byte
// strings of other writers (rows without a length) read too.
TEST(Archive, StringLengthForms) {
  const QByteArray sjis = Sjis(u"日本abc"_s);  // 7 bytes
  struct Case {
    qsizetype length;  // of a text of '字' written; -1: bytes only read
    QByteArray bytes;  // the bytes before the characters, or the whole bytes read
    QString text;
  };
  const Case cases[] = {
      {0, Hex("fffeff00")}, {1, Hex("fffeff01")}, {254, Hex("fffefffe")}, {255, Hex("fffeffffff00")},
      {65533, Hex("fffefffffdff")}, {65534, Hex("fffeffffffff" "feff0000")}, {70000, Hex("fffeffffffff" "70110100")},
      {-1, Hex("07") + sjis, u"日本abc"_s}, {-1, Hex("ff0700") + sjis, u"日本abc"_s},
      {-1, Hex("ffffff07000000") + sjis, u"日本abc"_s}, {-1, Hex("00"), QString()},
      {-1, Hex("fffeffff0200") + Hex("41004200"), u"AB"_s},  // the UTF-16 marker with the WORD form of its length
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << ' ' << c.bytes.toHex().constData());
    QString text = c.text;
    QByteArray bytes = c.bytes;
    if (c.length >= 0) {
      text = QString(c.length, u'字');
      CArchiveWriter w;
      w.WriteString(text);
      bytes = w.Bytes();
      EXPECT_EQ(bytes.toHex(), (c.bytes + QByteArray("\x57\x5b", 2).repeated(c.length)).toHex());  // '字' is U+5B57
    }
    CArchiveReader r(bytes, {});
    QString back;
    ASSERT_TRUE(r.ReadString(&back));
    EXPECT_EQ(back, text);
    EXPECT_EQ(r.Left(), 0);
  }
}

TEST(Archive, CountsAndFonts) {
  CArchiveWriter w;
  w.WriteCount(0xFFFE);
  w.WriteCount(0xFFFF);
  w.WriteCount(0x12345);
  w.WriteFont({u"ＭＳ ゴシック"_s, -12, 700, 1, 0, 128});
  const QByteArray font = Hex("fffeff07") + QByteArray::fromRawData(
                                                reinterpret_cast<const char*>(u"ＭＳ ゴシック"), 14) +
                          Hex("f4ffffff" "bc020000" "01" "00" "80");
  EXPECT_EQ(w.Bytes().toHex(), (Hex("feff" "ffffffff0000" "ffff45230100") + font).toHex());

  CArchiveReader r(w.Bytes(), {});
  std::uint32_t a, b, c;
  CArchiveFont f;
  ASSERT_TRUE(r.ReadCount(&a, 0) && r.ReadCount(&b, 0) && r.ReadCount(&c, 0) && r.ReadFont(&f));
  EXPECT_EQ(a, 0xFFFEu);
  EXPECT_EQ(b, 0xFFFFu);
  EXPECT_EQ(c, 0x12345u);
  EXPECT_EQ(f, (CArchiveFont{u"ＭＳ ゴシック"_s, -12, 700, 1, 0, 128}));
}

// Class A is number 1, its objects 2 and 3, class B number 4, and a null
// element takes no number.
TEST(Archive, ClassAndObjectNumbers) {
  const std::pair<const char*, std::uint32_t> objects[] = {{"CTestA", 10}, {"CTestA", 11}, {nullptr, 0},
                                                           {"CTestB", 12}, {"CTestA", 13}, {"CTestB", 14}};
  CObArray array;
  for (const auto& [name, value] : objects) array.Append(name ? std::make_unique<CTestObject>(name, value) : nullptr);
  CArchiveWriter w;
  array.Store(w);
  const QByteArray expected = Hex("0600") + Hex("ffff01000600") + "CTestA" + Hex("0a000000") + Hex("0180") +
                              Hex("0b000000") + Hex("0000") + Hex("ffff01000600") + "CTestB" + Hex("0c000000") +
                              Hex("0180") + Hex("0d000000") + Hex("0480") + Hex("0e000000");
  EXPECT_EQ(w.Bytes().toHex(), expected.toHex());

  CArchiveReader r(w.Bytes(), TestFactory);
  CObArray back;
  ASSERT_TRUE(back.Load(r)) << r.Error();
  ASSERT_EQ(back.Size(), 6);
  for (int i = 0; i < 6; ++i) {
    const auto* object = back.As<CTestObject>(i);
    ASSERT_EQ(object == nullptr, objects[i].first == nullptr) << i;
    if (!object) continue;
    EXPECT_STREQ(object->ClassName(), objects[i].first);
    EXPECT_EQ(object->m_value, objects[i].second);
  }
}

// Once the numbers reach 0x7FFF a class is named by the WORD 0x7FFF and a
// DWORD 0x80000000 + its number; readers take both forms.
TEST(Archive, BigClassTags) {
  constexpr int kManyA = 0x7FFD;  // class A 1, objects 2 .. 0x7FFE, so class B is 0x7FFF
  CObArray array;
  for (int i = 0; i < kManyA; ++i) array.Append(std::make_unique<CTestObject>("CTestA", i));
  array.Append(std::make_unique<CTestObject>("CTestB", 1));
  array.Append(std::make_unique<CTestObject>("CTestB", 2));
  array.Append(std::make_unique<CTestObject>("CTestA", 3));
  CArchiveWriter w;
  array.Store(w);
  const QByteArray tail = Hex("ffff01000600") + "CTestB" + Hex("01000000") + Hex("ff7f" "ff7f0080") +
                          Hex("02000000") + Hex("0180") + Hex("03000000");
  EXPECT_EQ(w.Bytes().right(tail.size()).toHex(), tail.toHex());

  CArchiveReader r(w.Bytes(), TestFactory);
  CObArray back;
  ASSERT_TRUE(back.Load(r)) << r.Error();
  ASSERT_EQ(back.Size(), kManyA + 3);
  EXPECT_STREQ(back.At(kManyA + 1)->ClassName(), "CTestB");
  EXPECT_STREQ(back.At(kManyA + 2)->ClassName(), "CTestA");
  // A big tag may also name a small class number.
  CArchiveReader small(Hex("0200") + Hex("ffff01000600") + "CTestA" + Hex("01000000") + Hex("ff7f01000080") +
                           Hex("02000000"),
                       TestFactory);
  CObArray two;
  ASSERT_TRUE(two.Load(small)) << small.Error();
  EXPECT_EQ(two.As<CTestObject>(1)->m_value, 2u);
}

TEST(Archive, DamageIsReportedAndNothingIsAllocatedFromIt) {
  const QByteArray classA = Hex("ffff01000600") + "CTestA";
  struct Case {
    const char* what;
    QByteArray bytes;
    QString error;
  };
  const Case cases[] = {
      {"truncated count", Hex("01"), archive_msg::kTruncated},
      {"truncated object", Hex("0100") + classA + Hex("0100"), archive_msg::kTruncated},
      {"count beyond the bytes", Hex("ffffffffff7f") + Hex("0000"), archive_msg::kTooLarge},
      {"unknown class", Hex("0100ffff01000600") + "CTestC" + Hex("00000000"), archive_msg::kUnknownClass.arg(u"CTestC"_s)},
      {"schema 2", Hex("0100ffff02000600") + "CTestA" + Hex("00000000"), archive_msg::kBadSchema},
      {"class name too long", Hex("0100ffff01004000") + QByteArray(64, 'C'), archive_msg::kBadTag},
      {"class number unknown", Hex("01000580") + Hex("00000000"), archive_msg::kBadTag},
      {"class number of an object", Hex("0200") + classA + Hex("00000000") + Hex("0280") + Hex("00000000"),
       archive_msg::kBadTag},
      {"reference to an earlier object", Hex("0200") + classA + Hex("00000000") + Hex("0200"), archive_msg::kBadTag},
      {"big tag without the class bit", Hex("0100ff7f02000000"), archive_msg::kBadTag},
  };
  for (const Case& c : cases) {
    CArchiveReader r(c.bytes, TestFactory);
    CObArray a;
    EXPECT_FALSE(a.Load(r)) << c.what;
    EXPECT_EQ(r.Error(), c.error) << c.what;
  }
  // Strings: a length beyond the bytes fails before anything is read.
  for (const QByteArray& bytes : {Hex("fffeffffffffffffff7f4100"), Hex("ffffffffffff7f41"), Hex("fffeff05410042")}) {
    CArchiveReader r(bytes, {});
    QString s = u"kept"_s;
    EXPECT_FALSE(r.ReadString(&s));
    EXPECT_EQ(s, u"kept"_s);
    EXPECT_TRUE(r.Error() == archive_msg::kTooLarge || r.Error() == archive_msg::kTruncated) << r.Error();
    // The reader stays stopped.
    std::uint8_t b = 7;
    EXPECT_FALSE(r.ReadByte(&b));
    EXPECT_EQ(b, 7);
  }
}

TEST(Archive, NestingDeeperThanTheLimitIsDamage) {
  auto nest = [](int depth) {
    auto top = std::make_unique<CPrintProp>();
    CPrintProp* at = top.get();
    for (int i = 1; i < depth; ++i) {
      auto inner = std::make_unique<CPrintProp>();
      CPrintProp* next = inner.get();
      at->m_itemProps.Append(std::move(inner));
      at = next;
    }
    CObArray array;
    array.Append(std::move(top));
    CArchiveWriter w;
    array.Store(w);
    return w.Bytes();
  };
  for (const auto& [depth, ok] : {std::pair{archive::kMaxDepth, true}, std::pair{archive::kMaxDepth + 1, false}}) {
    const QByteArray bytes = nest(depth);
    CArchiveReader r(bytes, CreatePropertyObject);
    CObArray a;
    EXPECT_EQ(a.Load(r), ok) << depth;
    if (!ok) {
      EXPECT_EQ(r.Error(), archive_msg::kTooDeep);
    }
  }
}
