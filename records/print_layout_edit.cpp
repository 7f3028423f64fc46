#include "records/print_layout_edit.h"

#include "records/print_item_prop.h"
#include "records/print_label.h"
#include "records/print_prop.h"
#include "records/velum_property.h"

#include <algorithm>
#include <utility>

void SetPrintedItems(CPrintProp& layout, const std::vector<int>& items) {
  CObArray props;
  std::vector<bool> taken(layout.m_items.size(), false);
  for (int item : items) {
    std::unique_ptr<CArchiveObject> prop;
    for (std::size_t k = 0; k < layout.m_items.size(); ++k) {
      if (taken[k] || layout.m_items[k] != item) continue;
      taken[k] = true;
      if (const CArchiveObject* old = layout.m_itemProps.At(int(k))) prop = old->Clone();
      break;
    }
    props.Append(prop ? std::move(prop) : std::make_unique<CPrintItemProp>());
  }
  layout.m_items.assign(items.begin(), items.end());
  layout.m_itemProps = std::move(props);
}

CLabelSheet SheetOf(const CPrintLabel& label) {
  return {int(label.m_row), int(label.m_col), label.m_cx,          label.m_cy,
          label.m_xSpace,   label.m_ySpace, label.m_margins[0], label.m_margins[1]};
}

namespace {

template <typename T>
T* FirstOf(const CObArray& array) {
  for (int i = 0; i < array.Size(); ++i)
    if (T* t = array.As<T>(i)) return t;
  return nullptr;
}

}  // namespace

CPrintProp* FirstPrintLayout(CVelumProperty& property) { return FirstOf<CPrintProp>(property.m_printLayouts); }
const CPrintProp* FirstPrintLayout(const CVelumProperty& property) {
  return FirstOf<CPrintProp>(property.m_printLayouts);
}

CPrintLabel* FindPrintLabel(CVelumProperty& property) {
  return const_cast<CPrintLabel*>(FindPrintLabel(std::as_const(property)));
}

const CPrintLabel* FindPrintLabel(const CVelumProperty& property) {
  for (const CObArray* a : {&property.m_objects, &property.m_printLayouts, &property.m_itemCopies,
                            &property.m_sortSets, &property.m_selectSets, &property.m_formSets})
    if (const CPrintLabel* label = FirstOf<CPrintLabel>(*a)) return label;
  return nullptr;
}

CPrintLabel& LabelRecord(CVelumProperty& property, const CPrintLabel& defaults) {
  if (CPrintLabel* label = FindPrintLabel(property)) return *label;
  auto made = std::make_unique<CPrintLabel>(defaults);
  made->m_lines.clear();
  CPrintLabel& label = *made;
  property.m_objects.Append(std::move(made));
  return label;
}

bool StoreLabelSheet(CVelumProperty& property, const CPrintLabel& defaults, const CLabelSheet& sheet) {
  const CPrintLabel* found = FindPrintLabel(property);
  if (SheetOf(found ? *found : defaults) == sheet) return false;
  CPrintLabel* label = &LabelRecord(property, defaults);
  label->m_row = std::uint32_t(std::max(sheet.across, 1));
  label->m_col = std::uint32_t(std::max(sheet.down, 1));
  label->m_cx = sheet.width;
  label->m_cy = sheet.height;
  label->m_xSpace = sheet.xGap;
  label->m_ySpace = sheet.yGap;
  label->m_margins = {sheet.top, sheet.left};
  return true;
}

double SheetOverflow(const CLabelSheet& s, double paperWidth, double paperHeight) {
  const double right = s.left + s.across * s.width + (s.across - 1) * s.xGap;
  const double bottom = s.top + s.down * s.height + (s.down - 1) * s.yGap;
  return std::max({0.0, right - paperWidth, bottom - paperHeight});
}
