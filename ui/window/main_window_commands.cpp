// The main window's dispatch: the frame's own commands, then the active view's.

#include "app/file_association.h"
#include "app/help_page.h"
#include "core/file_kind.h"
#include "core/save_form.h"
#include "core/save_question.h"
#include "core/velum_doc.h"
#include "platform/input_file.h"
#include "select/select_commands.h"
#include "server/deck_uri.h"
#include "ui/dialogs/help/dialog_help.h"
#include "ui/dialogs/server/document_share.h"
#include "settings/settings.h"
#include "ui/dialogs/exchange/exchange_commands.h"
#include "ui/dialogs/print/print_commands.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"
#include "ui/widgets/file_choice.h"
#include "ui/widgets/file_select_dialog.h"
#include "ui/widgets/ui_messages.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QUrl>

bool CMainWindow::Dispatch(std::uint32_t id) {
  // A read-only window refuses what would change the file.
  if (CDocumentShare::Of(m_app, *this).RefuseChange(id)) return true;
  const auto dialog = DialogCommands().find(id);
  if (const CFrameCommand* c = FindFrameCommand(id)) {
    if (c->enable == EnableRule::kNever) return false;
    if (c->enable == EnableRule::kLater && dialog == DialogCommands().end()) return false;
  }
  bool handled = false;
  if (dialog != DialogCommands().end()) {
    m_app.Doc().StoreCards();
    handled = dialog->second(m_app, *this);
    // The window takes the keys again once the dialog is gone.
    if (!QApplication::activeModalWidget()) activateWindow();
  }
  if (!handled) handled = HandleFrameCommand(id);
  if (!handled) handled = RouteToView(id);
  if (!m_closing) RefreshCommandStates();
  // On a server deck what the command changed is committed.
  if (!m_closing) CDocumentShare::Of(m_app, *this).AfterCommand();
  return handled;
}

