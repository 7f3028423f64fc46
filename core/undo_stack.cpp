#include "core/undo_stack.h"

#include "core/card_store.h"
#include "core/row_items.h"
#include "core/velum_doc.h"
#include "settings/settings.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

struct CUndoStack::CStep {
  enum class Kind : std::uint8_t { kWhole, kCard, kOrder, kVisibility, kRows, kRecords, kColumn };
  QString label;
  Kind kind = Kind::kWhole;
  std::size_t bytes = 0;  // what the step holds (Bytes)
  int currentCard = 0;
  int currentItem = 0;
  bool modified = false;
  // A step of the whole document; of the records, without cards and visible list.
  std::unique_ptr<CItemNameRow> names;
  std::vector<std::unique_ptr<CCardRow>> cards;
  std::vector<int> visible;
  CVelumProperty fileProp;
  CVelumSortArray sortKeys;
  CVelumSelectSet filterHistory;
  // A step of one card: its place in the all-cards list and its copy (made
  // by copy construction, which no holder of computed values is told of:
  // the copy is no card of any store).
  int allIndex = -1;
  std::unique_ptr<CCardRow> card;
  // A step of the order: the permutation between the orders, taken one way
  // (scatter: the card at i goes to order[i]) or the other (gather: the card
  // at order[i] comes to i).
  std::vector<std::uint32_t> order;
  bool scatter = true;
  // A step of the visibility: the visible flag of each card of the all-cards
  // list; of cards removed and added, the same when the command also showed
  // or hid the cards it kept (else none).
  std::vector<bool> shown;
  // A step of cards removed and added: the cards the command removed with
  // their places in the all-cards list before it, and the places after it of
  // the cards it added, both ascending.
  std::vector<std::pair<std::uint32_t, std::unique_ptr<CCardRow>>> removed;
  std::vector<std::uint32_t> added;
  // A step of a column: the change the command made (undo takes it back),
  // the item it made it at and, for an exchange, the other item; for a
  // removed item, its texts (none when all are empty) and quote flags on
  // every card of the all-cards list; for texts, those of the cards at places.
  ColumnChange change = kColumnAdded;
  int column = -1;
  int other = -1;
  std::vector<QString> columnTexts;
  std::vector<bool> columnQuoted;
  std::vector<std::uint32_t> places;
};

namespace {

int AllIndexOf(const CCardStore& store, const CCardRow* row) {
  for (int i = 0; i < store.AllCount(); ++i)
    if (store.AllCard(i) == row) return i;
  return -1;
}

// The visible list as indexes into the all-cards list.
// The memory a row copy holds: the row, its offsets and its texts. The texts
// are counted although a copy shares them until one side changes: the count
// is an upper bound.
std::size_t RowBytes(const CCardRow& row) { return sizeof(CCardRow) + 16 + row.HeapBytes(); }

// The memory the texts of a removed item hold, with their flags.
std::size_t ColumnBytes(const std::vector<QString>& texts) {
  std::size_t bytes = texts.size() * (sizeof(QString) + 1);
  for (const QString& t : texts) bytes += t.isEmpty() ? 0 : std::size_t(t.size()) * 2 + 18;
  return bytes;
}

std::vector<int> VisibleIndexes(const CCardStore& store) {
  std::unordered_map<const CCardRow*, int> index;
  index.reserve(std::size_t(store.AllCount()));
  for (int i = 0; i < store.AllCount(); ++i) index.emplace(store.AllCard(i), i);
  std::vector<int> visible;
  visible.reserve(std::size_t(store.VisibleCount()));
  for (int n = 0; n < store.VisibleCount(); ++n) visible.push_back(index.at(store.VisibleCard(n)));
  return visible;
}

// Puts a card back as saved, item by item where the item count stands, so that
// holders of computed values see which items changed rather than a new card.
void RestoreRow(CCardRow& row, const CCardRow& saved) {
  if (row.ItemCount() != saved.ItemCount()) {
    row = saved;
    CCardRow::NoteChange();
    return;
  }
  std::vector<std::pair<int, QString>> texts;
  for (int i = 0; i < saved.ItemCount(); ++i)
    if (row.Item(i) != saved.Item(i)) texts.emplace_back(i, saved.Item(i).toString());
  if (!texts.empty()) row.SetItems(texts);
  for (int i = 0; i < saved.ItemCount(); ++i) row.SetQuoted(i, saved.Quoted(i));
  row.SetVisible(saved.Visible());
  row.SetMark(saved.Mark());
}

}  // namespace

