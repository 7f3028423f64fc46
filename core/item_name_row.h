#pragma once

#include "core/card_row.h"
#include "records/item_property.h"

#include <algorithm>
#include <vector>

// The row of item names, with the property record of every item beside it:
// record i describes item i. Inserting, deleting and swapping names keeps the
// records, and the item references they hold, in step.
class CItemNameRow : public CCardRow {
 public:
  CItemNameRow();
  CItemNameRow(const CItemNameRow&) = default;
  CItemNameRow& operator=(const CItemNameRow&) = default;

  CItemProperty& Property(int i) { return m_props[std::clamp(i, 0, kMaxItems - 1)]; }
  const CItemProperty& Property(int i) const { return m_props[std::clamp(i, 0, kMaxItems - 1)]; }

  void Clear() override;
  bool DeleteItem(int i) override;
  bool InsertEmptyItem(int i) override;
  // Exchanges items a and b: names, quote flags, records and references.
  bool SwapItems(int a, int b);

  // A default record, as a new item gets it.
  static CItemProperty DefaultProperty() { return CItemProperty{}; }

 protected:
  // Called after the records followed an item change, for the further item
  // references of a derived row (the store's file record).
  virtual void OnItemLayoutChanged(const CItemChange& change) {}

 private:
  void Renumber(const CItemChange& change);

  std::vector<CItemProperty> m_props;  // always kMaxItems records
};
