#pragma once

#include <QString>
#include <QStringList>

class CSettingsStore;

// The recent-file list of the file menu: the newest first, each path once,
// at most maxCount (0 to 16, the menu's command numbers 57616-57631). Kept in
// the settings section "Recent File List" as File1, File2, ...
class CRecentFileList {
 public:
  static constexpr int kMaxEntries = 16;
  // Files shown in full up to this length, shortened with "..." beyond.
  static constexpr int kMaxDisplayLength = 40;

  explicit CRecentFileList(int maxCount);

  int MaxCount() const { return m_max; }
  void Load(const CSettingsStore& store);
  // Writes every slot up to the maximum; slots past the list become empty.
  void Save(CSettingsStore& store) const;

  // Puts path at the front; an equal path (exact compare) moves there instead
  // of appearing twice; the oldest beyond the maximum drops off.
  void Add(const QString& path);
  // Ignored for an index outside the list.
  void Remove(int i);
  const QStringList& Files() const { return m_files; }

  // Entry i as the menu shows it: "&1 name" ("1&0 " for the tenth). A file in
  // currentFolder shows its name only; any other its path, shortened to
  // kMaxDisplayLength characters as "/.../last/folders/name" (only the name
  // when even that is too long). Every '&' of the name is doubled. Empty for
  // an index outside the list.
  QString MenuText(int i, const QString& currentFolder) const;

  // A path shortened to at most maxLength characters: the root, "...", and as
  // many of the last parts as fit; the name alone when nothing else fits.
  static QString AbbreviatePath(const QString& path, int maxLength);

 private:
  int m_max;
  QStringList m_files;
};
