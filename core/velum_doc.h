#pragma once

#include "core/card_store.h"
#include "core/services.h"
#include "core/undo_stack.h"
#include "platform/file_io.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Hint words of the update-all-views call.
namespace hint {
inline constexpr std::uint32_t kRedraw = 0;
inline constexpr std::uint32_t kWholeDocument = 0x20003;
inline constexpr std::uint32_t kCardsDeleted = 0xA0003;
inline constexpr std::uint32_t kCardInserted = 0xA0007;
inline constexpr std::uint32_t kSearchFound = 0x20004;
inline constexpr std::uint32_t kIncrementalSearch = 0x20005;
inline constexpr std::uint32_t kItemLayout = 0x40006;
// The settings changed: every view lays itself out again.
inline constexpr std::uint32_t kWholeLayout = 0x40003;
inline constexpr std::uint32_t kCardAdded = 5;
inline constexpr std::uint32_t kCardMoved = 6;
inline constexpr std::uint32_t kCardsChanged = 0x20001;
inline constexpr std::uint32_t kItemsEdited = 0x2000F;
// Undo and redo: items, cards and the current card may all have changed.
inline constexpr std::uint32_t kUndone = 0x6000F;
}  // namespace hint

// A view of the document. Views hold no card data; they read it from the store
// and redraw what the hint names.
class IDocView {
 public:
  virtual ~IDocView() = default;
  virtual void OnUpdate(IDocView* sender, std::uint32_t hint) = 0;
  // Commits the text being edited into the current card (the card view).
  virtual void StoreCard() {}
  // The card numbers selected in a list view; empty for views without a list.
  virtual std::vector<int> SelectedCards() const { return {}; }
  virtual bool IsItemList() const { return false; }
};

// The one document: the card store, the current card and item, the path, the
// modified flag and the load time.
class CVelumDoc {
 public:
  explicit CVelumDoc(const CServices& services);

  CCardStore& Store() { return *m_store; }
  const CCardStore& Store() const { return *m_store; }
  const CServices& Services() const { return m_services; }

  // New, open and save as the framework runs them; each answers success.
  // A save over the document's own file (by any path that leads to it) asks
  // first when the file cannot be saved over whole: it was read only in part
  // (refused: save elsewhere), another program changed it since it was read
  // or saved (overwrite, save under another name through onSaveAsCommand, or
  // cancel), or bytes that could not be read were replaced by U+FFFD (the
  // save would lose them).
  // A file that is no card file (a vCard, a spreadsheet, an image, binary
  // data: NotCardFileReason) is not opened: a notice names it, the document
  // stays as it was and OnOpenDocument answers false.
  bool OnNewDocument();
  bool OnOpenDocument(const QString& path);
  bool OnSaveDocument(const QString& path);
  // Save under a new name, with the name already chosen (the dialog is the UI's).
  bool SaveAs(const QString& path);
  // Save to the document's own path; a new document has none and answers false.
  bool Save();
  // 再読込: asks (with unsaved changes, whether to save them first:
  // SaveChangesFirst), then opens the file again.
  bool Reload();
  // 通知（同期完了）: true when the file changed since it was read and the user
  // chose to reload (the reload itself asks again).
  bool SyncCheck();
  // The file-properties dialog's OK.
  void ApplyFileProperties(bool msCsv, ColorRef background, bool firstLineIsItems);

  int CurrentCard() const { return m_currentCard; }
  bool MakeCurrent(int card);
  // Card 0 becomes the current card, also when the visible list is empty
  // (every card hidden), where MakeCurrent would keep a number out of range.
  void MakeFirstCurrent() { m_currentCard = 0; }
  int CurrentItem() const { return m_currentItem; }
  void SetCurrentItem(int item) { m_currentItem = item; }
  int VisibleCount() const { return m_store->VisibleCount(); }
  int ItemCount() const { return m_store->ItemCount(); }
  // The cards a command acts on: the list view's selection when it has more
  // than one card, else every visible card.
  std::vector<int> TargetCards() const;
  // The item list's selection, or only the current card.
  std::vector<int> TargetCardsOfItemList() const;

  const QString& PathName() const { return m_path; }
  QString Title() const;
  bool IsModified() const { return m_modified; }
  void SetModifiedFlag(bool modified = true) { m_modified = modified; }
  const QDateTime& LoadTime() const { return m_loadTime; }
  // True after a read that stopped early: such a file is not saved over.
  bool ReadIncomplete() const { return m_readIncomplete; }

  void AddView(IDocView* view);
  void RemoveView(IDocView* view);
  void UpdateAllViews(IDocView* sender, std::uint32_t hint);
  // Called with every path that enters the recent-file list.
  std::function<void(const QString&)> onRecentFile;
  // Whether open and save record the path as System/DefaultFile (the file the
  // application opens at start); one-shot command-line runs leave it alone.
  bool recordDefaultFile = true;
  // Called when the reload command is to run (the sync check's OK).
  std::function<void()> onReloadCommand;
  // Runs the window's 名前を付けて保存 (its file dialog and the save); answers
  // whether the document was saved. Without it, choosing to save under
  // another name cancels the save.
  std::function<bool()> onSaveAsCommand;
  // The steps 元に戻す and やり直し go through; new, open and reload empty it.
  CUndoStack& UndoStack() { return m_undo; }
  const CUndoStack& UndoStack() const { return m_undo; }
  // Lets every view commit its pending edits (the card view's StoreCard), as
  // every command that changes cards does first.
  void StoreCards();

 private:
  friend class CUndoStack;  // puts back the current card and item and the modified flag
  void MakeNew();
  // Whether path leads to the file the document was read from or last saved to.
  bool IsOwnFile(const QString& absolute) const;
  // The questions before the own file is saved over; false when the save
  // does not go on here (*saved: whether it went on under another name).
  bool MaySaveOver(const QString& absolute, bool* saved);

  const CServices& m_services;
  std::unique_ptr<CCardStore> m_store;
  int m_currentCard = 0;
  int m_currentItem = 0;
  QString m_path;
  bool m_modified = false;
  bool m_readIncomplete = false;
  // The own file as it was read or last saved: a change by another program
  // shows as a different stamp.
  CFileStamp m_stamp;
  QDateTime m_loadTime;
  std::vector<IDocView*> m_views;
  CUndoStack m_undo;
};
