#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

namespace {

// 元に戻す and やり直し: the dispatch has stored the pending edit (itself a
// step) before this runs. The views refresh what the step can have changed.
bool UndoOrRedo(CVelumApp& app, CMainWindow& window, bool redo) {
  CVelumDoc& doc = app.Doc();
  const QString label = redo ? doc.UndoStack().Redo(doc) : doc.UndoStack().Undo(doc);
  if (label.isEmpty()) return true;
  doc.UpdateAllViews(nullptr, doc.UndoStack().ViewHint());
  window.UpdateTitle();
  return true;
}

const CRegisterCommand kUndoRegistration(cmd::kUndoCommand,
                                     [](CVelumApp& app, CMainWindow& w) { return UndoOrRedo(app, w, false); });
const CRegisterCommand kRedoRegistration(cmd::kRedoCommand,
                                     [](CVelumApp& app, CMainWindow& w) { return UndoOrRedo(app, w, true); });

}  // namespace
