#include "core/undo_stack.h"

#include "core/card_store.h"
#include "core/velum_doc.h"
#include "settings/settings.h"

#include <unordered_map>
#include <vector>

struct CUndoStack::CStep {
  QString label;
  bool whole = true;
  std::size_t bytes = 0;  // what the step holds (Bytes)
  int currentCard = 0;
  int currentItem = 0;
  bool modified = false;
  // A step of the whole document.
  std::unique_ptr<CItemNameRow> names;
  std::vector<std::unique_ptr<CCardRow>> cards;
  std::vector<int> visible;
  CVelumProperty fileProp;
  CVelumSortArray sortKeys;
  CVelumSelectSet filterHistory;
  // A step of one card: its place in the all-cards list and its copy.
  int allIndex = -1;
  CCardRow card;
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

std::vector<int> VisibleIndexes(const CCardStore& store) {
  std::unordered_map<const CCardRow*, int> index;
  index.reserve(std::size_t(store.AllCount()));
  for (int i = 0; i < store.AllCount(); ++i) index.emplace(store.AllCard(i), i);
  std::vector<int> visible;
  visible.reserve(std::size_t(store.VisibleCount()));
  for (int n = 0; n < store.VisibleCount(); ++n) visible.push_back(index.at(store.VisibleCard(n)));
  return visible;
}

}  // namespace

CUndoStack::CUndoStack() = default;
CUndoStack::~CUndoStack() = default;

std::unique_ptr<CUndoStack::CStep> CUndoStack::Capture(CVelumDoc& doc, const CStep& like, bool takeCards) {
  CCardStore& store = doc.Store();
  auto step = std::make_unique<CStep>();
  step->label = like.label;
  step->whole = like.whole;
  step->currentCard = doc.CurrentCard();
  step->currentItem = doc.CurrentItem();
  step->modified = doc.IsModified();
  if (!step->whole) {
    step->allIndex = like.allIndex;
    if (const CCardRow* row = store.AllCard(like.allIndex)) step->card = *row;
    step->bytes = sizeof(CStep) + step->card.HeapBytes();
    return step;
  }
  step->names = std::make_unique<CItemNameRow>(store);
  step->visible = VisibleIndexes(store);
  if (takeCards) {
    step->cards = std::move(store.AllCards());
  } else {
    step->cards.reserve(std::size_t(store.AllCount()));
    for (int i = 0; i < store.AllCount(); ++i) step->cards.push_back(std::make_unique<CCardRow>(*store.AllCard(i)));
  }
  step->bytes = sizeof(CStep) + RowBytes(*step->names) + step->visible.size() * sizeof(int);
  for (const auto& row : step->cards) step->bytes += RowBytes(*row);
  step->fileProp = store.FileProperty();
  step->sortKeys = store.SortKeys();
  step->filterHistory = store.FilterHistory();
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
  const int limit = int(ReadSetting(doc.Services().settings, settings::kUndoSteps));
  if (limit <= 0) m_undo.clear();
  return limit;
}

void CUndoStack::Record(CVelumDoc& doc, const QString& label) {
  const int limit = Limit(doc);
  if (limit <= 0) return;
  CStep like;
  like.label = label;
  Push(Capture(doc, like, false), limit, MaxBytes(doc));
}

void CUndoStack::RecordCard(CVelumDoc& doc, int card, const QString& label) {
  const int limit = Limit(doc);
  if (limit <= 0) return;
  CStep like;
  like.label = label;
  like.whole = false;
  like.allIndex = AllIndexOf(doc.Store(), doc.Store().VisibleCard(card));
  if (like.allIndex < 0) return;
  Push(Capture(doc, like, false), limit, MaxBytes(doc));
}

void CUndoStack::DropLast() {
  if (!m_undo.empty()) m_undo.pop_back();
}

QString CUndoStack::UndoLabel() const { return m_undo.empty() ? QString() : m_undo.back()->label; }
QString CUndoStack::RedoLabel() const { return m_redo.empty() ? QString() : m_redo.back()->label; }

void CUndoStack::Restore(CVelumDoc& doc, CStep& step) {
  CCardStore& store = doc.Store();
  if (step.whole) {
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
  } else if (CCardRow* row = store.AllCard(step.allIndex)) {
    // In place: the visible list points at this row.
    *row = step.card;
  }
  doc.m_currentCard = step.currentCard;
  doc.m_currentItem = step.currentItem;
  doc.m_modified = step.modified;
  CCardRow::NoteChange();
}

std::unique_ptr<CUndoStack::CStep> CUndoStack::Swap(CVelumDoc& doc, CStep& step) {
  std::unique_ptr<CStep> back = Capture(doc, step, true);
  Restore(doc, step);
  return back;
}

QString CUndoStack::Undo(CVelumDoc& doc) {
  if (m_undo.empty()) return {};
  std::unique_ptr<CStep> step = std::move(m_undo.back());
  m_undo.pop_back();
  std::unique_ptr<CStep> back = Swap(doc, *step);
  m_redo.push_back(std::move(back));
  return step->label;
}

QString CUndoStack::Redo(CVelumDoc& doc) {
  if (m_redo.empty()) return {};
  std::unique_ptr<CStep> step = std::move(m_redo.back());
  m_redo.pop_back();
  std::unique_ptr<CStep> back = Swap(doc, *step);
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
