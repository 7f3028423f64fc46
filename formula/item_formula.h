#pragma once

#include "core/card_store.h"
#include "formula/formula_results.h"

#include <QString>
#include <QStringView>

// Item formulas on cards: the value every item has on every card.
//
// Card addressing: `card` counts in the visible list, or in the all-cards
// list when allCards is set. `display` asks for the number format of the
// screen: digit grouping where the item's record asks for it.
//
// A formula is expanded by text substitution (item functions SUM BEFORE AFTER
// AVERAGE MAXITEM MINITEM VARP NUM SUMTIME; references "%[name]" with CalcNull
// for empty texts; the text functions) and then evaluated; a text beginning
// with "STR(" is a text result. The common forms (arithmetic over references
// and BEFORE/AFTER, one text-function call) are compiled once per item and
// computed from that form wherever the card's values fit it, with the same
// results (compiled_formula.h). Errors are values, never messages
// (formula_results.h: kCircularReference, kFormulaError, kNoSuchItem,
// kLinkedToItself).
//
// A reference to a formula item takes in its formula, expanded once per card
// however often it is met. Where the formula that refers counts only numbers
// (it calls no text function and no STR), a formula item whose value is a
// number comes in as that number, written to read back exactly: the same
// result, without a text that doubles with every level of a chain. A formula
// whose text would still pass kMaxFormulaText gives kFormulaError.
//
// Results are remembered per store while the lists, the item records and
// (for results that read it) today's date stand still, so a value costs its
// computation once; an edit of an item drops only the results that read it,
// from the cards it reaches (item_dependencies.h). A running total over n
// cards (BEFORE) costs n steps in all, without recursion. References that
// form a cycle give
// kCircularReference instead of running on: formula items that take in each
// other's formulas (found once over the items, for the items on the ring and
// every item that takes one in), and cycles through BEFORE, AFTER, NUM,
// statistics, linked keys or stored texts that name themselves.

// The value of an item on a card: a linked item's looked-up value, a formula
// item's result, else the stored text. Empty for a card or item outside the
// store.
QString GetItemValue(const CCardStore& store, int card, bool allCards, int item, bool display);

// The result of a formula item's formula on a card, also for a linked item
// that has one.
QString EvaluateItemFormula(const CCardStore& store, int card, bool allCards, int item, bool display);

// The value an unnamed item without digit grouping would have on the card
// with the formula (velum-cli formula); it has no self-reference.
QString EvaluateFormulaText(const CCardStore& store, int card, bool allCards, QStringView formula, bool display);

// The numeric values (IsNumericText, TextToNumber) of an item over the visible
// cards, as GetItemValue shows them.
CColumnStatistics ComputeColumnStatistics(const CCardStore& store, int item);

// The item formulas as the value source of every store that has none of its
// own (GetItemValue, RecalcAll and AddCard of CCardStore). Programs call this
// once at start, beside CompleteFunctionCatalog.
void InstallItemFormulas();
const CCardStore::IValueSource& ItemFormulaSource();

