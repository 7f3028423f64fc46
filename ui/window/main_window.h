#pragma once

#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "ui/views/view_host.h"

#include <QHash>
#include <QMainWindow>

#include <cstdint>
#include <vector>

class CVelumApp;
class CCardView;
class CItemListView;
class CListView;
class QAction;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;

// The main window: menus and toolbar from the command table, the splitter of
// the item list (pane 0) and the card view (pane 1), the list in place of the
// splitter, and the one dispatch every command goes through. It alone makes
// the views, and is their host.
class CMainWindow final : public QMainWindow, public IViewHost {
  Q_OBJECT

 public:
  // A window on the started application (CVelumApp::Start); it is shown by Start().
  explicit CMainWindow(CVelumApp& app);
  ~CMainWindow() override;

  // Opens the card file named on the command line (else the last one, else a
  // new document), saying why a file could not be opened, then shows the window.
  void Start();

  // IViewHost.
  CVelumDoc& Doc() override;
  CSettingsStore& Settings() override;
  const CServices& Services() const override;
  IPrompt& Prompt() override;
  const CStartSettings& StartSettings() const override;
  QSize Screen() const override;
  QWidget* HostWidget() override { return this; }
  bool Dispatch(std::uint32_t id) override;
  QAction* Action(std::uint32_t id) const { return m_actions.value(id); }
  const QHash<std::uint32_t, QAction*>& Actions() const { return m_actions; }

  CCardView& CardView() { return *m_cardView; }
  CItemListView& ItemList() { return *m_itemList; }
  // The list view once it was shown, else null.
  CListView* ListView() { return m_listView; }
  // "card", "itemlist" or "list".
  QString ActiveViewName() const;
  bool ListActive() const;
  bool Stacked() const;
  int SplitMode() const { return m_splitMode; }
  QSplitter& Splitter() { return *m_splitter; }
  QToolBar* ToolBar() { return m_toolBar; }
  // The button that ends the program (setting OkFrame), or null.
  QAction* OkButton() { return m_okButton; }
  bool WideMenu() const { return m_wideMenu; }

  void SetActiveView(QWidget* view) override;
  void UpdateTitle() override;
  // The title as the window shows it: the modified marker filled in.
  QString ShownTitle() const;
  // The status bar's text: the card shown of the visible cards and, while
  // filtered, the visible of all; empty when the window has no status bar.
  QString StatusText() const;
  void RefreshCommandStates() override;
  void RefreshMenuLabels();
  void ShowContextMenu(int index, const QPoint& globalPos) override;
  // Fills the views after the document was replaced (new, open, reload).
  void DocumentReplaced();

  // Open, save and the save question, as the file commands run them. A file
  // that cannot be opened is named with the reason, and the open document stays.
  bool OpenFile(const QString& path);
  // Whether path can be read as a card file; reason: the system's reason.
  static bool CanOpen(const QString& path, QString* reason);
  bool SaveModified();
  bool SaveDocument();
  bool SaveDocumentAs();
  // The new, unsaved deck was made from the file at path (a sheet, contacts):
  // the title and the save name come from it (name.csv beside it) until the
  // document is replaced.
  void SetImportedFrom(const QString& path);
  const QString& ImportedFrom() const { return m_importedFrom; }
  // Second start: opens the file of PpcFile and comes to the front.
  void HandOver();
  void BringToFront();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void AddMenuEntries(QMenu* menu, const std::vector<CMenuEntry>& entries);
  void FillRecentMenu(QMenu* menu);
  void BuildToolBar();
  // With OkFrame set: an OK button at the toolbar's right end (the menu bar's
  // without a toolbar) that ends the program.
  void BuildOkButton();
  void BuildStatusBar();
  // The modified marker of the title and the status bar's counts.
  void RefreshDocumentState();
  void BuildPanes();
  void SetStacked(bool stacked, int firstSize);
  void ToggleItemList();
  void ShowList();
  void ShowCardScreen();
  void StorePaneSize();
  bool HandleFrameCommand(std::uint32_t id);
  // The folder the open and save dialogs start in: the open file's, else
  // InitDir when it exists, else the last one chosen, else home.
  QString StartFolder() const;
  // The cards the user picked: the selected rows of the active list or item
  // list, else the current card.
  std::vector<int> PickedCards() const;
  bool HandleKey(class QKeyEvent* event);
  // A card file dragged onto the window: accepted, and opened on the drop.
  bool TakeDrop(QEvent* event);
  // Commands of the card view, of the item list and of the list.
  bool RouteToView(std::uint32_t id);
  int ClientWidth() const;
  int ClientHeight() const;

  CVelumApp& m_app;
  QHash<std::uint32_t, QAction*> m_actions;
  QList<QAction*> m_recentActions;
  QToolBar* m_toolBar = nullptr;
  QAction* m_okButton = nullptr;
  QStackedWidget* m_central = nullptr;
  QSplitter* m_splitter = nullptr;
  CItemListView* m_itemList = nullptr;
  CCardView* m_cardView = nullptr;
  CListView* m_listView = nullptr;
  QWidget* m_activeView = nullptr;
  bool m_wideMenu = true;
  int m_splitMode = 2;
  bool m_itemListShown = true;
  bool m_item1 = false;
  bool m_keyNames = true;
  bool m_activateNotify = false;
  int m_lastWidth = -1;
  bool m_closing = false;
  QString m_lastFolder;
  QString m_importedFrom;
  class QLabel* m_status = nullptr;
  // Tells the window of every change of the document, as the views are told.
  class CStateWatcher final : public IDocView {
   public:
    explicit CStateWatcher(CMainWindow& window) : m_window(window) {}
    void OnUpdate(IDocView*, std::uint32_t) override { m_window.RefreshDocumentState(); }

   private:
    CMainWindow& m_window;
  } m_watcher{*this};
};
