#include "ui/views/list_view.h"

#include "app/frame_command_table.h"
#include "core/card_commands.h"
#include "core/services.h"
#include "platform/prompt.h"
#include "platform/text_util.h"
#include "select/select_commands.h"
#include "select/sort.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "ui/views/deck_models.h"
#include "ui/views/start_settings.h"
#include "ui/views/view_host.h"
#include "ui/widgets/font_dialog.h"
#include "ui/widgets/fonts.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {
// Column widths come from this many rows at most, never from the whole deck.
constexpr int kSampleRows = 200;
constexpr int kMaxColumnWidth = 400;
constexpr qsizetype kMeasuredChars = 200;
}  // namespace

CListView::CListView(IViewHost& host, QWidget* parent)
    : QTableView(parent), m_host(host), m_doc(host.Doc()), m_model(new CCardTableModel(host.Doc(), this)) {
  setObjectName(QStringLiteral("CVListView"));
  setModel(m_model);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->hide();
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setFont(FontFromRecord(settings::ReadFont(host.Settings(), settings::FontSection::VListFont), ScreenDpiY()));
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { m_host.ShowContextMenu(0, viewport()->mapToGlobal(pos)); });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) { OpenRow(index.row()); });
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setSortIndicatorShown(true);
  horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CListView::SortByHeading);
  horizontalHeader()->viewport()->installEventFilter(this);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    // Only a drag on the headings is the user's choice; resets and sizing are not.
    if (!m_sizing && m_headingPressed && column < m_doc.ItemCount())
      m_userWidths.insert(m_doc.Store().Item(column).toString(), width);
  });
  // The current column is the item the item commands (sort, count, ...) work
  // on; the current row is the document's current card, which the other
  // views and the card commands follow.
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (!current.isValid() || !isVisible()) return;
    m_doc.SetCurrentItem(current.column());
    if (m_selecting || current.row() == m_doc.CurrentCard()) return;
    m_doc.StoreCards();
    if (m_doc.MakeCurrent(current.row())) m_doc.UpdateAllViews(this, 0x20000);
    m_host.RefreshCommandStates();
  });
  m_doc.AddView(this);
}

CListView::~CListView() { m_doc.RemoveView(this); }

void CListView::InitialUpdate() {
  m_model->Refresh(true);
  SizeColumns();
  SelectCurrent();
}

namespace {

// A value the list right-aligns: a number, digit grouping allowed.
bool IsNumberText(QString text) {
  text.remove(u',');
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return false;
  qsizetype used = 0;
  WcsToD(trimmed, &used);
  return used == trimmed.size();
}

}  // namespace