bool CMainWindow::HandleFrameCommand(std::uint32_t id) {
  CVelumDoc& doc = m_app.Doc();
  CSettingsStore& settings = m_app.Settings();
  IPrompt& prompt = m_app.Prompt();
  if (id >= cmd::kRecentFirst && id <= cmd::kRecentLast) {
    const int index = int(id - cmd::kRecentFirst);
    if (index >= m_app.Recent().Files().size()) return true;
    const QString path = m_app.Recent().Files()[index];
    QString reason;
    if (!CanOpen(path, &reason)) {
      // The open document stays; the entry goes only when the user says so.
      if (prompt.YesNo(ui_msg::kCannotOpenRecent.arg(path, reason))) m_app.Recent().Remove(index);
      return true;
    }
    if (!SaveModified()) return true;
    OpenFile(path);
    return true;
  }
  switch (id) {
    case cmd::kOpen: {
      if (!SaveModified()) return true;
      const bool own = ReadSetting(settings, settings::kPPCOpenDlg) == 0;
      CFileRequest request{ui_msg::kOpenTitle, StartFolder(), own ? ui_msg::kOpenPattern : QString(),
                           ui_msg::kOpenFilter, QStringLiteral("csv"), false, own};
      if (const std::optional<QString> path = ChooseFile(m_app, this, request)) {
        m_lastFolder = QFileInfo(*path).absolutePath();
        OpenFile(*path);
      }
      return true;
    }
    case cmd::kSave:
      SaveDocument();
      return true;
    case cmd::kSaveAs:
      SaveDocumentAs();
      return true;
    case cmd::kExit:
      close();
      return true;
    case cmd::kExitConfirm: {
      QMessageBox box(QMessageBox::Question, ui_msg::kExitTitle, ui_msg::kExitText, QMessageBox::NoButton, this);
      QPushButton* yes = box.addButton(ui_msg::kYes, QMessageBox::YesRole);
      box.addButton(ui_msg::kNo, QMessageBox::NoRole);
      box.exec();
      if (box.clickedButton() == yes) close();
      return true;
    }
    case cmd::kHandOver:
      HandOver();
      return true;
    case cmd::kSyncNotice:
      doc.SyncCheck();
      return true;
    case cmd::kSplitStacked:
      m_splitMode = 1;
      WriteSetting(settings, settings::kSplPos, 1);
      SetStacked(true, int(ReadSetting(settings, IntSetting{u"View", u"Row", std::uint32_t(ClientHeight() / 2)})));
      return true;
    case cmd::kSplitSide:
      m_splitMode = 0;
      WriteSetting(settings, settings::kSplPos, 0);
      SetStacked(false, int(ReadSetting(settings, IntSetting{u"View", u"Colum", std::uint32_t(ClientWidth() / 2)})));
      return true;
    case cmd::kSplitAuto:
      m_splitMode = 2;
      WriteSetting(settings, settings::kSplPos, 2);
      return true;
    case cmd::kShowItemList:
      ToggleItemList();
      return true;
    case cmd::kSwitchList:
      if (ListActive())
        ShowCardScreen();
      else
        ShowList();
      return true;
    case cmd::kListScreen:
      if (!ListActive()) ShowList();
      return true;
    case cmd::kCardScreen:
      if (ListActive()) ShowCardScreen();
      return true;
    case cmd::kSingleLine:
      m_item1 = !m_item1;
      WriteSetting(settings, settings::kItem1, m_item1 ? 1 : 0);
      m_cardView->SetSingleLine(m_item1);
      return true;
    case cmd::kKeyNames:
      m_keyNames = !m_keyNames;
      RefreshMenuLabels();
      WriteSetting(settings, settings::kKeyName, m_keyNames ? 1 : 0);
      return true;
    case cmd::kSoftKeyMenu:
      m_app.Cache().softKeyMenu = m_app.Cache().softKeyMenu ? 0 : 1;
      WriteSetting(settings, settings::kSoftKeyMenu, m_app.Cache().softKeyMenu);
      prompt.Notice(ui_msg::kSoftKeyNextStart);
      return true;
    case cmd::kInitDir: {
      CTextPromptDialog dialog(ui_msg::kInitDirPrompt, settings::ReadInitDir(settings), this);
      if (dialog.exec() == QDialog::Accepted) settings::WriteInitDir(settings, dialog.Text());
      return true;
    }
    case cmd::kAssociate:
      if (prompt.Question(ui_msg::kAssociate)) {
        const CAssociationResult r = RegisterFileTypes(QApplication::applicationFilePath(), true);
        if (!r.ok) prompt.Notice(ui_msg::kAssociateFailed.arg(r.error));
      }
      return true;
    case cmd::kHelp:
      OpenHelpSection(m_app, kHelpContentsAnchor.toString());
      return true;
    case cmd::kAbout: {
      QMessageBox box(QMessageBox::NoIcon, QStringLiteral("バージョン情報"),
                      QStringLiteral("Velum バージョン %1\nカード型データベース")
                          .arg(QStringLiteral(VELUM_VERSION)),
                      QMessageBox::Ok, this);
      box.exec();
      return true;
    }
    case cmd::kMenu:
    case cmd::kSelectedItemsOnly:
      return true;
    case cmd::kFindNext:
    case cmd::kFindPrev: {
      doc.StoreCards();
      const CFoundCard found = id == cmd::kFindNext ? NextSearchCommand(doc) : PrevSearchCommand(doc);
      if (found.card >= 0 && !ListActive() && m_activeView == m_cardView) m_cardView->FocusItem(found.item);
      if (m_activeView == m_itemList) m_itemList->FocusValueList();
      return true;
    }
    case cmd::kReleaseFilter:
      ReleaseFilterCommand(doc);
      return true;
    case cmd::kHideCard:
      doc.StoreCards();
      HideCardsCommand(doc, PickedCards());
      return true;
    case cmd::kRefreshListLine:
      if (m_itemListShown) m_itemList->RefreshCurrentLine();
      return true;
    case cmd::kRefreshListFirst:
      if (m_itemListShown) {
        m_cardView->StoreCard();
        m_itemList->RefreshCurrentLine();
      }
      return true;
    case cmd::kComplement:
      ComplementCommand(doc);
      return true;
    case cmd::kDiscard:
      DiscardCommand(doc);
      return true;
    case cmd::kReload:
      doc.StoreCards();
      if (doc.Reload()) DocumentReplaced();
      return true;
    default:
      return false;
  }
}

