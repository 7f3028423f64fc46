#include "cli/batch_context.h"
#include "cli/command_registry.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"

namespace {

// undo / redo: takes back (or does again) the last card or item command and
// says which one, or that there was none.
int UndoRedo(CBatchContext& b, const QStringList& a, bool redo) {
  if (!a.isEmpty()) return b.Usage(redo ? QStringLiteral("redo") : QStringLiteral("undo"));
  CVelumDoc& doc = b.Doc();
  const QString label = redo ? doc.UndoStack().Redo(doc) : doc.UndoStack().Undo(doc);
  if (label.isEmpty()) {
    b.Out() << (redo ? "nothing to redo" : "nothing to undo") << '\n';
  } else {
    b.Out() << (redo ? "redo: " : "undo: ") << label << '\n';
    doc.UpdateAllViews(nullptr, hint::kUndone);
  }
  b.Out().flush();
  return kExitOk;
}

const CBatchRegistrar kUndo(QStringLiteral("undo"), [](CBatchContext& b, const QStringList& a) {
  return UndoRedo(b, a, false);
});
const CBatchRegistrar kRedo(QStringLiteral("redo"), [](CBatchContext& b, const QStringList& a) {
  return UndoRedo(b, a, true);
});

}  // namespace
