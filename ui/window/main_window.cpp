#include "ui/window/main_window.h"

#include "app/command_prompts.h"
#include "app/default_keys.h"
#include "app/key_translation.h"
#include "keys/menu_label.h"
#include "server/deck_uri.h"
#include "settings/settings.h"
#include "ui/dialogs/exchange/exchange_commands.h"
#include "ui/dialogs/help/dialog_help.h"
#include "ui/dialogs/server/document_share.h"
#include "ui/views/card_edit.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/item_total_label.h"
#include "ui/widgets/ui_messages.h"
#include "ui/window/command_handlers.h"
#include "ui/window/tool_icons.h"
#include "ui/window/velum_application.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

bool IsItemEdit(QWidget* w) {
  if (qobject_cast<CVelumEdit*>(w)) return true;
  auto* line = qobject_cast<QLineEdit*>(w);
  return line && qobject_cast<QComboBox*>(line->parentWidget()) &&
         line->parentWidget()->parentWidget() && line->parentWidget()->parentWidget()->objectName() == u"cardForm";
}

// Whether the focused item edit has a step of its own to take back (redo:
// to do again). Only then do Ctrl+Z and Ctrl+Y stay the edit's own; an edit
// not changed since it got the focus leaves them to the document.
bool EditHasOwnStep(QWidget* w, bool redo) {
  if (auto* edit = qobject_cast<CVelumEdit*>(w))
    return redo ? edit->document()->isRedoAvailable() : edit->document()->isUndoAvailable();
  if (auto* line = qobject_cast<QLineEdit*>(w))
    return redo ? line->isRedoAvailable() : line->isModified() && line->isUndoAvailable();
  return false;
}

}  // namespace

CMainWindow::CMainWindow(CVelumApp& app) : m_app(app) {
  setObjectName(QStringLiteral("CMainFrame"));
  setWindowTitle(QStringLiteral("Velum"));
  const CSettingsStore& s = app.Settings();
  m_splitMode = int(ReadSetting(s, settings::kSplPos));
  m_itemListShown = ReadSetting(s, settings::kViewList) != 0;
  m_item1 = ReadSetting(s, settings::kItem1) != 0;
  m_keyNames = ReadSetting(s, settings::kKeyName) != 0;
  m_activateNotify = ReadSetting(s, settings::kActivateNotify) != 0;
  const QSize screen = app.Screen();
  m_wideMenu = UseWideMenu(screen.width(), screen.height(), app.Cache().softKeyMenu != 0);
  resize(app.Scripted() ? screen : QSize(std::min(screen.width(), 900), std::min(screen.height(), 700)));
  // With the window manager's frame the window still fits the screen.
  if (!app.Scripted()) KeepInsideScreen(*this);
  BuildActions();
  BuildMenus();
  if (!app.Cache().softKeyMenu) BuildToolBar();
  BuildOkButton();
  BuildPanes();
  BuildStatusBar();
  app.Doc().AddView(&m_watcher);
  RefreshMenuLabels();
  setAcceptDrops(true);
  qApp->installEventFilter(this);
  app.SetDialogParent(this);
  app.Doc().onReloadCommand = [this] { Dispatch(cmd::kReload); };
  app.Doc().onSaveAsCommand = [this] { return SaveDocumentAs(); };
}

CMainWindow::~CMainWindow() {
  m_app.Doc().onReloadCommand = nullptr;
  m_app.Doc().onSaveAsCommand = nullptr;
  m_app.SetDialogParent(nullptr);
  m_app.Doc().RemoveView(&m_watcher);
  qApp->removeEventFilter(this);
}

