#include "records/print_item_prop.h"

#include "records/json_util.h"

void CPrintItemProp::Store(CArchiveWriter& ar) const {
  ar.WriteDword(kVersion);
  for (const QString& t : m_texts) ar.WriteString(t);
  ar.WriteDword(m_value1);
  ar.WriteDword(m_value2);
  ar.WriteDword(m_value3);
  ar.WriteDword(m_value4);
  ar.WriteDword(m_value5);
  ar.WriteDword(m_value6);
  ar.WriteDword(m_value7);
  ar.WriteDword(m_value8);
}

bool CPrintItemProp::Load(CArchiveReader& ar) {
  if (!ar.ReadDword(&m_version)) return false;
  for (QString& t : m_texts)
    if (!ar.ReadString(&t)) return false;
  if (!(ar.ReadDword(&m_value1) && ar.ReadDword(&m_value2) && ar.ReadDword(&m_value3) && ar.ReadDword(&m_value4)))
    return false;
  if (m_version >= 600 && !ar.ReadDword(&m_value5)) return false;
  if (m_version >= 700 && !(ar.ReadDword(&m_value6) && ar.ReadDword(&m_value7) && ar.ReadDword(&m_value8)))
    return false;
  return true;
}

QJsonObject CPrintItemProp::ToJson() const {
  return QJsonObject{{QStringLiteral("version"), qint64(m_version)},
                     {QStringLiteral("texts"), JsonArray(m_texts)},
                     {QStringLiteral("values"),
                      QJsonArray{qint64(m_value1), qint64(m_value2), qint64(m_value3), qint64(m_value4),
                                 qint64(m_value5), qint64(m_value6), qint64(m_value7), qint64(m_value8)}}};
}
