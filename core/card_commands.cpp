#include "core/card_commands.h"

#include "core/card_file.h"
#include "core/card_file_checks.h"
#include "core/card_store.h"
#include "core/digit_grouping.h"
#include "core/edit_messages.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "settings/settings.h"

#include <QSet>

#include <algorithm>
#include <unordered_set>

namespace {

IPrompt& Prompt(CVelumDoc& doc) { return doc.Services().prompt; }

// The targets that name a visible card, each once, in ascending order.
std::vector<int> ValidTargets(const CVelumDoc& doc, std::vector<int> targets) {
  std::erase_if(targets, [&](int n) { return n < 0 || n >= doc.VisibleCount(); });
  std::sort(targets.begin(), targets.end());
  targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
  return targets;
}

std::vector<int> DefaultTargets(const CVelumDoc& doc) {
  std::vector<int> targets = doc.TargetCardsOfItemList();
  if (targets.empty() && doc.VisibleCount() > 0) targets.push_back(doc.CurrentCard());
  return targets;
}

int LastVisible(const CVelumDoc& doc) { return std::max(doc.VisibleCount() - 1, 0); }

// Deletes the target cards (valid numbers), as DeleteCard one by one from the
// highest number down would, in one pass over each list; keeps at least one
// visible card and the current card in range.
void RemoveCards(CVelumDoc& doc, const std::vector<int>& targets, const QString& label) {
  CCardStore& store = doc.Store();
  doc.UndoStack().RecordRows(doc, label);
  const int current = doc.CurrentCard();
  std::unordered_set<const CCardRow*> doomed;
  for (int n : targets) doomed.insert(store.VisibleCard(n));
  std::erase_if(store.VisibleCards(), [&](const CCardRow* c) { return doomed.contains(c); });
  // The removed cards go to the undo step rather than away.
  std::vector<CUndoStack::CRemovedCard> removed;
  auto& all = store.AllCards();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (doomed.contains(all[i].get()))
      removed.emplace_back(std::uint32_t(i), std::move(all[i]));
    else
      all[kept++] = std::move(all[i]);
  }
  all.resize(kept);
  std::vector<std::uint32_t> added;
  if (store.VisibleCount() == 0 && store.AppendEmptyCard()) added.push_back(std::uint32_t(store.AllCount() - 1));
  doc.UndoStack().SetRowChanges(std::move(removed), std::move(added));
  doc.MakeCurrent(std::min(current, LastVisible(doc)));
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kCardsChanged);
}

// Tells the undo step recorded with RecordRows that the last count cards of
// the all-cards list are the ones the command added.
void NoteAddedAtEnd(CVelumDoc& doc, int count) {
  std::vector<std::uint32_t> added;
  for (int i = std::max(doc.Store().AllCount() - count, 0); i < doc.Store().AllCount(); ++i)
    added.push_back(std::uint32_t(i));
  doc.UndoStack().SetRowChanges({}, std::move(added));
}

bool IsInputFree(const CItemProperty& p) { return IsFormulaOrLinked(p); }

SheetRowsFormatter s_sheetRows = nullptr;

void PutOnClipboard(CVelumDoc& doc, const std::vector<int>& targets) {
  CWaitCursor wait(Prompt(doc));
  const QString sheetRows = s_sheetRows ? s_sheetRows(doc.Store(), targets) : QString();
  doc.Services().clipboard.SetCards(CardsToText(doc.Store(), targets), sheetRows);
}

}  // namespace

bool CommitItemText(CVelumDoc& doc, int card, int item, const QString& typed, QString* stored) {
  CCardStore& store = doc.Store();
  CCardRow* row = store.VisibleCard(card);
  if (!row || item < 0 || item >= row->ItemCount()) return false;
  QString text = store.Property(item).DigitGrouping() ? GroupDigits(typed) : typed;
  if (RemoveEndOfFileMarks(text)) Prompt(doc).Notice(msg::kEndOfFileRemoved);
  if (RemoveReaderEscapes(text)) Prompt(doc).Notice(msg::kEscapesRemoved);
  const bool quote = text.contains(u',') && !row->Quoted(item) && Prompt(doc).Question(edit_msg::kCommaQuestion);
  if (quote || text != row->Item(item) || !doc.IsModified()) doc.UndoStack().RecordCard(doc, card, undo_label::kSetText);
  if (quote) row->SetQuoted(item, true);
  row->SetItem(item, text);
  doc.SetModifiedFlag();
  if (stored) *stored = std::move(text);
  return true;
}

void AddCard(CVelumDoc& doc) {
  doc.StoreCards();
  doc.UndoStack().RecordRows(doc, undo_label::kAddCard);
  doc.Store().AddCard(-1);
  NoteAddedAtEnd(doc, 1);
  doc.MakeCurrent(LastVisible(doc));
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kCardAdded);
}

