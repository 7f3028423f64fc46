#pragma once

#include <QString>

class CCardStore;
class CVelumDoc;

// Changes of the item layout. Each applies to the item-name row (with the
// property records and every item reference they and the file record hold) and
// to every card of the all-cards list, hidden cards included.

// Inserts an empty item named name before index (at the end when index is -1
// or the item count); its quote flag is 1 in the name row and on every card.
// False, with nothing changed, when the document already has 200 items.
bool InsertItem(CCardStore& store, int index, const QString& name);
// Deletes the item; with the first-line flag clear the items are named "項目1"
// ... again. False for an index outside the items and for the only item (a
// document keeps at least one).
bool DeleteItem(CCardStore& store, int index);
// Exchanges two items: names, quote flags, texts on every card, property
// records (both then marked set) and references; with the first-line flag
// clear the items are named "項目1" ... again.
bool SwapItems(CCardStore& store, int a, int b);
// Gives the items the names "項目1", "項目2", ... in order.
void NameItemsInOrder(CCardStore& store);

// The item dialog ("項目の編集"): every change reaches the store at once (each
// one a step of the document's undo stack); Close announces them. Selections are item indexes, -1 for
// none. The names come from the name entry dialog.
class CItemEditor {
 public:
  explicit CItemEditor(CVelumDoc& doc);

  // "追加(&A)...": answers false (with "項目名は必ず入力してください" for an
  // empty name, or the item limit's message) when nothing was added.
  bool Add(const QString& name);
  // "挿入(&I)...": before the selected item, or at the start without one.
  bool Insert(int selected, const QString& name);
  // "変更(&N)...": any name, the empty one included; the same name changes nothing.
  bool Rename(int selected, const QString& name);
  // "削除(&D)...": asks "<name>を削除します。よろしいですか？"; answers the
  // selection afterwards (the item now at that place, or the last item).
  int Delete(int selected);
  // "上へ(&U)" and "下へ(&S)": answer the selection afterwards, which follows the item.
  int MoveUp(int selected);
  int MoveDown(int selected);

  bool Changed() const { return m_changed; }
  // Closing the dialog: after any change the document is marked modified and
  // the views are updated with hint 0x2000F.
  void Close();

 private:
  bool Valid(int item) const;
  bool InsertAt(int index, const QString& name);
  CVelumDoc& m_doc;
  bool m_changed = false;
};
