#include "cli/batch_context.h"
#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "core/property_file.h"
#include "core/velum_doc.h"
#include "render/print_document.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString kOptions = u"-o OUT.pdf [--form list|cards] [--labels] [--start N]"_s;

struct CPrintOutcome {
  int code = kExitOk;
  QString message;  // what went wrong, for stderr
  bool usage = false;
};

CPrintOutcome Usage(const QString& text) { return {kExitUsage, text, true}; }

// Prints the visible cards of doc to the PDF the arguments name: its layout's
// form unless --form says otherwise, or labels with the default lines from
// label position --start (counted from 1).
CPrintOutcome PrintVisibleCards(CVelumDoc& doc, const CParsedArgs& a) {
  if (!a.error.isEmpty()) return Usage(a.error);
  if (!a.positional.isEmpty() || !a.Has(u"-o"_s)) return Usage(kOptions);
  const bool labels = a.Has(u"--labels"_s);
  if (labels && a.Has(u"--form"_s)) return Usage(u"--form and --labels exclude each other"_s);
  if (!labels && a.Has(u"--start"_s)) return Usage(u"--start goes with --labels"_s);
  CPrintRequest request = MakePrintRequest(doc, labels ? PrintKind::kLabels : PrintKind::kList);
  if (a.Has(u"--form"_s)) {
    const QString form = a.Value(u"--form"_s);
    if (form != u"list" && form != u"cards") return Usage(u"--form takes list or cards"_s);
    request.layout.m_form = form == u"cards" ? kPrintFormCards : kPrintFormList;
  }
  if (!labels) request.kind = request.layout.m_form == kPrintFormCards ? PrintKind::kCards : PrintKind::kList;
  if (a.Has(u"--start"_s)) {
    bool ok = false;
    const int start = a.Value(u"--start"_s).toInt(&ok);
    const int perSheet = LabelsPerSheet(request.sheet);
    if (!ok || start < 1 || start > perSheet)
      return Usage(u"--start takes a label position from 1 to %1 (the labels of one sheet)"_s.arg(perSheet));
    request.startLabel = start - 1;
  }
  // A mistyped -o must not put a PDF in place of the cards it was made from.
  const QString out = a.Value(u"-o"_s);
  const QString target = QFileInfo(out).canonicalFilePath();
  if (!doc.PathName().isEmpty() && !target.isEmpty()) {
    for (const QString& own : {doc.PathName(), PropertyFileOf(doc.PathName())})
      if (QFileInfo(own).canonicalFilePath() == target)
        return {kExitFailed, out + u": the card file or its property file is not written over by print"_s};
  }
  CPrintDocument printed(doc.Store(), std::move(request));
  QString error;
  if (!WritePdf(printed, out, &error)) return {kExitFailed, error};
  return {};
}

CParsedArgs ParsePrintArgs(const QStringList& args) {
  return ParseArgs(args, {u"-o"_s, u"--form"_s, u"--start"_s}, {u"--labels"_s});
}

int RunPrint(CCliContext& ctx, const QStringList& args) {
  CParsedArgs a = ParsePrintArgs(args);
  if (a.positional.size() != 1) return ctx.Usage(u"usage: velum-cli print FILE "_s + kOptions);
  const QString path = a.positional.takeFirst();
  if (!ctx.OpenForCommand(path)) return kExitFailed;
  const CPrintOutcome r = PrintVisibleCards(ctx.Doc(), a);
  if (r.usage) return ctx.Usage(u"print: "_s + r.message);
  if (r.code != kExitOk) return ctx.Fail(r.message);
  return kExitOk;
}

int BatchPrint(CBatchContext& b, const QStringList& args) {
  const CPrintOutcome r = PrintVisibleCards(b.Doc(), ParsePrintArgs(args));
  if (r.usage) return b.Usage(u"print "_s + kOptions + u" ("_s + r.message + u")"_s);
  if (r.code != kExitOk) return b.Error(r.code, r.message);
  return kExitOk;
}

const CCliRegistrar kPrint(u"print"_s, RunPrint,
                           u"print FILE -o OUT.pdf [--form list|cards] [--labels] [--start N]  a PDF of every card: "
                           "the file's print layout, or labels from label N (from 1) of the first sheet"_s);
const CBatchRegistrar kBatchPrint(u"print"_s, BatchPrint);

}  // namespace
