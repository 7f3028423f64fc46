#include "app/card_layout.h"

#include "core/card_store.h"

#include <algorithm>

namespace {

// Ten wide letters: the least width an edit gets.
constexpr QStringView kUnitText = u"WWWWWWWWWW";
// Gap between the controls and the labels when the margin is on.
constexpr int kCardMargin = 5;
// The form's first row.
constexpr int kTop = 2;

ControlKind KindOf(int type, bool inputFree) {
  switch (type) {
    case 1: return ControlKind::DropDown;
    case 2: return ControlKind::HiddenEdit;
    case 3: return ControlKind::ReadOnlyEdit;
    case 4: return ControlKind::CheckBox;
    default: return inputFree ? ControlKind::ReadOnlyEdit : ControlKind::Edit;
  }
}

// Texts up to this length are measured whole; a longer one in pieces of this
// length, only until the width passes what the caller can use, so that no
// measurement shapes a huge text.
constexpr qsizetype kMeasurePiece = 1024;

// Where a piece of text may end: never between the halves of a surrogate pair.
qsizetype PieceEnd(QStringView text, qsizetype from) {
  qsizetype end = std::min(text.size(), from + kMeasurePiece);
  if (end < text.size() && end > from + 1 && text[end - 1].isHighSurrogate()) --end;
  return end;
}

// The width of a text, measured only until it passes limit (the answer is
// then above limit): beyond the room a card has, more width changes nothing,
// and a text of megabytes would take minutes and gigabytes to shape whole.
int CappedWidth(const ILayoutMetrics& m, int font, QStringView text, int limit) {
  if (text.size() <= kMeasurePiece) return m.TextWidth(font, text);
  int width = 0;
  for (qsizetype from = 0; from < text.size() && width <= limit;) {
    const qsizetype to = PieceEnd(text, from);
    width += m.TextWidth(font, text.mid(from, to - from));
    from = to;
  }
  return width;
}

// The width of a text as if it stood on one line: a text with line breaks is
// measured line by line and the widths added, so a long multi-line text asks
// for as much room as the same words on one line. Capped as CappedWidth.
int TextWidthOneLine(const ILayoutMetrics& m, int font, QStringView text, int limit) {
  int width = 0;
  qsizetype start = 0;
  while (start <= text.size() && width <= limit) {
    qsizetype end = text.indexOf(u'\n', start);
    if (end < 0) end = text.size();
    QStringView line = text.mid(start, end - start);
    if (line.endsWith(u'\r')) line.chop(1);
    width += CappedWidth(m, font, line, limit - width);
    start = end + 1;
  }
  return width;
}

struct CControlRect {
  QRect rect;
  int lines;
  bool multiLineStyle;
};

CControlRect ControlRect(const CLayoutItem& item, int top, int x, const CLayoutSettings& s,
                         const ILayoutMetrics& m) {
  const int font = item.contentFont;
  const int lh = m.Height(font) + m.Height(font) / 4;
  const int aw = m.AverageCharWidth(font);
  const int g = s.cardMargin ? aw : 0;

  const int room = std::max(1, s.clientWidth - s.scrollBarWidth - g - x);
  int unit = m.TextWidth(font, kUnitText);
  // Past this width the control reaches the right edge and has its most lines.
  const int enough = std::max(s.clientWidth, int(std::min<qint64>(qint64(room) * std::max(1, s.maxTate), 1 << 28)));
  const int tw = TextWidthOneLine(m, font, item.text, enough);
  if (unit <= tw + 10) unit = tw + 10;

  int n = 1;
  if (item.type == 0 && (item.multiLine == 0 || item.multiLine == 2)) {
    n = unit / room + 1;
    n = std::max(n, item.maxLines);
    // A MaxTate of 0 would leave no line for the text at all.
    n = std::max(1, std::min(n, s.maxTate));
  }
  if (s.singleLine) n = 1;

  const int right = s.itemWidthMode == 1 ? s.clientWidth - g
                                         : std::min(x + unit, s.clientWidth - std::min(aw / 4, g));
  const int bottom = top + n * lh + lh / 4;

  bool multi = false;
  if (item.multiLine == 2)
    multi = true;
  else if (item.multiLine == 0)
    multi = n != 1;
  return {QRect(x, top, right - x, bottom - top), n, multi};
}

int Bottom(const QRect& r) { return r.top() + r.height(); }

// Gives the multi-line items the height the card leaves free below its last
// item, line by line in turn, moving the items below each one down.
void GrowMultiLine(CCardLayout& layout, const std::vector<CLayoutItem>& items, const CLayoutSettings& s,
                   const ILayoutMetrics& m) {
  std::vector<std::size_t> growing;
  for (std::size_t i = 0; i < layout.controls.size(); ++i)
    if (items[i].type == 0 && items[i].multiLine == 2 && !s.singleLine &&
        layout.controls[i].kind == ControlKind::Edit)
      growing.push_back(i);
  if (growing.empty()) return;
  int spare = s.clientHeight - layout.scrollSize.height();
  std::vector<int> added(layout.controls.size(), 0);
  for (bool grew = true; grew;) {
    grew = false;
    for (std::size_t i : growing) {
      CLayoutControl& c = layout.controls[i];
      const int font = items[i].contentFont;
      const int lh = m.Height(font) + m.Height(font) / 4;
      if (lh <= 0 || spare < lh || c.lines >= kMaxGrownLines) continue;
      ++c.lines;
      added[i] += lh;
      spare -= lh;
      grew = true;
    }
  }
  int shift = 0;
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    CLayoutControl& c = layout.controls[i];
    c.label.translate(0, shift);
    c.control.translate(0, shift);
    c.control.setHeight(c.control.height() + added[i]);
    shift += added[i];
  }
  layout.scrollSize.setHeight(layout.scrollSize.height() + shift);
}

}  // namespace

