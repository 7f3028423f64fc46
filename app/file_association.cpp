#include "app/file_association.h"

#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>

using namespace association;

namespace {

constexpr QStringView kGroup = u"[Default Applications]";
constexpr int kToolTimeoutMs = 20000;

// The text of a file; a missing file reads as empty. False, with "PATH:
// reason" in *error, when the file exists but cannot be read, so that it is
// never replaced by one that lacks the user's lines.
bool ReadText(const QString& path, QString* text, QString* error = nullptr) {
  text->clear();
  QFile f(path);
  if (!f.exists()) return true;
  errno = 0;
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = path + QStringLiteral(": ") + (errno != 0 ? SystemReason(errno) : f.errorString());
    return false;
  }
  *text = QString::fromUtf8(f.readAll());
  if (f.error() != QFileDevice::NoError) {
    if (error) *error = path + QStringLiteral(": ") + f.errorString();
    return false;
  }
  return true;
}

// Makes a folder and the folders above it; "PATH: reason" of the first that
// cannot be made, or an empty text.
QString MakeFolders(const QString& folder) {
  if (QFileInfo(folder).isDir()) return {};
  if (const QString parent = QFileInfo(folder).absolutePath(); parent != folder)
    if (const QString error = MakeFolders(parent); !error.isEmpty()) return error;
  if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && errno != EEXIST)
    return folder + QStringLiteral(": ") + SystemReason(errno);
  return {};
}

// Writes the file through a checked commit: on any failure the old file stays
// whole and the result says which file and why.
bool WriteAtomically(const QString& path, const QString& text, CAssociationResult* result) {
  QString error = MakeFolders(QFileInfo(path).absolutePath());
  if (error.isEmpty()) error = WriteFileSafely(path, text.toUtf8());
  if (!error.isEmpty()) {
    result->ok = false;
    result->error = error;
    return false;
  }
  result->written << path;
  return true;
}

QString DesktopEntry(const QString& exec) {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Velum\n"
             "Comment=カード型データベース\n"
             "Exec=%1 %F\n"
             "Icon=velum\n"
             "Terminal=false\n"
             "Categories=Office;Database;\n"
             "MimeType=text/csv;application/x-velum-vcsv;\n")
      .replace(QStringLiteral("%1"), exec);
}

QString MimePackage() {
  return QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-velum-vcsv\">\n"
      "    <comment>VCSVファイル</comment>\n"
      "    <glob pattern=\"*.vcsv\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n");
}

// Every mimeapps.list the lookup reads: the user's and the system's configuration
// folders, then the applications folders of the data folders.
QStringList MimeappsLists() {
  QStringList lists;
  for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
    lists << dir + QStringLiteral("/mimeapps.list");
  for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    lists << dir + QStringLiteral("/applications/mimeapps.list");
  return lists;
}

bool AnyDefaultApplication(QStringView type) {
  QString text;
  for (const QString& path : MimeappsLists())
    if (ReadText(path, &text) && HasDefaultApplication(text, type)) return true;
  return false;
}

// Runs a database tool on a folder when it is installed; its outcome does not matter.
void RunTool(const QString& program, const QString& folder) {
  const QString exe = QStandardPaths::findExecutable(program);
  if (exe.isEmpty()) return;
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(exe, {folder});
  if (p.waitForStarted() && !p.waitForFinished(kToolTimeoutMs)) {
    p.kill();
    p.waitForFinished();
  }
}

// The key of a "key=value" line, trimmed; empty for other lines.
QStringView KeyOf(QStringView line) {
  const qsizetype eq = line.indexOf(u'=');
  return eq < 0 ? QStringView() : line.left(eq).trimmed();
}

bool IsGroupHeader(QStringView line) { return line.trimmed().startsWith(u'['); }

}  // namespace

