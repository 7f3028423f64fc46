#include "core/item_property.h"

void ItemInserted(CItemProperty& p, int index) {
  if (p.m_linkSource >= index) ++p.m_linkSource;
  if (p.m_secondRef >= index) ++p.m_secondRef;
}

void ItemDeleted(CItemProperty& p, int index) {
  if (p.m_secondRef == index) p.m_secondRef = 0;
  if (p.m_secondRef > index) --p.m_secondRef;
  if (p.m_type == kItemLinked && p.m_linkSource == index) {
    p.m_type = kItemStandard;
    p.m_linkSource = -1;
  } else if (p.m_linkSource > index) {
    --p.m_linkSource;
  }
}

void ItemsSwapped(CItemProperty& p, int a, int b) {
  auto swap = [&](std::int32_t& ref) {
    if (ref == a)
      ref = b;
    else if (ref == b)
      ref = a;
  };
  swap(p.m_linkSource);
  swap(p.m_secondRef);
}

bool IsFormulaOrLinked(const CItemProperty& p) { return p.HasFormula() || p.m_type == kItemLinked; }
