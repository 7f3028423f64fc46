#pragma once

#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CCardRow;
class CCardStore;
class CVelumDoc;

// Names of the undoable commands, as 元に戻す and やり直し report them.
namespace undo_label {
inline const QString kSetText = QStringLiteral("項目の入力");
inline const QString kAddCard = QStringLiteral("カードの追加");
inline const QString kInsertCard = QStringLiteral("カードの挿入");
inline const QString kDeleteCards = QStringLiteral("カードの削除");
inline const QString kCutCards = QStringLiteral("カードの切り取り");
inline const QString kPasteCards = QStringLiteral("カードの貼り付け");
inline const QString kAppendPaste = QStringLiteral("追加貼り付け");
inline const QString kUnify = QStringLiteral("項目内容の統一");
inline const QString kLineBreak = QStringLiteral("改行の挿入");
inline const QString kItemAdd = QStringLiteral("項目の追加");
inline const QString kItemInsert = QStringLiteral("項目の挿入");
inline const QString kItemRename = QStringLiteral("項目名の変更");
inline const QString kItemDelete = QStringLiteral("項目の削除");
inline const QString kItemMove = QStringLiteral("項目の移動");
inline const QString kItemProperty = QStringLiteral("項目のプロパティ");
inline const QString kFileProperty = QStringLiteral("このファイルのプロパティ");
inline const QString kSort = QStringLiteral("整列");
inline const QString kFilter = QStringLiteral("絞り込み");
inline const QString kRelease = QStringLiteral("絞り込み解除");
inline const QString kHide = QStringLiteral("このカードのみ絞り込み解除");
inline const QString kComplement = QStringLiteral("補集合");
inline const QString kDiscard = QStringLiteral("廃棄");
}  // namespace undo_label

// The document's undo and redo: each step holds what one command could change,
// as it stood before the command, in the smallest form that command allows:
// - a step of one card holds that card (typing into an item); its undo and
//   redo put back only the items that differ, as edits of those items;
// - a step of the order holds the order before the command as indexes into
//   the all-cards list (a sort), with the sort keys;
// - a step of cards removed and added holds the removed cards themselves
//   and the places of the added ones (adding, inserting, deleting, cutting
//   and pasting cards);
// - a step of the visibility holds one bit per card of the all-cards list (the
//   filter commands), with the filter history;
// - a step of the records holds the item-name row with its property records,
//   the file record, the sort keys and the filter history, and no card (a
//   renamed item, an item's or the file's properties);
// - a step of a column holds the records as that step does and what the
//   command does to every card: an item added (undone by removing it), an
//   item removed with its texts and quote flags, or two items exchanged; or
//   the texts of one item on some cards (項目内容の統一);
// - a step of the whole document holds the item-name row with its property
//   records, a copy of every card (a copy shares its text buffer with the card
//   it copies, so taking one is one pass of small copies and costs little
//   memory until either side changes), the visible list as indexes into the
//   all-cards list, the file record, the sort keys and the filter history.
// Every step holds the current card and item and the modified flag. Undo and
// redo swap the stored state with the document's, so neither copies the deck.
//
// Commands record after their questions and before they change anything; a
// command that changes nothing records nothing (but for the modified flag: a
// command that only sets it records, so that undo clears it again). The
// number of steps kept is System/UndoSteps (0 turns undo off), and the steps together hold at most
// System/UndoMemory MiB (counted with their texts, an upper bound); the oldest
// steps go first, but the newest always stays. A run that can never undo
// (a one-shot command line) turns recording off and records nothing.
class CUndoStack {
 public:
  CUndoStack();
  ~CUndoStack();
  CUndoStack(const CUndoStack&) = delete;
  CUndoStack& operator=(const CUndoStack&) = delete;

