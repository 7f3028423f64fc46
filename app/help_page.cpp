#include "app/help_page.h"

#include <QDir>
#include <QFileInfo>

QString HelpPagePath(const QString& applicationDir) {
  QStringList candidates;
  if (!applicationDir.isEmpty())
    candidates << QDir(applicationDir).filePath(QStringLiteral("../share/velum/docs/velum.html"));
#ifdef VELUM_SOURCE_DIR
  candidates << QStringLiteral(VELUM_SOURCE_DIR "/docs/velum.html");
#endif
  for (const QString& c : candidates) {
    const QFileInfo info(c);
    if (info.isFile()) return QDir::cleanPath(info.absoluteFilePath());
  }
  return {};
}