CCardLayout LayoutCard(const std::vector<CLayoutItem>& items, const std::vector<bool>& inputFree,
                       const CLayoutSettings& s, const ILayoutMetrics& m) {
  const int aw = m.AverageCharWidth(s.viewContentFont);
  const int mw = m.MaxCharWidth(s.viewContentFont);
  const int h = m.Height(s.viewContentFont);
  const int margin = s.cardMargin ? kCardMargin : 0;

  CCardLayout layout{};
  int widest = 0;
  // A name wider than a few windows is off the card anyway: it is not shaped whole.
  const int nameLimit = 4 * std::max(s.clientWidth, 1000);
  for (const CLayoutItem& item : items)
    widest = std::max(widest, CappedWidth(m, s.viewNameFont, item.name, nameLimit));
  layout.labelWidth = widest + m.AverageCharWidth(s.viewNameFont);

  int x = s.itemPosMode == 1 ? margin : (aw + mw) / 2 + layout.labelWidth;
  layout.contentLeft = x;

  int y = kTop;
  int largestBottom = 0;
  layout.controls.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const CLayoutItem& item = items[i];
    const int labelRight =
        CappedWidth(m, item.nameFont, item.name, nameLimit) + m.AverageCharWidth(item.nameFont) / 2 + margin;
    const QRect label(margin, y, labelRight - margin, m.Height(item.nameFont));

    if (s.labelEditZero) x = labelRight;
    const int top = s.itemPosMode == 1 ? Bottom(label) : y;
    const CControlRect c = ControlRect(item, top, x, s, m);

    CLayoutControl control{int(i), KindOf(item.type, i < inputFree.size() && inputFree[i]),
                           label, c.rect, c.multiLineStyle, c.lines};
    const bool isEdit = control.kind == ControlKind::Edit || control.kind == ControlKind::ReadOnlyEdit ||
                        control.kind == ControlKind::HiddenEdit;
    if (!isEdit) control.multiLineStyle = false;

    largestBottom = std::max({largestBottom, Bottom(label), Bottom(c.rect)});
    y = std::max(Bottom(label), Bottom(c.rect)) + 1;
    if (control.kind == ControlKind::DropDown) {
      control.dropHeight = std::max(s.screenHeight - top, top);
      y += h / 2;
    }
    layout.controls.push_back(control);
  }

  layout.scrollSize = QSize(std::max(0, s.clientWidth - 100), largestBottom + h);
  layout.pageStep = QSize(10, 5 * h);
  layout.lineStep = QSize(1, h);
  if (s.itemWidthMode == 1 && s.clientHeight > 0) GrowMultiLine(layout, items, s, m);
  return layout;
}

