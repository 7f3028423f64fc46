#include "records/velum_select.h"

#include "records/json_util.h"
#include "settings/settings.h"

#include <algorithm>

CVelumSelect::CVelumSelect(const CSettingsStore& s)
    : m_caseFlag(ReadSetting(s, settings::kISearch)),
      m_options{ReadSetting(s, settings::kZSearch), ReadSetting(s, settings::kHSearch),
                ReadSetting(s, settings::kKSearch)},
      m_condition(std::int32_t(ReadSetting(s, settings::kSearchMode))) {}

void CVelumSelect::Store(CArchiveWriter& ar) const {
  ar.WriteWord(kVersion);
  ar.WriteInt(m_kind);
  ar.WriteString(m_word);
  ar.WriteDword(m_caseFlag);
  for (std::uint32_t o : m_options) ar.WriteDword(o);
  ar.WriteInt(m_condition);
  ar.WriteInt(m_method);
  ar.WriteDword(m_requestFlag);
  ar.WriteDword(m_reserved);
  ar.WriteReserved(kReservedCount);
  ar.WriteDword(std::uint32_t(m_items.size()));
  for (std::int32_t i : m_items) ar.WriteInt(i);
}

bool CVelumSelect::Load(CArchiveReader& ar) {
  std::uint16_t version;
  if (!(ar.ReadWord(&version) && ar.ReadInt(&m_kind) && ar.ReadString(&m_word) && ar.ReadDword(&m_caseFlag)))
    return false;
  for (std::uint32_t& o : m_options)
    if (!ar.ReadDword(&o)) return false;
  std::uint32_t n;
  if (!(ar.ReadInt(&m_condition) && ar.ReadInt(&m_method) && ar.ReadDword(&m_requestFlag) &&
        ar.ReadDword(&m_reserved) && ar.SkipReserved(kReservedCount) && ar.ReadDword(&n) && ar.CheckCount(n, 4)))
    return false;
  m_items.assign(n, 0);
  for (std::int32_t& i : m_items)
    if (!ar.ReadInt(&i)) return false;
  return true;
}

QJsonObject CVelumSelect::ToJson() const {
  return QJsonObject{{QStringLiteral("kind"), m_kind},
                     {QStringLiteral("items"), JsonList(m_items)},
                     {QStringLiteral("word"), m_word},
                     {QStringLiteral("caseFlag"), qint64(m_caseFlag)},
                     {QStringLiteral("options"), JsonArray(m_options)},
                     {QStringLiteral("condition"), m_condition},
                     {QStringLiteral("method"), m_method},
                     {QStringLiteral("requestFlag"), qint64(m_requestFlag)},
                     {QStringLiteral("reserved"), qint64(m_reserved)}};
}

bool CVelumSelect::OnItemChange(const CItemChange& change) {
  const bool hadItems = !m_items.empty();
  change.FollowAll(m_items);
  return hadItems && m_items.empty();
}

void CVelumSelectSet::Store(CArchiveWriter& ar) const {
  StoreSet(ar);
  ar.WriteDword(kVersion);
  ar.WriteReserved(kReservedCount);
  m_records.Store(ar);
}

bool CVelumSelectSet::Load(CArchiveReader& ar) {
  std::uint32_t version;
  return LoadSet(ar) && ar.ReadDword(&version) && ar.SkipReserved(kReservedCount) && m_records.Load(ar);
}

QJsonObject CVelumSelectSet::ToJson() const {
  QJsonObject j = SetJson();
  j.insert(QStringLiteral("records"), m_records.ToJson());
  return j;
}

bool CVelumSelectSet::OnItemChange(const CItemChange& change) {
  m_records.OnItemChange(change);
  return false;
}