void CMainWindow::Start() {
  CVelumDoc& doc = m_app.Doc();
  // A first start that could not make the association says so, as the command does.
  if (const CAssociationResult& association = m_app.Association(); !association.ok)
    m_app.Prompt().Notice(ui_msg::kAssociateFailed.arg(association.error));
  const QString& file = m_app.StartFile();
  bool offerStartingPoints = false;
  // The lock of the file opened (another window's asks first); a server
  // deck is opened once the window shows.
  CDocumentShare& share = CDocumentShare::Of(m_app, *this);
  QString deck;
  // Contacts and sheets come in as a new deck once the window stands.
  const bool importAtStart = !file.isEmpty() && IsImportedByOpen(file);
  if (importAtStart) {
    doc.OnNewDocument();
  } else if (file.isEmpty()) {
    const QString last = ReadSetting(m_app.Settings(), settings::kDefaultFile);
    if (!last.isEmpty() && share.BeforeOpenFile(last)) {
      doc.OnOpenDocument(last);
    } else {
      doc.OnNewDocument();
      // The first start without a file asks what list to make, once.
      offerStartingPoints = last.isEmpty() && ReadSetting(m_app.Settings(), settings::kStartChoice) == 1;
    }
  } else if (IsDeckUri(file)) {
    doc.OnNewDocument();
    deck = file;
  } else {
    // A file that cannot be opened is named with the reason, and the window
    // opens on a new document, as the open command leaves things.
    QString reason;
    if (CanOpen(file, &reason)) {
      if (share.BeforeOpenFile(file))
        doc.OnOpenDocument(file);
      else
        doc.OnNewDocument();
    } else {
      m_app.Prompt().Notice(ui_msg::kCannotOpenPath.arg(QFileInfo(file).absoluteFilePath(), reason));
      doc.OnNewDocument();
    }
  }
  // The card is laid out for the width the shown window has.
  show();
  DocumentReplaced();
  if (importAtStart) OpenFile(file);
  if (!deck.isEmpty()) share.OpenDeck(deck);
  if (offerStartingPoints) {
    WriteSetting(m_app.Settings(), settings::kStartChoice, 0);
    // Once the event loop runs, so that the window is up behind the choice.
    QTimer::singleShot(0, this, [this] { Dispatch(cmd::kNew); });
  }
}

CVelumDoc& CMainWindow::Doc() { return m_app.Doc(); }
CSettingsStore& CMainWindow::Settings() { return m_app.Settings(); }
const CServices& CMainWindow::Services() const { return m_app.Services(); }
IPrompt& CMainWindow::Prompt() { return m_app.Prompt(); }
const CStartSettings& CMainWindow::StartSettings() const { return m_app.Cache(); }
QSize CMainWindow::Screen() const { return m_app.Screen(); }

void CMainWindow::BuildActions() {
  for (const CFrameCommand& c : FrameCommands()) {
    if (c.id == cmd::kHandOver) continue;
    auto* a = new QAction(m_wideMenu || c.text129.isEmpty() ? c.text : c.text129, this);
    a->setData(QVariant::fromValue(c.id));
    a->setStatusTip(CommandPrompt(c.id));
    const std::uint32_t id = c.id;
    connect(a, &QAction::triggered, this, [this, id] { Dispatch(id); });
    m_actions.insert(id, a);
    addAction(a);  // reachable from the key map even when no menu shows it
  }
  // The split entries exclude each other: radio items.
  auto* split = new QActionGroup(this);
  for (std::uint32_t id : {cmd::kSplitSide, cmd::kSplitStacked, cmd::kSplitAuto})
    if (QAction* a = m_actions.value(id)) {
      a->setCheckable(true);
      split->addAction(a);
    }
  for (std::uint32_t id = cmd::kRecentFirst; id <= cmd::kRecentLast; ++id) {
    auto* a = new QAction(this);
    a->setData(QVariant::fromValue(id));
    a->setStatusTip(CommandPrompt(id));
    connect(a, &QAction::triggered, this, [this, id] { Dispatch(id); });
    m_recentActions << a;
  }
  RefreshCommandStates();
}

