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

// A result written so that the formula engine can read it again: plain
// digits, never an exponent, for every value with at most 15 integer digits.
// Up to `precision` significant digits as printf's "%.<precision>g" writes
// them (precision 10 is the evaluator's "%.10g"), but an integer digit is
// never rounded away: 12345678901 stays 12345678901, 0.00001234 is written
// "0.00001234", 123456.7 "123456.7". -0 is written "0". Values of 10^15 and
// above (and below 10^-200) keep printf's exponent form; infinities and NaN
// are written "inf", "-inf", "nan" and "-nan" (the evaluator never delivers
// them). Independent of the user's locale.
QString FormatDouble(double value, int precision = 10);
// FormatDouble of a whole number below 10^15 written into `into`, whose
// buffer is kept when it is no one else's: false (into unchanged) for any
// other value.
bool FormatWholeInto(double value, QString& into);

// A text of nothing but one to 15 ASCII digits, a `-` before them allowed,
// read as the number it is, as TextToNumber and WcsToD read it: false (out
// unchanged) for any other text.
bool ReadWholeDigits(QStringView text, double* out);

// FormatDouble (10 digits) with a `,` between each group of three digits of
// the integer part: 1234567.25 -> "1,234,567.25", -1234 -> "-1,234", 999 ->
// "999", 12345678901 -> "12,345,678,901". A text in exponent form or that is
// no number (inf, nan) is written unchanged, since separators inside a
// mantissa would read as a different number.
QString FormatGrouped(double value);

// The population variance from the mean of the squares and the mean, as
// meanOfSquares - mean^2, with the residue of rounding dropped: a difference
// that is negative or below 10^-14 of the mean of the squares (where the
// subtraction has no digit left that is not noise) is 0. Three values of 0.1
// give 0, not -1.7e-18.
double PopulationVariance(double meanOfSquares, double mean);
