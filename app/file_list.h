#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The file list of the program's own file selection dialog: the filter, the
// entries of one folder, their order, and the check of the chosen name.

// One label of a filter and its patterns ("*.csv", "*.vcsv").
struct CFileFilter {
  QString label;
  QStringList patterns;
  // As Qt's file dialog takes it: "label (*.a *.b)", the label without a
  // parenthesised pattern text of its own.
  QString QtForm() const;
};

// "label|pat;pat|label|pat||": pairs up to a missing "|" or an empty rest. An
// empty filter is "全てのファイル|*.*||".
std::vector<CFileFilter> ParseFileFilter(const QString& filter);

// Whether a file name matches a pattern: "*" and "?" as wildcards, letters
// without regard to case (so *.KEY takes velum.key on a case-sensitive file
// system), and "*.*" taking names without a dot as well.
bool MatchesPattern(const QString& fileName, const QString& pattern);

struct CFileObj {
  QString name;       // without the extension (the whole name of a folder)
  QString extension;  // after the last dot
  bool folder = false;
  QString date;       // "yyyy/MM/dd hh:mm" of the last write
  std::uint32_t size = 0;
  bool IsParent() const { return folder && name == QStringLiteral(".."); }
  QString FullName() const;
  // Column texts: the name, folders in brackets; the size with thousands commas,
  // eight blanks for a folder.
  QString ShownName() const;
  QString SizeText() const;
};

// The entries of a folder: ".." unless it is the root, its folders, then the
// files matching any pattern of the filter; ".", hidden entries left out. A
// folder that cannot be read gives only "..".
std::vector<CFileObj> ListFolder(const QString& folder, const CFileFilter& filter);

// Sort columns: 0 name, 1 date, 2 size, 3 type (then name); mode 1 descending.
// ".." comes first, then folders, then files, whatever the order.
void SortFileList(std::vector<CFileObj>& entries, int column, int mode);
// A heading tapped: another column sorts ascending, the same column turns.
void ToggleSort(int column, int* sortItem, int* sortMode);

// The folder above (the root stays the root).
QString ParentFolder(const QString& folder);

// The path the name field chooses in the folder: none for an empty name or one
// with a "*" ("正しいファイル名を入力してください"); a name without a dot
// gets the default extension.
std::optional<QString> ChosenPath(const QString& folder, const QString& name, const QString& defaultExt);

namespace file_list_msg {
inline const QString kBadName = QStringLiteral("正しいファイル名を入力してください");
// %1: the path.
inline const QString kOverwrite = QStringLiteral("%1は既に存在しています。\n上書きしますか？");
inline const QString kAllFiles = QStringLiteral("全てのファイル|*.*||");
inline const QString kParentDate = QStringLiteral("1996/01/01 00:00");
}  // namespace file_list_msg