namespace association {

QString ExecProgram(const QString& programPath) {
  if (programPath.contains(u'\n') || programPath.contains(u'\r')) return {};
  static const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
  bool quote = false;
  for (QChar c : programPath) quote = quote || kReserved.contains(c);
  QString exec = programPath;
  if (quote) {
    QString inner;
    for (QChar c : programPath) {
      if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') inner += u'\\';
      inner += c;
    }
    exec = u'"' + inner + u'"';
  }
  // The value of a desktop entry's key escapes its own backslashes once more.
  exec.replace(u'\\', QStringLiteral("\\\\"));
  exec.replace(u'%', QStringLiteral("%%"));
  return exec;
}

QString DefaultApplication(const QString& mimeappsText, QStringView type) {
  bool inGroup = false;
  for (QStringView line : QStringView(mimeappsText).split(u'\n')) {
    if (IsGroupHeader(line)) {
      inGroup = line.trimmed() == kGroup;
      continue;
    }
    if (!inGroup || KeyOf(line).compare(type, Qt::CaseInsensitive) != 0) continue;
    const QStringView value = line.mid(line.indexOf(u'=') + 1);
    for (QStringView id : value.split(u';'))
      if (!id.trimmed().isEmpty()) return id.trimmed().toString();
  }
  return {};
}

bool HasDefaultApplication(const QString& mimeappsText, QStringView type) {
  return !DefaultApplication(mimeappsText, type).isEmpty();
}

QString PreferDefaultApplication(const QString& mimeappsText, QStringView type, QStringView desktopId) {
  QStringList ids{desktopId.toString()};
  bool inGroup = false;
  for (QStringView line : QStringView(mimeappsText).split(u'\n')) {
    if (IsGroupHeader(line)) {
      inGroup = line.trimmed() == kGroup;
      continue;
    }
    if (!inGroup || KeyOf(line).compare(type, Qt::CaseInsensitive) != 0) continue;
    for (QStringView id : line.mid(line.indexOf(u'=') + 1).split(u';', Qt::SkipEmptyParts))
      if (!id.trimmed().isEmpty() && !ids.contains(id.trimmed().toString())) ids << id.trimmed().toString();
  }
  if (ids.size() == 1) return SetDefaultApplications(mimeappsText, {type.toString()}, desktopId);
  return SetDefaultApplications(mimeappsText, {type.toString()}, ids.join(u';') + u';');
}

QString RemoveDefaultApplication(const QString& mimeappsText, QStringView type, QStringView desktopId) {
  QStringList lines = mimeappsText.split(u'\n');
  bool inGroup = false;
  for (qsizetype i = 0; i < lines.size();) {
    const QString& line = lines[i];
    if (IsGroupHeader(line)) {
      inGroup = QStringView(line).trimmed() == kGroup;
      ++i;
      continue;
    }
    if (!inGroup || KeyOf(line).compare(type, Qt::CaseInsensitive) != 0) {
      ++i;
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    QStringList ids;
    bool found = false;
    for (QStringView id : QStringView(line).mid(eq + 1).split(u';', Qt::SkipEmptyParts)) {
      if (id.trimmed() == desktopId)
        found = true;
      else if (!id.trimmed().isEmpty())
        ids << id.trimmed().toString();
    }
    if (!found) {
      ++i;
    } else if (ids.isEmpty()) {
      lines.removeAt(i);
    } else {
      lines[i] = line.left(eq + 1) + ids.join(u';') + u';';
      ++i;
    }
  }
  return lines.join(u'\n');
}

QString SetDefaultApplications(const QString& mimeappsText, const QStringList& types, QStringView desktopId) {
  QStringList lines = mimeappsText.split(u'\n');
  if (lines.last().isEmpty()) lines.removeLast();  // the text's final line end

  qsizetype header = -1;
  for (qsizetype i = 0; i < lines.size() && header < 0; ++i)
    if (QStringView(lines[i]).trimmed() == kGroup) header = i;
  if (header < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
    lines << kGroup.toString();
    header = lines.size() - 1;
  }

  for (const QString& type : types) {
    const QString entry = type + u'=' + desktopId.toString();
    qsizetype end = header + 1;
    while (end < lines.size() && !IsGroupHeader(lines[end])) ++end;
    bool done = false;
    for (qsizetype i = header + 1; i < end;) {
      if (KeyOf(lines[i]).compare(type, Qt::CaseInsensitive) != 0) {
        ++i;
      } else if (!done) {
        lines[i++] = entry;
        done = true;
      } else {
        lines.removeAt(i);  // a repeated key would leave the type's choice unclear
        --end;
      }
    }
    if (!done) {
      qsizetype at = end;
      while (at > header + 1 && lines[at - 1].trimmed().isEmpty()) --at;
      lines.insert(at, entry);
    }
  }
  return lines.join(u'\n') + u'\n';
}

}  // namespace association

namespace {

// The desktop entry the user's own folder holds, or where it would go.
QString UserDesktopEntry() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications/") +
         kDesktopId.toString();
}

bool DesktopEntryInstalled() {
  return !QStandardPaths::locate(QStandardPaths::ApplicationsLocation, kDesktopId.toString()).isEmpty();
}

// Writes the desktop entry and the .vcsv type when asked (entry), then sets
// Velum as the default of types, then runs the database tools.
// prefer: Velum goes before the defaults named already rather than in their place.
CAssociationResult Register(const QString& programPath, bool entry, const QStringList& types, bool prefer = false) {
  CAssociationResult result;
  const QString exec = ExecProgram(QFileInfo(programPath).absoluteFilePath());
  if (programPath.isEmpty() || exec.isEmpty())
    return {false, association::kProgramPathUnusable.arg(programPath), {}};

  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString applications = dataHome + QStringLiteral("/applications");
  const QString mime = dataHome + QStringLiteral("/mime");
  const QString mimeapps = configHome + QStringLiteral("/mimeapps.list");

  QString mimeappsText;
  QString error;
  if (!types.isEmpty() && !ReadText(mimeapps, &mimeappsText, &error)) return {false, error, {}};
  if (entry && (!WriteAtomically(UserDesktopEntry(), DesktopEntry(exec), &result) ||
                !WriteAtomically(mime + QStringLiteral("/packages/velum.xml"), MimePackage(), &result)))
    return result;
  QString written = mimeappsText;
  for (const QString& type : types)
    written = prefer ? PreferDefaultApplication(written, type, kDesktopId)
                     : SetDefaultApplications(written, {type}, kDesktopId);
  if (!types.isEmpty() && !WriteAtomically(mimeapps, written, &result)) return result;

  if (entry) RunTool(QStringLiteral("update-mime-database"), mime);
  RunTool(QStringLiteral("update-desktop-database"), applications);
  return result;
}

}  // namespace

