#pragma once

// Japanese national holidays, Sundays not included:
// - every year 1/1, 2/11, 4/29, 5/3, 5/4, 5/5, 11/3, 11/23 and 12/23;
// - before 2000 1/15 and 10/10, from 2000 the second Monday of January and of
//   October;
// - before 2003 9/15, and 7/20 from 1996; from 2003 the third Monday of July
//   and of September;
// - the vernal (March) and autumnal (September) equinox days by the usual
//   fixed-point approximation.
// The date is not validated; the weekday is that of the calendar date.
bool IsHoliday(int year, int month, int day);

// A holiday, a Sunday when countSundays is set, or a Monday after a Sunday
// that is a holiday (the substitute holiday, never carried further).
// Saturdays are not days off here.
bool IsDayOff(int year, int month, int day, bool countSundays);

// The equinox days of the year in March and in September.
int VernalEquinoxDay(int year);
int AutumnalEquinoxDay(int year);
