#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

class CCardStore;

// Metrics of the fonts the layout uses; the font keys are the caller's own
// (an index into the fonts it made), the layout only passes them back.
class ILayoutMetrics {
 public:
  virtual ~ILayoutMetrics() = default;
  virtual int TextWidth(int font, QStringView text) const = 0;  // width of one line of text
  virtual int AverageCharWidth(int font) const = 0;
  virtual int MaxCharWidth(int font) const = 0;
  virtual int Height(int font) const = 0;  // character height
};

// One item as the layout sees it. The caller chooses the fonts: the item's
// own name and content fonts when `Standard` is off and the item has them,
// else the view's.
struct CLayoutItem {
  QString name;
  QString text;        // the item's text on the current card
  int type = 0;        // 0 standard, 1 choice, 2 image preview, 3 linked, 4 check box
  int multiLine = 0;   // 0 automatic, 1 single line, 2 multi-line
  int alignment = 0;   // passed through for the caller's edit
  int maxLines = 1;    // largest line count of this item over all cards (CItemLineCounts)
  int nameFont = 0;
  int contentFont = 0;
};

// The layout settings (section View) and the window's measures.
struct CLayoutSettings {
  int maxTate = 4;
  int itemPosMode = 1;    // 1: the name on its own line above the control
  int itemWidthMode = 0;  // 1: controls reach to the window's right edge
  bool cardMargin = true;
  bool labelEditZero = false;
  bool singleLine = false;  // Item1: every control one line high
  int clientWidth = 0;
  int clientHeight = 0;     // 0: unknown; with itemWidthMode 1, multi-line items fill it
  int scrollBarWidth = 0;   // width of a vertical scroll bar
  int screenHeight = 0;     // for the opened height of drop-downs
  int viewNameFont = 0;     // the view's name font: the name column's width
  int viewContentFont = 0;  // the view's content font: column start, spacing, scroll steps
};

enum class ControlKind { Edit, ReadOnlyEdit, HiddenEdit, DropDown, CheckBox };

// The label and control of one item. Rectangles are in the form's
// coordinates (scrolled to the top-left); width = right - left and
// height = bottom - top of the edges the layout computes.
struct CLayoutControl {
  int item;
  ControlKind kind;
  QRect label;
  QRect control;  // a drop-down's rectangle is its closed height; see dropHeight
  bool multiLineStyle;
  int lines;
  // A drop-down's opened list reaches this far below its top (the larger of
  // the room below it on the screen and its top); 0 for other kinds. A real
  // combo box sizes its list itself, so the window may ignore it.
  int dropHeight = 0;
};

struct CCardLayout {
  std::vector<CLayoutControl> controls;  // one per item, in item order
  int labelWidth;   // the name column: widest name in the view's name font + its average char width
  int contentLeft;  // left edge of the controls before LabelEditZero moves them
  QSize scrollSize;
  QSize pageStep;
  QSize lineStep;
};

// The card form for the items in file order. inputFree[i]: the item has a
// formula or is linked, so its edit is read-only (types 0 and 3); a missing
// entry counts as false. With itemWidthMode 1 and a known client height, the
// items set to 複数行 share the height the card leaves free, in whole lines
// (at most kMaxGrownLines each), so a tall window shows more of a note. The
// layout is a function of its arguments only: when
// showing the scroll bar narrows the client area, the caller lays out again
// with the narrower width.
inline constexpr int kMaxGrownLines = 30;
CCardLayout LayoutCard(const std::vector<CLayoutItem>& items, const std::vector<bool>& inputFree,
                       const CLayoutSettings& s, const ILayoutMetrics& m);

// The largest number of text lines (line feeds + 1) each item holds over all
// cards of a store, kept between calls so that showing a card of a large deck
// does not read every card again.
class CItemLineCounts {
 public:
  // One count per item of the store (at least 1 each). Reads every card only
  // when the store is another one or its cards or items changed since the
  // last answer, and not only by a new order or visibility of the cards (a
  // sort, a filter: nothing is read) or by item edits (undo and redo of an
  // edit among them: the edited texts raise the counts). nearCard, a visible
  // card likely to be the one edited, spares the search for it.
  const std::vector<int>& MaxLines(const CCardStore& store, int nearCard = -1);
  // An edit stored `text` into item `item`: its count rises to the text's
  // lines when that is more, and the store as it now stands counts as read.
  // Call it right after storing the edit, before other changes. A count never
  // falls this way; a shortened text lowers it at the next full reading.
  void NoteText(int item, QStringView text);
  // Forget everything: the next MaxLines reads every card.
  void Invalidate() { m_store = nullptr; }

  // The lines of one text: line feeds + 1.
  static int LineCount(QStringView text);

 private:
  // Follows the item edits since m_changes; false when a full reading is due.
  bool FollowEdits(const CCardStore& store, std::uint64_t changes, int nearCard);

  const CCardStore* m_store = nullptr;
  std::uint64_t m_changes = 0;
  std::uint64_t m_textChanges = 0;
  int m_allCount = -1;
  std::vector<int> m_counts;
};