void CMainWindow::AddMenuEntries(QMenu* menu, const std::vector<CMenuEntry>& entries) {
  for (const CMenuEntry& e : entries) {
    switch (e.kind) {
      case CMenuEntry::kCommand:
        if (QAction* a = m_actions.value(e.id)) menu->addAction(a);
        break;
      case CMenuEntry::kSeparator:
        menu->addSeparator();
        break;
      case CMenuEntry::kRecentFiles: {
        QAction* marker = menu->addSeparator();
        marker->setVisible(false);
        connect(menu, &QMenu::aboutToShow, this, [this, menu, marker] {
          for (QAction* a : m_recentActions) menu->removeAction(a);
          const QStringList& files = m_app.Recent().Files();
          const QString folder = QFileInfo(m_app.Doc().PathName()).absolutePath();
          for (int i = 0; i < files.size() && i < m_recentActions.size(); ++i) {
            m_recentActions[i]->setText(m_app.Recent().MenuText(i, folder));
            menu->insertAction(marker, m_recentActions[i]);
          }
        });
        break;
      }
      case CMenuEntry::kPopup: {
        QMenu* sub = menu->addMenu(e.text);
        AddMenuEntries(sub, e.children);
        break;
      }
    }
  }
  connect(menu, &QMenu::aboutToShow, this, &CMainWindow::RefreshCommandStates);
}

void CMainWindow::BuildMenus() {
  for (const CMenuEntry& top : m_wideMenu ? MenuBarWide() : MenuBarNarrow()) {
    QMenu* menu = menuBar()->addMenu(top.text);
    AddMenuEntries(menu, top.children);
  }
}

void CMainWindow::BuildToolBar() {
  m_toolBar = addToolBar(QStringLiteral("toolbar"));
  m_toolBar->setObjectName(QStringLiteral("commandBar"));
  m_toolBar->setMovable(false);
  m_toolBar->setIconSize(QSize(16, 16));
  for (std::uint32_t id : ToolbarButtons(m_app.Screen().width())) {
    if (id == 0) {
      m_toolBar->addSeparator();
      continue;
    }
    QAction* a = m_actions.value(id);
    if (!a) continue;
    if (a->icon().isNull()) a->setIcon(ToolIcon(id));
    if (const CFrameCommand* c = FindFrameCommand(id)) a->setToolTip(ToolTipText(c->text));
    m_toolBar->addAction(a);
  }
}

