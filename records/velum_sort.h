#pragma once

#include "records/archive.h"

#include <cstdint>
#include <vector>

// One sort key: an item (the item count itself names the mark "[マーク]") and
// an order: 0 text ascending, 1 number ascending, 2 text descending, 3 number
// descending. Stored as version 600, item, order, the reserved value, then the
// reserved block of five zeros and five empty strings.
class CVelumSort : public CArchiveRecord<CVelumSort> {
 public:
  static constexpr std::uint16_t kVersion = 600;

  CVelumSort() = default;
  CVelumSort(std::int32_t item, std::int32_t order) : m_item(item), m_order(order) {}

  std::int32_t m_reserved = 0;  // copied and stored; nothing reads it
  std::int32_t m_item = 0;
  std::int32_t m_order = 0;

  bool operator==(const CVelumSort&) const = default;

  static constexpr const char* kClassName = "CVelumSort";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // True when the key's own item was deleted (the owner drops the key); a key
  // on a later item moves down one.
  bool OnItemChange(const CItemChange& change) override;
};

// An ordered list of keys, the first the most significant. Stored as version
// 600, a 32-bit count, the keys one after the other without class tags, and the
// reserved block.
class CVelumSortArray : public CArchiveRecord<CVelumSortArray> {
 public:
  static constexpr std::uint16_t kVersion = 600;

  std::vector<CVelumSort> m_keys;

  bool operator==(const CVelumSortArray&) const = default;

  static constexpr const char* kClassName = "CVelumSortArray";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // Drops the keys on the deleted item, renumbers the others; true when no key is left.
  bool OnItemChange(const CItemChange& change) override;
};

// The reserved block that every record of the sort and filter sets carries.
inline constexpr int kReservedCount = 5;
