#include "core/save_question.h"

#include "core/velum_doc.h"

bool SaveChangesFirst(CVelumDoc& doc, const std::function<bool()>& save) {
  doc.StoreCards();
  if (!doc.IsModified()) return true;
  switch (doc.Services().prompt.YesNoCancel(msg::kSaveChanges.arg(doc.Title()))) {
    case IPrompt::Choice::Yes:
      return save();
    case IPrompt::Choice::No:
      return true;
    case IPrompt::Choice::Cancel:
      return false;
  }
  return false;
}
