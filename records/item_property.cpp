#include "records/item_property.h"

#include "records/json_util.h"

namespace {

void WriteRect(CArchiveWriter& ar, const CRect32& r) {
  ar.WriteInt(r.left);
  ar.WriteInt(r.top);
  ar.WriteInt(r.right);
  ar.WriteInt(r.bottom);
}

bool ReadRect(CArchiveReader& ar, CRect32* r) {
  return ar.ReadInt(&r->left) && ar.ReadInt(&r->top) && ar.ReadInt(&r->right) && ar.ReadInt(&r->bottom);
}

QJsonArray RectJson(const CRect32& r) { return QJsonArray{r.left, r.top, r.right, r.bottom}; }

template <std::size_t N>
bool ReadDwords(CArchiveReader& ar, std::array<std::uint32_t, N>* v) {
  for (auto& x : *v)
    if (!ar.ReadDword(&x)) return false;
  return true;
}

template <std::size_t N>
bool ReadStrings(CArchiveReader& ar, std::array<QString, N>* v) {
  for (auto& x : *v)
    if (!ar.ReadString(&x)) return false;
  return true;
}

}  // namespace

void CItemProperty::Store(CArchiveWriter& ar) const {
  ar.WriteDword(kVersion);
  ar.WriteDword(m_set);
  WriteRect(ar, m_rect1);
  WriteRect(ar, m_rect2);
  ar.WriteDword(m_imeMode);
  ar.WriteDword(m_type);
  ar.WriteDword(m_hPos);
  ar.WriteDword(m_hasContentFont);
  if (m_hasContentFont == 1) ar.WriteFont(m_contentFont);
  ar.WriteDword(m_textColor);
  ar.WriteDword(m_backColor);
  ar.WriteDword(m_hasNameFont);
  if (m_hasNameFont == 1) ar.WriteFont(m_nameFont);
  ar.WriteDword(m_nameTextColor);
  ar.WriteDword(m_nameBackColor);
  ar.WriteDword(m_value13);
  ar.WriteString(m_formula);
  ar.WriteDword(m_display1);
  ar.WriteDword(m_display2);
  ar.WriteDword(m_multiLine);
  ar.WriteDword(m_display3);
  ar.WriteDword(m_display4);
  WriteRect(ar, m_rect3);
  WriteRect(ar, m_rect4);
  ar.WriteString(m_linkTargetName);
  ar.WriteInt(m_linkSource);
  ar.WriteString(m_initialValue);
  for (std::uint32_t v : m_values20) ar.WriteDword(v);
  ar.WriteInt(m_secondRef);
  for (const QString& t : m_texts22) ar.WriteString(t);
  ar.WriteDword(m_flags);
  for (std::uint32_t v : m_values24) ar.WriteDword(v);
  ar.WriteString(m_checkText);
  ar.WriteStringList(m_choices);
}

bool CItemProperty::Load(CArchiveReader& ar) {
  if (!(ar.ReadDword(&m_version) && ar.ReadDword(&m_set) && ReadRect(ar, &m_rect1) && ReadRect(ar, &m_rect2) &&
        ar.ReadDword(&m_imeMode) && ar.ReadDword(&m_type) && ar.ReadDword(&m_hPos) &&
        ar.ReadDword(&m_hasContentFont)))
    return false;
  if (m_hasContentFont == 1 && !ar.ReadFont(&m_contentFont)) return false;
  if (!(ar.ReadDword(&m_textColor) && ar.ReadDword(&m_backColor) && ar.ReadDword(&m_hasNameFont))) return false;
  if (m_hasNameFont == 1 && !ar.ReadFont(&m_nameFont)) return false;
  if (!(ar.ReadDword(&m_nameTextColor) && ar.ReadDword(&m_nameBackColor) && ar.ReadDword(&m_value13) &&
        ar.ReadString(&m_formula) && ar.ReadDword(&m_display1) && ar.ReadDword(&m_display2) &&
        ar.ReadDword(&m_multiLine)))
    return false;
  if (m_version < kVersionExtended) return true;
  return ar.ReadDword(&m_display3) && ar.ReadDword(&m_display4) && ReadRect(ar, &m_rect3) &&
         ReadRect(ar, &m_rect4) && ar.ReadString(&m_linkTargetName) && ar.ReadInt(&m_linkSource) &&
         ar.ReadString(&m_initialValue) && ReadDwords(ar, &m_values20) && ar.ReadInt(&m_secondRef) &&
         ReadStrings(ar, &m_texts22) && ar.ReadDword(&m_flags) && ReadDwords(ar, &m_values24) &&
         ar.ReadString(&m_checkText) && ar.ReadStringList(&m_choices);
}

