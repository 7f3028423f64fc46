#include "core/item_name_row.h"

CItemNameRow::CItemNameRow() : m_props(kMaxItems) {}

void CItemNameRow::Clear() {
  std::fill(m_props.begin(), m_props.end(), DefaultProperty());
  CCardRow::Clear();
}

void CItemNameRow::Renumber(const CItemChange& change) {
  for (auto& p : m_props) ApplyItemChange(p, change);
  OnItemLayoutChanged(change);
}

bool CItemNameRow::InsertEmptyItem(int i) {
  const int count = std::max(ItemCount(), 0);
  if (count >= kMaxItems) return false;
  if (i < 0 || i > count) i = count;
  for (int k = count; k > i; --k) m_props[k] = std::move(m_props[k - 1]);
  m_props[i] = DefaultProperty();
  Renumber({CItemChange::kInserted, i});
  return CCardRow::InsertEmptyItem(i);
}

bool CItemNameRow::DeleteItem(int i) {
  const int count = ItemCount();
  if (i < 0 || i >= count) return false;
  for (int k = i; k + 1 < count; ++k) m_props[k] = std::move(m_props[k + 1]);
  m_props[count - 1] = DefaultProperty();
  Renumber({CItemChange::kDeleted, i});
  return CCardRow::DeleteItem(i);
}

bool CItemNameRow::SwapItems(int a, int b) {
  const int count = ItemCount();
  if (a < 0 || b < 0 || a >= count || b >= count) return false;
  if (a == b) return true;
  const QString ta = Item(a).toString();
  const QString tb = Item(b).toString();
  const bool qa = Quoted(a);
  SetItem(a, tb);
  SetItem(b, ta);
  SetQuoted(a, Quoted(b));
  SetQuoted(b, qa);
  std::swap(m_props[a], m_props[b]);
  Renumber({CItemChange::kSwapped, a, b});
  return true;
}
