#pragma once

#include <QString>

#include <vector>

class CCardStore;
class CVelumDoc;

// Pasting rows copied from a spreadsheet (cells split by tabs, as every
// spreadsheet puts them on the clipboard) as cards.
//
// When the first row names items of the deck (it looks like item names and
// at least one of them is an item's), the columns go to the items of those
// names and the row itself is no card; columns that name no item are offered
// as new items (a Yes/No question; No leaves them out). Otherwise the
// columns go to the items in order; a row with fewer cells leaves the last
// items empty, and rows with more cells than the deck has items are named in
// a question (OK pastes them without the extra cells, Cancel pastes nothing).
// The cards go before the current card (append: after the last), as one undo
// step with the items added. Answers the cards pasted, 0 when the user
// cancelled, -1 when text is no such rows.
int PasteTabRows(CVelumDoc& doc, const QString& text, bool append);

// The given visible cards as a spreadsheet pastes them: the item names in the
// first row, then a row per card of the texts the views show, split by tabs.
QString CardsAsTabRows(const CCardStore& store, const std::vector<int>& cards);

// Makes the card paste commands hand such text to PasteTabRows, and card
// copies put CardsAsTabRows beside their own form.
void InstallRowPaste();