QJsonObject CItemProperty::ToJson() const {
  QJsonObject j{
      {QStringLiteral("version"), qint64(m_version)},
      {QStringLiteral("set"), qint64(m_set)},
      {QStringLiteral("rect1"), RectJson(m_rect1)},
      {QStringLiteral("rect2"), RectJson(m_rect2)},
      {QStringLiteral("imeMode"), qint64(m_imeMode)},
      {QStringLiteral("type"), qint64(m_type)},
      {QStringLiteral("hPos"), qint64(m_hPos)},
      {QStringLiteral("hasContentFont"), qint64(m_hasContentFont)},
      {QStringLiteral("textColor"), ColorJson(m_textColor)},
      {QStringLiteral("backColor"), ColorJson(m_backColor)},
      {QStringLiteral("hasNameFont"), qint64(m_hasNameFont)},
      {QStringLiteral("nameTextColor"), ColorJson(m_nameTextColor)},
      {QStringLiteral("nameBackColor"), ColorJson(m_nameBackColor)},
      {QStringLiteral("value13"), qint64(m_value13)},
      {QStringLiteral("formula"), m_formula},
      {QStringLiteral("display"), QJsonArray{qint64(m_display1), qint64(m_display2)}},
      {QStringLiteral("multiLine"), qint64(m_multiLine)},
      {QStringLiteral("display2"), QJsonArray{qint64(m_display3), qint64(m_display4)}},
      {QStringLiteral("rect3"), RectJson(m_rect3)},
      {QStringLiteral("rect4"), RectJson(m_rect4)},
      {QStringLiteral("linkTargetName"), m_linkTargetName},
      {QStringLiteral("linkSource"), m_linkSource},
      {QStringLiteral("initialValue"), m_initialValue},
      {QStringLiteral("values20"), JsonArray(m_values20)},
      {QStringLiteral("secondRef"), m_secondRef},
      {QStringLiteral("texts22"), JsonArray(m_texts22)},
      {QStringLiteral("flags"), qint64(m_flags)},
      {QStringLiteral("values24"), JsonArray(m_values24)},
      {QStringLiteral("checkText"), m_checkText},
      {QStringLiteral("choices"), QJsonArray::fromStringList(m_choices)},
  };
  if (m_hasContentFont == 1) j.insert(QStringLiteral("contentFont"), m_contentFont.ToJson());
  if (m_hasNameFont == 1) j.insert(QStringLiteral("nameFont"), m_nameFont.ToJson());
  return j;
}

bool CItemProperty::OnItemChange(const CItemChange& change) {
  ApplyItemChange(*this, change);
  return false;
}

void ApplyItemChange(CItemProperty& p, const CItemChange& change) {
  if (!change.Follow(p.m_secondRef)) p.m_secondRef = 0;
  if (!change.Follow(p.m_linkSource) && p.m_type == kItemLinked) {
    p.m_type = kItemStandard;
    p.m_linkSource = -1;
  }
}

bool IsFormulaOrLinked(const CItemProperty& p) { return p.HasFormula() || p.m_type == kItemLinked; }

bool DependsOn(const CItemProperty& p, int index) {
  return p.HasFormula() || p.m_type == kItemImage || (p.m_type == kItemLinked && p.m_linkSource == index);
}

QJsonValue ColorJson(ColorRef c) {
  if (c > 0xFFFFFF) return qint64(c);
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return QStringLiteral("#%1%2%3").arg(r, 2, 16, QLatin1Char('0')).arg(g, 2, 16, QLatin1Char('0')).arg(b, 2, 16, QLatin1Char('0')).toUpper();
}
