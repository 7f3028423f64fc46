#include "datetime/date_insert_format.h"

#include "datetime/dtime.h"
#include "settings/settings.h"

namespace {

// The first day of each era, newest first. An era begins on that calendar
// day (昭和64 is the whole of 7 January 1989, 平成 begins on 8 January).
struct CEraStart {
  int year, month, day;
  const char16_t* name;
};
constexpr CEraStart kEraStarts[] = {
    {2019, 5, 1, u"令和"}, {1989, 1, 8, u"平成"}, {1926, 12, 25, u"昭和"}, {1912, 7, 30, u"大正"}, {1868, 1, 1, u"明治"},
};

}  // namespace

QString EraYearText(DateSerial date) {
  int y = 0;
  int m = 0;
  int d = 0;
  SerialToDate(date, &y, &m, &d);
  const CEraStart* era = &kEraStarts[std::size(kEraStarts) - 1];
  for (const CEraStart& e : kEraStarts) {
    if (date >= DateToSerial(e.year, e.month, e.day)) {
      era = &e;
      break;
    }
  }
  const int number = y - era->year + 1;
  return QString::fromUtf16(era->name) + (number == 1 ? QStringLiteral("元") : QString::number(number));
}

bool EraOfDate(DateSerial date, QStringView* name, int* year) {
  for (const CEraStart& e : kEraStarts) {
    if (date >= DateToSerial(e.year, e.month, e.day)) {
      int y = 0;
      int m = 0;
      int d = 0;
      SerialToDate(date, &y, &m, &d);
      *name = e.name;
      *year = y - e.year + 1;
      return true;
    }
  }
  return false;
}

CDateOptions ReadDateOptions(const CSettingsStore& store) {
  CDateOptions o;
  o.year = ReadSetting(store, settings::kDateYear) != 0;
  o.year4 = ReadSetting(store, settings::kDateYear4) != 0;
  o.nengo = ReadSetting(store, settings::kDateNengo) != 0;
  o.month = ReadSetting(store, settings::kDateMonth) != 0;
  o.day = ReadSetting(store, settings::kDateDay) != 0;
  o.week = ReadSetting(store, settings::kDateWeek) != 0;
  o.nengappi = ReadSetting(store, settings::kDateNengappi) != 0;
  o.mark = ReadSetting(store, settings::kDateMark);
  o.hour = ReadSetting(store, settings::kDateHour) != 0;
  o.minute = ReadSetting(store, settings::kDateMinute) != 0;
  o.timeKanji = ReadSetting(store, settings::kDateTimeKanji) != 0;
  o.time24 = ReadSetting(store, settings::kDateTime24) != 0;
  o.timeAmPm = static_cast<int>(ReadSetting(store, settings::kDateTimeAMPM));
  return o;
}

void WriteDateOptions(CSettingsStore& store, const CDateOptions& o) {
  WriteSetting(store, settings::kDateYear, o.year ? 1 : 0);
  WriteSetting(store, settings::kDateYear4, o.year4 ? 1 : 0);
  WriteSetting(store, settings::kDateNengo, o.nengo ? 1 : 0);
  WriteSetting(store, settings::kDateMonth, o.month ? 1 : 0);
  WriteSetting(store, settings::kDateDay, o.day ? 1 : 0);
  WriteSetting(store, settings::kDateWeek, o.week ? 1 : 0);
  WriteSetting(store, settings::kDateNengappi, o.nengappi ? 1 : 0);
  WriteSetting(store, settings::kDateMark, o.mark);
  WriteSetting(store, settings::kDateHour, o.hour ? 1 : 0);
  WriteSetting(store, settings::kDateMinute, o.minute ? 1 : 0);
  WriteSetting(store, settings::kDateTimeKanji, o.timeKanji ? 1 : 0);
  WriteSetting(store, settings::kDateTime24, o.time24 ? 1 : 0);
  WriteSetting(store, settings::kDateTimeAMPM, static_cast<std::uint32_t>(o.timeAmPm));
}

QString ComposeDate(const CDTime& t, const CDateOptions& o) {
  QString s;
  if (o.year && !o.nengo) {
    const QString year = QString::number(t.Year());
    s += o.year4 ? year : year.right(2);
    if (o.nengappi) {
      s += u'年';
    } else if (o.month || o.day) {
      s += o.mark;
    }
  }
  if (o.month) {
    s += QString::asprintf("%02d", t.Month());
    if (o.nengappi) {
      s += u'月';
    } else if (o.day) {
      s += o.mark;
    }
  }
  if (o.day) {
    s += QString::asprintf("%02d", t.Day());
    if (o.nengappi) s += u'日';
  }
  if (o.week) s += u'(' + WeekdayKanji(t.DayOfWeek()).toString() + u')';
  if (o.year && o.nengo) {
    QString era = EraYearText(t.Date());
    era += o.nengappi ? QStringLiteral("年") : o.mark;
    s.prepend(era);
  }
  return s;
}

QString ComposeTime(const CDTime& t, const CDateOptions& o) {
  QString s;
  if (o.hour) {
    const int h = t.Hour();
    if (o.time24) {
      s += QString::number(h);
    } else {
      if (o.timeAmPm == 1) {
        s += h < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
      } else if (o.timeAmPm == 2) {
        s += h < 12 ? QStringLiteral("午前") : QStringLiteral("午後");
      }
      s += QString::number(h < 13 ? h : h - 12);
    }
    if (o.timeKanji) {
      s += u'時';
    } else if (o.minute) {
      s += u':';
    }
  }
  if (o.minute) {
    s += QString::number(t.Minute());
    if (o.timeKanji) s += u'分';
  }
  return s;
}

QString ComposeDateTime(const CDTime& t, const CDateOptions& o) {
  QString s = ComposeDate(t, o);
  if (o.hour || o.minute) s += u' ' + ComposeTime(t, o);
  return s;
}
