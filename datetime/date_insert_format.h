#pragma once

#include "datetime/date_serial.h"

#include <QString>

class CDTime;
class CSettingsStore;

// The thirteen options of the date-time insertion (section DateOpt).
struct CDateOptions {
  bool year = false;                   // include the year
  bool year4 = false;                  // all its digits, else its last two
  bool nengo = false;                  // as a Japanese era year
  bool month = true;                   // include the month
  bool day = true;                     // include the day
  bool week = true;                    // append the weekday kanji in parentheses
  bool nengappi = false;               // 年 月 日 after the parts instead of the mark
  QString mark = QStringLiteral("/");  // separator of the date parts
  bool hour = false;                   // include the hour
  bool minute = false;                 // include the minute
  bool timeKanji = false;              // 時 and 分 after the parts instead of ':'
  bool time24 = true;                  // 24-hour clock, else 12-hour
  int timeAmPm = 0;                    // mark of the 12-hour clock: 0 none, 1 AM/PM, 2 午前/午後
};

// Every option read from the settings, each with its default.
CDateOptions ReadDateOptions(const CSettingsStore& store);
// Writes all thirteen values, as the options dialog does on OK.
void WriteDateOptions(CSettingsStore& store, const CDateOptions& options);

// The Japanese era year of a date: 明治 to 1912-07-29, 大正 to 1926-12-24, 昭和
// to 1989-01-07, 平成 to 2019-04-30, then 令和; the first year is written 元
// (平成元, 令和元), later ones with their number (令和8).
QString EraYearText(DateSerial date);
// The era of a date as EraYearText finds it: its name and the number of the
// year in it (1 the first year). False before 明治 began (1868-01-01).
bool EraOfDate(DateSerial date, QStringView* name, int* year);

// The date text: year, month, day with the mark or 年月日, the weekday, and
// with nengo the era year of EraYearText in front. Empty when every part is
// off.
QString ComposeDate(const CDTime& t, const CDateOptions& options);
// The time text: the hour (unpadded; on the 12-hour clock after its mark, the
// hours after noon less 12) and the minute (unpadded), with ':' or 時分.
QString ComposeTime(const CDTime& t, const CDateOptions& options);
// The date text and, when the hour or the minute is on, a space and the time.
QString ComposeDateTime(const CDTime& t, const CDateOptions& options);
