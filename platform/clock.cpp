#include "platform/clock.h"

#include <QRegularExpression>

QDateTime ParseFixedNow(const QString& text) {
  static const QRegularExpression re(
      QStringLiteral("^\\s*(\\d{4})/(\\d{1,2})/(\\d{1,2})\\s+(\\d{1,2}):(\\d{1,2}):(\\d{1,2})\\s*$"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return {};
  const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
  if (!d.isValid() || !t.isValid()) return {};
  return QDateTime(d, t, Qt::LocalTime);
}

CSystemClock::CSystemClock() {
  const QByteArray fixed = qgetenv("VELUM_NOW");
  if (!fixed.isEmpty()) m_fixed = ParseFixedNow(QString::fromUtf8(fixed));
}

QDateTime CSystemClock::Now() const {
  return m_fixed.isValid() ? m_fixed : QDateTime::currentDateTime();
}
