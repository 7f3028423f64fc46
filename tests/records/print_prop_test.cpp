#include "records/print_item_prop.h"
#include "records/print_label.h"
#include "records/print_prop.h"
#include "records/velum_property.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

template <typename T>
QByteArray Stored(const T& record) {
  CArchiveWriter w;
  record.Store(w);
  return w.Bytes();
}

template <typename T>
bool Load(const QByteArray& bytes, T* record, QString* error = nullptr) {
  CArchiveReader r(bytes, CreatePropertyObject);
  const bool ok = record->Load(r) && r.Left() == 0;
  if (error) *error = r.Error();
  return ok;
}

// A printed-item record of an older version, built by hand.
QByteArray OldItem(std::uint32_t version) {
  CArchiveWriter w;
  w.WriteDword(version);
  for (const QString& t : {u"一"_s, u"二"_s, u"三"_s}) w.WriteString(t);
  for (std::uint32_t v : {11, 12, 13, 14}) w.WriteDword(v);
  if (version >= 600) w.WriteDword(15);
  return w.Bytes();
}

// A layout of an older version with one printed item of the same version.
QByteArray OldLayout(std::uint32_t version) {
  CArchiveWriter w;
  w.WriteDword(version);
  w.WriteString(u"古い"_s);
  for (int i = 0; i < 6; ++i) w.WriteString(QString());
  for (std::uint32_t v : {1, 2, 3, 4, 5}) w.WriteDword(v);
  for (double m : {5.0, 6.0, 7.0, 8.0}) w.WriteDouble(m);
  w.WriteDword(1);
  w.WriteInt(3);
  w.WriteCount(1);
  w.WriteWord(0xFFFF);
  w.WriteWord(1);
  w.WriteWord(14);
  for (char c : QByteArray("CPrintItemProp")) w.WriteByte(std::uint8_t(c));
  return w.Bytes() + OldItem(version) + [] {
    CArchiveWriter f;
    f.WriteFont({u"Gothic"_s, 40, 700, 0, 1, 128});
    return f.Bytes();
  }();
}

}  // namespace

TEST(PrintLayout, DefaultsComeFromTheSettings) {
  CTestWorld w;
  const CPrintProp plain(*w.settings);
  EXPECT_EQ(plain.m_name, u"標準の印刷"_s);
  EXPECT_EQ(plain.m_keisen, 0u);
  EXPECT_EQ(plain.m_sotowaku, 5u);
  EXPECT_EQ(plain.m_form, 0u);
  EXPECT_EQ(plain.m_margins, (std::array<double, 4>{10, 10, 10, 10}));
  EXPECT_EQ(plain.m_value11, -1);
  EXPECT_TRUE(plain.m_items.empty() && plain.m_itemProps.Empty());
  EXPECT_EQ(plain.m_font, (CArchiveFont{u"ＭＳ ゴシック"_s, 64, 400, 0, 0, 128}));

  WriteSetting(*w.settings, settings::kPrintKeisen, 2);
  WriteSetting(*w.settings, settings::kPrintForm, 1);
  WriteSetting(*w.settings, settings::kPFontSize, 90);
  WriteSetting(*w.settings, settings::kPFontWeight, 700);
  WriteSetting(*w.settings, settings::kLabelRow, 4);
  WriteSetting(*w.settings, settings::kLabelCx, 70);
  const CPrintProp set(*w.settings);
  EXPECT_EQ(set.m_keisen, 2u);
  EXPECT_EQ(set.m_form, 1u);
  EXPECT_EQ(set.m_font.height, 90);
  EXPECT_EQ(set.m_font.weight, 700u);
  const CPrintLabel label(*w.settings);
  EXPECT_EQ(label.m_row, 4u);
  EXPECT_EQ(label.m_col, 6u);
  EXPECT_EQ(label.m_cx, 70.0);
  EXPECT_EQ(label.m_cy, 33.0);
  EXPECT_EQ(label.m_margins, (std::array<double, 2>{10, 10}));

  const CPrintItemProp item;
  EXPECT_EQ(item.m_value5, 1u);
  EXPECT_EQ(item.m_value1 + item.m_value6 + item.m_value8, 0u);
}