CUndoStack::CUndoStack() = default;
CUndoStack::~CUndoStack() = default;

std::unique_ptr<CUndoStack::CStep> CUndoStack::Capture(CVelumDoc& doc, const CStep& like, bool takeCards) {
  CCardStore& store = doc.Store();
  auto step = std::make_unique<CStep>();
  step->label = like.label;
  step->kind = like.kind;
  step->currentCard = doc.CurrentCard();
  step->currentItem = doc.CurrentItem();
  step->modified = doc.IsModified();
  switch (step->kind) {
    case CStep::Kind::kCard:
      step->allIndex = like.allIndex;
      if (const CCardRow* row = store.AllCard(like.allIndex)) step->card = std::make_unique<CCardRow>(*row);
      step->bytes = sizeof(CStep) + (step->card ? step->card->HeapBytes() : 0);
      return step;
    case CStep::Kind::kOrder:
      // The order itself comes from the command (SetOrder) or the step undone (Swap).
      step->sortKeys = store.SortKeys();
      step->bytes = sizeof(CStep) + std::size_t(store.AllCount()) * sizeof(std::uint32_t);
      return step;
    case CStep::Kind::kRows:
      // The cards come from the command (SetRowChanges) or the step undone (Swap).
      step->bytes = sizeof(CStep);
      return step;
    case CStep::Kind::kVisibility:
      step->shown.resize(std::size_t(store.AllCount()));
      for (int i = 0; i < store.AllCount(); ++i) step->shown[std::size_t(i)] = store.AllCard(i)->Visible();
      step->filterHistory = store.FilterHistory();
      step->sortKeys = store.SortKeys();
      step->bytes = sizeof(CStep) + step->shown.size() / 8;
      return step;
    case CStep::Kind::kWhole:
    case CStep::Kind::kRecords:
    case CStep::Kind::kColumn:
      break;
  }
  step->names = std::make_unique<CItemNameRow>(store);
  step->fileProp = store.FileProperty();
  step->sortKeys = store.SortKeys();
  step->filterHistory = store.FilterHistory();
  step->bytes = sizeof(CStep) + RowBytes(*step->names);
  if (step->kind == CStep::Kind::kColumn) {
    // The change itself comes from the command (RecordColumn) or the step undone (Swap).
    step->change = like.change;
    step->column = like.column;
    step->other = like.other;
  }
  if (step->kind == CStep::Kind::kRecords || step->kind == CStep::Kind::kColumn) return step;
  step->visible = VisibleIndexes(store);
  if (takeCards) {
    step->cards = std::move(store.AllCards());
  } else {
    step->cards.reserve(std::size_t(store.AllCount()));
    for (int i = 0; i < store.AllCount(); ++i) step->cards.push_back(std::make_unique<CCardRow>(*store.AllCard(i)));
  }
  step->bytes += step->visible.size() * sizeof(int);
  for (const auto& row : step->cards) step->bytes += RowBytes(*row);
  return step;
}

void CUndoStack::Push(std::unique_ptr<CStep> step, int limit, std::size_t maxBytes) {
  m_undo.push_back(std::move(step));
  std::size_t bytes = 0;
  for (const auto& s : m_undo) bytes += s->bytes;
  // The newest step always stays, so the last command can be taken back.
  while (m_undo.size() > 1 && (int(m_undo.size()) > limit || bytes > maxBytes)) {
    bytes -= m_undo.front()->bytes;
    m_undo.pop_front();
  }
}

std::size_t CUndoStack::MaxBytes(const CVelumDoc& doc) {
  return std::size_t(ReadSetting(doc.Services().settings, settings::kUndoMemory)) << 20;
}

int CUndoStack::Limit(CVelumDoc& doc) {
  m_redo.clear();
  const int limit = m_recording ? int(ReadSetting(doc.Services().settings, settings::kUndoSteps)) : 0;
  if (limit <= 0) m_undo.clear();
  return limit;
}

void CUndoStack::RecordLike(CVelumDoc& doc, const CStep& like, const std::function<void(CStep&)>& fill) {
  const int limit = Limit(doc);
  if (limit <= 0) return;
  std::unique_ptr<CStep> step = Capture(doc, like, false);
  if (fill) fill(*step);
  Push(std::move(step), limit, MaxBytes(doc));
}

void CUndoStack::Record(CVelumDoc& doc, const QString& label) {
  CStep like;
  like.label = label;
  RecordLike(doc, like);
}

