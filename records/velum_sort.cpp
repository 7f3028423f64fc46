#include "records/velum_sort.h"

#include <algorithm>

void CVelumSort::Store(CArchiveWriter& ar) const {
  ar.WriteWord(kVersion);
  ar.WriteInt(m_item);
  ar.WriteInt(m_order);
  ar.WriteInt(m_reserved);
  ar.WriteReserved(kReservedCount);
}

bool CVelumSort::Load(CArchiveReader& ar) {
  std::uint16_t version;
  return ar.ReadWord(&version) && ar.ReadInt(&m_item) && ar.ReadInt(&m_order) && ar.ReadInt(&m_reserved) &&
         ar.SkipReserved(kReservedCount);
}

QJsonObject CVelumSort::ToJson() const {
  return QJsonObject{{QStringLiteral("item"), m_item},
                     {QStringLiteral("order"), m_order},
                     {QStringLiteral("reserved"), m_reserved}};
}

bool CVelumSort::OnItemChange(const CItemChange& change) { return !change.Follow(m_item); }

void CVelumSortArray::Store(CArchiveWriter& ar) const {
  ar.WriteWord(kVersion);
  ar.WriteInt(std::int32_t(m_keys.size()));
  for (const CVelumSort& k : m_keys) k.Store(ar);
  ar.WriteReserved(kReservedCount);
}

bool CVelumSortArray::Load(CArchiveReader& ar) {
  // A key takes its version, three values, five zeros and five strings.
  constexpr qsizetype kMinKeyBytes = 2 + 3 * 4 + kReservedCount * 4 + kReservedCount;
  std::uint16_t version;
  std::int32_t n;
  if (!(ar.ReadWord(&version) && ar.ReadInt(&n))) return false;
  if (n < 0) return ar.Fail(archive_msg::kBadValue);
  if (!ar.CheckCount(std::uint64_t(n), kMinKeyBytes)) return false;
  m_keys.clear();
  m_keys.reserve(std::size_t(n));
  for (std::int32_t i = 0; i < n; ++i) {
    CVelumSort key;
    if (!key.Load(ar)) return false;
    m_keys.push_back(key);
  }
  return ar.SkipReserved(kReservedCount);
}

QJsonObject CVelumSortArray::ToJson() const {
  QJsonArray keys;
  for (const CVelumSort& k : m_keys) keys.append(k.ToJson());
  return QJsonObject{{QStringLiteral("keys"), keys}};
}

bool CVelumSortArray::OnItemChange(const CItemChange& change) {
  std::erase_if(m_keys, [&change](CVelumSort& k) { return k.OnItemChange(change); });
  return change.kind == CItemChange::kDeleted && m_keys.empty();
}
