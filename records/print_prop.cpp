#include "records/print_prop.h"

#include "records/json_util.h"
#include "records/print_item_prop.h"
#include "settings/settings.h"

#include <algorithm>

CPrintProp::CPrintProp() : m_name(QStringLiteral("標準の印刷")) {
  m_font.faceName = settings::kPFontFaceName.def.toString();
  m_font.height = std::int32_t(settings::kPFontSize.def);
  m_font.weight = settings::kPFontWeight.def;
  m_font.italic = std::uint8_t(settings::kPFontItalic.def);
  m_font.underline = std::uint8_t(settings::kPFontUnderline.def);
  m_font.charSet = kFontCharSet;
}

CPrintProp::CPrintProp(const CSettingsStore& s) : CPrintProp() {
  m_keisen = ReadSetting(s, settings::kPrintKeisen);
  m_sotowaku = ReadSetting(s, settings::kPrintSotowaku);
  m_form = ReadSetting(s, settings::kPrintForm);
  m_font.faceName = ReadSetting(s, settings::kPFontFaceName);
  m_font.height = std::int32_t(ReadSetting(s, settings::kPFontSize));
  m_font.weight = ReadSetting(s, settings::kPFontWeight);
  m_font.italic = std::uint8_t(ReadSetting(s, settings::kPFontItalic));
  m_font.underline = std::uint8_t(ReadSetting(s, settings::kPFontUnderline));
}

void CPrintProp::Store(CArchiveWriter& ar) const {
  ar.WriteDword(kVersion);
  ar.WriteString(m_name);
  for (const QString& t : m_texts) ar.WriteString(t);
  ar.WriteDword(m_keisen);
  ar.WriteDword(m_sotowaku);
  ar.WriteDword(m_form);
  ar.WriteDword(m_value7);
  ar.WriteDword(m_value8);
  for (double m : m_margins) ar.WriteDouble(m);
  ar.WriteDword(std::uint32_t(m_items.size()));
  for (std::int32_t i : m_items) ar.WriteInt(i);
  ar.WriteInt(m_value11);
  m_itemProps.Store(ar);
  ar.WriteFont(m_font);
}

bool CPrintProp::Load(CArchiveReader& ar) {
  if (!(ar.ReadDword(&m_version) && ar.ReadString(&m_name))) return false;
  for (QString& t : m_texts)
    if (!ar.ReadString(&t)) return false;
  if (!(ar.ReadDword(&m_keisen) && ar.ReadDword(&m_sotowaku) && ar.ReadDword(&m_form) && ar.ReadDword(&m_value7) &&
        ar.ReadDword(&m_value8)))
    return false;
  for (double& m : m_margins)
    if (!ar.ReadDouble(&m)) return false;
  std::uint32_t n;
  if (!(ar.ReadDword(&n) && ar.CheckCount(n, 4))) return false;
  m_items.assign(n, 0);
  for (std::int32_t& i : m_items)
    if (!ar.ReadInt(&i)) return false;
  if (m_version >= kVersionValue11 && !ar.ReadInt(&m_value11)) return false;
  return m_itemProps.Load(ar) && ar.ReadFont(&m_font);
}

QJsonObject CPrintProp::ToJson() const {
  QJsonArray margins;
  for (double m : m_margins) margins.append(m);
  return QJsonObject{{QStringLiteral("version"), qint64(m_version)},
                     {QStringLiteral("name"), m_name},
                     {QStringLiteral("texts"), JsonArray(m_texts)},
                     {QStringLiteral("keisen"), qint64(m_keisen)},
                     {QStringLiteral("sotowaku"), qint64(m_sotowaku)},
                     {QStringLiteral("form"), qint64(m_form)},
                     {QStringLiteral("values"), QJsonArray{qint64(m_value7), qint64(m_value8)}},
                     {QStringLiteral("margins"), margins},
                     {QStringLiteral("items"), JsonList(m_items)},
                     {QStringLiteral("value11"), m_value11},
                     {QStringLiteral("itemProps"), m_itemProps.ToJson()},
                     {QStringLiteral("font"), m_font.ToJson()}};
}

bool CPrintProp::OnItemChange(const CItemChange& change) {
  for (std::size_t k = m_items.size(); k-- > 0;) {
    if (change.Follow(m_items[k])) continue;
    m_items.erase(m_items.begin() + std::ptrdiff_t(k));
    if (int(k) < m_itemProps.Size()) m_itemProps.RemoveAt(int(k));
  }
  return false;
}