bool CMainWindow::RouteToView(std::uint32_t id) {
  if (ListActive()) {
    if (id == cmd::kAddCard) {
      ShowCardScreen();
      m_activeView = m_cardView;
      return m_cardView->OnCommand(id);
    }
    if (m_listView->OnCommand(id)) return true;
    return m_cardView->OnCommand(id);
  }
  if (m_activeView == m_itemList) {
    const bool inList = m_itemList->ValueListHasFocus();
    switch (id) {
      case cmd::kCopy:
      case cmd::kCut:
      case cmd::kPaste:
        if (inList)
          return m_cardView->OnCommand(id == cmd::kCopy  ? cmd::kCopyCard
                                       : id == cmd::kCut ? cmd::kCutCard
                                                         : cmd::kPasteCard);
        return m_cardView->OnCommand(id);
      case cmd::kNextItemAdd:
        return inList ? true : m_cardView->OnCommand(id);
      case cmd::kSwitchItemList:
        if (!inList)
          m_itemList->FocusValueList();
        else {
          m_activeView = m_cardView;
          m_cardView->FocusFirstInputItem();
        }
        return true;
      case cmd::kFocusCard:
        m_activeView = m_cardView;
        m_cardView->FocusFirstInputItem();
        return true;
      case cmd::kFocusChooser:
        m_itemList->FocusChooser();
        return true;
      case cmd::kFocusItemList:
        m_itemList->FocusValueList();
        return true;
      case cmd::kStoreItem:
        m_app.Doc().SetCurrentItem(m_itemList->ListedItem());
        return true;
      case cmd::kFont:
        if (!inList) return m_cardView->OnCommand(id);
        m_itemList->ChooseListFont();
        return true;
      case cmd::kAddCard:
        m_cardView->OnCommand(id);
        m_activeView = m_cardView;
        return true;
      default:
        return m_cardView->OnCommand(id);
    }
  }
  switch (id) {
    case cmd::kSwitchItemList:
    case cmd::kFocusItemList:
      if (!m_itemListShown) return true;
      m_activeView = m_itemList;
      m_itemList->FocusValueList();
      return true;
    case cmd::kFocusChooser:
      if (!m_itemListShown) return true;
      m_activeView = m_itemList;
      m_itemList->FocusChooser();
      return true;
    case cmd::kFocusCard:
      m_cardView->FocusFirstInputItem();
      return true;
    default:
      return m_cardView->OnCommand(id);
  }
}

bool CMainWindow::CanOpen(const QString& path, QString* reason) {
  if (IsDeckUri(path)) return true;  // the server answers when the deck is opened
  QFile file;
  if (OpenInputFile(file, path, -1, reason) != InputStatus::kOk) return false;
  *reason = NotCardFileReason(path);
  return reason->isEmpty();
}