  // Records the whole document before the command label changes it, and
  // forgets what could be redone.
  void Record(CVelumDoc& doc, const QString& label);
  // Records visible card `card` alone before a change of its texts or quote
  // flags; anything else the command changes must be recorded with Record.
  void RecordCard(CVelumDoc& doc, int card, const QString& label);
  // Records the item names and their property records, the file record, the
  // sort keys and the filter history before a command that changes nothing
  // of the cards.
  void RecordRecords(CVelumDoc& doc, const QString& label);
  // Records the records, as RecordRecords does, before a command that also
  // adds an item at `column` on every card, removes the one there (its texts
  // are kept now) or exchanges it with the one at `other`.
  enum ColumnChange { kColumnAdded, kColumnRemoved, kColumnsSwapped, kColumnTexts };
  void RecordColumn(CVelumDoc& doc, const QString& label, ColumnChange change, int column, int other = -1);
  // Records the texts of item `column` on the cards at `places` (all-cards
  // indexes) before a command that changes only those texts.
  void RecordTexts(CVelumDoc& doc, const QString& label, int column, std::vector<std::uint32_t> places);
  // Records the visible flags of every card (and the filter history) before
  // a command that changes nothing else.
  void RecordVisibility(CVelumDoc& doc, const QString& label);
  // Records the sort keys before a command that only reorders the all-cards
  // list (the texts stay); the command then hands the order it made to
  // SetOrder: order[i] is the all-cards index before the command of the card
  // now at i.
  void RecordOrder(CVelumDoc& doc, const QString& label);
  void SetOrder(std::vector<std::uint32_t> order);
  // Records before a command that only removes cards from the all-cards list
  // and adds cards to it (their visible flags tell the visible list); the
  // command then hands to SetRowChanges the cards it removed, each with its
  // place before the command, and the places after it of the cards it added.
  using CRemovedCard = std::pair<std::uint32_t, std::unique_ptr<CCardRow>>;
  void RecordRows(CVelumDoc& doc, const QString& label);
  void SetRowChanges(std::vector<CRemovedCard> removed, std::vector<std::uint32_t> added);
  // For such a command that also shows or hides cards it keeps (廃棄 shows
  // every card left): the visible flag of every card before it, in the
  // all-cards order before it.
  void SetRowVisibility(std::vector<bool> shown);
  // Whether commands record at all (on by default); off empties the stack.
  void SetRecording(bool on);
  // Drops the step just recorded, for a command that turned out to change
  // nothing; what could be redone before it stays lost.
  void DropLast();

  bool CanUndo() const { return !m_undo.empty(); }
  bool CanRedo() const { return !m_redo.empty(); }
  int UndoCount() const { return int(m_undo.size()); }
  int RedoCount() const { return int(m_redo.size()); }
  // The label of the step that Undo or Redo would take back; empty for none.
  QString UndoLabel() const;
  QString RedoLabel() const;

  // Puts the document back as it stood before the last step and keeps the
  // state it left for Redo; answers the step's label, empty when there was
  // nothing to undo. The caller refreshes the views.
  QString Undo(CVelumDoc& doc);
  QString Redo(CVelumDoc& doc);
  // The hint that refreshes the views after the last Undo or Redo: what that
  // step can have changed (one card's texts, the order or the visibility of
  // the cards, the cards themselves, or the items too), so that undoing a
  // one-card edit redraws that card instead of rebuilding every view.
  std::uint32_t ViewHint() const { return m_viewHint; }

  // New, open and reload: nothing of before can be undone.
  void Clear();
  // After a save every other state differs from the file: each step brings
  // back a modified document.
  void NoteSaved();

 private:
  struct CStep;
  // The document's state in the shape of like; takeCards moves the rows out
  // of the store instead of copying them (Restore puts others in).
  static std::unique_ptr<CStep> Capture(CVelumDoc& doc, const CStep& like, bool takeCards);
  // Restores step and answers the state the document left.
  static std::unique_ptr<CStep> Swap(CVelumDoc& doc, CStep& step);
  void Push(std::unique_ptr<CStep> step, int limit, std::size_t maxBytes);
  // Records a step in the shape of like, completed by fill (what the
  // command hands over at once) before the step counts against the limits.
  void RecordLike(CVelumDoc& doc, const CStep& like, const std::function<void(CStep&)>& fill = {});
  static std::size_t MaxBytes(const CVelumDoc& doc);
  // Forgets what could be redone; answers System/UndoSteps (at most 0 empties the stack).
  int Limit(CVelumDoc& doc);
  static void Restore(CVelumDoc& doc, CStep& step);
  static std::uint32_t HintOf(const CStep& step);
  // Takes the step's added cards out of the store and puts its removed cards
  // back; the step is left holding the way back.
  static void SwapRows(CCardStore& store, CStep& step);
  // Undoes the column change of step on every card and leaves its inverse in step.
  static void SwapColumn(CCardStore& store, CStep& step);

  std::deque<std::unique_ptr<CStep>> m_undo;
  std::deque<std::unique_ptr<CStep>> m_redo;
  bool m_recording = true;
  std::uint32_t m_viewHint = 0;
};
