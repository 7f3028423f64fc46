#include "records/print_layout_edit.h"

#include "records/print_item_prop.h"
#include "records/print_label.h"
#include "records/print_prop.h"
#include "records/velum_property.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A layout printing items 3, 0 and 5, each printed-item record marked with its item.
CPrintProp LayoutOf(const std::vector<int>& items) {
  CPrintProp layout;
  for (int item : items) {
    auto prop = std::make_unique<CPrintItemProp>();
    prop->m_texts[0] = QString::number(item);
    prop->m_value8 = std::uint32_t(item);
    layout.m_items.push_back(item);
    layout.m_itemProps.Append(std::move(prop));
  }
  return layout;
}

QStringList Marks(const CPrintProp& layout) {
  QStringList out;
  for (int i = 0; i < layout.m_itemProps.Size(); ++i) out << layout.m_itemProps.As<CPrintItemProp>(i)->m_texts[0];
  return out;
}

}  // namespace

TEST(SetPrintedItems, RecordsMoveWithTheirItems) {
  const struct {
    std::vector<int> items;
    QStringList marks;  // the records after the change; "" is a fresh one
  } cases[] = {
      {{5, 3, 0}, {u"5"_s, u"3"_s, u"0"_s}},        // reordered
      {{0}, {u"0"_s}},                              // two dropped
      {{3, 7, 0}, {u"3"_s, u""_s, u"0"_s}},         // one new in the middle
      {{}, {}},                                     // every item
      {{3, 3}, {u"3"_s, u""_s}},                    // an item twice takes its record once
  };
  for (const auto& c : cases) {
    CPrintProp layout = LayoutOf({3, 0, 5});
    layout.m_name = u"宛名"_s;
    layout.m_margins = {1, 2, 3, 4};
    SetPrintedItems(layout, c.items);
    EXPECT_EQ(layout.m_items, c.items);
    EXPECT_EQ(Marks(layout), c.marks);
    // What the dialog does not edit stays.
    EXPECT_EQ(layout.m_name, u"宛名"_s);
    EXPECT_EQ(layout.m_margins[3], 4);
  }
  // A fresh record has the defaults of a new one.
  CPrintProp layout = LayoutOf({1});
  SetPrintedItems(layout, {2});
  EXPECT_EQ(layout.m_itemProps.As<CPrintItemProp>(0)->m_value5, 1u);
}

TEST(StoreLabelSheet, MakesARecordOnlyForAChange) {
  CVelumProperty property;
  const CPrintLabel defaults;
  CLabelSheet sheet = SheetOf(defaults);
  EXPECT_FALSE(StoreLabelSheet(property, defaults, sheet));
  EXPECT_TRUE(property.m_objects.Empty());

  sheet.across = 3;
  sheet.height = 42.3;
  sheet.left = 7.5;
  EXPECT_TRUE(StoreLabelSheet(property, defaults, sheet));
  ASSERT_EQ(property.m_objects.Size(), 1);
  const CPrintLabel* label = property.m_objects.As<CPrintLabel>(0);
  ASSERT_TRUE(label);
  EXPECT_EQ(label->m_row, 3u);
  EXPECT_EQ(label->m_cy, 42.3);
  EXPECT_EQ(label->m_margins[0], 10.0);
  EXPECT_EQ(label->m_margins[1], 7.5);
  EXPECT_EQ(SheetOf(*label), sheet);

  // A record read from the file is changed where it stands, never doubled.
  sheet.down = 4;
  EXPECT_TRUE(StoreLabelSheet(property, defaults, sheet));
  EXPECT_EQ(property.m_objects.Size(), 1);
  EXPECT_EQ(property.m_objects.As<CPrintLabel>(0)->m_col, 4u);
  EXPECT_FALSE(StoreLabelSheet(property, defaults, sheet));
}

TEST(SheetOverflow, TheDefaultSheetFitsA4) {
  CLabelSheet sheet;
  EXPECT_EQ(SheetOverflow(sheet, 210, 297), 0.0);
  sheet.across = 3;  // 10 + 3 * 84 + 2 * 4 = 270 mm across
  EXPECT_DOUBLE_EQ(SheetOverflow(sheet, 210, 297), 60.0);
  sheet = {};
  sheet.down = 9;  // 10 + 9 * 33 + 8 * 5 = 347 mm down
  EXPECT_DOUBLE_EQ(SheetOverflow(sheet, 210, 297), 50.0);
}
