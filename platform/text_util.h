#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// Text helpers with the semantics of the C runtime functions the card logic was
// written against. They never depend on the user's locale.

// As wcstod: leading blanks (space, tab, LF, VT, FF, CR), an optional sign, digits
// with an optional decimal point, an optional exponent (e, E, d or D, with an
// optional sign and at least one digit). Reads the longest prefix of that form;
// *consumed (when given) receives its length, 0 when no number starts the text
// (the answer is then 0). Overflow gives +-HUGE_VAL.
double WcsToD(QStringView text, qsizetype* consumed = nullptr);

// As wcstol with a 32-bit long: blanks, sign, digits of the base (0: decimal,
// octal after "0", hexadecimal after "0x"; 16 also accepts "0x"). Out-of-range
// values are clamped to INT32_MIN / INT32_MAX.
std::int32_t WcsToL(QStringView text, int base = 10, qsizetype* consumed = nullptr);

// As CharUpperW: every UTF-16 unit to its simple Unicode upper case.
QString CharUpper(QStringView text);
// Simple Unicode lower case of every UTF-16 unit.
QString CharLower(QStringView text);

// As _wcsicmp: compares the lower-case forms unit by unit; <0, 0 or >0.
int WcsICmp(QStringView a, QStringView b);
// As _wcsnicmp: the same over at most n units.
int WcsNICmp(QStringView a, QStringView b, qsizetype n);
