#pragma once

#include "records/velum_sort.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

class CCardRow;
class CCardStore;

// Sorting reorders the all-cards list, hidden cards included, and rebuilds the
// visible list from it, so a filter stays in force with its cards in the new
// order. Texts, marks and visible flags stay; the positions of the visible
// cards are recorded afresh.

// The orders of a key.
enum SortOrder : std::int32_t {
  kTextAscending = 0,
  kNumberAscending = 1,
  kTextDescending = 2,
  kNumberDescending = 3,
  kYomiAscending = 4,   // the order of a Japanese dictionary (CYomiCollator)
  kYomiDescending = 5,
};
inline constexpr int kSortOrderCount = 6;

// The words of the six orders, in order 0 to 5: the single-key dialog's radio
// buttons, the several-keys dialog's drop-down entries, and the suffixes of its
// key list (each beginning with a space).
const QStringList& SortOrderRadioLabels();
const QStringList& SortOrderEntryLabels();
const QStringList& SortOrderSuffixes();
// The item list's extra entry for the mark; its index is the item count.
inline constexpr QStringView kMarkItemLabel = u"[マーク]";
// One line of the several-keys dialog's key list: the item's name (or
// "[マーク]") followed by the order's suffix. Empty for a key that names
// neither an item nor the mark or has no such order.
QString SortKeyLabel(const CCardStore& store, const CVelumSort& key);

// Whether a key can be used: an order of 0 to 5 and an item of the store or
// the mark. Other keys are ignored by the comparison and the sort.
bool IsUsableSortKey(const CCardStore& store, const CVelumSort& key);

// The order of two cards under the store's sort keys, key by key: the mark
// (orders 0, 1 and 4 ascending, 2, 3 and 5 descending), the texts compared as
// WcsICmp does (each unit lowered, then by code unit; a leading part comes
// first), the texts in よみ順 (CYomiCollator), or the numbers TextToNumber reads (1 or -1 when they differ). When
// every key ties, the positions decide (the sign of position of a - position of b).
int CompareCards(const CCardStore& store, const CCardRow& a, const CCardRow& b);

// The single-key sort: the store's keys become (item, order); when the item
// has a formula, RecalcAll first; then the sort proper.
// Each sort may hand back the order it made: order[i] is the all-cards index
// before the sort of the card now at i.
void SortByItem(CCardStore& store, int item, int order, std::vector<std::uint32_t>* made = nullptr);
// The several-keys sort: the store's keys become copies of keys (all three
// fields, in order); then the sort proper.
void SortByKeys(CCardStore& store, const CVelumSortArray& keys, std::vector<std::uint32_t>* made = nullptr);
// Whether a sort under keys stores computed values first (step 1 below),
// changing texts as well as the order.
bool SortRecalculates(const CCardStore& store, const std::vector<CVelumSort>& keys);

// The sort proper, under the store's keys:
// 1. When the item of any usable key has a formula, RecalcAll. (Recalculating
//    again for each later key gives the same texts, so it runs once.)
// 2. Every visible card's position becomes its index in the visible list;
//    hidden cards keep theirs.
// 3. The all-cards list is put in ascending order under CompareCards. Cards
//    that CompareCards still finds equal (only a hidden card can share its
//    position with another) keep their order before the sort, so the result
//    is the same whatever sorting method produces it; the keys' texts and
//    numbers are read once per card rather than once per comparison.
// 4. RebuildVisible.
// The caller sets the current card and tells the views; the modified flag is
// left alone.
void SortCards(CCardStore& store, std::vector<std::uint32_t>* made = nullptr);