bool CMainWindow::OpenFile(const QString& path) {
  // Contacts and sheets become a new, unsaved deck; nothing is written to them.
  if (IsImportedByOpen(path)) return OpenAsNewDeck(m_app, *this, path);
  CVelumDoc& doc = m_app.Doc();
  if (IsDeckUri(path)) return CDocumentShare::Of(m_app, *this).OpenDeck(path);
  QString reason;
  if (!CanOpen(path, &reason)) {
    // Checked before the document lets go of what it holds, so a file that
    // is not there costs nothing.
    m_app.Prompt().Notice(ui_msg::kCannotOpenPath.arg(QFileInfo(path).absoluteFilePath(), reason));
    return false;
  }
  // Another window holds the file: open it read-only, open it anyway, or not.
  if (!CDocumentShare::Of(m_app, *this).BeforeOpenFile(path)) return false;
  // While the reader shows a message the views would paint a store half
  // cleared: they wait for the new document.
  m_central->setUpdatesEnabled(false);
  doc.OnOpenDocument(path);
  m_central->setUpdatesEnabled(true);
  DocumentReplaced();
  return !doc.PathName().isEmpty();
}

QString CMainWindow::StartFolder() const {
  const QString current = m_app.Doc().PathName();
  if (!current.isEmpty()) return QFileInfo(current).absolutePath();
  const QString initDir = settings::ReadInitDir(m_app.Settings());
  if (!initDir.isEmpty() && QFileInfo(initDir).isDir()) return QFileInfo(initDir).absoluteFilePath();
  if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir()) return m_lastFolder;
  return QDir::homePath();
}

std::vector<int> CMainWindow::PickedCards() const {
  const CVelumDoc& doc = m_app.Doc();
  std::vector<int> picked;
  if (ListActive() && m_listView)
    picked = m_listView->SelectedCards();
  else if (m_itemListShown && m_activeView == m_itemList)
    picked = m_itemList->SelectedCards();
  if (picked.empty() && doc.VisibleCount() > 0) picked.push_back(doc.CurrentCard());
  return picked;
}

bool CMainWindow::SaveModified() { return SaveChangesFirst(m_app.Doc(), [this] { return SaveDocument(); }); }

bool CMainWindow::SaveDocument() {
  CVelumDoc& doc = m_app.Doc();
  if (doc.PathName().isEmpty()) return SaveDocumentAs();
  const bool ok = doc.Save();
  UpdateTitle();
  return ok;
}

bool CMainWindow::SaveDocumentAs() {
  CVelumDoc& doc = m_app.Doc();
  doc.StoreCards();
  const QString current = doc.PathName();
  const bool own = ReadSetting(m_app.Settings(), settings::kPPCSaveDlg) == 0;
  CSaveForm form = SaveFormOf(doc.Store());
  QString folder = StartFolder(), name = current.isEmpty() ? QString() : QFileInfo(current).fileName();
  if (current.isEmpty() && !m_importedFrom.isEmpty()) {
    folder = QFileInfo(m_importedFrom).absolutePath();
    name = QFileInfo(m_importedFrom).completeBaseName() + QStringLiteral(".csv");
  }
  CFileRequest request{ui_msg::kSaveAsTitle, folder, name,
                       own ? ui_msg::kSaveFilterOwn : ui_msg::kSaveFilter, QStringLiteral("csv"), true, own, &form};
  const std::optional<QString> path = ChooseFile(m_app, this, request);
  if (!path) return false;
  m_lastFolder = QFileInfo(*path).absolutePath();
  PrintExtrasOf(m_app);  // read under the old name: they go with the file
  const bool ok = SaveAsInForm(doc, *path, form);
  if (ok) KeepPrintExtras(m_app);
  UpdateTitle();
  return ok;
}

void CMainWindow::HandOver() {
  const QString path = ReadSetting(m_app.Settings(), settings::kPpcFile);
  if (!path.isEmpty() && SaveModified()) OpenFile(path);
  BringToFront();
}

void CMainWindow::BringToFront() {
  showNormal();
  raise();
  activateWindow();
}

namespace {

// The item list opens its incremental search over the window.
const CRegisterCommand kIncrementalSearchCommand(cmd::kIncrementalSearch, [](CVelumApp&, CMainWindow& window) {
  window.ItemList().OpenIncrementalSearch(QString());
  return true;
});

}  // namespace