void CMainWindow::BuildOkButton() {
  if (ReadSetting(m_app.Settings(), settings::kOkFrame) == 0) return;
  // OK ends the program, as the exit command does (unsaved changes are asked about).
  auto* ok = new QAction(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okFrame"));
  ok->setData(QVariant::fromValue(cmd::kExit));
  ok->setToolTip(ToolTipText(FindFrameCommand(cmd::kExit)->text129));
  ok->setStatusTip(CommandPrompt(cmd::kExit));
  connect(ok, &QAction::triggered, this, [this] { Dispatch(cmd::kExit); });
  if (m_toolBar) {
    auto* spring = new QWidget(m_toolBar);
    spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(spring);
    m_toolBar->addAction(ok);
  } else {
    // No toolbar in the soft-key mode: the menu bar's right end.
    auto* button = new QToolButton(menuBar());
    button->setDefaultAction(ok);
    button->setAutoRaise(true);
    menuBar()->setCornerWidget(button, Qt::TopRightCorner);
  }
  m_okButton = ok;
}

void CMainWindow::BuildPanes() {
  m_central = new QStackedWidget(this);
  m_splitter = new QSplitter(m_central);
  m_splitter->setObjectName(QStringLiteral("splitter"));
  m_splitter->setChildrenCollapsible(true);
  m_itemList = new CItemListView(*this, m_splitter);
  m_cardView = new CCardView(*this, m_splitter);
  m_splitter->addWidget(m_itemList);
  m_splitter->addWidget(m_cardView);
  m_splitter->setStretchFactor(1, 1);
  m_central->addWidget(m_splitter);
  setCentralWidget(m_central);

  const QSize screen = m_app.Screen();
  const bool stacked = m_splitMode == 1 || (m_splitMode == 2 && screen.width() < screen.height());
  m_splitter->setOrientation(stacked ? Qt::Vertical : Qt::Horizontal);
  const int first = int(ReadSetting(m_app.Settings(), stacked ? settings::kRow : settings::kColum));
  const int total = stacked ? ClientHeight() : ClientWidth();
  m_splitter->setSizes({m_itemListShown ? first : 0, std::max(total - first, 100)});
  m_activeView = ReadSetting(m_app.Settings(), settings::kList) == 1 && m_itemListShown
                     ? static_cast<QWidget*>(m_itemList)
                     : static_cast<QWidget*>(m_cardView);
}

int CMainWindow::ClientWidth() const { return m_central ? std::max(m_central->width(), 1) : width(); }
int CMainWindow::ClientHeight() const { return m_central ? std::max(m_central->height(), 1) : height(); }

bool CMainWindow::Stacked() const { return m_splitter->orientation() == Qt::Vertical; }
bool CMainWindow::ListActive() const { return m_listView && m_central->currentWidget() == m_listView; }

QString CMainWindow::ActiveViewName() const {
  if (ListActive()) return QStringLiteral("list");
  return m_activeView == m_itemList ? QStringLiteral("itemlist") : QStringLiteral("card");
}

void CMainWindow::SetActiveView(QWidget* view) { m_activeView = view; }

void CMainWindow::SetStacked(bool stacked, int firstSize) {
  if (stacked == Stacked()) return;
  m_splitter->setOrientation(stacked ? Qt::Vertical : Qt::Horizontal);
  const int total = stacked ? ClientHeight() : ClientWidth();
  m_splitter->setSizes({m_itemListShown ? firstSize : 0, std::max(total - firstSize, 1)});
}

void CMainWindow::ToggleItemList() {
  const int total = Stacked() ? ClientHeight() : ClientWidth();
  if (m_itemListShown) {
    m_splitter->setSizes({0, total});
    m_itemListShown = false;
    if (m_activeView == m_itemList) {
      m_activeView = m_cardView;
      m_cardView->FocusFirstInputItem();
    }
  } else {
    m_itemListShown = true;
    m_splitter->setSizes({total / 3, total - total / 3});
  }
  WriteSetting(m_app.Settings(), settings::kViewList, m_itemListShown ? 1 : 0);
}

void CMainWindow::ShowList() {
  if (!m_listView) {
    m_listView = new CListView(*this, m_central);
    m_central->addWidget(m_listView);
    // A click in the list that only moves to another column changes the item
    // the status bar sums.
    if (auto* total = findChild<CItemTotalLabel*>())
      connect(m_listView->selectionModel(), &QItemSelectionModel::currentChanged, total, &CItemTotalLabel::Follow);
    m_listView->InitialUpdate();
  }
  m_app.Doc().StoreCards();
  m_central->setCurrentWidget(m_listView);
  m_listView->InitialUpdate();
  m_listView->setFocus(Qt::OtherFocusReason);
}

void CMainWindow::ShowCardScreen() {
  m_central->setCurrentWidget(m_splitter);
  if (m_itemListShown) {
    m_activeView = m_itemList;
    m_itemList->FocusValueList();
  } else {
    m_activeView = m_cardView;
    m_cardView->FocusFirstInputItem();
  }
}

void CMainWindow::StorePaneSize() {
  const QList<int> sizes = m_splitter->sizes();
  if (sizes.isEmpty()) return;
  // Row holds the item list's height and Colum its width: in the automatic
  // mode the one the panes have now is written, never a width as a height.
  const auto size = std::uint32_t(std::max(sizes[0], 0));
  if (Stacked() && m_splitMode != 0)
    WriteSetting(m_app.Settings(), settings::kRow, size);
  else if (!Stacked() && m_splitMode != 1)
    WriteSetting(m_app.Settings(), settings::kColum, size);
}

void CMainWindow::UpdateTitle() {
  // "[*]" is where the window shows "*" while there are unsaved changes.
  const QSize screen = m_app.Screen();
  if (screen.width() < screen.height()) {
    setWindowTitle(QStringLiteral("Velum[*]"));
  } else {
    const QString title = m_app.Doc().PathName().isEmpty() && !m_importedFrom.isEmpty()
                              ? QFileInfo(m_importedFrom).fileName()
                              : m_app.Doc().Title();
    const qsizetype dot = title.lastIndexOf(u'.');
    QString name = dot < 0 ? QString() : title.left(dot);
    // A server deck's name, a read-only window's mark.
    if (CDocumentShare* share = CDocumentShare::Find(this)) name = share->DecorateTitle(name);
    setWindowTitle(name + QStringLiteral("[*] - VELUM"));
  }
  if (CDocumentShare* share = CDocumentShare::Find(this)) share->Follow();
  RefreshDocumentState();
}

QString CMainWindow::ShownTitle() const {
  QString title = windowTitle();
  return title.replace(QStringLiteral("[*]"), isWindowModified() ? QStringLiteral("*") : QString());
}

void CMainWindow::BuildStatusBar() {
  // A narrow screen keeps its few lines for the card.
  if (!m_wideMenu) return;
  statusBar()->addPermanentWidget(new CItemTotalLabel(m_app.Doc(), this));
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("cardCount"));
  statusBar()->addPermanentWidget(m_status);
  statusBar()->setSizeGripEnabled(false);
}

