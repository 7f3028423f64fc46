#include "japanese/wareki.h"

#include "datetime/date_insert_format.h"
#include "datetime/date_text.h"

namespace {

constexpr char16_t kKanjiDigits[] = u"〇一二三四五六七八九";

QChar EraLetter(QStringView name) {
  for (int i = 0; i < kEraCount; ++i)
    if (kEras[i].name == name) return kEras[i].letter;
  return QChar();
}

}  // namespace

QString KanjiNumber(int n) {
  if (n < 0) return QString::number(n);
  if (n < 10) return QString(QChar(kKanjiDigits[n]));
  if (n < 100) {
    QString s;
    if (n / 10 > 1) s += QChar(kKanjiDigits[n / 10]);
    s += u'十';
    if (n % 10) s += QChar(kKanjiDigits[n % 10]);
    return s;
  }
  QString s;
  for (const QChar c : QString::number(n)) s += QChar(kKanjiDigits[c.unicode() - u'0']);
  return s;
}

QString WarekiText(DateSerial date, int form) {
  const bool gannen = form >= 10;
  if (gannen) form -= 10;
  if (form < 0 || form > 3) return {};
  QStringView era;
  int eraYear = 0;
  if (!EraOfDate(date, &era, &eraYear)) return {};
  int y = 0;
  int m = 0;
  int d = 0;
  SerialToDate(date, &y, &m, &d);
  const bool first = gannen && eraYear == 1;
  switch (form) {
    case 0:
      return era.toString() + (first ? QStringLiteral("元") : QString::number(eraYear)) + u'年' + QString::number(m) +
             u'月' + QString::number(d) + u'日';
    case 1:
      return QString(EraLetter(era)) + QString::number(eraYear) + u'.' + QString::number(m) + u'.' + QString::number(d);
    case 2:
      return era.toString() + (first ? QStringLiteral("元") : QString::number(eraYear)) + u'年';
    default:
      return era.toString() + (first ? QStringLiteral("元") : KanjiNumber(eraYear)) + u'年' + KanjiNumber(m) + u'月' +
             KanjiNumber(d) + u'日';
  }
}
