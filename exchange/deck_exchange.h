#pragma once

#include "exchange/exchange_table.h"
#include "exchange/xlsx_writer.h"

#include <QString>

#include <memory>
#include <vector>

class CCardRow;
class CCardStore;
class CVelumDoc;

// Between a deck and the neutral table of the other formats.

// The item names and the texts the views show (formulas computed, digits
// grouped) of the given visible cards, in that order; every visible card when
// cards is empty.
CExchangeTable TableFromDeck(const CCardStore& store, const std::vector<int>& cards = {});

// How each item goes into a spreadsheet: items with digit grouping or a
// formula as numbers; items whose every text in table is a date (and there is
// one) as dates; everything else, postal codes and telephone numbers above
// all, as text.
std::vector<CColumnKind> ColumnKinds(const CCardStore& store, const CExchangeTable& table);

// The store becomes a new deck of the table: its names as the items (written
// as the file's first line), one card per row.
void FillDeck(CCardStore& store, const CExchangeTable& table);

// For each column of names, the item of the store of that name, or -1.
std::vector<int> MapColumnsByName(const CCardStore& store, const QStringList& names);

// Removes from the texts what a card file cannot hold and read back (the
// end-of-file mark, U+0001-U+0004), telling the user once for each kind, as
// typing them would.
void RemoveUnwritable(CVelumDoc& doc, std::vector<QStringList>& rows);

// One card per row, column c going to item columnToItem[c] (-1: left out);
// items no column feeds stay empty.
std::vector<std::unique_ptr<CCardRow>> CardsOfRows(const CCardStore& store, const std::vector<QStringList>& rows,
                                                   const std::vector<int>& columnToItem);

// Puts cards into the deck: before visible card `at`, or at the end when at
// is -1. The last card put in becomes current, the document is marked
// modified and the views hear of it. The caller records the undo step first.
void PutCards(CVelumDoc& doc, std::vector<std::unique_ptr<CCardRow>> cards, int at);

// Appends the rows of table as cards (CardsOfRows), as one undo step (label).
// Answers the cards appended.
int AppendRowsToDeck(CVelumDoc& doc, const CExchangeTable& table, const std::vector<int>& columnToItem,
                     const QString& label);

// The document becomes a new, unsaved deck of the table (the caller has asked
// about unsaved changes); the first card is current.
void OpenTableAsNewDeck(CVelumDoc& doc, const CExchangeTable& table);
