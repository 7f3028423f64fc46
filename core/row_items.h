#pragma once

#include "core/card_row.h"

#include <utility>

// Exchanges the texts and quote flags of items a and b of one card, in one
// rebuild (moving an item, and taking that back).
inline void SwapCardItems(CCardRow& card, int a, int b) {
  const bool qa = card.Quoted(a);
  const bool qb = card.Quoted(b);
  card.SetItems({{a, card.Item(b).toString()}, {b, card.Item(a).toString()}});
  card.SetQuoted(a, qb);
  card.SetQuoted(b, qa);
}
