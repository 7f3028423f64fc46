#pragma once

#include "formula/item_value_cache.h"

#include <QString>
#include <QStringView>

class CCardStore;
class CItemProperty;

// How the formula engine (formula_engine.h) reads a formula's text: the item
// functions and the text functions it looks for, the calls and references in
// it, and the graph of formula items that take in each other's formulas.

inline constexpr QStringView kRefOpen = u"%[";

// The text functions (text_functions.h): a formula that calls one, or STR,
// treats what it takes in as text.
inline constexpr QStringView kTextKeywords[] = {
    u"IFS",   u"STRADD", u"DATEADD", u"YEARS", u"NETWORKDAYS", u"DATEDIFF", u"DATESTR", u"LEFT",  u"MID",     u"RIGHT",
    u"LEN",   u"CALC",   u"INDEX",   u"YOUBI", u"REPLACE",     u"PAD",      u"TIME",    u"TIMESTR", u"DAYS", u"WORKDAY",
    u"WAREKI",
};

enum class ItemFn { kSum, kBefore, kAfter, kAverage, kMaxItem, kMinItem, kVarp, kNum, kSumTime };

struct CItemKeyword {
  QStringView name;
  ItemFn fn;
};
inline constexpr CItemKeyword kItemKeywords[] = {
    {u"SUM", ItemFn::kSum},         {u"BEFORE", ItemFn::kBefore},   {u"AFTER", ItemFn::kAfter},
    {u"AVERAGE", ItemFn::kAverage}, {u"MAXITEM", ItemFn::kMaxItem}, {u"MINITEM", ItemFn::kMinItem},
    {u"VARP", ItemFn::kVarp},       {u"NUM", ItemFn::kNum},         {u"SUMTIME", ItemFn::kSumTime},
};

// A call of an item function at `at` in a formula: where it ends (after its
// closing parenthesis, or the end of the text when it does not close) and the
// item name between the first "%[" of its argument and the "]" after it
// (null when the argument holds no such reference).
struct CItemCall {
  qsizetype end;
  QStringView name;
};
CItemCall ReadItemCall(const QString& text, qsizetype at, QStringView keyword);

// The item's own reference occurs in its formula other than as the argument
// of BEFORE or AFTER: the character before "%[" is skipped (the parenthesis),
// the keyword must stand before that.
bool SelfReferenced(QStringView formula, QStringView name);

// A text-function result in which the rest of the pass finds no call: no
// parenthesis, or one "STR(" text ")" with none inside, and not too long.
bool CallFree(QStringView text);

// Whether every parenthesis of the text is closed, none before it opens.
bool Balanced(QStringView text);
// Whether the text has an ASCII letter.
bool HasLetter(QStringView text);
// Every function is a keyword of letters followed by '(': a text without
// both calls none.
bool MayCall(QStringView text);
// Whether a formula counts what it takes in only as a number.
bool IsPure(QStringView formula);

// Every occurrence of the reference text[at, at + length) replaced by value,
// in one pass (none stands before at); false, text unchanged, when the
// result would pass kMaxFormulaText.
bool ReplaceFrom(QString& text, qsizetype at, qsizetype length, QStringView value);

// A formula item whose formula a reference takes in (not a linked item).
bool IsInlinedFormula(const CItemProperty& p);

// The references by which one formula item takes in another's formula
// (those outside the item functions, which take values), and from them the
// items that take in a cycle: found once, not per card.
void BuildItemGraph(const CCardStore& store, CItemValueCache& cache, CItemValueCache::CItemGraph& g);