QString CMainWindow::StatusText() const {
  if (!m_status) return {};
  const CVelumDoc& doc = m_app.Doc();
  const QLocale grouped(QLocale::English, QLocale::UnitedStates);
  const int visible = doc.VisibleCount();
  const int total = doc.Store().AllCount();
  const QString position = QStringLiteral("%1 / %2").arg(grouped.toString(visible > 0 ? doc.CurrentCard() + 1 : 0),
                                                         grouped.toString(visible));
  const CDocumentShare* share = CDocumentShare::Find(this);
  if (share && !share->StatusNote().isEmpty()) return position + QStringLiteral("　") + share->StatusNote();
  if (visible == total) return position;
  return position + QStringLiteral("　") + ui_msg::kFilteredCount.arg(grouped.toString(visible), grouped.toString(total));
}

void CMainWindow::RefreshDocumentState() {
  setWindowModified(m_app.Doc().IsModified());
  if (m_status) m_status->setText(StatusText());
}

void CMainWindow::RefreshCommandStates() {
  RefreshDocumentState();
  const CVelumDoc& doc = m_app.Doc();
  CFrameState st;
  st.filtered = doc.VisibleCount() != doc.Store().AllCount();
  st.visibleCount = doc.VisibleCount();
  st.listActive = ListActive();
  st.itemListShown = m_itemListShown;
  st.singleLine = m_item1;
  st.keyNames = m_keyNames;
  st.softKeyMenu = m_app.Cache().softKeyMenu != 0;
  st.standard = m_cardView && m_cardView->Standard();
  st.splitMode = m_splitMode;
  for (const CFrameCommand& c : FrameCommands()) {
    QAction* a = m_actions.value(c.id);
    if (!a) continue;
    CCommandStatus status = StatusOf(c, st);
    if (c.enable == EnableRule::kLater) status.enabled = DialogCommands().count(c.id) != 0;
    a->setEnabled(status.enabled);
    a->setCheckable(status.checkable);
    if (status.checkable) a->setChecked(status.checked);
  }
}

void CMainWindow::RefreshMenuLabels() {
  const bool wide = m_wideMenu;
  for (const CFrameCommand& c : FrameCommands()) {
    QAction* a = m_actions.value(c.id);
    if (!a) continue;
    const QString base = wide || c.text129.isEmpty() ? c.text : c.text129;
    const std::optional<QString> key = m_keyNames ? ShortcutLabel(m_app.KeyMap(), c.id) : std::nullopt;
    a->setText(m_keyNames ? SetMenuLabelText(base, key) : base);
    // A toolbar button names the key its menu entry shows.
    if (m_toolBar && m_toolBar->actions().contains(a))
      a->setToolTip(key ? QStringLiteral("%1 (%2)").arg(ToolTipText(c.text), *key) : ToolTipText(c.text));
  }
}

void CMainWindow::ShowContextMenu(int index, const QPoint& globalPos) {
  QMenu menu(this);
  AddMenuEntries(&menu, ContextMenu(index).children);
  RefreshCommandStates();
  menu.exec(globalPos);
}

void CMainWindow::SetImportedFrom(const QString& path) {
  m_importedFrom = path;
  UpdateTitle();
}

void CMainWindow::DocumentReplaced() {
  m_importedFrom.clear();
  m_cardView->InitialUpdate();
  m_itemList->InitialUpdate();
  if (m_listView) m_listView->InitialUpdate();
  UpdateTitle();
  RefreshCommandStates();
  if (ListActive())
    m_listView->setFocus(Qt::OtherFocusReason);
  else if (m_activeView == m_itemList && m_itemListShown)
    m_itemList->FocusValueList();
  else
    m_cardView->FocusFirstInputItem();
}