int CItemLineCounts::LineCount(QStringView text) { return int(text.count(u'\n')) + 1; }

const std::vector<int>& CItemLineCounts::MaxLines(const CCardStore& store, int nearCard) {
  const int itemCount = std::max(0, store.ItemCount());
  const std::uint64_t changes = CCardRow::Changes();
  if (m_store == &store && m_allCount == store.AllCount() && int(m_counts.size()) == itemCount &&
      (m_textChanges == CCardRow::TextChanges() || m_changes == changes || FollowEdits(store, changes, nearCard))) {
    m_changes = changes;
    m_textChanges = CCardRow::TextChanges();
    return m_counts;
  }

  m_counts.assign(itemCount, 1);
  for (int c = 0; c < store.AllCount(); ++c) {
    const CCardRow* card = store.AllCard(c);
    const int n = std::min(itemCount, card->ItemCount());
    if (n <= 0) continue;
    // A card keeps its texts back to back: one search over all of them
    // passes over the many cards without a line feed.
    const QStringView first = card->Item(0), last = card->Item(n - 1);
    if (!QStringView(first.data(), last.data() + last.size()).contains(u'\n')) continue;
    for (int i = 0; i < n; ++i) m_counts[i] = std::max(m_counts[i], LineCount(card->Item(i)));
  }
  m_store = &store;
  m_changes = CCardRow::Changes();
  m_textChanges = CCardRow::TextChanges();
  m_allCount = store.AllCount();
  return m_counts;
}

bool CItemLineCounts::FollowEdits(const CCardStore& store, std::uint64_t changes, int nearCard) {
  std::vector<CCardRow::CItemEdit> edits;
  if (!CCardRow::ItemEditsSince(m_changes, changes, &edits) || edits.size() > 64) return false;
  // The edited rows may be gone or belong to another store: only those found
  // among the store's cards by address are read. The card named first is
  // looked at before all of them.
  std::vector<const CCardRow*> rows;
  for (const CCardRow::CItemEdit& e : edits) rows.push_back(e.row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  const auto read = [&](const CCardRow* card) {
    const int n = std::min(int(m_counts.size()), card->ItemCount());
    for (const CCardRow::CItemEdit& e : edits) {
      if (e.row != card) continue;
      // An edit of one item, or a whole card replaced (every item read).
      const bool whole = e.item == CCardRow::kWholeRow;
      for (int i = whole ? 0 : e.item; i >= 0 && i < n && (whole || i == e.item); ++i)
        m_counts[i] = std::max(m_counts[i], LineCount(card->Item(i)));
    }
  };
  const CCardRow* near = store.VisibleCard(nearCard);
  if (near && rows.size() == 1 && rows.front() == near) {
    read(near);
  } else {
    for (int c = 0; c < store.AllCount(); ++c)
      if (std::binary_search(rows.begin(), rows.end(), store.AllCard(c))) read(store.AllCard(c));
  }
  m_changes = changes;
  return true;
}

void CItemLineCounts::NoteText(int item, QStringView text) {
  if (!m_store) return;
  if (item >= 0 && item < int(m_counts.size())) m_counts[item] = std::max(m_counts[item], LineCount(text));
  m_changes = CCardRow::Changes();
  m_textChanges = CCardRow::TextChanges();
}
