#include "records/form_set.h"

void CFormSet::Store(CArchiveWriter& ar) const {
  ar.WriteDword(kVersion);
  ar.WriteString(m_name);
  ar.WriteDword(std::uint32_t(m_records.size()));
  for (const CItemProperty& r : m_records) r.Store(ar);
}

bool CFormSet::Load(CArchiveReader& ar) {
  // The smallest item record: the fields every version holds, up to the
  // multi-line mode, without fonts and with an empty formula.
  constexpr qsizetype kMinRecordBytes = 4 * 4 + 2 * 16 + 11 * 4 + 1;
  std::uint32_t version, n;
  if (!(ar.ReadDword(&version) && ar.ReadString(&m_name) && ar.ReadDword(&n) && ar.CheckCount(n, kMinRecordBytes)))
    return false;
  m_records.clear();
  for (std::uint32_t i = 0; i < n; ++i) {
    CItemProperty r;
    if (!r.Load(ar)) return false;
    m_records.push_back(std::move(r));
  }
  return true;
}

QJsonObject CFormSet::ToJson() const {
  QJsonArray records;
  for (const CItemProperty& r : m_records) records.append(r.ToJson());
  return QJsonObject{{QStringLiteral("name"), m_name}, {QStringLiteral("records"), records}};
}

bool CFormSet::OnItemChange(const CItemChange& change) {
  for (CItemProperty& r : m_records) ApplyItemChange(r, change);
  return false;
}
