#pragma once

#include <QString>

class CMainWindow;
class CVelumApp;

// 読み込み and 書き出し (registered as the window's dialog commands), and the
// opening of contacts and sheets by the open command, a drop or the command
// line.

// Whether the open command takes path in as a new deck rather than as a
// card file: vCard, .xlsx and .ods.
bool IsImportedByOpen(const QString& path);

// The file as a new, unsaved deck named after it (the caller asked about
// unsaved changes); what was skipped is told. False, with a message naming
// the file, when it could not be read: the open document stays.
bool OpenAsNewDeck(CVelumApp& app, CMainWindow& window, const QString& path);
