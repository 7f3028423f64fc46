#pragma once

#include <QString>

#include <vector>

class CPrintLabel;
class CPrintProp;
class CVelumProperty;

// The print and label layouts of a property record: where they are found, and
// the changes the layout dialogs make to them. Fields the dialogs do not show
// are left as they were read.

// The print layout a property record prints with: its first CPrintProp (there
// is always one after reading; null if none).
CPrintProp* FirstPrintLayout(CVelumProperty& property);
const CPrintProp* FirstPrintLayout(const CVelumProperty& property);
// The label sheet record held by the property (the first CPrintLabel in any of
// its object arrays), or null.
CPrintLabel* FindPrintLabel(CVelumProperty& property);
const CPrintLabel* FindPrintLabel(const CVelumProperty& property);

// Sets the items a layout prints, in order. The printed-item record of an item
// that stays printed moves with it; a newly printed item gets a fresh record.
// An empty list prints every item.
void SetPrintedItems(CPrintProp& layout, const std::vector<int>& items);

// The label geometry a label dialog edits: across and down counts, label size,
// gaps and the top and left margins, in millimetres.
struct CLabelSheet {
  int across = 2;
  int down = 6;
  double width = 84;
  double height = 33;
  double xGap = 4;
  double yGap = 5;
  double top = 10;
  double left = 10;
  bool operator==(const CLabelSheet&) const = default;
};
CLabelSheet SheetOf(const CPrintLabel& label);

// The property's label record; one made from defaults (kept with the carried
// objects) when the file has none.
CPrintLabel& LabelRecord(CVelumProperty& property, const CPrintLabel& defaults);

// Stores a sheet into the property's label record, making the record (kept
// with the carried objects) when the file has none. Answers whether anything
// changed: an unchanged sheet makes no record.
bool StoreLabelSheet(CVelumProperty& property, const CPrintLabel& defaults, const CLabelSheet& sheet);

// How far a sheet reaches beyond a paper of the given size (millimetres);
// 0 when it fits both ways.
double SheetOverflow(const CLabelSheet& sheet, double paperWidth, double paperHeight);
