#include "records/velum_property.h"

#include "records/form_set.h"
#include "records/json_util.h"
#include "records/print_item_prop.h"
#include "records/print_label.h"
#include "records/print_prop.h"
#include "records/velum_select.h"
#include "records/velum_set.h"
#include "records/velum_sort.h"
#include "settings/settings.h"

namespace {

template <std::size_t N>
bool ReadAll(CArchiveReader& ar, std::array<QString, N>* v) {
  for (auto& x : *v)
    if (!ar.ReadString(&x)) return false;
  return true;
}

template <std::size_t N>
bool ReadAll(CArchiveReader& ar, std::array<std::uint32_t, N>* v) {
  for (auto& x : *v)
    if (!ar.ReadDword(&x)) return false;
  return true;
}

template <std::size_t N>
void WriteAll(CArchiveWriter& ar, const std::array<QString, N>& v) {
  for (const auto& x : v) ar.WriteString(x);
}

template <std::size_t N>
void WriteAll(CArchiveWriter& ar, const std::array<std::uint32_t, N>& v) {
  for (auto x : v) ar.WriteDword(x);
}

}  // namespace

CVelumProperty::CVelumProperty() {
  m_htmlTexts[0] = QStringLiteral("search.cgi");
  m_htmlTexts[3] = QStringLiteral("search.html");
  m_htmlTexts[4] = QStringLiteral("検索");
  m_htmlTexts[5] = QStringLiteral("/usr/local/bin/perl");
  // The body tag of the default page-body attributes: background FFFFFF alone.
  m_bodyTag = QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">\r\n");
  m_texts15b[2] = QStringLiteral("詳細");
}

CVelumProperty CVelumProperty::Defaults(const CSettingsStore& settings) {
  CVelumProperty p;
  p.m_firstLine = ReadSetting(settings, settings::kItem) == 0 ? 1 : 0;
  p.m_printLayouts.Append(std::make_unique<CPrintProp>(settings));
  return p;
}

void CVelumProperty::Store(CArchiveWriter& ar) const {
  ar.WriteWord(kVersion);
  ar.WriteWord(m_set);
  WriteAll(ar, m_texts3);
  ar.WriteDword(m_backColor);
  ar.WriteString(m_text5);
  WriteAll(ar, m_values6);
  ar.WriteDword(m_firstLine);
  WriteAll(ar, m_values8);
  WriteAll(ar, m_htmlTexts);
  ar.WriteDword(m_value10);
  ar.WriteString(m_bodyTag);
  WriteAll(ar, m_htmlColors);
  WriteAll(ar, m_htmlTexts12a);
  ar.WriteDword(m_value12);
  WriteAll(ar, m_htmlTexts12b);
  WriteAll(ar, m_values13a);
  WriteAll(ar, m_texts13);
  ar.WriteDword(m_value13b);
  ar.WriteDword(m_cardPosition);
  WriteAll(ar, m_texts15a);
  WriteAll(ar, m_values15a);
  WriteAll(ar, m_texts15b);
  ar.WriteDword(m_value15b);
  WriteAll(ar, m_values15c);
  m_itemCopies.Store(ar);
  m_objects.Store(ar);
  m_printLayouts.Store(ar);
  m_sortSets.Store(ar);
  m_selectSets.Store(ar);
  m_formSets.Store(ar);
}

bool CVelumProperty::Load(CArchiveReader& ar) {
  if (!(ar.ReadWord(&m_version) && ar.ReadWord(&m_set) && ReadAll(ar, &m_texts3) && ar.ReadDword(&m_backColor) &&
        ar.ReadString(&m_text5) && ReadAll(ar, &m_values6)))
    return false;
  const std::uint16_t v = m_version;
  if (v >= kV420 && !(ar.ReadDword(&m_firstLine) && ReadAll(ar, &m_values8))) return false;
  if (v >= kV430 && !(ReadAll(ar, &m_htmlTexts) && ar.ReadDword(&m_value10) && ar.ReadString(&m_bodyTag)))
    return false;
  if (v >= kV461 && !(ReadAll(ar, &m_htmlColors) && ReadAll(ar, &m_htmlTexts12a) && ar.ReadDword(&m_value12) &&
                      ReadAll(ar, &m_htmlTexts12b)))
    return false;
  if (v >= kV520 && !(ReadAll(ar, &m_values13a) && ReadAll(ar, &m_texts13) && ar.ReadDword(&m_value13b)))
    return false;
  if (v >= kV530 && !ar.ReadDword(&m_cardPosition)) return false;
  if (v >= kV630 && !(ReadAll(ar, &m_texts15a) && ReadAll(ar, &m_values15a) && ReadAll(ar, &m_texts15b) &&
                      ar.ReadDword(&m_value15b) && ReadAll(ar, &m_values15c)))
    return false;
  if (!m_itemCopies.Load(ar)) return false;
  if (v >= kV420 && !(m_objects.Load(ar) && m_printLayouts.Load(ar))) return false;
  if (v >= kV600 && !(m_sortSets.Load(ar) && m_selectSets.Load(ar))) return false;
  if (v >= kV700 && !m_formSets.Load(ar)) return false;
  return true;
}