void InsertCard(CVelumDoc& doc) {
  doc.StoreCards();
  const int current = std::clamp(doc.CurrentCard(), 0, doc.VisibleCount());
  doc.UndoStack().RecordRows(doc, undo_label::kInsertCard);
  doc.Store().AddCard(current);
  const CCardStore& store = doc.Store();
  const CCardRow* added = store.VisibleCard(current);
  for (int i = 0; added && i < store.AllCount(); ++i) {
    if (store.AllCard(i) != added) continue;
    doc.UndoStack().SetRowChanges({}, {std::uint32_t(i)});
    break;
  }
  doc.MakeCurrent(current);
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kCardInserted);
}

int AddCardAtEnd(CVelumDoc& doc) {
  doc.StoreCards();
  if (ReadSetting(doc.Services().settings, settings::kCardAdd) == 1) {
    bool dontAsk = false;
    if (!Prompt(doc).QuestionWithCheck(edit_msg::kLastCardQuestion, edit_msg::kDontAskAgain, &dontAsk)) return -1;
    // Only an added card makes the box count: a Cancel never turns the question off.
    if (dontAsk) WriteSetting(doc.Services().settings, settings::kCardAdd, 0);
  }
  CCardStore& store = doc.Store();
  doc.UndoStack().RecordRows(doc, undo_label::kAddCard);
  store.AddCard(-1);
  NoteAddedAtEnd(doc, 1);
  doc.MakeCurrent(LastVisible(doc));
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kCardMoved);
  for (int i = 0; i < store.ItemCount(); ++i)
    if (!IsInputFree(store.Property(i))) return i;
  return 0;
}

bool DeleteCards(CVelumDoc& doc, std::vector<int> targets) {
  doc.StoreCards();
  targets = ValidTargets(doc, std::move(targets));
  if (targets.empty()) return false;
  if (!Prompt(doc).Question(edit_msg::kDeleteCards)) return false;
  RemoveCards(doc, targets, undo_label::kDeleteCards);
  return true;
}

bool DeleteCards(CVelumDoc& doc) { return DeleteCards(doc, DefaultTargets(doc)); }

QString CardsToText(const CCardStore& store, const std::vector<int>& cards) {
  QString text;
  for (int n : cards)
    if (const CCardRow* row = store.VisibleCard(n)) text += FormatInternalLine(*row);
  return text;
}

void CopyCards(CVelumDoc& doc, std::vector<int> targets) {
  doc.StoreCards();
  PutOnClipboard(doc, ValidTargets(doc, std::move(targets)));
}

void CopyCards(CVelumDoc& doc) { CopyCards(doc, DefaultTargets(doc)); }

bool CutCards(CVelumDoc& doc, std::vector<int> targets) {
  doc.StoreCards();
  if (doc.VisibleCount() < 2) return false;
  targets = ValidTargets(doc, std::move(targets));
  if (targets.empty()) return false;
  PutOnClipboard(doc, targets);
  RemoveCards(doc, targets, undo_label::kCutCards);
  return true;
}

bool CutCards(CVelumDoc& doc) { return CutCards(doc, DefaultTargets(doc)); }

std::vector<CCardRow> CardsFromText(const QString& text, int width) {
  std::vector<CCardRow> cards;
  qsizetype start = 0;
  while (true) {
    const qsizetype lf = text.indexOf(u'\n', start);
    if (lf < 0) break;
    QStringView piece = QStringView(text).mid(start, lf + 1 - start);
    start = lf + 1;
    // Text from other programs may end its lines with CR LF; the internal line
    // form never carries a bare CR, so the CR belongs to no item.
    QString line;
    if (piece.size() >= 2 && piece[piece.size() - 2] == u'\r')
      line = piece.chopped(2).toString() + u'\n';
    else
      line = piece.toString();
    CCardRow card;
    if (ParseLine(card, line) != ParseStatus::kOk || card.ItemCount() != width) continue;
    cards.push_back(std::move(card));
  }
  return cards;
}

namespace {
ForeignPasteHandler s_foreignPaste = nullptr;
}  // namespace

void SetForeignPasteHandler(ForeignPasteHandler handler) { s_foreignPaste = handler; }
void SetSheetRowsFormatter(SheetRowsFormatter formatter) { s_sheetRows = formatter; }

