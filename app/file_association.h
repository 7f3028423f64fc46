#pragma once

#include <QString>
#include <QStringList>

// Registers Velum's file types for this user, in the user's own XDG folders
// only (never the system's):
//   $XDG_DATA_HOME/applications/velum.desktop      the program's desktop entry,
//                                                  offered for .csv and .vcsv
//   $XDG_DATA_HOME/mime/packages/velum.xml         the .vcsv type, application/x-velum-vcsv
//   $XDG_CONFIG_HOME/mimeapps.list                 the default application of a type
// Of mimeapps.list only the lines "text/csv=" and "application/x-velum-vcsv="
// of [Default Applications] are written; every other line stays as it was.
//
// Unforced (at start), Velum's own type gets Velum as its default when no
// mimeapps.list of the lookup (user's and system's) names one, and the
// desktop entry is written when none is installed; CSV files are only offered
// to Velum ("open with"), their default application is left alone. When all
// that is in place, nothing is written. Forced (the association command, which
// the user asks for), Velum becomes the default of both types.
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

// Whether the desktop opens CSV files with Velum: the first mimeapps.list of
// the lookup that names a default for text/csv names Velum first.
bool IsCsvDefault();
// Makes Velum the default application of CSV files (and writes its desktop
// entry when none is installed), or, off, takes Velum out of the user's
// default for them, so that the desktop's own choice applies again. Nothing
// is written when it is so already.
CAssociationResult SetCsvDefault(const QString& programPath, bool on);

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

// The first default application mimeapps.list text names for the type; empty
// when it names none.
QString DefaultApplication(const QString& mimeappsText, QStringView type);

// mimeapps.list text with desktopId first among the type's default
// applications, the ones named before kept after it, so that taking it out
// again brings them back.
QString PreferDefaultApplication(const QString& mimeappsText, QStringView type, QStringView desktopId);

// mimeapps.list text without desktopId among the type's default applications
// (a line left with none goes); the other lines kept as they were.
QString RemoveDefaultApplication(const QString& mimeappsText, QStringView type, QStringView desktopId);

}  // namespace association
