#pragma once

#include <QString>
#include <QStringView>

// Date texts as users type them: Western years, Japanese era years (name or
// initial letter), 年月日 and many separators, read into one normal form.

// The span of valid date texts: from 1873, the first year of the Gregorian
// calendar in Japan, to the last year with four digits.
inline constexpr int kFirstValidYear = 1873;
inline constexpr int kLastValidYear = 9999;

struct CEra {
  QStringView name;  // two characters
  QChar letter;      // upper case
  int baseYear;      // the year before the era's first year
};
// The eras in the order in which date texts try them.
extern const CEra kEras[];
extern const int kEraCount;

// Normal forms of NormalizeDateText.
inline constexpr int kDateFormSlash = 0;  // 2010/09/25
inline constexpr int kDateFormKanji = 1;  // 2010年09月25日

// 1873 <= year <= 9999, 1 <= month <= 12 and 1 <= day <= the days of the month.
bool IsValidDate(int year, int month, int day);

// Reads year/month/day: the leading integers (as wcstol reads them) of the text
// before the first '/', between it and the next '/', and after that. Anything
// after the day's digits is ignored (2010/9/25 12:00 reads day 25). True only
// for a valid date; *year, *month and *day are meaningful only then.
bool ParseDateText(QStringView text, int* year, int* month, int* day);

// The normal text of a date text. Never fails:
// - an empty text gives an empty text;
// - a bare month and day "#月#日", "#月##日" or "##月#日" (# one digit) gives
//   the month and day with two digits each, unvalidated, whatever the form;
// - a text that ParseDateText reads as it stands is that date;
// - otherwise 年 and 月 become '/', 日 goes, and . , - and the full-width
//   ． ， － ／ become '/'; a leading era name or letter with its year becomes
//   the Western year (平成22 and H22 give 2010; 元 counts as 1); the result is
//   parsed with ParseDateText. A valid date comes back as "%4d/%02d/%02d" for
//   form 0, "%4d年%02d月%02d日" for form 1, and as the input text unchanged for
//   any other form. An unreadable or invalid date comes back unchanged.
// So a normal form reads back as the date of the text it came from, and
// normalising it again changes nothing.
QString NormalizeDateText(QStringView text, int form);
