#include "print/print_request.h"

#include "core/velum_doc.h"
#include "records/print_layout_edit.h"
#include "records/velum_property.h"

#include <algorithm>

using namespace Qt::StringLiterals;

std::vector<int> PrintedItems(const CPrintProp& layout, int itemCount) {
  std::vector<int> items;
  for (std::int32_t i : layout.m_items)
    if (i >= 0 && i < itemCount) items.push_back(i);
  // A list whose every entry fell out of range prints what an empty one does:
  // a page of nothing would only waste paper.
  if (items.empty())
    for (int i = 0; i < itemCount; ++i) items.push_back(i);
  return items;
}

std::vector<CLabelLine> DefaultLabelLines(const QStringList& itemNames) {
  QStringList names;
  for (const QString& n : itemNames) names << n.normalized(QString::NormalizationForm_KC);
  auto at = [&names](const QString& name) { return int(names.indexOf(name)); };
  std::vector<CLabelLine> lines;
  if (const int zip = at(u"郵便番号"_s); zip >= 0) lines.push_back({u"〒"_s, zip, {}});
  if (const int address = at(u"住所"_s); address >= 0) {
    lines.push_back({{}, address, {}});
  } else {
    for (const QString& part : {u"住所1"_s, u"住所2"_s})
      if (const int i = at(part); i >= 0) lines.push_back({{}, i, {}});
  }
  const int fullName = at(u"氏名"_s) >= 0 ? at(u"氏名"_s) : at(u"名前"_s);
  const int family = at(u"姓"_s), given = at(u"名"_s);
  if (fullName >= 0) {
    lines.push_back({{}, fullName, u" 様"_s});
  } else if (family >= 0 && given >= 0) {
    lines.push_back({{}, family, u" "_s});
    lines.push_back({{}, given, u" 様"_s, true});
  } else if (family >= 0 || given >= 0) {
    lines.push_back({{}, std::max(family, given), u" 様"_s});
  }
  if (!lines.empty()) return lines;
  for (int i = 0; i < std::min(3, int(itemNames.size())); ++i) lines.push_back({{}, i, {}});
  return lines;
}

std::vector<CLabelLine> LabelLinesFor(const CPrintLabel* sheet, const QStringList& itemNames) {
  if (!sheet || sheet->m_lines.empty()) return DefaultLabelLines(itemNames);
  return ResolveLabelLines(sheet->m_lines, itemNames);
}

std::vector<CLabelLineChoice> LabelLineChoices(const std::vector<CLabelLine>& lines, const QStringList& itemNames) {
  std::vector<CLabelLineChoice> out;
  for (const CLabelLine& l : lines)
    out.push_back({l.prefix, l.item >= 0 && l.item < itemNames.size() ? itemNames[l.item] : QString(), l.suffix,
                   l.join});
  return out;
}

std::vector<CLabelLine> ResolveLabelLines(const std::vector<CLabelLineChoice>& lines, const QStringList& itemNames) {
  std::vector<CLabelLine> out;
  for (const CLabelLineChoice& l : lines)
    out.push_back({l.prefix, l.item.isEmpty() ? -1 : int(itemNames.indexOf(l.item)), l.suffix, l.join});
  return out;
}

CPrintRequest MakePrintRequest(const CVelumDoc& doc, PrintKind kind) {
  const CCardStore& store = doc.Store();
  const CVelumProperty& property = store.FileProperty();
  const CSettingsStore& settings = doc.Services().settings;
  CPrintRequest r;
  r.kind = kind;
  const int count = store.VisibleCount();
  r.cards.reserve(std::size_t(count));
  for (int n = 0; n < count; ++n) r.cards.push_back(n);
  if (const CPrintProp* layout = FirstPrintLayout(property))
    r.layout = *layout;
  else
    r.layout = CPrintProp(settings);
  if (const CPrintLabel* sheet = FindPrintLabel(property))
    r.sheet = *sheet;
  else
    r.sheet = CPrintLabel(settings);
  const int itemCount = std::max(store.ItemCount(), 0);
  r.items = PrintedItems(r.layout, itemCount);
  QStringList names;
  for (int i = 0; i < itemCount; ++i) names << store.Item(i).toString();
  r.labelLines = LabelLinesFor(FindPrintLabel(property), names);
  r.title = doc.Title();
  r.extras = ReadPrintExtras(settings, doc.PathName());
  return r;
}

int LabelsAcross(const CPrintLabel& sheet) { return int(std::clamp<std::uint32_t>(sheet.m_row, 1, 50)); }
int LabelsDown(const CPrintLabel& sheet) { return int(std::clamp<std::uint32_t>(sheet.m_col, 1, 100)); }
int LabelsPerSheet(const CPrintLabel& sheet) { return LabelsAcross(sheet) * LabelsDown(sheet); }

const QStringList& RuledLineStyleNames() {
  static const QStringList names{u"実線"_s, u"点線"_s, u"破線"_s, u"なし"_s};
  return names;
}

const QStringList& FrameStyleNames() {
  static const QStringList names{u"なし"_s, u"実線"_s, u"点線"_s, u"破線"_s, u"二重線"_s, u"太線"_s};
  return names;
}
