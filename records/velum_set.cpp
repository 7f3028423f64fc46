#include "records/velum_set.h"

void CVelumSet::StoreSet(CArchiveWriter& ar) const {
  ar.WriteWord(kVersion);
  ar.WriteString(m_text);
  ar.WriteInt(m_number);
  ar.WriteReserved(kReservedCount);
}

bool CVelumSet::LoadSet(CArchiveReader& ar) {
  std::uint16_t version;
  return ar.ReadWord(&version) && ar.ReadString(&m_text) && ar.ReadInt(&m_number) && ar.SkipReserved(kReservedCount);
}

QJsonObject CVelumSet::SetJson() const {
  return QJsonObject{{QStringLiteral("number"), m_number}, {QStringLiteral("text"), m_text}};
}

void CVelumSortSet::Store(CArchiveWriter& ar) const {
  StoreSet(ar);
  ar.WriteWord(kVersion);
  ar.WriteReserved(kReservedCount);
  m_keys.Store(ar);
}

bool CVelumSortSet::Load(CArchiveReader& ar) {
  std::uint16_t version;
  return LoadSet(ar) && ar.ReadWord(&version) && ar.SkipReserved(kReservedCount) && m_keys.Load(ar);
}

QJsonObject CVelumSortSet::ToJson() const {
  QJsonObject j = SetJson();
  j.insert(QStringLiteral("keys"), m_keys.ToJson().value(QStringLiteral("keys")));
  return j;
}
