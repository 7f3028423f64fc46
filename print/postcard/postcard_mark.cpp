#include "print/postcard/postcard_mark.h"

#include "core/card_store.h"
#include "core/item_commands.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"

using namespace Qt::StringLiterals;

namespace {

const QString kMarkLabel = u"はがきの印"_s;

}  // namespace

int PostcardYear(const QDate& today) { return today.month() >= 7 ? today.year() + 1 : today.year(); }

QString PostcardMarkItem(int year) { return u"%1年賀"_s.arg(year); }

bool MarkPrintedCards(CVelumDoc& doc, const std::vector<int>& cards, const QString& item, const QString& mark) {
  doc.StoreCards();
  CCardStore& store = doc.Store();
  std::vector<int> valid;
  for (int card : cards)
    if (card >= 0 && card < store.VisibleCount()) valid.push_back(card);
  if (valid.empty()) return false;
  int index = -1;
  for (int i = 0; i < store.ItemCount(); ++i)
    if (store.Item(i) == item) index = i;
  const bool made = index < 0;
  if (made && store.ItemCount() >= CCardRow::kMaxItems) return false;
  doc.UndoStack().Record(doc, kMarkLabel);
  if (made) {
    if (!InsertItem(store, -1, item)) {
      doc.UndoStack().DropLast();
      return false;
    }
    index = store.ItemCount() - 1;
  }
  for (int card : valid) store.SetItemText(card, index, mark);
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, made ? hint::kItemsEdited : hint::kWholeDocument);
  return true;
}
