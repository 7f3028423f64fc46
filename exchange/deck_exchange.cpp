#include "exchange/deck_exchange.h"

#include "core/card_file_checks.h"
#include "core/card_store.h"
#include "core/velum_doc.h"

CExchangeTable TableFromDeck(const CCardStore& store, const std::vector<int>& cards) {
  CExchangeTable table;
  const int items = store.ItemCount();
  for (int i = 0; i < items; ++i) table.names << store.Item(i).toString();
  std::vector<int> order = cards;
  if (order.empty())
    for (int n = 0; n < store.VisibleCount(); ++n) order.push_back(n);
  table.rows.reserve(order.size());
  for (int n : order) {
    if (n < 0 || n >= store.VisibleCount()) continue;
    QStringList row;
    row.reserve(items);
    for (int i = 0; i < items; ++i) row << store.GetItemValue(n, i);
    table.rows.push_back(std::move(row));
  }
  return table;
}

std::vector<CColumnKind> ColumnKinds(const CCardStore& store, const CExchangeTable& table) {
  std::vector<CColumnKind> kinds(std::size_t(table.names.size()), CColumnKind::kText);
  for (int c = 0; c < table.names.size(); ++c) {
    const qsizetype item = c < store.ItemCount() && store.Item(c) == table.names[c] ? c : -1;
    if (item >= 0 && (store.Property(int(item)).DigitGrouping() || store.Property(int(item)).HasFormula())) {
      kinds[c] = CColumnKind::kNumber;
      continue;
    }
    bool any = false, all = true;
    for (const QStringList& row : table.rows) {
      const QString& text = row.value(c);
      if (text.isEmpty()) continue;
      int y, m, d;
      if (!ParseCardDate(text, &y, &m, &d)) {
        all = false;
        break;
      }
      any = true;
    }
    if (any && all) kinds[c] = CColumnKind::kDate;
  }
  return kinds;
}

void FillDeck(CCardStore& store, const CExchangeTable& table) {
  CItemNameRow names;
  const int width = int(table.names.size());
  names.MakeEmpty(width);
  for (int i = 0; i < width; ++i) names.SetItem(i, table.names[i]);
  store.SetItemNames(names, false);
  store.FileProperty().m_firstLine = 1;
  auto& all = store.AllCards();
  all.reserve(table.rows.size());
  for (const QStringList& row : table.rows) {
    auto card = std::make_unique<CCardRow>();
    card->MakeEmpty(width);
    std::vector<std::pair<int, QString>> texts;
    for (int i = 0; i < width && i < row.size(); ++i)
      if (!row[i].isEmpty()) texts.emplace_back(i, row[i]);
    card->SetItems(texts);
    all.push_back(std::move(card));
  }
  if (all.empty()) store.AddCard(-1);
  store.RebuildVisible();
}

std::vector<int> MapColumnsByName(const CCardStore& store, const QStringList& names) {
  std::vector<int> map;
  for (const QString& name : names) {
    int found = -1;
    for (int i = 0; i < store.ItemCount() && found < 0; ++i)
      if (store.Item(i) == name) found = i;
    map.push_back(found);
  }
  return map;
}

void RemoveUnwritable(CVelumDoc& doc, std::vector<QStringList>& rows) {
  bool endMarks = false, escapes = false;
  for (QStringList& row : rows)
    for (QString& text : row) {
      endMarks = RemoveEndOfFileMarks(text) || endMarks;
      escapes = RemoveReaderEscapes(text) || escapes;
    }
  if (endMarks) doc.Services().prompt.Notice(msg::kEndOfFileRemoved);
  if (escapes) doc.Services().prompt.Notice(msg::kEscapesRemoved);
}

std::vector<std::unique_ptr<CCardRow>> CardsOfRows(const CCardStore& store, const std::vector<QStringList>& rows,
                                                   const std::vector<int>& columnToItem) {
  std::vector<std::unique_ptr<CCardRow>> cards;
  cards.reserve(rows.size());
  const int width = store.ItemCount();
  for (const QStringList& row : rows) {
    auto card = std::make_unique<CCardRow>();
    card->MakeEmpty(width);
    for (int i = 0; i < width; ++i) card->SetQuoted(i, store.Quoted(i));
    std::vector<std::pair<int, QString>> texts;
    for (std::size_t c = 0; c < columnToItem.size() && c < std::size_t(row.size()); ++c) {
      const int item = columnToItem[c];
      if (item >= 0 && item < width && !row[qsizetype(c)].isEmpty()) texts.emplace_back(item, row[qsizetype(c)]);
    }
    card->SetItems(texts);
    cards.push_back(std::move(card));
  }
  return cards;
}

void PutCards(CVelumDoc& doc, std::vector<std::unique_ptr<CCardRow>> cards, int at) {
  if (cards.empty()) return;
  CCardStore& store = doc.Store();
  const int count = int(cards.size());
  if (at < 0 || at >= store.VisibleCount()) {
    auto& all = store.AllCards();
    for (auto& card : cards) all.push_back(std::move(card));
    store.RebuildVisible();
    doc.MakeCurrent(store.VisibleCount() - 1);
  } else {
    // Before the same card, in one insertion into each list.
    const int allAt = store.FindAllIndex(at);
    std::vector<CCardRow*> rows;
    for (auto& card : cards) rows.push_back(card.get());
    auto& all = store.AllCards();
    all.insert(all.begin() + allAt, std::make_move_iterator(cards.begin()), std::make_move_iterator(cards.end()));
    auto& visible = store.VisibleCards();
    visible.insert(visible.begin() + at, rows.begin(), rows.end());
    doc.MakeCurrent(at + count - 1);
  }
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kWholeDocument);
}

int AppendRowsToDeck(CVelumDoc& doc, const CExchangeTable& table, const std::vector<int>& columnToItem,
                     const QString& label) {
  doc.StoreCards();
  if (table.rows.empty()) return 0;
  std::vector<QStringList> rows = table.rows;
  RemoveUnwritable(doc, rows);
  doc.UndoStack().Record(doc, label);
  PutCards(doc, CardsOfRows(doc.Store(), rows, columnToItem), -1);
  return int(table.rows.size());
}

void OpenTableAsNewDeck(CVelumDoc& doc, const CExchangeTable& table) {
  doc.OnNewDocument();
  CExchangeTable clean = table;
  std::vector<QStringList> names{clean.names};
  RemoveUnwritable(doc, names);
  clean.names = names[0];
  RemoveUnwritable(doc, clean.rows);
  FillDeck(doc.Store(), clean);
  doc.MakeFirstCurrent();
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kWholeDocument);
}
