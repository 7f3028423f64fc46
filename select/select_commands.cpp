#include "select/select_commands.h"

#include "core/card_store.h"
#include "core/edit_messages.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "records/item_property.h"
#include "select/filter.h"
#include "select/find.h"
#include "select/search_matcher.h"
#include "select/select_messages.h"
#include "select/sort.h"
#include "settings/settings.h"

namespace {

IPrompt& Prompt(CVelumDoc& doc) { return doc.Services().prompt; }

void ShowFromFirstCard(CVelumDoc& doc, std::uint32_t hintWord) {
  doc.MakeFirstCurrent();
  doc.UpdateAllViews(nullptr, hintWord);
}

std::vector<CCardRow*> VisibleRows(const CCardStore& store) {
  std::vector<CCardRow*> rows(std::size_t(store.VisibleCount()));
  for (int n = 0; n < store.VisibleCount(); ++n) rows[std::size_t(n)] = store.VisibleCard(n);
  return rows;
}

// Hides every card but the given ones (the visible cards of before).
void RestoreVisible(CCardStore& store, const std::vector<CCardRow*>& rows) {
  for (int k = 0; k < store.AllCount(); ++k) store.AllCard(k)->SetVisible(false);
  for (CCardRow* row : rows) row->SetVisible(true);
  store.RebuildVisible();
}

CFoundCard Found(CVelumDoc& doc, int card) {
  if (card < 0) {
    // A search looks only at the visible cards: the filter may hide the card.
    const int hidden = doc.Store().AllCount() - doc.Store().VisibleCount();
    Prompt(doc).Notice(hidden > 0 ? select_msg::kNotFoundFiltered.arg(hidden) : select_msg::kNotFound);
    return {};
  }
  doc.MakeCurrent(card);
  doc.UpdateAllViews(nullptr, hint::kSearchFound);
  const CSearchRequest& r = doc.Store().SearchRequest();
  const int cursor = r.itemCursor;
  return {card, cursor >= 0 && cursor < int(r.items.size()) ? r.items[std::size_t(cursor)] : -1};
}

// The stored texts of formula and linked items are their values as of the
// last save or recalculation. A command that reads the values of such an
// item brings them up to date first, so that it reads what the cards show.
void RecalcForReading(CCardStore& store, const std::vector<int>& items) {
  for (int item : items) {
    if (item >= 0 && item < store.ItemCount() && IsFormulaOrLinked(std::as_const(store).Property(item))) {
      store.RecalcAll();
      return;
    }
  }
}

bool HasItem(CVelumDoc& doc, int item) {
  if (item >= 0 && item < doc.ItemCount()) return true;
  Prompt(doc).Notice(edit_msg::kSelectItem);
  return false;
}

}  // namespace

void SortCommand(CVelumDoc& doc, int item, int order) {
  CVelumSortArray keys;
  keys.m_keys.emplace_back(item, order);
  MultiSortCommand(doc, keys);
}

void MultiSortCommand(CVelumDoc& doc, const CVelumSortArray& keys) {
  doc.StoreCards();
  CUndoStack& undo = doc.UndoStack();
  // A sort that stores computed values first changes texts too: its step
  // holds the whole document; any other holds the order alone.
  if (SortRecalculates(doc.Store(), keys.m_keys)) {
    undo.Record(doc, undo_label::kSort);
    SortByKeys(doc.Store(), keys);
  } else {
    undo.RecordOrder(doc, undo_label::kSort);
    std::vector<std::uint32_t> made;
    SortByKeys(doc.Store(), keys, &made);
    undo.SetOrder(std::move(made));
  }
  ShowFromFirstCard(doc, hint::kWholeDocument);
}

int DefaultFilterMethod(const CVelumDoc& doc) { return IsFiltered(doc.Store()) ? kNarrowCards : kFromAllCards; }

int FilterCommand(CVelumDoc& doc, const std::vector<int>& items, int condition, const QString& word, int method) {
  doc.StoreCards();
  CCardStore& store = doc.Store();
  CWaitCursor wait(Prompt(doc));
  RecalcForReading(store, items);
  doc.UndoStack().RecordVisibility(doc, undo_label::kFilter);
  SetSearchRequest(store, items, condition, word, 0);
  const std::vector<CCardRow*> before = VisibleRows(store);
  const bool wasFiltered = IsFiltered(store);
  if (!wasFiltered) method = kFromAllCards;
  int n;
  if (method == kNarrowCards) {
    n = NarrowVisible(store);
  } else if (method == kAddCards) {
    n = WidenVisible(store);
  } else {
    if (wasFiltered) ShowAllCards(store);
    n = NarrowVisible(store);
    if (n == 0 && wasFiltered) RestoreVisible(store, before);
  }
  wait.End();
  const bool hidden = IsFiltered(store);
  if (!hidden)
    Prompt(doc).Notice(n > 0 ? select_msg::kAllCardsMatch : select_msg::kNotFound);
  else if (n == 0)
    Prompt(doc).Notice(select_msg::kNotFound);
  if ((hidden && n > 0) || VisibleRows(store) != before)
    ShowFromFirstCard(doc, hint::kWholeDocument);
  else
    doc.UndoStack().DropLast();
  return n;
}

bool CanReleaseFilter(const CVelumDoc& doc) { return IsFiltered(doc.Store()); }
bool CanComplement(const CVelumDoc& doc) { return IsFiltered(doc.Store()); }
bool CanHideCards(const CVelumDoc& doc) { return doc.VisibleCount() >= 2; }

