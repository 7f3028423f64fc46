#pragma once

#include <QString>

// The help page the help command opens: <applicationDir>/../share/velum/docs/velum.html
// when the program is installed, else docs/velum.html of the source tree it
// was built from. An absolute path, or empty when neither exists.
QString HelpPagePath(const QString& applicationDir);

// The anchor of the page's table of contents.
inline constexpr QStringView kHelpContentsAnchor = u"Main_Contents";

// The section of the help page that explains the dialog with this title (a
// title may go on after its first words: 項目のプロパティ：氏名); the table of
// contents for a dialog the page has no section for.
QString HelpAnchorForDialog(QStringView title);
