#include "cli/batch_context.h"
#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "cli/postcard_print.h"
#include "core/property_file.h"
#include "core/velum_doc.h"
#include "render/print_document.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString kOptions = u"-o OUT.pdf [--form list|cards] [--labels] [--postcard] [--start N] [--calibrate]"_s;

struct CPrintOutcome {
  int code = kExitOk;
  QString message;  // what went wrong, for stderr
  bool usage = false;
};

CPrintOutcome Usage(const QString& text) { return {kExitUsage, text, true}; }

// A mistyped -o must not put a PDF in place of the cards it was made from:
// the message when it would, else empty.
QString WritesOver(const CVelumDoc& doc, const QString& out) {
  const QString target = QFileInfo(out).canonicalFilePath();
  if (!doc.PathName().isEmpty() && !target.isEmpty()) {
    for (const QString& own : {doc.PathName(), PropertyFileOf(doc.PathName())})
      if (QFileInfo(own).canonicalFilePath() == target)
        return out + u": the card file or its property file is not written over by print"_s;
  }
  return {};
}

// Prints the visible cards of doc to the PDF the arguments name: its layout's
// form unless --form says otherwise, or labels with the default lines from
// label position --start (counted from 1).
CPrintOutcome PrintVisibleCards(CVelumDoc& doc, const CParsedArgs& a) {
  if (!a.error.isEmpty()) return Usage(a.error);
  if (!a.positional.isEmpty() || !a.Has(u"-o"_s)) return Usage(kOptions);
  if (a.Has(u"--postcard"_s) || a.Has(u"--calibrate"_s)) {
    if (!a.Has(u"--postcard"_s)) return Usage(u"--calibrate goes with --postcard"_s);
    if (const QString out = a.Value(u"-o"_s); !WritesOver(doc, out).isEmpty()) return {kExitFailed, WritesOver(doc, out)};
    const CPostcardPrintOutcome r = PrintPostcards(doc, a, a.Value(u"-o"_s));
    return {r.code, r.message, r.usage};
  }
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
  const QString out = a.Value(u"-o"_s);
  if (const QString over = WritesOver(doc, out); !over.isEmpty()) return {kExitFailed, over};
  CPrintDocument printed(doc.Store(), std::move(request));
  QString error;
  if (!WritePdf(printed, out, &error)) return {kExitFailed, error};
  return {};
}

CParsedArgs ParsePrintArgs(const QStringList& args) {
  return ParseArgs(args, {u"-o"_s, u"--form"_s, u"--start"_s}, {u"--labels"_s, u"--postcard"_s, u"--calibrate"_s});
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
                           u"print FILE -o OUT.pdf [--form list|cards] [--labels] [--postcard] [--start N] [--calibrate]  "
                           "a PDF of every card: the file's print layout, labels from label N (from 1) of the first "
                           "sheet, or New Year postcards from card N (--calibrate: the calibration page)"_s);
const CBatchRegistrar kBatchPrint(u"print"_s, BatchPrint);

}  // namespace