bool ReleaseFilterCommand(CVelumDoc& doc) {
  if (!CanReleaseFilter(doc)) return false;
  doc.StoreCards();
  if (!Prompt(doc).Question(select_msg::kReleaseQuestion)) return false;
  doc.UndoStack().RecordVisibility(doc, undo_label::kRelease);
  ShowAllCards(doc.Store());
  ShowFromFirstCard(doc, hint::kWholeDocument);
  return true;
}

bool HideCardsCommand(CVelumDoc& doc, const std::vector<int>& targets) {
  if (!CanHideCards(doc)) return false;
  doc.StoreCards();
  CCardStore& store = doc.Store();
  doc.UndoStack().RecordVisibility(doc, undo_label::kHide);
  std::vector<CCardRow*> rows;
  for (int n : targets)
    if (CCardRow* row = store.VisibleCard(n)) rows.push_back(row);
  for (CCardRow* row : rows) row->SetVisible(false);
  store.RebuildVisible();
  ShowFromFirstCard(doc, hint::kCardsDeleted);
  return true;
}

bool ComplementCommand(CVelumDoc& doc) {
  if (!CanComplement(doc)) return false;
  doc.StoreCards();
  if (!Prompt(doc).Question(select_msg::kComplementQuestion)) return false;
  doc.UndoStack().RecordVisibility(doc, undo_label::kComplement);
  CCardStore& store = doc.Store();
  InvertVisible(store);
  auto record = std::make_unique<CVelumSelect>(doc.Services().settings);
  record->m_kind = 1;
  store.FilterHistory().m_records.Append(std::move(record));
  ShowFromFirstCard(doc, hint::kWholeDocument);
  return true;
}

bool DiscardCommand(CVelumDoc& doc) {
  doc.StoreCards();
  CCardStore& store = doc.Store();
  const QString& question = IsFiltered(store) ? select_msg::kDiscardFilteredQuestion : select_msg::kDiscardQuestion;
  if (!Prompt(doc).Question(question)) return false;
  // The step keeps the cards discarded, each with its place, and every card's
  // visible flag: the cards kept are all shown afterwards.
  CUndoStack& undo = doc.UndoStack();
  undo.RecordRows(doc, undo_label::kDiscard);
  std::vector<bool> shown(std::size_t(store.AllCount()));
  for (int k = 0; k < store.AllCount(); ++k) shown[std::size_t(k)] = store.AllCard(k)->Visible();
  std::vector<CUndoStack::CRemovedCard> removed;
  auto& all = store.AllCards();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i]->Visible())
      removed.emplace_back(std::uint32_t(i), std::move(all[i]));
    else
      all[kept++] = std::move(all[i]);
  }
  all.resize(kept);
  store.VisibleCards().clear();
  std::vector<std::uint32_t> added;
  if (store.AllCount() == 0) {
    store.AddCard(-1);
    added.push_back(0);
  } else {
    ShowAllCards(store);
  }
  undo.SetRowChanges(std::move(removed), std::move(added));
  undo.SetRowVisibility(std::move(shown));
  ShowFromFirstCard(doc, hint::kCardsDeleted);
  doc.SetModifiedFlag();
  return true;
}

CFoundCard SearchCommand(CVelumDoc& doc, const std::vector<int>& items, int condition, const QString& word,
                         bool distinguishCase) {
  doc.StoreCards();
  CSettingsStore& settings = doc.Services().settings;
  PushSearchHistory(settings, word);
  WriteSetting(settings, settings::kISearch, distinguishCase ? 1 : 0);
  CCardStore& store = doc.Store();
  store.SearchRequest().caseFlag = distinguishCase ? 1 : 0;
  SetSearchRequest(store, items, condition, word, 0);
  RecalcForReading(store, items);
  return Found(doc, FindForward(store, 0, true));
}

CFoundCard NextSearchCommand(CVelumDoc& doc) {
  doc.StoreCards();
  RecalcForReading(doc.Store(), doc.Store().SearchRequest().items);
  return Found(doc, FindForward(doc.Store(), doc.CurrentCard(), false));
}

CFoundCard PrevSearchCommand(CVelumDoc& doc) {
  doc.StoreCards();
  RecalcForReading(doc.Store(), doc.Store().SearchRequest().items);
  return Found(doc, FindBackward(doc.Store(), doc.CurrentCard()));
}

int IncrementalSearchCommand(CVelumDoc& doc, CIncrementalSearch& search, int item, QStringView text, int again,
                             int currentEntry) {
  const int card = search.Search(doc.Store(), item, text, again, currentEntry);
  if (card < 0) return -1;
  doc.MakeCurrent(card);
  doc.UpdateAllViews(nullptr, hint::kIncrementalSearch);
  return card;
}

std::optional<CTextCounts> CountCommand(CVelumDoc& doc, int item) {
  doc.StoreCards();
  if (!HasItem(doc, item)) return std::nullopt;
  RecalcForReading(doc.Store(), {item});
  return CountTexts(doc.Store(), item);
}

std::optional<std::array<QString, kTotalsFieldCount>> TotalsCommand(CVelumDoc& doc, int item) {
  return TotalsCommand(doc, item, doc.TargetCards());
}

std::optional<std::array<QString, kTotalsFieldCount>> TotalsCommand(CVelumDoc& doc, int item,
                                                                    const std::vector<int>& cards) {
  doc.StoreCards();
  if (!HasItem(doc, item)) return std::nullopt;
  RecalcForReading(doc.Store(), {item});
  const CCardStore& store = doc.Store();
  return TotalsFields(store.Item(item).toString(), ComputeTotals(store, item, cards));
}
