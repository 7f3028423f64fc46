#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Text operations shared by the item formulas and their text functions.

// The position of the first keyword directly followed by `(`, the keyword
// compared without regard to case (keywords are given in capitals); -1 when
// there is none.
qsizetype FindCall(QStringView text, QStringView keyword);

// Whether text equals the keyword (in capitals) without regard to case.
bool EqualsKeyword(QStringView text, QStringView keyword);

// For the `(` at open: the position of the `)` that closes it, parentheses
// counted; -1 when the text ends first.
qsizetype ClosingParen(QStringView text, qsizetype open);

// Arguments split at the commas that stand outside parentheses. An empty text
// gives one empty argument; a text that ends with a comma has an empty last
// argument.
QStringList SplitArguments(QStringView text);

// Every "STR(" (in capitals) ... ")" replaced by what it encloses, repeatedly;
// an unclosed one loses its "STR(" and keeps the rest.
QString UnwrapStr(QString text);

// "STR(" text ")": a text result that stays text in an enclosing call.
QString WrapStr(QStringView text);

// printf's "%d" of an integer.
inline QString IntText(long long value) { return QString::number(value); }

// The leading integer of a text, as the platform's wide text-to-long
// conversion reads it (blanks, sign, digits; none gives 0).
int LeadingInt(QStringView text);

// The longest text a formula may build: texts that would grow beyond it
// (padding, replacing, expanding references) are refused rather than
// allocated.
inline constexpr qsizetype kMaxFormulaText = qsizetype(1) << 22;