void CListView::SizeColumns() {
  m_sizing = true;
  const QFontMetrics fm(font());
  const int rows = std::min(m_model->rowCount(), kSampleRows);
  m_numeric.assign(std::size_t(m_model->columnCount()), false);
  for (int c = 0; c < m_model->columnCount(); ++c) {
    int width = fm.horizontalAdvance(m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 16;
    bool numbers = false, others = false;
    // No column is wider than kMaxColumnWidth: the beginning of a value is enough to measure.
    for (int r = 0; r < rows; ++r) {
      const QString value = m_model->index(r, c).data().toString();
      width = std::max(width, fm.horizontalAdvance(value.left(kMeasuredChars)) + 12);
      if (!value.trimmed().isEmpty()) (IsNumberText(value.left(64)) ? numbers : others) = true;
    }
    m_numeric[std::size_t(c)] = numbers && !others;
    const auto user = m_userWidths.constFind(m_doc.Store().Item(c).toString());
    setColumnWidth(c, user != m_userWidths.constEnd() ? *user : std::min(width, kMaxColumnWidth));
  }
  m_model->SetRightAligned(m_numeric);
  m_sizing = false;
}

void CListView::SortByHeading(int column) {
  if (column < 0 || column >= m_doc.ItemCount()) return;
  const bool descending = column == m_sortColumn && !m_sortDescending;
  const bool numeric = column < int(m_numeric.size()) && m_numeric[std::size_t(column)];
  // The sort dialog's orders: numbers 1 ascending, 3 descending; texts in
  // よみ順, 4 ascending, 5 descending.
  const int order = numeric ? (descending ? kNumberDescending : kNumberAscending)
                            : (descending ? kYomiDescending : kYomiAscending);
  m_doc.StoreCards();
  SortCommand(m_doc, column, order);
  m_sortColumn = column;
  m_sortDescending = descending;
  horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  m_host.RefreshCommandStates();
}

void CListView::OnUpdate(IDocView*, std::uint32_t hint) {
  if (hint & 8 || hint & 2) {
    // A reset forgets the widths: they are set again, the user's kept.
    m_model->Refresh(true);
    SizeColumns();
  } else if (m_model->rowCount() == m_doc.VisibleCount() && m_model->columnCount() == m_doc.ItemCount()) {
    viewport()->update();  // as the item list: the cells read the live values
  } else {
    m_model->Refresh(false);
  }
  if (hint & 4 || hint & 2) SelectCurrent();
}

void CListView::SelectCurrent() {
  const int card = m_doc.CurrentCard();
  if (card < 0 || card >= m_model->rowCount()) return;
  // The row follows the current card; the column stays where the user put it.
  const int column = std::clamp(currentIndex().isValid() ? currentIndex().column() : m_doc.CurrentItem(), 0,
                                std::max(m_model->columnCount() - 1, 0));
  const QModelIndex index = m_model->index(card, column);
  m_selecting = true;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_selecting = false;
  scrollTo(index);
}

std::vector<int> CListView::SelectedCards() const {
  if (!isVisible()) return {};
  std::vector<int> cards;
  for (const QModelIndex& index : selectionModel()->selectedRows()) cards.push_back(index.row());
  std::sort(cards.begin(), cards.end());
  return cards;
}

void CListView::OpenRow(int row) {
  if (!m_doc.MakeCurrent(row)) return;
  m_host.Dispatch(cmd::kSwitchList);
  m_doc.UpdateAllViews(nullptr, hint::kSearchFound);
}

void CListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenRow(currentIndex().row());
    return;
  }
  // Ctrl+Home and Ctrl+End go to the first and the last card, in the same column.
  if ((event->key() == Qt::Key_Home || event->key() == Qt::Key_End) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier && model()->rowCount() > 0) {
    const int row = event->key() == Qt::Key_Home ? 0 : model()->rowCount() - 1;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model()->index(row, column));
    return;
  }
  // The editing keys act on the selected cards, as the menu's entries do.
  std::uint32_t id = 0;
  if (event->matches(QKeySequence::Copy))
    id = cmd::kCopy;
  else if (event->matches(QKeySequence::Cut))
    id = cmd::kCut;
  else if (event->matches(QKeySequence::Paste))
    id = cmd::kPaste;
  else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier)
    id = cmd::kDeleteCard;
  if (id) {
    m_host.Dispatch(id);
    return;
  }
  QTableView::keyPressEvent(event);
}

bool CListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) m_headingPressed = true;
    if (event->type() == QEvent::MouseButtonRelease) m_headingPressed = false;
  }
  return QTableView::eventFilter(watched, event);
}

void CListView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (currentIndex().isValid()) {
    scrollTo(currentIndex());
    m_doc.SetCurrentItem(currentIndex().column());
  }
}

bool CListView::OnCommand(std::uint32_t id) {
  std::vector<int> selected = SelectedCards();
  if (selected.empty() && m_doc.VisibleCount() > 0) selected.push_back(m_doc.CurrentCard());
  switch (id) {
    case cmd::kDeleteCard:
      if (!selected.empty()) m_doc.MakeCurrent(selected.front());
      if (m_doc.VisibleCount() >= 2) DeleteCards(m_doc, selected);
      setFocus();
      return true;
    case cmd::kCopyCard:
    case cmd::kCopy:
      CopyCards(m_doc, selected);
      return true;
    case cmd::kCutCard:
    case cmd::kCut:
      CopyCards(m_doc, selected);
      if (m_doc.VisibleCount() > 1) CutCards(m_doc, selected);
      return true;
    case cmd::kPasteCard:
    case cmd::kPaste:
      if (!selected.empty()) m_doc.MakeCurrent(selected.front());
      PasteCards(m_doc);
      return true;
    case cmd::kAppendPaste:
      if (AppendPasteCards(m_doc) == 0) m_host.Prompt().Notice(QStringLiteral("貼りつけるデータがありません"));
      return true;
    case cmd::kStoreItem:
      m_doc.SetCurrentItem(currentIndex().isValid() ? currentIndex().column() : 0);
      return true;
    case cmd::kFont:
      if (ChooseSectionFont(this, m_host.Settings(), settings::FontSection::VListFont)) {
        setFont(FontFromRecord(settings::ReadFont(m_host.Settings(), settings::FontSection::VListFont), ScreenDpiY()));
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        SizeColumns();
      }
      return true;
    default:
      return false;
  }
}