QJsonObject CVelumProperty::ToJson() const {
  return QJsonObject{
      {QStringLiteral("version"), m_version},
      {QStringLiteral("set"), m_set},
      {QStringLiteral("texts3"), JsonArray(m_texts3)},
      {QStringLiteral("backColor"), ColorJson(m_backColor)},
      {QStringLiteral("text5"), m_text5},
      {QStringLiteral("values6"), JsonArray(m_values6)},
      {QStringLiteral("firstLine"), qint64(m_firstLine)},
      {QStringLiteral("values8"), JsonArray(m_values8)},
      {QStringLiteral("htmlTexts"), JsonArray(m_htmlTexts)},
      {QStringLiteral("value10"), qint64(m_value10)},
      {QStringLiteral("bodyTag"), m_bodyTag},
      {QStringLiteral("htmlColors"), QJsonArray{ColorJson(m_htmlColors[0]), ColorJson(m_htmlColors[1])}},
      {QStringLiteral("htmlTexts12a"), JsonArray(m_htmlTexts12a)},
      {QStringLiteral("value12"), qint64(m_value12)},
      {QStringLiteral("htmlTexts12b"), JsonArray(m_htmlTexts12b)},
      {QStringLiteral("values13a"), JsonArray(m_values13a)},
      {QStringLiteral("texts13"), JsonArray(m_texts13)},
      {QStringLiteral("value13b"), qint64(m_value13b)},
      {QStringLiteral("cardPosition"), qint64(m_cardPosition)},
      {QStringLiteral("texts15a"), JsonArray(m_texts15a)},
      {QStringLiteral("values15a"), JsonArray(m_values15a)},
      {QStringLiteral("texts15b"), JsonArray(m_texts15b)},
      {QStringLiteral("value15b"), qint64(m_value15b)},
      {QStringLiteral("values15c"), JsonArray(m_values15c)},
      {QStringLiteral("items"), m_itemCopies.ToJson()},
      {QStringLiteral("objects"), m_objects.ToJson()},
      {QStringLiteral("printLayouts"), m_printLayouts.ToJson()},
      {QStringLiteral("storedSets"), QJsonArray{m_sortSets.ToJson(), m_selectSets.ToJson()}},
      {QStringLiteral("formLayouts"), m_formSets.ToJson()},
  };
}

bool CVelumProperty::OnItemChange(const CItemChange& change) {
  for (CObArray* a : {&m_printLayouts, &m_sortSets, &m_selectSets, &m_formSets}) a->OnItemChange(change);
  return false;
}

bool CVelumProperty::AnySet() const {
  if (m_set != 0) return true;
  for (int i = 0; i < m_itemCopies.Size(); ++i)
    if (const auto* p = m_itemCopies.As<CItemProperty>(i); p && p->m_set != 0) return true;
  return false;
}

std::unique_ptr<CArchiveObject> CreatePropertyObject(QByteArrayView name) {
  if (name == "CItemProperty") return std::make_unique<CItemProperty>();
  if (name == "CFormSet") return std::make_unique<CFormSet>();
  if (name == "CPrintProp") return std::make_unique<CPrintProp>();
  if (name == "CPrintItemProp") return std::make_unique<CPrintItemProp>();
  if (name == "CPrintLabel") return std::make_unique<CPrintLabel>();
  if (name == "CVelumSort") return std::make_unique<CVelumSort>();
  if (name == "CVelumSortArray") return std::make_unique<CVelumSortArray>();
  if (name == "CVelumSet") return std::make_unique<CVelumSet>();
  if (name == "CVelumSortSet") return std::make_unique<CVelumSortSet>();
  if (name == "CVelumSelect") return std::make_unique<CVelumSelect>();
  if (name == "CVelumSelectSet") return std::make_unique<CVelumSelectSet>();
  return nullptr;
}
