#pragma once

#include "datetime/date_serial.h"

#include <QString>
#include <QStringView>

#include <compare>
#include <cstdint>

class IClock;
class IPrompt;

// The weekday as one kanji, 日 for 0 (Sunday) to 土 for 6.
QStringView WeekdayKanji(int weekday);

// One moment: seconds since 1970-01-01 00:00:00 UTC, broken down in the local
// time zone (TZ). The count is 64 bits wide, so moments past early 2038 do not
// wrap. Copied by value.
class CDTime {
 public:
  // The epoch.
  CDTime() : CDTime(std::int64_t{0}) {}
  // From local fields; daylight saving is decided by the platform. Fields out
  // of range are carried over (month 13 is January of the next year, day 0 the
  // last day of the month before).
  CDTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
  // The current moment of the clock.
  explicit CDTime(const IClock& clock);
  static CDTime FromSeconds(std::int64_t seconds) { return CDTime(seconds); }

  std::int64_t Seconds() const { return m_time; }

  CDTime& operator+=(std::int64_t seconds);
  CDTime& operator-=(std::int64_t seconds) { return *this += -seconds; }
  friend CDTime operator+(CDTime t, std::int64_t seconds) { return t += seconds; }
  friend CDTime operator-(CDTime t, std::int64_t seconds) { return t -= seconds; }
  // The seconds from b to a.
  friend std::int64_t operator-(const CDTime& a, const CDTime& b) { return a.m_time - b.m_time; }
  friend bool operator==(const CDTime& a, const CDTime& b) { return a.m_time == b.m_time; }
  friend std::strong_ordering operator<=>(const CDTime& a, const CDTime& b) { return a.m_time <=> b.m_time; }

  // Local broken-down fields.
  int Year() const { return m_year; }
  int Month() const { return m_month; }          // 1-12
  int Day() const { return m_day; }              // 1-31
  int Hour() const { return m_hour; }            // 0-23
  int Minute() const { return m_minute; }        // 0-59
  int Second() const { return m_second; }        // 0-59
  int DayOfWeek() const { return m_dayOfWeek; }  // 0 Sunday - 6 Saturday
  DateSerial Date() const { return DateToSerial(m_year, m_month, m_day); }

  // The same day of the next month at the same time of day, or that month's
  // last day when the day does not exist there (31 January gives 28 or 29
  // February).
  CDTime NextMonth() const;
  // The same for the previous month (31 March gives the last day of February).
  CDTime PrevMonth() const;

  // The pattern with each token replaced: %Y year "%04d", %m month, %d day,
  // %H hour, %M minute, %S second (each "%02d"), %A weekday kanji, %a "Sun"..,
  // %B "January".., %b "Jan".., %% a single %. Any other token (or a lone % at
  // the end) shows "CDTime:Format エラー" through the prompt, once per token,
  // and adds nothing; the rest of the pattern is still formatted.
  QString Format(QStringView pattern, IPrompt& prompt) const;

 private:
  explicit CDTime(std::int64_t seconds);
  void BreakDown();

  std::int64_t m_time = 0;
  int m_year = 1970;
  int m_month = 1;
  int m_day = 1;
  int m_hour = 0;
  int m_minute = 0;
  int m_second = 0;
  int m_dayOfWeek = 4;
};