void CUndoStack::RecordCard(CVelumDoc& doc, int card, const QString& label) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kCard;
  like.allIndex = AllIndexOf(doc.Store(), doc.Store().VisibleCard(card));
  if (like.allIndex < 0) {
    Limit(doc);
    return;
  }
  RecordLike(doc, like);
}

void CUndoStack::RecordRecords(CVelumDoc& doc, const QString& label) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kRecords;
  RecordLike(doc, like);
}

void CUndoStack::RecordColumn(CVelumDoc& doc, const QString& label, ColumnChange change, int column, int other) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kColumn;
  like.change = change;
  like.column = column;
  like.other = other;
  RecordLike(doc, like, [&](CStep& step) {
    if (change != kColumnRemoved) return;
    const CCardStore& store = doc.Store();
    step.columnTexts.reserve(std::size_t(store.AllCount()));
    step.columnQuoted.reserve(std::size_t(store.AllCount()));
    for (int k = 0; k < store.AllCount(); ++k) {
      step.columnTexts.push_back(store.AllCard(k)->Item(column).toString());
      step.columnQuoted.push_back(store.AllCard(k)->Quoted(column));
    }
    step.bytes += ColumnBytes(step.columnTexts);
  });
}

void CUndoStack::RecordTexts(CVelumDoc& doc, const QString& label, int column, std::vector<std::uint32_t> places) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kColumn;
  like.change = kColumnTexts;
  like.column = column;
  RecordLike(doc, like, [&](CStep& step) {
    const CCardStore& store = doc.Store();
    step.columnTexts.reserve(places.size());
    step.columnQuoted.reserve(places.size());
    for (const std::uint32_t k : places) {
      step.columnTexts.push_back(store.AllCard(int(k))->Item(column).toString());
      step.columnQuoted.push_back(store.AllCard(int(k))->Quoted(column));
    }
    step.bytes += ColumnBytes(step.columnTexts) + places.size() * sizeof(std::uint32_t);
    step.places = std::move(places);
  });
}

void CUndoStack::RecordVisibility(CVelumDoc& doc, const QString& label) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kVisibility;
  RecordLike(doc, like);
}

void CUndoStack::RecordOrder(CVelumDoc& doc, const QString& label) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kOrder;
  RecordLike(doc, like);
}

void CUndoStack::SetOrder(std::vector<std::uint32_t> order) {
  if (m_undo.empty() || m_undo.back()->kind != CStep::Kind::kOrder) return;
  // The card now at i was at order[i]: undo sends it back there.
  m_undo.back()->order = std::move(order);
  m_undo.back()->scatter = true;
}

void CUndoStack::RecordRows(CVelumDoc& doc, const QString& label) {
  CStep like;
  like.label = label;
  like.kind = CStep::Kind::kRows;
  RecordLike(doc, like);
}

