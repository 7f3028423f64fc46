#pragma once

#include <QString>
#include <QStringView>

// Number texts of the formula engine, independent of the user's locale.

// The value of a number text: a `\` (the yen sign of the Japanese character
// set) in the first position is skipped, every `,` is dropped, and the longest
// leading part that reads as a decimal floating-point number is converted (as
// WcsToD). Trailing characters are ignored; a text with no number reads as 0.
// "\1,234" -> 1234, "-1,5" -> -15, "abc" -> 0.
double TextToNumber(QStringView text);

// The value written as printf's "%.<precision>g" does in the C locale
// (precision 10 is the evaluator's "%.10g", 6 is "%g"). Infinities and NaN are
// written "inf", "-inf", "nan" and "-nan".
QString FormatDouble(double value, int precision = 10);

// "%.10g" with a `,` between each group of three digits of the integer part:
// 1234567.25 -> "1,234,567.25", -1234 -> "-1,234", 999 -> "999". A text that
// "%.10g" writes in exponent form (magnitudes of 1e10 and above or below 1e-4)
// or that is no number (inf, nan) is written unchanged, since separators
// inside a mantissa would read as a different number.
QString FormatGrouped(double value);
