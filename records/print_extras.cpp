#include "records/print_extras.h"

#include "settings/settings_store.h"

#include <QFileInfo>
#include <QUrl>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kSection = u"PrintLayout"_s;
const QString kFileKey = u"file"_s;
const QString kLandscapeKey = u"landscape"_s;
const QString kWidthKey = u"width:"_s;

QString Encode(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }
QString Decode(QStringView text) { return QUrl::fromPercentEncoding(text.toLatin1()); }

QString Key(const QString& cardPath) { return cardPath.isEmpty() ? QString() : QFileInfo(cardPath).absoluteFilePath(); }

}  // namespace

QString PrintExtrasText(const QString& cardPath, const CPrintExtras& extras) {
  if (!extras.IsSet()) return {};
  QStringList parts{kFileKey + u'=' + Encode(cardPath)};
  if (extras.landscape) parts << kLandscapeKey + u"=1"_s;
  for (auto it = extras.widths.cbegin(); it != extras.widths.cend(); ++it)
    parts << kWidthKey + Encode(it.key()) + u'=' + QString::number(it.value(), 'g', 6);
  return parts.join(u';');
}

bool ParsePrintExtras(const QString& text, QString* cardPath, CPrintExtras* extras) {
  *extras = {};
  cardPath->clear();
  bool named = false;
  for (QStringView part : QStringView(text).split(u';', Qt::SkipEmptyParts)) {
    const qsizetype eq = part.indexOf(u'=');
    if (eq < 0) return false;
    const QStringView key = part.left(eq), value = part.mid(eq + 1);
    if (key == kFileKey) {
      *cardPath = Decode(value);
      named = true;
    } else if (key == kLandscapeKey) {
      extras->landscape = value == u"1";
    } else if (key.startsWith(kWidthKey)) {
      bool ok = false;
      const double mm = value.toDouble(&ok);
      // A width no paper holds, or none at all, is left to the contents.
      if (ok && std::isfinite(mm) && mm > 0 && mm <= kMaxPrintWidthMM)
        extras->widths.insert(Decode(key.mid(kWidthKey.size())), mm);
    }
    // Words of a later version are passed over.
  }
  return named;
}

CPrintExtras ReadPrintExtras(const CSettingsStore& settings, const QString& cardPath) {
  const QString key = Key(cardPath);
  if (key.isEmpty()) return {};
  QString path;
  CPrintExtras extras;
  if (!ParsePrintExtras(settings.GetProfileString(kSection, key, QString()), &path, &extras) || path != key) return {};
  return extras;
}

bool WritePrintExtras(CSettingsStore& settings, const QString& cardPath, const CPrintExtras& extras) {
  const QString key = Key(cardPath);
  if (key.isEmpty()) return false;
  const QString text = PrintExtrasText(key, extras);
  if (settings.GetProfileString(kSection, key, QString()) == text) return true;
  return settings.WriteProfileString(kSection, key, text);
}