void CMainWindow::closeEvent(QCloseEvent* event) {
  m_app.Doc().StoreCards();
  if (CDocumentShare* share = CDocumentShare::Find(this); share && !share->MayClose()) {
    event->ignore();
    return;
  }
  if (!SaveModified()) {
    event->ignore();
    return;
  }
  StorePaneSize();
  m_app.Recent().Save(m_app.Settings());
  m_closing = true;
  event->accept();
}

void CMainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  const int w = ClientWidth();
  const int h = ClientHeight();
  if (m_splitMode == 2 && w != m_lastWidth && m_lastWidth != -1) {
    if (w <= h && !Stacked())
      SetStacked(true, int(ReadSetting(m_app.Settings(), IntSetting{u"View", u"Row", std::uint32_t(h / 3)})));
    else if (w > h && Stacked())
      SetStacked(false, int(ReadSetting(m_app.Settings(), IntSetting{u"View", u"Colum", std::uint32_t(w / 3)})));
  }
  m_lastWidth = w;
}

void CMainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    if (m_activateNotify) settings::WriteLastTime(m_app.Settings(), m_app.Services().clock.Now());
    if (m_keyNames) RefreshMenuLabels();
  }
}

namespace {

// The card file a drag brings: its first local file.
QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return {};
}

}  // namespace

bool CMainWindow::TakeDrop(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DroppedFile(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString path = DroppedFile(drop->mimeData());
      if (path.isEmpty()) return false;
      drop->acceptProposedAction();
      // Opened once the drag is over, as the open command would: the save question first.
      QTimer::singleShot(0, this, [this, path] {
        if (!QApplication::activeModalWidget() && SaveModified()) OpenFile(path);
      });
      return true;
    }
    default:
      return false;
  }
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event) {
  // A file dropped anywhere on the window opens, also over an item's edit,
  // which would otherwise take its path as text.
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
    auto* target = qobject_cast<QWidget*>(watched);
    if (target && !QApplication::activeModalWidget() && (target == this || isAncestorOf(target)))
      return TakeDrop(event);
    return false;
  }
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  // F1 in a dialog: the help page at the dialog's section.
  if (TakeDialogHelpKey(m_app, *key)) return true;
  QWidget* target = qobject_cast<QWidget*>(watched);
  // Only keys meant for this window, never those of a dialog.
  if (!target || QApplication::activeModalWidget() || (target != this && !isAncestorOf(target))) return false;
  if (event->type() == QEvent::ShortcutOverride) {
    const std::uint32_t code = KeyCodeFromQt(key->key(), key->modifiers());
    if (code && m_app.KeyMap().FindCommand(code, key->modifiers() & Qt::AltModifier,
                                           key->modifiers() & Qt::ShiftModifier,
                                           key->modifiers() & Qt::ControlModifier)) {
      event->accept();
      return true;
    }
    return false;
  }
  return HandleKey(key);
}

bool CMainWindow::HandleKey(QKeyEvent* event) {
  const std::uint32_t code = KeyCodeFromQt(event->key(), event->modifiers());
  if (!code) return false;
  const bool alt = event->modifiers() & Qt::AltModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  // In an item's edit, plain keys below F1 (but Enter, Up and Down) are typing.
  if (IsItemEdit(QApplication::focusWidget()) && !alt && !shift && !ctrl && code < 0x70 && code != 13 && code != 38 &&
      code != 40)
    return false;
  std::uint32_t id = m_app.KeyMap().FindCommand(code, alt, shift, ctrl);
  if (!id) id = DefaultShortcut(code, alt, shift, ctrl);
  // In an item's edit with changes of its own, Ctrl+Z and Ctrl+Y stay the
  // edit's undo and redo; otherwise they take back the document's last step.
  if ((id == cmd::kUndoCommand || id == cmd::kRedoCommand) && IsItemEdit(QApplication::focusWidget()) &&
      EditHasOwnStep(QApplication::focusWidget(), id == cmd::kRedoCommand))
    return false;
  if (!id) return false;
  Dispatch(id);
  return true;
}
