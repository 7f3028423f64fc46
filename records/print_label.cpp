#include "records/print_label.h"

#include "settings/settings.h"

#include <QJsonArray>

CPrintLabel::CPrintLabel() = default;

CPrintLabel::CPrintLabel(const CSettingsStore& s)
    : m_row(ReadSetting(s, settings::kLabelRow)),
      m_col(ReadSetting(s, settings::kLabelCol)),
      m_cy(ReadSetting(s, settings::kLabelCy)),
      m_ySpace(ReadSetting(s, settings::kLabelYSpace)),
      m_cx(ReadSetting(s, settings::kLabelCx)),
      m_xSpace(ReadSetting(s, settings::kLabelXSpace)) {}

void CPrintLabel::Store(CArchiveWriter& ar) const {
  ar.WriteDword(kVersion);
  ar.WriteDword(m_row);
  ar.WriteDword(m_col);
  ar.WriteDouble(m_cy);
  ar.WriteDouble(m_ySpace);
  ar.WriteDouble(m_cx);
  ar.WriteDouble(m_xSpace);
  for (double m : m_margins) ar.WriteDouble(m);
}

bool CPrintLabel::Load(CArchiveReader& ar) {
  return ar.ReadDword(&m_version) && ar.ReadDword(&m_row) && ar.ReadDword(&m_col) && ar.ReadDouble(&m_cy) &&
         ar.ReadDouble(&m_ySpace) && ar.ReadDouble(&m_cx) && ar.ReadDouble(&m_xSpace) &&
         ar.ReadDouble(&m_margins[0]) && ar.ReadDouble(&m_margins[1]);
}

QJsonObject CPrintLabel::ToJson() const {
  return QJsonObject{{QStringLiteral("version"), qint64(m_version)},
                     {QStringLiteral("row"), qint64(m_row)},
                     {QStringLiteral("col"), qint64(m_col)},
                     {QStringLiteral("cy"), m_cy},
                     {QStringLiteral("ySpace"), m_ySpace},
                     {QStringLiteral("cx"), m_cx},
                     {QStringLiteral("xSpace"), m_xSpace},
                     {QStringLiteral("margins"), QJsonArray{m_margins[0], m_margins[1]}}};
}

QJsonArray LabelLinesToJson(const std::vector<CLabelLineChoice>& lines) {
  QJsonArray out;
  for (const CLabelLineChoice& l : lines) out.append(QJsonArray{l.prefix, l.item, l.suffix, l.join});
  return out;
}

std::vector<CLabelLineChoice> LabelLinesFromJson(const QJsonArray& json) {
  std::vector<CLabelLineChoice> lines;
  for (const QJsonValue& v : json) {
    if (int(lines.size()) >= kMaxLabelLines) break;
    const QJsonArray a = v.toArray();
    if (a.size() < 3 || !a[0].isString() || !a[1].isString() || !a[2].isString()) continue;
    lines.push_back({a[0].toString(), a[1].toString(), a[2].toString(), a.size() > 3 && a[3].toBool()});
  }
  return lines;
}
