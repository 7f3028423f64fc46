#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

class IClock;

// The date and time functions of item formulas. Each takes its argument text
// (inner calls already computed, "STR(" wrappers removed) and answers the text
// that replaces the call. Dates are read with NormalizeDateText (form 0) and
// ParseDateText, so they must lie in the years 1873 to 9999; numeric
// arguments are computed with Evaluate, which reads the clock for NOW.
//
// Date results are "%d/%02d/%02d" wrapped as "STR(" date ")"; counts are
// "%d", not wrapped. Invalid input gives the empty text, the empty text result
// "STR()" or "日付変換エラー" as each function says; none shows a message.

inline constexpr QStringView kDateConversionError = u"日付変換エラー";

// DATEADD(unit, interval, date): unit "\"yyyy\"", "\"m\"" or "\"d\"" (with the
// quotes, any case). Years and months keep the day inside the month
// (2010/01/31 plus one month is 2010/02/28, 2012/02/29 plus one year
// 2013/02/28). Other than three arguments: ""; an invalid date or unit, or a
// result before year 1: "STR()". An interval that does not evaluate is 0.
QString DateAdd(QStringView args, const IClock& clock);

// DATEDIFF(unit, date1, date2): date2 - date1 in completed years, completed
// months or days; "" for other than three arguments, an invalid date or unit.
QString DateDiff(QStringView args, const IClock& clock);
// The same for its three arguments apart (blanks at their ends ignored): the
// difference, or nullopt where DateDiff gives "".
std::optional<std::int64_t> DateDifference(QStringView unit, QStringView date1, QStringView date2);

// YEARS(date1, date2): the completed years between them; YEARS(date): the
// completed years from the date to today (an age). "" for other than two
// arguments after a comma; "日付変換エラー" for an invalid date.
QString Years(QStringView args, const IClock& clock);

// DAYS(date): the day serial of the date; nullopt when the date is not valid,
// which stops the whole text-function pass of the formula.
std::optional<QString> Days(QStringView args);

// DATESTR(expression): the date of the day serial the expression computes
// (truncated toward zero), wrapped; "" when it does not evaluate or the
// serial is below 1 (no day), so that the formula fails.
QString DateStr(QStringView args, const IClock& clock);

// YOUBI(date): "STR(" weekday kanji ")"; "" for an invalid date.
QString Youbi(QStringView args);

// WAREKI(date[,form]): the date in its Japanese era (WarekiText), wrapped;
// an empty text for a date before the eras or an unknown form, "" for an
// unreadable date.
QString Wareki(QStringView args);

// NETWORKDAYS(date1, date2, holidays...): the working days from the earlier
// to the later date, both included: not Saturday or Sunday, no holiday by
// IsHoliday of the active rules (under the current law substitute holidays
// and 国民の休日 too) and none of the valid holiday arguments. "" for fewer than two arguments or an invalid date.
QString NetworkDays(QStringView args, const IClock& clock);

// WORKDAY(date, days, holidays...): counting working days from the date
// itself, the day after the n-th one, wrapped; the date itself for n <= 0 (or
// an n that does not evaluate). "" for fewer than two arguments, "STR()" for
// an invalid date, and "STR()" when the n-th working day lies beyond the last
// supported year, so that a huge n ends at once instead of walking on.
QString WorkDay(QStringView args, const IClock& clock);

// TIME(text): seconds of "s", "m:s" or "h:m:s" (each part a leading
// integer); 0 for any other number of parts.
std::int64_t TimeSeconds(QStringView text);
inline QString Time(QStringView args) { return QString::number(TimeSeconds(args)); }

// TIMESTR(expression): the seconds the expression computes, truncated, as
// "h:mm:ss", or "h:mm" when the seconds are 0; hours are not limited to 23.
// Wrapped; "" when it does not evaluate or is negative, so that the formula
// fails.
QString TimeStr(QStringView args, const IClock& clock);