int PasteCards(CVelumDoc& doc) {
  doc.StoreCards();
  QString text = doc.Services().clipboard.Cards();
  if (text.isEmpty()) return 0;
  if (RemoveEndOfFileMarks(text)) Prompt(doc).Notice(msg::kEndOfFileRemoved);
  CCardStore& store = doc.Store();
  const std::vector<CCardRow> cards = CardsFromText(text, store.ItemCount());
  if (cards.empty()) {
    if (const int pasted = s_foreignPaste ? s_foreignPaste(doc, text, false) : -1; pasted >= 0) return pasted;
    Prompt(doc).Notice(edit_msg::kNothingToPaste);
    return 0;
  }
  // As InsertCopyAt card by card, each before the same card, in one insertion
  // into each list.
  const int at = std::clamp(doc.CurrentCard(), 0, doc.VisibleCount());
  doc.UndoStack().RecordRows(doc, undo_label::kPasteCards);
  const int allAt = at == store.VisibleCount() ? store.AllCount() : store.FindAllIndex(at);
  std::vector<std::unique_ptr<CCardRow>> copies;
  std::vector<CCardRow*> rows;
  for (const CCardRow& card : cards) {
    copies.push_back(std::make_unique<CCardRow>(card));
    rows.push_back(copies.back().get());
  }
  auto& all = store.AllCards();
  all.insert(all.begin() + allAt, std::make_move_iterator(copies.begin()), std::make_move_iterator(copies.end()));
  auto& visible = store.VisibleCards();
  visible.insert(visible.begin() + at, rows.begin(), rows.end());
  std::vector<std::uint32_t> added(rows.size());
  for (std::size_t k = 0; k < rows.size(); ++k) added[k] = std::uint32_t(allAt + int(k));
  doc.UndoStack().SetRowChanges({}, std::move(added));
  doc.MakeCurrent(at + int(rows.size()) - 1);
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kCardsChanged);
  return int(cards.size());
}

int AppendPasteCards(CVelumDoc& doc) {
  doc.StoreCards();
  QString text = doc.Services().clipboard.Cards();
  if (text.isEmpty()) return 0;
  if (RemoveEndOfFileMarks(text)) Prompt(doc).Notice(msg::kEndOfFileRemoved);
  CCardStore& store = doc.Store();
  const std::vector<CCardRow> cards = CardsFromText(text, store.ItemCount());
  if (cards.empty()) return s_foreignPaste ? std::max(s_foreignPaste(doc, text, true), 0) : 0;
  doc.UndoStack().RecordRows(doc, undo_label::kAppendPaste);
  // As AppendCardCopy card by card, with the visible list rebuilt once.
  auto& all = store.AllCards();
  for (const CCardRow& card : cards) all.push_back(std::make_unique<CCardRow>(card));
  store.RebuildVisible();
  NoteAddedAtEnd(doc, int(cards.size()));
  doc.MakeCurrent(LastVisible(doc));
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kWholeDocument);
  return int(cards.size());
}

bool UnifyItem(CVelumDoc& doc, int item, const QString& typed) {
  doc.StoreCards();
  CCardStore& store = doc.Store();
  if (item < 0 || item >= store.ItemCount()) return false;
  QString text = typed;
  if (RemoveEndOfFileMarks(text)) Prompt(doc).Notice(msg::kEndOfFileRemoved);
  if (RemoveReaderEscapes(text)) Prompt(doc).Notice(msg::kEscapesRemoved);
  // The shown cards whose text differs, by their places in the all-cards
  // list: the step keeps their texts.
  std::vector<std::uint32_t> places;
  for (int k = 0; k < store.AllCount(); ++k) {
    const CCardRow& row = *store.AllCard(k);
    if (row.Visible() && row.Item(item) != text) places.push_back(std::uint32_t(k));
  }
  doc.UndoStack().RecordTexts(doc, undo_label::kUnify, item, places);
  for (const std::uint32_t p : places) store.AllCard(int(p))->SetItem(item, text);
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kWholeDocument);
  return true;
}

bool EditHistory(CVelumDoc& doc, int item, QStringList* texts) {
  doc.StoreCards();
  texts->clear();
  const CCardStore& store = doc.Store();
  if (item < 0 || item >= store.ItemCount()) {
    Prompt(doc).Notice(edit_msg::kSelectItem);
    return false;
  }
  QSet<QString> seen;
  for (int n = store.VisibleCount() - 1; n >= 0; --n) {
    QString text = store.GetItemText(n, item).toString();
    if (seen.contains(text)) continue;
    seen.insert(text);
    texts->append(std::move(text));
  }
  return true;
}

bool ChooseHistoryText(CVelumDoc& doc, int item, const QString& text) {
  if (!CommitItemText(doc, doc.CurrentCard(), item, text)) return false;
  doc.UpdateAllViews(nullptr, hint::kRedraw);
  return true;
}

int InsertLineBreak(CVelumDoc& doc, int item, int caret) {
  CCardStore& store = doc.Store();
  if (item < 0 || item >= store.ItemCount()) return -1;
  if (store.Property(item).m_type == kItemChoice) {
    Prompt(doc).Notice(edit_msg::kNoBreakInChoice);
    return -1;
  }
  doc.StoreCards();
  const int card = doc.CurrentCard();
  if (!store.VisibleCard(card)) return -1;
  QString text = store.GetItemText(card, item).toString();
  const int at = std::clamp(caret, 0, int(text.size()));
  text.insert(at, QStringLiteral("\r\n"));
  doc.UndoStack().RecordCard(doc, card, undo_label::kLineBreak);
  store.SetItemText(card, item, text);
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kRedraw);
  return at + 2;
}
