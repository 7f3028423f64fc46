#include "exchange/row_paste.h"

#include "core/card_commands.h"
#include "core/item_commands.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "exchange/deck_exchange.h"
#include "exchange/delimited_text.h"
#include "records/item_property.h"

#include <algorithm>

namespace {

const QString kAddColumns = QStringLiteral("貼り付ける行に、項目にない列があります: %1\n項目として追加しますか？");
const QString kLongRows =
    QStringLiteral("%1 行目ほか %2 行に、項目 (%3 個) より多いセルがあります。\n多い分を除いて貼り付けますか？");

}  // namespace

int PasteTabRows(CVelumDoc& doc, const QString& text, bool append) {
  if (!LooksLikeTabRows(text)) return -1;
  std::vector<QStringList> rows = ParseDelimited(text, u'\t');
  if (rows.empty()) return -1;
  RemoveUnwritable(doc, rows);
  CCardStore& store = doc.Store();
  IPrompt& prompt = doc.Services().prompt;
  const int items = store.ItemCount();

  std::vector<int> map = MapColumnsByName(store, rows[0]);
  const bool byName = LooksLikeItemNames(rows[0]) && std::any_of(map.begin(), map.end(), [](int i) { return i >= 0; });
  QStringList newItems;
  if (byName) {
    for (std::size_t c = 0; c < map.size(); ++c)
      if (map[c] < 0) newItems << rows[0][qsizetype(c)];
    if (!newItems.isEmpty() && !prompt.YesNo(kAddColumns.arg(newItems.join(QStringLiteral("、"))))) newItems.clear();
    if (items + newItems.size() > kMaxItems) newItems = newItems.mid(0, kMaxItems - items);
  } else {
    map.clear();
    for (int i = 0; i < items; ++i) map.push_back(i);
    int longRows = 0, first = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      // A last empty cell (a tab at the end of a row) is no extra cell.
      qsizetype size = rows[r].size();
      while (size > items && rows[r][size - 1].isEmpty()) --size;
      if (size > items && longRows++ == 0) first = int(r) + 1;
    }
    if (longRows > 0 && !prompt.Question(kLongRows.arg(first).arg(longRows).arg(items))) return 0;
  }

  doc.StoreCards();
  doc.UndoStack().Record(doc, append ? undo_label::kAppendPaste : undo_label::kPasteCards);
  if (byName) {
    for (const QString& name : newItems) {
      if (!InsertItem(store, -1, name)) break;
      const qsizetype c = rows[0].indexOf(name);
      if (c >= 0) map[std::size_t(c)] = store.ItemCount() - 1;
    }
    rows.erase(rows.begin());
    if (rows.empty()) return 0;
  }
  const int at = append ? -1 : std::clamp(doc.CurrentCard(), 0, doc.VisibleCount());
  const int count = int(rows.size());
  PutCards(doc, CardsOfRows(store, rows, map), at);
  if (byName && !newItems.isEmpty()) doc.UpdateAllViews(nullptr, hint::kItemsEdited);
  return count;
}

QString CardsAsTabRows(const CCardStore& store, const std::vector<int>& cards) {
  if (cards.empty()) return {};
  return FormatTabRows(TableFromDeck(store, cards), true);
}

void InstallRowPaste() {
  SetForeignPasteHandler(&PasteTabRows);
  SetSheetRowsFormatter(&CardsAsTabRows);
}
