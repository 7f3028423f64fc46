#pragma once

#include <QString>
#include <QStringList>

// Makes Velum the program that opens .csv and .vcsv files for this user, in
// the user's own XDG folders only (never the system's):
//   $XDG_DATA_HOME/applications/velum.desktop      the program's desktop entry
//   $XDG_DATA_HOME/mime/packages/velum.xml         the .vcsv type, application/x-velum-vcsv
//   $XDG_CONFIG_HOME/mimeapps.list                 the default application of both types
// Of mimeapps.list only the lines "text/csv=" and "application/x-velum-vcsv="
// of [Default Applications] are written; every other line stays as it was.
//
// Unforced (at start), a type that already has a default application in any
// mimeapps.list of the lookup (user's and system's) is left alone; when both
// are, nothing is written. Forced (the association command), both are written.
// Each file is written whole or not at all: on a failure (a full disk) the
// old file stays, the files after it are not written, and error says which
// file and why ("PATH: reason"). Afterwards update-mime-database and
// update-desktop-database are run on the user's folders when they are
// installed; their failure is silent.
struct CAssociationResult {
  bool ok = true;
  QString error;        // what could not be written, when !ok
  QStringList written;  // the files written, in order
};
CAssociationResult RegisterFileTypes(const QString& programPath, bool force);

namespace association {

inline constexpr QStringView kDesktopId = u"velum.desktop";
inline constexpr QStringView kCsvType = u"text/csv";
inline constexpr QStringView kVcsvType = u"application/x-velum-vcsv";
// %1: the program's path.
inline const QString kProgramPathUnusable = QStringLiteral("プログラムのパス「%1」はデスクトップエントリに書けません");

// The Exec line's program, quoted as desktop entries require when it holds
// blanks or other reserved characters ("%" doubled). Empty when the path
// cannot stand in a desktop entry (a line break).
QString ExecProgram(const QString& programPath);

// mimeapps.list text with the default application of each type set to
// desktopId; the other lines kept as they were.
QString SetDefaultApplications(const QString& mimeappsText, const QStringList& types, QStringView desktopId);

// Whether mimeapps.list text names a default application for the type.
bool HasDefaultApplication(const QString& mimeappsText, QStringView type);

}  // namespace association
