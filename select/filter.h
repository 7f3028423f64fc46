#pragma once

#include <QStringList>

class CCardStore;

// Filtering hides the cards that do not match the store's search request by
// clearing their visible flags; the visible list is then rebuilt from the
// flags. The flags are the whole filter state.

// True while some card is hidden.
bool IsFiltered(const CCardStore& store);

// The AND step: every visible card stays visible when it matches the request
// (MatchCard with restart, forwards) and is hidden otherwise. Answers the
// number of matching cards; when none matched, every card (also those hidden
// before) becomes visible and the answer is 0.
int NarrowVisible(CCardStore& store);
// The OR step: every hidden card that matches becomes visible. Answers how many
// did; 0 and no change when no card is hidden.
int WidenVisible(CCardStore& store);
// Every card visible.
void ShowAllCards(CCardStore& store);
// Every card's visible flag flipped.
void InvertVisible(CCardStore& store);

// The words the filter dialog's drop-down offers for an item: the item's texts
// over the visible cards (visibleOnly, the AND method) or every card, in order
// without regard to case (WcsICmp, exact order among those it finds equal), each
// text that exactly equals the one before it left out. Empty for an item
// outside the store.
QStringList FilterWordList(const CCardStore& store, int item, bool visibleOnly);