void CUndoStack::SetRowChanges(std::vector<CRemovedCard> removed, std::vector<std::uint32_t> added) {
  if (m_undo.empty() || m_undo.back()->kind != CStep::Kind::kRows) return;
  CStep& step = *m_undo.back();
  std::sort(removed.begin(), removed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::sort(added.begin(), added.end());
  for (const auto& r : removed) step.bytes += RowBytes(*r.second) + sizeof(r);
  step.bytes += added.size() * sizeof(std::uint32_t);
  step.removed = std::move(removed);
  step.added = std::move(added);
}

void CUndoStack::SetRowVisibility(std::vector<bool> shown) {
  if (m_undo.empty() || m_undo.back()->kind != CStep::Kind::kRows) return;
  m_undo.back()->bytes += shown.size() / 8;
  m_undo.back()->shown = std::move(shown);
}

void CUndoStack::SetRecording(bool on) {
  m_recording = on;
  if (!on) Clear();
}

void CUndoStack::DropLast() {
  if (!m_undo.empty()) m_undo.pop_back();
}

QString CUndoStack::UndoLabel() const { return m_undo.empty() ? QString() : m_undo.back()->label; }
QString CUndoStack::RedoLabel() const { return m_redo.empty() ? QString() : m_redo.back()->label; }

void CUndoStack::Restore(CVelumDoc& doc, CStep& step) {
  CCardStore& store = doc.Store();
  switch (step.kind) {
    case CStep::Kind::kWhole: {
      static_cast<CItemNameRow&>(store) = *step.names;
      // The store's rows were taken into the step that replaces this one, so
      // the rows move in without a copy.
      auto& all = store.AllCards();
      all = std::move(step.cards);
      auto& visible = store.VisibleCards();
      visible.clear();
      visible.reserve(step.visible.size());
      for (int i : step.visible) visible.push_back(all[std::size_t(i)].get());
      store.FileProperty() = step.fileProp;
      store.SortKeys() = step.sortKeys;
      store.FilterHistory() = step.filterHistory;
      CCardRow::NoteTextChange();
      break;
    }
    case CStep::Kind::kColumn:
      SwapColumn(store, step);
      // Texts of one item alone: the names and records stand, and the card
      // edits tell holders of computed values what changed.
      if (step.change == kColumnTexts) break;
      [[fallthrough]];
    case CStep::Kind::kRecords:
      // The names and records as they were; a step of the records leaves the
      // cards as they are.
      static_cast<CItemNameRow&>(store) = *step.names;
      store.FileProperty() = step.fileProp;
      store.SortKeys() = step.sortKeys;
      store.FilterHistory() = step.filterHistory;
      CCardRow::NoteTextChange();
      break;
    case CStep::Kind::kCard:
      if (CCardRow* row = store.AllCard(step.allIndex); row && step.card) RestoreRow(*row, *step.card);
      break;
    case CStep::Kind::kOrder: {
      auto& all = store.AllCardsToReorder();
      if (step.order.size() == all.size()) {
        std::vector<std::unique_ptr<CCardRow>> moved(all.size());
        for (std::size_t i = 0; i < all.size(); ++i) {
          if (step.scatter)
            moved[step.order[i]] = std::move(all[i]);
          else
            moved[i] = std::move(all[step.order[i]]);
        }
        all = std::move(moved);
      }
      store.SortKeys() = step.sortKeys;
      store.RebuildVisible();
      break;
    }
    case CStep::Kind::kRows: {
      // The visible flags as they stand, in this order, for the way back.
      std::vector<bool> now;
      if (!step.shown.empty()) {
        now.resize(std::size_t(store.AllCount()));
        for (int i = 0; i < store.AllCount(); ++i) now[std::size_t(i)] = store.AllCard(i)->Visible();
      }
      SwapRows(store, step);
      if (!step.shown.empty()) {
        for (int i = 0; i < store.AllCount() && std::size_t(i) < step.shown.size(); ++i)
          store.AllCard(i)->SetVisible(step.shown[std::size_t(i)]);
        store.RebuildVisible();
        step.shown = std::move(now);
      }
      break;
    }
    case CStep::Kind::kVisibility:
      for (int i = 0; i < store.AllCount() && std::size_t(i) < step.shown.size(); ++i)
        store.AllCard(i)->SetVisible(step.shown[std::size_t(i)]);
      store.FilterHistory() = step.filterHistory;
      store.SortKeys() = step.sortKeys;
      store.RebuildVisible();
      break;
  }
  doc.m_currentCard = step.currentCard;
  doc.m_currentItem = step.currentItem;
  doc.m_modified = step.modified;
}

void CUndoStack::SwapRows(CCardStore& store, CStep& step) {
  auto& all = store.AllCards();
  // The added cards go out, keeping their places for the way back.
  std::vector<CRemovedCard> out;
  std::vector<std::unique_ptr<CCardRow>> kept;
  kept.reserve(all.size());
  std::size_t a = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (a < step.added.size() && step.added[a] == i) {
      out.emplace_back(std::uint32_t(i), std::move(all[i]));
      ++a;
    } else {
      kept.push_back(std::move(all[i]));
    }
  }
  // The removed cards come back to their places.
  std::vector<std::uint32_t> back;
  std::vector<std::unique_ptr<CCardRow>> merged;
  merged.reserve(kept.size() + step.removed.size());
  std::size_t r = 0;
  for (std::size_t k = 0; k < kept.size() || r < step.removed.size();) {
    if (r < step.removed.size() && (step.removed[r].first == merged.size() || k == kept.size())) {
      back.push_back(std::uint32_t(merged.size()));
      merged.push_back(std::move(step.removed[r++].second));
    } else {
      merged.push_back(std::move(kept[k++]));
    }
  }
  all = std::move(merged);
  store.RebuildVisible();
  step.removed = std::move(out);
  step.added = std::move(back);
}

