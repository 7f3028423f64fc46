#pragma once

#include "formula/formula_results.h"

#include <QString>

class CCardStore;
class CItemValueCache;

// The engine behind the item formulas (item_formula.h): it computes values of
// one store into the store's value cache, which it owns the contents of; the
// cache is told of nothing but what the engine sets. A value that needs
// another computed value not yet known does not recurse: the engine computes
// those first on a stack of its own. Cards count in the all-cards list.

// The value of an item on a card.
QString ComputeNode(const CCardStore& store, CItemValueCache& cache, int card, int item, bool display);
// The result of a formula on a card, as the value of ownItem (-1: an unnamed
// item without self-reference) with or without digit grouping.
QString ComputeFormula(const CCardStore& store, CItemValueCache& cache, int card, const QString& formula, int ownItem,
                       bool display, bool grouping);
// The numeric values of an item over the visible cards.
CColumnStatistics ComputeStatistics(const CCardStore& store, CItemValueCache& cache, int item);

// Whether formula items whose formulas allow it are computed from a form
// compiled once per item (the default) rather than by expanding their text on
// every card; the results are the same. For tests that compare the two.
void UseCompiledFormulas(bool on);
