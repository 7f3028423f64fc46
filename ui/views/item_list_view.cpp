#include "ui/views/item_list_view.h"

#include "app/frame_command_table.h"
#include "core/services.h"
#include "platform/prompt.h"
#include "select/select_commands.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "ui/views/deck_models.h"
#include "ui/views/incremental_search_window.h"
#include "ui/views/start_settings.h"
#include "ui/views/view_host.h"
#include "ui/widgets/font_dialog.h"
#include "ui/widgets/fonts.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QVBoxLayout>

CItemListView::CItemListView(IViewHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_doc(host.Doc()),
      m_increSearch(ReadSetting(host.Settings(), settings::kIncreSearch) != 0) {
  setObjectName(QStringLiteral("CItemListView"));
  m_chooser = new QComboBox(this);
  m_chooser->setObjectName(QStringLiteral("600"));
  m_values = new QListView(this);
  m_values->setObjectName(QStringLiteral("500"));
  m_values->setUniformItemSizes(true);
  m_values->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_values->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_values->setFont(FontFromRecord(settings::ReadFont(host.Settings(), settings::FontSection::ItemFont), ScreenDpiY()));
  m_values->setContextMenuPolicy(Qt::CustomContextMenu);
  // The value list takes keys for the incremental search, not text: no input method.
  m_values->setAttribute(Qt::WA_InputMethodEnabled, false);
  m_model = new CItemValueModel(m_doc, this);
  m_values->setModel(m_model);
  m_values->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_chooser);
  layout->addWidget(m_values, 1);
  setFocusProxy(m_values);

  connect(m_chooser, &QComboBox::activated, this, [this](int index) {
    m_model->SetItem(index);
    // The listed item is the one the item commands (sort, count, ...) work on.
    m_doc.SetCurrentItem(index);
    SelectCurrent(true);
  });
  connect(m_values->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!m_selecting && current.isValid()) OnLineChosen(current.row());
          });
  connect(m_values, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { m_host.ShowContextMenu(0, m_values->viewport()->mapToGlobal(pos)); });
  m_doc.AddView(this);
}

CItemListView::~CItemListView() {
  delete m_searchWindow;
  m_doc.RemoveView(this);
}

void CItemListView::FillChooser() {
  const int listed = std::min(m_model->Item(), std::max(m_doc.ItemCount() - 1, 0));
  QSignalBlocker block(m_chooser);
  m_chooser->clear();
  // A name of megabytes would be shaped whole with every paint: its beginning is enough.
  for (int i = 0; i < m_doc.ItemCount(); ++i) m_chooser->addItem(Shortened(m_doc.Store().Item(i)));
  m_chooser->setCurrentIndex(listed);
  m_model->SetItem(listed);
}

void CItemListView::InitialUpdate() {
  m_model->SetItem(0);
  FillChooser();
  m_model->Refresh(true);
  SelectCurrent(true);
}

int CItemListView::ListedItem() const { return m_model->Item(); }

void CItemListView::RefreshCurrentLine() {
  const int card = m_doc.CurrentCard();
  if (card < 0 || card >= m_model->rowCount()) return;
  const QModelIndex index = m_model->index(card);
  Q_EMIT m_model->dataChanged(index, index);
  SelectCurrent(false);
}

void CItemListView::OnUpdate(IDocView*, std::uint32_t hint) {
  // The settings sheet's hint: the incremental search may have been switched.
  if (hint & 0x40000) m_increSearch = ReadSetting(m_host.Settings(), settings::kIncreSearch) != 0;
  if (hint & 2) {
    FillChooser();
    m_model->Refresh(true);
  } else if (m_model->rowCount() == m_doc.VisibleCount()) {
    // The rows read the live values: repainting those drawn is enough, where a
    // change over every row costs time with the size of the deck.
    m_values->viewport()->update();
  } else {
    m_model->Refresh(false);
  }
  if (hint & 4 || hint & 2 || hint & 0x20000) SelectCurrent(true);
}

void CItemListView::SelectCurrent(bool centre) {
  const int card = m_doc.CurrentCard();
  if (card < 0 || card >= m_model->rowCount()) return;
  m_selecting = true;
  const QModelIndex index = m_model->index(card);
  m_values->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  m_values->scrollTo(index, centre ? QAbstractItemView::PositionAtCenter : QAbstractItemView::EnsureVisible);
  m_selecting = false;
}

void CItemListView::OnLineChosen(int row) {
  m_doc.StoreCards();
  if (!m_doc.MakeCurrent(row)) return;
  m_doc.UpdateAllViews(this, 0x20000);
}

std::vector<int> CItemListView::SelectedCards() const {
  std::vector<int> cards;
  for (const QModelIndex& index : m_values->selectionModel()->selectedRows()) cards.push_back(index.row());
  std::sort(cards.begin(), cards.end());
  return cards;
}

bool CItemListView::ValueListHasFocus() const { return m_values->hasFocus(); }
void CItemListView::ChooseListFont() {
  if (!ChooseSectionFont(this, m_host.Settings(), settings::FontSection::ItemFont)) return;
  m_values->setFont(FontFromRecord(settings::ReadFont(m_host.Settings(), settings::FontSection::ItemFont), ScreenDpiY()));
  m_doc.UpdateAllViews(nullptr, hint::kRedraw);
}

void CItemListView::FocusChooser() { m_chooser->setFocus(Qt::OtherFocusReason); }
void CItemListView::FocusValueList() { m_values->setFocus(Qt::OtherFocusReason); }

void CItemListView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  m_values->setFocus(Qt::OtherFocusReason);
}

bool CItemListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_values && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier)) == 0;
    if (plain && key->key() == Qt::Key_Up) {
      m_host.Dispatch(cmd::kPrevCard);
      return true;
    }
    if (plain && key->key() == Qt::Key_Down) {
      m_host.Dispatch(cmd::kNextCard);
      return true;
    }
    // Keys the key map takes never arrive here: the main window consumed them.
    if (m_increSearch && TypeIntoSearch(key->text())) return true;
  }
  if (watched == m_values && event->type() == QEvent::FocusIn) {
    m_host.SetActiveView(this);
    m_doc.SetCurrentItem(ListedItem());
  }
  return QWidget::eventFilter(watched, event);
}

bool CItemListView::TypeIntoSearch(const QString& text) {
  if (text.size() != 1) return false;
  const QChar c = text[0];
  const bool enter = c == u'\r';
  if (!enter && !c.isPrint()) return false;
  if (m_searchWindow) {
    if (!enter) m_searchWindow->Append(text);
    return true;
  }
  OpenIncrementalSearch(enter ? QString() : text);
  return true;
}

void CItemListView::OpenIncrementalSearch(const QString& text) {
  if (m_searchWindow) {
    m_searchWindow->Append(text);
    return;
  }
  m_searchWindow = new CIncrementalSearchWindow(
      [this](const QString& t, int again) {
        IncrementalSearchCommand(m_doc, m_search, ListedItem(), t, again, m_values->currentIndex().row());
      },
      m_host.HostWidget());
  connect(m_searchWindow, &QDialog::finished, this, [this] {
    window()->activateWindow();
    FocusValueList();
  });
  m_searchWindow->PlaceOverBottom();
  m_searchWindow->show();
  m_searchWindow->activateWindow();
  m_searchWindow->setFocus(Qt::OtherFocusReason);
  m_searchWindow->Append(text);
}

CIncrementalSearchWindow* CItemListView::SearchWindow() const { return m_searchWindow; }
