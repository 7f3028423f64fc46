#include "datetime/dtime.h"

#include "platform/clock.h"
#include "platform/prompt.h"

#include <ctime>

namespace {

const QString kFormatError = QStringLiteral("CDTime:Format エラー");

constexpr char16_t kWeekdayKanji[7] = {u'日', u'月', u'火', u'水', u'木', u'金', u'土'};
const char* const kWeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

}  // namespace

QStringView WeekdayKanji(int weekday) {
  if (weekday < 0 || weekday > 6) return {};
  return QStringView(&kWeekdayKanji[weekday], 1);
}

CDTime::CDTime(std::int64_t seconds) : m_time(seconds) { BreakDown(); }

CDTime::CDTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  m_time = static_cast<std::int64_t>(std::mktime(&tm));
  BreakDown();
}

CDTime::CDTime(const IClock& clock) : CDTime(static_cast<std::int64_t>(clock.Now().toSecsSinceEpoch())) {}

CDTime& CDTime::operator+=(std::int64_t seconds) {
  m_time += seconds;
  BreakDown();
  return *this;
}

void CDTime::BreakDown() {
  const auto t = static_cast<std::time_t>(m_time);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return;
  m_year = tm.tm_year + 1900;
  m_month = tm.tm_mon + 1;
  m_day = tm.tm_mday;
  m_hour = tm.tm_hour;
  m_minute = tm.tm_min;
  m_second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // a leap second reads as :59
  m_dayOfWeek = tm.tm_wday;
}

CDTime CDTime::NextMonth() const {
  const int m = m_month;
  const CDTime u = *this + std::int64_t{DaysInMonth(m_year, m)} * 86400;
  if (u.m_month == (m == 12 ? 1 : m + 1)) return u;
  // The day ran past the end of the next month: take that month's last day.
  int year = u.m_year;
  int month = u.m_month - 1;
  if (month < 1) {
    month = 12;
    --year;
  }
  return CDTime(year, month, DaysInMonth(year, month), m_hour, m_minute, m_second);
}

CDTime CDTime::PrevMonth() const {
  const int p = m_month == 1 ? 12 : m_month - 1;
  const int n = DaysInMonth(m_month == 1 ? m_year - 1 : m_year, p);
  const CDTime u = *this - std::int64_t{n} * 86400;
  if (u.m_month == p) return u;
  return CDTime(u.m_year, p, n, m_hour, m_minute, m_second);
}

QString CDTime::Format(QStringView pattern, IPrompt& prompt) const {
  QString out;
  out.reserve(pattern.size() + 16);
  const auto two = [&out](int v) { out += QString::asprintf("%02d", v); };
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (i + 1 >= pattern.size()) {
      prompt.Notice(kFormatError);
      break;
    }
    const QChar token = pattern[++i];
    switch (token.unicode()) {
      case u'Y':
        out += QString::asprintf("%04d", m_year);
        break;
      case u'm':
        two(m_month);
        break;
      case u'd':
        two(m_day);
        break;
      case u'H':
        two(m_hour);
        break;
      case u'M':
        two(m_minute);
        break;
      case u'S':
        two(m_second);
        break;
      case u'A':
        out += WeekdayKanji(m_dayOfWeek);
        break;
      case u'a':
        out += QLatin1StringView(kWeekdayNames[m_dayOfWeek]);
        break;
      case u'B':
        out += QLatin1StringView(kMonthNames[m_month - 1]);
        break;
      case u'b':
        out += QLatin1StringView(kMonthNames[m_month - 1], 3);
        break;
      case u'%':
        out += u'%';
        break;
      default:
        prompt.Notice(kFormatError);
        // A character outside the basic plane is one token, not half of one.
        if (token.isHighSurrogate() && i + 1 < pattern.size() && pattern[i + 1].isLowSurrogate()) ++i;
        break;
    }
  }
  return out;
}
