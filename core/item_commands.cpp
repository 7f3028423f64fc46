#include "core/item_commands.h"

#include "core/card_file_checks.h"
#include "core/row_items.h"
#include "core/card_store.h"
#include "core/edit_messages.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"

bool InsertItem(CCardStore& store, int index, const QString& name) {
  const int count = store.ItemCount();
  if (count >= CCardRow::kMaxItems) return false;
  if (index < 0 || index > count) index = count;
  if (!store.InsertEmptyItem(index)) return false;
  store.SetItem(index, name);
  for (auto& card : store.AllCards()) card->InsertEmptyItem(index);
  return true;
}

bool DeleteItem(CCardStore& store, int index) {
  if (index < 0 || index >= store.ItemCount() || store.ItemCount() <= 1) return false;
  store.DeleteItem(index);
  for (auto& card : store.AllCards()) card->DeleteItem(index);
  if (!store.FirstLineIsItems()) NameItemsInOrder(store);
  return true;
}

bool SwapItems(CCardStore& store, int a, int b) {
  const int count = store.ItemCount();
  if (a < 0 || b < 0 || a >= count || b >= count) return false;
  if (a == b) return true;
  store.SwapItems(a, b);
  store.Property(a).m_set = 1;
  store.Property(b).m_set = 1;
  for (auto& card : store.AllCards()) SwapCardItems(*card, a, b);
  if (!store.FirstLineIsItems()) NameItemsInOrder(store);
  return true;
}

void NameItemsInOrder(CCardStore& store) {
  for (int i = 0; i < store.ItemCount(); ++i) store.SetItem(i, edit_msg::kItemNameFormat.arg(i + 1));
}

CItemEditor::CItemEditor(CVelumDoc& doc) : m_doc(doc) { m_doc.StoreCards(); }

bool CItemEditor::Valid(int item) const { return item >= 0 && item < m_doc.ItemCount(); }

bool CItemEditor::InsertAt(int index, const QString& typed) {
  IPrompt& prompt = m_doc.Services().prompt;
  QString name = typed;
  if (RemoveEndOfFileMarks(name)) prompt.Notice(msg::kEndOfFileRemoved);
  if (RemoveReaderEscapes(name)) prompt.Notice(msg::kEscapesRemoved);
  if (name.isEmpty()) {
    prompt.Notice(edit_msg::kNameRequired);
    return false;
  }
  if (m_doc.ItemCount() >= CCardRow::kMaxItems) {
    prompt.Notice(edit_msg::kTooManyItems);
    return false;
  }
  const int at = index < 0 || index > m_doc.ItemCount() ? m_doc.ItemCount() : index;
  m_doc.UndoStack().RecordColumn(m_doc, index < 0 ? undo_label::kItemAdd : undo_label::kItemInsert,
                                 CUndoStack::kColumnAdded, at);
  if (!InsertItem(m_doc.Store(), index, name)) {
    m_doc.UndoStack().DropLast();
    prompt.Notice(edit_msg::kTooManyItems);
    return false;
  }
  m_changed = true;
  return true;
}

bool CItemEditor::Add(const QString& name) { return InsertAt(-1, name); }

bool CItemEditor::Insert(int selected, const QString& name) { return InsertAt(Valid(selected) ? selected : 0, name); }

bool CItemEditor::Rename(int selected, const QString& typed) {
  if (!Valid(selected)) return false;
  QString name = typed;
  if (RemoveEndOfFileMarks(name)) m_doc.Services().prompt.Notice(msg::kEndOfFileRemoved);
  if (RemoveReaderEscapes(name)) m_doc.Services().prompt.Notice(msg::kEscapesRemoved);
  if (m_doc.Store().Item(selected) == name) return true;  // nothing to change or announce
  m_doc.UndoStack().RecordRecords(m_doc, undo_label::kItemRename);
  m_doc.Store().SetItem(selected, name);
  m_changed = true;
  return true;
}

int CItemEditor::Delete(int selected) {
  if (!Valid(selected)) return selected;
  CCardStore& store = m_doc.Store();
  IPrompt& prompt = m_doc.Services().prompt;
  if (store.ItemCount() <= 1) {
    prompt.Notice(edit_msg::kLastItem);
    return selected;
  }
  if (!prompt.Question(store.Item(selected).toString() + edit_msg::kDeleteItemSuffix)) return selected;
  m_doc.UndoStack().RecordColumn(m_doc, undo_label::kItemDelete, CUndoStack::kColumnRemoved, selected);
  DeleteItem(store, selected);
  m_changed = true;
  const int last = store.ItemCount() - 1;
  if (m_doc.CurrentItem() > last) m_doc.SetCurrentItem(last);
  return std::min(selected, last);
}

int CItemEditor::MoveUp(int selected) {
  if (!Valid(selected) || selected == 0) return selected;
  m_doc.UndoStack().RecordColumn(m_doc, undo_label::kItemMove, CUndoStack::kColumnsSwapped, selected, selected - 1);
  SwapItems(m_doc.Store(), selected, selected - 1);
  m_changed = true;
  return selected - 1;
}

int CItemEditor::MoveDown(int selected) {
  if (!Valid(selected) || selected + 1 >= m_doc.ItemCount()) return selected;
  m_doc.UndoStack().RecordColumn(m_doc, undo_label::kItemMove, CUndoStack::kColumnsSwapped, selected, selected + 1);
  SwapItems(m_doc.Store(), selected, selected + 1);
  m_changed = true;
  return selected + 1;
}

void CItemEditor::Close() {
  if (!m_changed) return;
  m_doc.SetModifiedFlag();
  m_doc.UpdateAllViews(nullptr, hint::kItemsEdited);
  m_changed = false;
}
