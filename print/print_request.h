#pragma once

#include "records/print_extras.h"
#include "records/print_label.h"
#include "records/print_prop.h"

#include <QString>
#include <QStringList>

#include <vector>

class CVelumDoc;
class CVelumProperty;

// What one print run prints: which cards, which items, in which form, with
// which layout. The window's print dialogs and velum-cli fill it; the render
// library draws it (render/print_document.h).

// One line of an address label: prefix + the item's value + suffix. An item
// of -1 (or out of range) prints the prefix and suffix alone. join: printed
// on the line before, after its text.
struct CLabelLine {
  QString prefix;
  int item = -1;
  QString suffix;
  bool join = false;
  bool operator==(const CLabelLine&) const = default;
};

enum class PrintKind { kList, kCards, kLabels };

struct CPrintRequest {
  PrintKind kind = PrintKind::kList;
  std::vector<int> cards;  // visible card numbers of the store, in print order
  std::vector<int> items;  // item indices printed (list, cards), in order
  std::vector<CLabelLine> labelLines;
  int startLabel = 0;  // position on the first label sheet, from 0
  CPrintProp layout;   // form, font, margins, ruled lines
  CPrintLabel sheet;   // label sheet geometry
  CPrintExtras extras;  // orientation and column widths, kept beside the layout
  QString title;       // shown in the footer: the file name
};

// CPrintProp::m_form values.
inline constexpr std::uint32_t kPrintFormList = 0;
inline constexpr std::uint32_t kPrintFormCards = 1;
// CPrintProp::m_keisen: 実線 点線 破線 なし.
inline constexpr std::uint32_t kRuledSolid = 0;
inline constexpr std::uint32_t kRuledDotted = 1;
inline constexpr std::uint32_t kRuledDashed = 2;
inline constexpr std::uint32_t kRuledNone = 3;
// CPrintProp::m_sotowaku: なし 実線 点線 破線 二重線 太線.
inline constexpr std::uint32_t kFrameNone = 0;
inline constexpr std::uint32_t kFrameSolid = 1;
inline constexpr std::uint32_t kFrameDotted = 2;
inline constexpr std::uint32_t kFrameDashed = 3;
inline constexpr std::uint32_t kFrameDouble = 4;
inline constexpr std::uint32_t kFrameThick = 5;

// The items a layout prints: its list (indices out of range dropped) or, when
// empty, every item.
std::vector<int> PrintedItems(const CPrintProp& layout, int itemCount);
// The default label lines for these item names, compared with full-width
// digits as ASCII ones: 郵便番号 as "〒" + value; the address as 住所, else
// 住所1 and 住所2 on the next line; the name as 氏名 (else 名前) + " 様", else 姓
// and 名 on one line, "姓 名 様". Each that exists, in that order; when there
// is none of them, the first three items, plain.
std::vector<CLabelLine> DefaultLabelLines(const QStringList& itemNames);
// The lines a label sheet record prints for these item names: the lines
// chosen for it, else (no record, or no lines chosen) the defaults.
std::vector<CLabelLine> LabelLinesFor(const CPrintLabel* sheet, const QStringList& itemNames);
// Label lines by item index as lines by item name, and back.
std::vector<CLabelLineChoice> LabelLineChoices(const std::vector<CLabelLine>& lines, const QStringList& itemNames);
std::vector<CLabelLine> ResolveLabelLines(const std::vector<CLabelLineChoice>& lines, const QStringList& itemNames);
// A request for the visible cards of a document as they stand: every visible
// card, the layout and label sheet of its property record or the settings'
// defaults, the orientation and widths kept for the file, the label lines
// of the sheet, the file name as the title.
CPrintRequest MakePrintRequest(const CVelumDoc& doc, PrintKind kind);

// The label counts of a sheet as printed: m_row across and m_col down, each
// at least 1 (a damaged record's 0 prints one), at most 50 across and 100 down.
int LabelsAcross(const CPrintLabel& sheet);
int LabelsDown(const CPrintLabel& sheet);
int LabelsPerSheet(const CPrintLabel& sheet);

// The names of the choices, in the order of their values, for the dialogs.
const QStringList& RuledLineStyleNames();  // 実線 点線 破線 なし
const QStringList& FrameStyleNames();      // なし 実線 点線 破線 二重線 太線
