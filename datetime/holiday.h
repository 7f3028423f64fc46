#pragma once

#include <cstdint>

class CSettingsStore;

// Which holiday rules the calendar, the working-day functions and the
// date-time insertion follow (setting System/HolidayRules).
enum class HolidayRules : std::uint32_t {
  // The national holiday law as it stands: every holiday from 20 July 1948 on,
  // with its changes of date, the one-off days (the ceremonies of 1959, 1989,
  // 1990, 1993 and 2019), the moves of 2019 to 2021, substitute holidays and
  // 国民の休日.
  kCurrentLaw = 0,
  // The older fixed rule set that stored results of some files were computed
  // with (see IsHoliday below); kept so that those results do not change.
  kClassic = 1,
};

// The rules the one-argument forms below follow, for the whole process. The
// program sets them from the settings at start (ApplyHolidayRulesSetting) and
// when the settings sheet changes them; the default is the current law.
void SetHolidayRules(HolidayRules rules);
HolidayRules ActiveHolidayRules();
// The rules named by System/HolidayRules (0 current law, 1 classic; any other
// value is the current law).
HolidayRules ReadHolidayRules(const CSettingsStore& store);
void ApplyHolidayRulesSetting(const CSettingsStore& store);

// Whether the date is a day off by law, Sundays as such not included.
//
// Current law: a national holiday, a substitute holiday (from 12 April 1973
// the Monday after a holiday that falls on a Sunday; from 2007 the first
// following day that is no holiday itself), or a day between two holidays
// that is no holiday itself (from 27 December 1985; before 2007 not on a
// Sunday or a substitute day). The equinox days follow the usual formula,
// which matches every published year. There are no holidays before 20 July
// 1948.
//
// Classic:
// - every year 1/1, 2/11, 4/29, 5/3, 5/4, 5/5, 11/3, 11/23 and 12/23;
// - before 2000 1/15 and 10/10, from 2000 the second Monday of January and of
//   October;
// - before 2003 9/15, and 7/20 from 1996; from 2003 the third Monday of July
//   and of September;
// - the equinox days by the fixed-point approximation of VernalEquinoxDay.
// No substitute holidays (IsDayOff adds the Monday after a Sunday holiday).
//
// The date is not validated; the weekday is that of the calendar date.
bool IsHoliday(int year, int month, int day);
bool IsHoliday(int year, int month, int day, HolidayRules rules);

// A holiday, or a Sunday when countSundays is set. Under the classic rules
// also the Monday after a Sunday that is a holiday (never carried further).
// Saturdays are not days off here.
bool IsDayOff(int year, int month, int day, bool countSundays);
bool IsDayOff(int year, int month, int day, bool countSundays, HolidayRules rules);

// The equinox days of the classic rules, in March and in September:
// v = year * 242194 - floor((year - 1980) / 4) * 1000000, vernal
// (v - 458701020) / 1000000, autumnal (v - 456295320) / 1000000.
int VernalEquinoxDay(int year);
int AutumnalEquinoxDay(int year);

// The equinox days of the current law: the published days, which the usual
// formula gives for 1948 to 2099 in three spans of years; its last span
// (from 2100) goes on beyond 2150.
int VernalEquinoxDayByLaw(int year);
int AutumnalEquinoxDayByLaw(int year);
