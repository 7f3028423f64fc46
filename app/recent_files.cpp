#include "app/recent_files.h"

#include "settings/settings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

CRecentFileList::CRecentFileList(int maxCount) : m_max(std::clamp(maxCount, 0, kMaxEntries)) {}

void CRecentFileList::Load(const CSettingsStore& store) {
  m_files.clear();
  for (const QString& f : settings::ReadRecentFiles(store, m_max))
    if (!m_files.contains(f)) m_files << f;
}

void CRecentFileList::Save(CSettingsStore& store) const { settings::WriteRecentFiles(store, m_files, m_max); }

void CRecentFileList::Add(const QString& path) {
  if (path.isEmpty() || m_max == 0) return;
  m_files.removeAll(path);
  m_files.prepend(path);
  while (m_files.size() > m_max) m_files.removeLast();
}

void CRecentFileList::Remove(int i) {
  if (i >= 0 && i < m_files.size()) m_files.removeAt(i);
}

QString CRecentFileList::AbbreviatePath(const QString& path, int maxLength) {
  if (path.size() <= maxLength) return path;
  const qsizetype lastSlash = path.lastIndexOf(u'/');
  const QString name = lastSlash < 0 ? path : path.mid(lastSlash + 1);
  const QString root = path.startsWith(u'/') ? QStringLiteral("/") : QString();
  const QString dots = QStringLiteral("...");
  // The tail starts at a separator: "/last/name", and loses leading parts until it fits.
  qsizetype tailStart = path.indexOf(u'/', root.size());
  while (tailStart >= 0 && tailStart < lastSlash && root.size() + dots.size() + (path.size() - tailStart) > maxLength)
    tailStart = path.indexOf(u'/', tailStart + 1);
  if (tailStart < 0 || root.size() + dots.size() + (path.size() - tailStart) > maxLength) return name;
  return root + dots + path.mid(tailStart);
}

QString CRecentFileList::MenuText(int i, const QString& currentFolder) const {
  if (i < 0 || i >= m_files.size()) return {};
  const QString& path = m_files[i];
  const QFileInfo info(path);
  QString shown = !currentFolder.isEmpty() && QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(currentFolder)
                      ? info.fileName()
                      : AbbreviatePath(path, kMaxDisplayLength);
  shown.replace(u'&', QStringLiteral("&&"));
  const int number = i + 1;
  const QString prefix = number < 10 ? QStringLiteral("&%1 ").arg(number)
                                     : QStringLiteral("%1&%2 ").arg(number / 10).arg(number % 10);
  return prefix + shown;
}
