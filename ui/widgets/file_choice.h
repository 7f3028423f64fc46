#pragma once

#include "core/save_form.h"

#include <QString>

#include <optional>

class CVelumApp;
class QWidget;

// What a file selection asks for. The filter is in the program's form
// "desc(*.a;*.b) |*.a;*.b|...||".
struct CFileRequest {
  QString title;
  QString folder;      // the folder shown first
  QString name;        // the name proposed (save) or selected (open)
  QString filter;
  QString defaultExt;  // without the dot; appended to a name that has none
  bool save = false;   // save: asks before overwriting, the folder must exist
  bool own = false;    // the program's own dialog; else Qt's (non-native) one
  // A card file's form, offered beside the name (CSaveFormBox); on OK it holds
  // the user's choice. None: the dialog offers no form.
  CSaveForm* saveForm = nullptr;
};

// The chosen path, or nothing when the user cancelled.
std::optional<QString> ChooseFile(CVelumApp& app, QWidget* parent, const CFileRequest& request);