TEST(PrintLayout, VersionGates) {
  struct Case {
    std::uint32_t version;
    std::uint32_t value5;
  };
  for (const Case& c : {Case{500, 1}, Case{600, 15}}) {
    CPrintItemProp item;
    ASSERT_TRUE(Load(OldItem(c.version), &item)) << c.version;
    EXPECT_EQ(item.m_texts, (std::array<QString, 3>{u"一"_s, u"二"_s, u"三"_s}));
    EXPECT_EQ(item.m_value1, 11u);
    EXPECT_EQ(item.m_value4, 14u);
    EXPECT_EQ(item.m_value5, c.value5);
    EXPECT_EQ(item.m_value6 + item.m_value7 + item.m_value8, 0u);
    // Written back as 700 with the later values at their defaults.
    QByteArray expected = OldItem(600);
    expected[0] = char(700 & 0xFF);
    expected[1] = char(700 >> 8);
    expected.chop(4);
    CArchiveWriter tail;
    for (std::uint32_t v : {c.value5, 0u, 0u, 0u}) tail.WriteDword(v);
    EXPECT_EQ(Stored(item).toHex(), (expected + tail.Bytes()).toHex());
  }
  for (std::uint32_t version : {420u, 600u}) {
    CPrintProp layout;
    QString error;
    ASSERT_TRUE(Load(OldLayout(version), &layout, &error)) << version << error;
    EXPECT_EQ(layout.m_value11, -1);
    EXPECT_EQ(layout.m_items, std::vector<std::int32_t>{3});
    EXPECT_EQ(layout.m_margins[3], 8.0);
    EXPECT_EQ(layout.m_font, (CArchiveFont{u"Gothic"_s, 40, 700, 0, 1, 128}));
    ASSERT_NE(layout.m_itemProps.As<CPrintItemProp>(0), nullptr);
  }
}

TEST(PrintLayout, StoredAndReadBackUnchanged) {
  CPrintProp layout;
  layout.m_name = u"宛名"_s;
  layout.m_texts = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s};
  layout.m_keisen = 1;
  layout.m_value7 = 7;
  layout.m_value8 = 8;
  layout.m_margins = {0.5, 1e-3, 12.25, 99};
  layout.m_items = {2, 0};
  layout.m_value11 = 4;
  for (int i = 0; i < 2; ++i) {
    auto item = std::make_unique<CPrintItemProp>();
    item->m_texts[1] = u"項目"_s;
    item->m_value3 = 3 + i;
    item->m_value8 = 8;
    layout.m_itemProps.Append(std::move(item));
  }
  layout.m_font = {u"IPAGothic"_s, -20, 400, 1, 0, 128};
  CPrintLabel label;
  label.m_cy = 21.2;
  label.m_margins = {3, 4};
  for (const CArchiveObject* record : std::initializer_list<const CArchiveObject*>{&layout, &label}) {
    CArchiveWriter w;
    record->Store(w);
    std::unique_ptr<CArchiveObject> back = CreatePropertyObject(QByteArray(record->ClassName()));
    CArchiveReader r(w.Bytes(), CreatePropertyObject);
    ASSERT_TRUE(back->Load(r)) << record->ClassName();
    CArchiveWriter again;
    back->Store(again);
    EXPECT_EQ(again.Bytes(), w.Bytes()) << record->ClassName();
    EXPECT_EQ(back->ToJson(), record->ToJson());
  }
}

TEST(PrintLayout, FollowsItemChanges) {
  struct Case {
    const char* what;
    std::vector<std::int32_t> before;
    CItemChange change;
    std::vector<std::int32_t> after;
    std::vector<std::uint32_t> keptItemProps;  // m_value1 of the printed items left
  };
  const Case cases[] = {
      {"delete the only printed item", {2}, {CItemChange::kDeleted, 2}, {}, {}},
      {"delete a middle item", {0, 3, 1, 3}, {CItemChange::kDeleted, 1}, {0, 2, 2}, {0, 1, 3}},
      {"delete an item not printed", {4, 5}, {CItemChange::kDeleted, 1}, {3, 4}, {0, 1}},
      {"insert before", {0, 2, 5}, {CItemChange::kInserted, 2}, {0, 3, 6}, {0, 1, 2}},
      {"swap", {1, 4, 2}, {CItemChange::kSwapped, 4, 1}, {4, 1, 2}, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    CVelumProperty file;
    auto layout = std::make_unique<CPrintProp>();
    layout->m_items = c.before;
    for (std::size_t i = 0; i < c.before.size(); ++i) {
      auto item = std::make_unique<CPrintItemProp>();
      item->m_value1 = std::uint32_t(i);
      layout->m_itemProps.Append(std::move(item));
    }
    file.m_printLayouts.Append(std::move(layout));
    file.OnItemChange(c.change);
    ASSERT_EQ(file.m_printLayouts.Size(), 1) << c.what;
    const auto* after = file.m_printLayouts.As<CPrintProp>(0);
    EXPECT_EQ(after->m_items, c.after) << c.what;
    std::vector<std::uint32_t> kept;
    for (int i = 0; i < after->m_itemProps.Size(); ++i) kept.push_back(after->m_itemProps.As<CPrintItemProp>(i)->m_value1);
    EXPECT_EQ(kept, c.keptItemProps) << c.what;
  }
}
