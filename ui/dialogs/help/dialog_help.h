#pragma once

#include <QString>

class CVelumApp;
class QKeyEvent;

// Opens the help page at the anchor in the browser (through the shell, so a
// script sees "opened: URL"); a notice when the page or a browser is missing.
void OpenHelpSection(CVelumApp& app, const QString& anchor);

// F1 while a dialog is up opens the help page at the section for that dialog
// (HelpAnchorForDialog of its title). True when the key was taken.
bool TakeDialogHelpKey(CVelumApp& app, const QKeyEvent& key);
