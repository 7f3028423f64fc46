#pragma once

#include "core/card_store.h"

#include <QStringView>

#include <cstdint>
#include <vector>

// Which formula items may change value, and on which cards, when the stored
// text of one item changes on one card. Found from the formula texts alone:
// a formula reads every item it names, and it reads them in every way the
// item-function keywords that occur anywhere in its text allow (BEFORE: the
// cards after the edit; AFTER: the cards before; SUM, AVERAGE, MAXITEM,
// MINITEM, VARP, SUMTIME: every card). Through another formula item, named or
// taken in, the reaches compose.
//
// That holds only while every text a formula takes in while it expands (a
// stored text, a neighbour's value, a statistic) can form no new reference and
// no new item-function call: see MayRewriteFormula. A store with a linked item
// reads another file and has no known dependencies at all.
class CItemDependencies {
 public:
  enum class Reach : std::uint8_t { kNone, kCard, kLater, kEarlier, kAll };
  struct CReader {
    int item;
    Reach reach;
  };

  explicit CItemDependencies(const CCardStore& store);

  bool Known() const { return m_known; }
  // The computed items whose value may follow a change of item's stored text.
  const std::vector<CReader>& Readers(int item) const { return m_readers[item]; }

  // The cards [first, last) whose value may change, of allCount, for a
  // change on card.
  static void Range(Reach reach, int card, int allCount, int* first, int* last);

 private:
  bool m_known = true;
  std::vector<std::vector<CReader>> m_readers;
};

// Whether text, put into an expanding formula between the characters before
// and after (null when at an end), could make a reference or an item-function
// call that the formula does not hold itself. wholeText: check its inside as
// well (a stored text or a value); otherwise only how it meets its
// neighbours, stray reference brackets and parentheses that do not close (a
// formula taken in, whose own calls count for the formula).
bool MayRewriteFormula(QStringView text, QChar before, QChar after, bool wholeText);