void CUndoStack::SwapColumn(CCardStore& store, CStep& step) {
  const int c = step.column;
  if (step.change == kColumnTexts) {
    // Its own inverse: the texts and quote flags held and the cards' trade
    // places (a save may have quoted an item since). Only those cards'
    // items change, each an edit of its own.
    for (std::size_t k = 0; k < step.places.size() && k < step.columnTexts.size(); ++k) {
      CCardRow& card = *store.AllCard(int(step.places[k]));
      QString now = card.Item(c).toString();
      const bool quoted = card.Quoted(c);
      card.SetItem(c, step.columnTexts[k]);
      card.SetQuoted(c, step.columnQuoted[k]);
      step.columnTexts[k] = std::move(now);
      step.columnQuoted[k] = quoted;
    }
    return;
  }
  auto& all = store.AllCards();
  switch (step.change) {
    case kColumnsSwapped:
      // Its own inverse.
      for (auto& card : all) SwapCardItems(*card, c, step.other);
      return;
    case kColumnTexts:  // taken above
      return;
    case kColumnAdded: {
      step.columnTexts.reserve(all.size());
      step.columnQuoted.reserve(all.size());
      bool texts = false;
      for (auto& card : all) {
        step.columnTexts.push_back(card->Item(c).toString());
        texts = texts || !step.columnTexts.back().isEmpty();
        step.columnQuoted.push_back(card->Quoted(c));
        card->DeleteItem(c);
      }
      // An item added and not yet filled (mostly) keeps no empty texts.
      if (!texts) step.columnTexts = {};
      step.change = kColumnRemoved;
      return;
    }
    case kColumnRemoved:
      for (std::size_t k = 0; k < all.size(); ++k) {
        CCardRow& card = *all[k];
        card.InsertEmptyItem(c);
        if (k < step.columnTexts.size() && !step.columnTexts[k].isEmpty()) card.SetItem(c, step.columnTexts[k]);
        if (k < step.columnQuoted.size()) card.SetQuoted(c, step.columnQuoted[k]);
      }
      step.columnTexts = {};
      step.columnQuoted = {};
      step.change = kColumnAdded;
      return;
  }
}

std::unique_ptr<CUndoStack::CStep> CUndoStack::Swap(CVelumDoc& doc, CStep& step) {
  std::unique_ptr<CStep> back = Capture(doc, step, true);
  Restore(doc, step);
  if (step.kind == CStep::Kind::kOrder) {
    // The same permutation taken the other way leads back.
    back->order = std::move(step.order);
    back->scatter = !step.scatter;
  } else if (step.kind == CStep::Kind::kColumn) {
    // SwapColumn left the step's inverse in it.
    back->change = step.change;
    back->columnTexts = std::move(step.columnTexts);
    back->columnQuoted = std::move(step.columnQuoted);
    back->places = std::move(step.places);
    back->bytes += ColumnBytes(back->columnTexts) + back->places.size() * sizeof(std::uint32_t);
  } else if (step.kind == CStep::Kind::kRows) {
    // SwapRows left the step's inverse in it.
    back->removed = std::move(step.removed);
    back->added = std::move(step.added);
    back->shown = std::move(step.shown);
    back->bytes += back->shown.size() / 8;
    for (const auto& r : back->removed) back->bytes += RowBytes(*r.second) + sizeof(r);
    back->bytes += back->added.size() * sizeof(std::uint32_t);
  }
  return back;
}

std::uint32_t CUndoStack::HintOf(const CStep& step) {
  switch (step.kind) {
    case CStep::Kind::kCard:
      // The texts of one card; the current card may have moved to it.
      return hint::kCardsChanged | 4;
    case CStep::Kind::kOrder:
    case CStep::Kind::kVisibility:
    case CStep::Kind::kRows:
      return hint::kWholeDocument;
    case CStep::Kind::kWhole:
    case CStep::Kind::kRecords:
    case CStep::Kind::kColumn:
      break;
  }
  return hint::kUndone;
}

QString CUndoStack::Undo(CVelumDoc& doc) {
  if (m_undo.empty()) return {};
  std::unique_ptr<CStep> step = std::move(m_undo.back());
  m_undo.pop_back();
  std::unique_ptr<CStep> back = Swap(doc, *step);
  m_viewHint = HintOf(*step);
  m_redo.push_back(std::move(back));
  return step->label;
}

QString CUndoStack::Redo(CVelumDoc& doc) {
  if (m_redo.empty()) return {};
  std::unique_ptr<CStep> step = std::move(m_redo.back());
  m_redo.pop_back();
  std::unique_ptr<CStep> back = Swap(doc, *step);
  m_viewHint = HintOf(*step);
  m_undo.push_back(std::move(back));
  return step->label;
}

void CUndoStack::Clear() {
  m_undo.clear();
  m_redo.clear();
}

void CUndoStack::NoteSaved() {
  for (auto& s : m_undo) s->modified = true;
  for (auto& s : m_redo) s->modified = true;
}
