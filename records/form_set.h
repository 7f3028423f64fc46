#pragma once

#include "records/archive.h"
#include "records/item_property.h"

#include <QString>

#include <cstdint>
#include <vector>

// A named form layout: item records written one after the other without
// object tags. Stored as version 700, the name, a 32-bit count and the records;
// reading skips the version.
class CFormSet : public CArchiveRecord<CFormSet> {
 public:
  static constexpr std::uint32_t kVersion = 700;

  QString m_name;
  std::vector<CItemProperty> m_records;

  static constexpr const char* kClassName = "CFormSet";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // The item references of every record follow the items; records stay in place.
  bool OnItemChange(const CItemChange& change) override;
};