CAssociationResult RegisterFileTypes(const QString& programPath, bool force) {
  QStringList types;
  if (force) types << kCsvType.toString();
  if (force || !AnyDefaultApplication(kVcsvType)) types << kVcsvType.toString();
  // A forced run writes the entry again, so that it names this program.
  const bool entry = force || !types.isEmpty() || !DesktopEntryInstalled();
  if (!entry) return {};
  return Register(programPath, entry, types);
}

bool IsCsvDefault() {
  QString text;
  for (const QString& path : MimeappsLists()) {
    if (!ReadText(path, &text)) continue;
    const QString id = DefaultApplication(text, kCsvType);
    if (!id.isEmpty()) return id == kDesktopId;
  }
  return false;
}

CAssociationResult SetCsvDefault(const QString& programPath, bool on) {
  if (on) {
    if (IsCsvDefault() && DesktopEntryInstalled()) return {};
    return Register(programPath, !DesktopEntryInstalled(), {kCsvType.toString()}, true);
  }
  const QString mimeapps =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/mimeapps.list");
  CAssociationResult result;
  QString text;
  if (!ReadText(mimeapps, &text, &result.error)) return {false, result.error, {}};
  const QString without = RemoveDefaultApplication(text, kCsvType, kDesktopId);
  if (without == text) return result;
  WriteAtomically(mimeapps, without, &result);
  return result;
}
