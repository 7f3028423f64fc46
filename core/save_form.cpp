#include "core/save_form.h"

#include "core/card_store.h"
#include "core/velum_doc.h"

CSaveForm SaveFormOf(const CCardStore& store) {
  return {store.Encoding(), store.LineEnds().record, store.MultiLine()};
}

void ApplySaveForm(CCardStore& store, const CSaveForm& form) {
  store.SetEncoding(form.encoding);
  store.SetMultiLine(form.multiLine);
  CLineEnds ends = store.LineEnds();
  if (ends.record != form.lineEnd) {
    ends.record = form.lineEnd;
    ends.mixed = false;
  }
  store.SetLineEnds(ends);
}

bool SaveAsInForm(CVelumDoc& doc, const QString& path, const CSaveForm& form) {
  CCardStore& store = doc.Store();
  const FileEncoding encoding = store.Encoding();
  const bool multiLine = store.MultiLine();
  const CLineEnds ends = store.LineEnds();
  ApplySaveForm(store, form);
  if (doc.SaveAs(path)) return true;
  store.SetEncoding(encoding);
  store.SetMultiLine(multiLine);
  store.SetLineEnds(ends);
  return false;
}
