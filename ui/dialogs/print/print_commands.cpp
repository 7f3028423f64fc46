// The print commands: the two layout dialogs, the preview, printing through
// the system's print dialog, and labels.

#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "platform/prompt.h"
#include "print/print_request.h"
#include "records/archive.h"
#include "records/print_layout_edit.h"
#include "render/print_document.h"
#include "ui/dialogs/print/label_settings_dialog.h"
#include "ui/views/list_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/dialogs/print/print_commands.h"
#include "ui/dialogs/print/print_preview_dialog.h"
#include "ui/dialogs/print/print_settings_dialog.h"
#include "ui/window/velum_application.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QPrintDialog>
#include <QPrinter>

#include <utility>

namespace {

const QString kNoCards = QStringLiteral("印刷するカードがありません");
// Below this screen width the dialogs stack what stands side by side.
constexpr int kNarrow = 480;
const QString kPrintFailed = QStringLiteral("印刷できませんでした\n%1");

QStringList ItemNames(const CVelumDoc& doc) {
  QStringList names;
  for (int i = 0; i < doc.ItemCount(); ++i) names << doc.Store().Item(i).toString();
  return names;
}

// Where labels begin on the first sheet, per file, for as long as the program
// runs: a sheet used in part is used up soon. What they carry stays with the
// file (its label record).
int& LabelStartOf(const CVelumDoc& doc) {
  static QHash<QString, int> starts;
  return starts[doc.PathName()];
}

// The layout the document prints with; a file without one gets the default.
CPrintProp& Layout(CVelumApp& app) {
  CVelumProperty& property = app.Doc().Store().FileProperty();
  if (CPrintProp* layout = FirstPrintLayout(property)) return *layout;
  property.m_printLayouts.Append(std::make_unique<CPrintProp>(app.Settings()));
  return *FirstPrintLayout(property);
}

}  // namespace

const CPrintExtras& PrintExtrasOf(CVelumApp& app) {
  CPrintProp& layout = Layout(app);
  if (!layout.m_extrasRead) {
    layout.m_extras = ReadPrintExtras(app.Settings(), app.Doc().PathName());
    layout.m_extrasRead = true;
  }
  return layout.m_extras;
}

void KeepPrintExtras(CVelumApp& app) {
  const QString path = app.Doc().PathName();
  if (!path.isEmpty()) WritePrintExtras(app.Settings(), path, PrintExtrasOf(app));
}

namespace {

QByteArray Stored(const CArchiveObject& record) {
  CArchiveWriter w;
  record.Store(w);
  return w.Bytes();
}

bool EditPrintLayout(CVelumApp& app, QWidget* parent) {
  CPrintProp& layout = Layout(app);
  CPrintSettingsDialog dialog(ItemNames(app.Doc()), layout, PrintExtrasOf(app), app.Screen().width() < kNarrow,
                              parent);
  FitToScreen(dialog, app.Screen(), dialog.PreferredSize());
  if (dialog.exec() != QDialog::Accepted) return false;
  // The orientation and widths are kept for the file at once; an unnamed
  // document keeps them until it is saved.
  const bool extrasChanged = dialog.Extras() != layout.m_extras;
  if (extrasChanged) {
    layout.m_extras = dialog.Extras();
    KeepPrintExtras(app);
  }
  CPrintProp result = dialog.Result();
  result.m_extras = layout.m_extras;
  if (Stored(result) == Stored(layout)) return extrasChanged;
  layout = result;
  app.Doc().SetModifiedFlag();
  return true;
}

bool EditLabels(CVelumApp& app, QWidget* parent) {
  CVelumDoc& doc = app.Doc();
  CVelumProperty& property = doc.Store().FileProperty();
  const CPrintLabel defaults(app.Settings());
  const CPrintLabel* label = FindPrintLabel(property);
  const QStringList names = ItemNames(doc);
  int& start = LabelStartOf(doc);
  CLabelSettingsDialog dialog(names, SheetOf(label ? *label : defaults), LabelLinesFor(label, names), start,
                              app.Screen().width() < kNarrow, parent);
  FitToScreen(dialog, app.Screen(), dialog.PreferredSize());
  if (dialog.exec() != QDialog::Accepted) return false;
  const int startBefore = std::exchange(start, dialog.Start());
  bool changed = StoreLabelSheet(property, defaults, dialog.Sheet());
  // Lines as the defaults are not kept, so that they follow the items.
  std::vector<CLabelLineChoice> lines = dialog.Lines();
  if (lines == LabelLineChoices(DefaultLabelLines(names), names)) lines.clear();
  label = FindPrintLabel(property);
  if (lines != (label ? label->m_lines : std::vector<CLabelLineChoice>())) {
    LabelRecord(property, defaults).m_lines = std::move(lines);
    changed = true;
  }
  if (changed) doc.SetModifiedFlag();
  return changed || start != startBefore;
}

// The cards a print run takes: the rows picked in the list when there are
// several, else every visible card, in the order shown.
CPrintRequest Request(CVelumApp& app, CMainWindow& window, PrintKind kind) {
  CVelumDoc& doc = app.Doc();
  CPrintRequest request = MakePrintRequest(doc, kind);
  request.extras = PrintExtrasOf(app);
  if (window.ListActive()) {
    const std::vector<int> picked = window.ListView()->SelectedCards();
    if (picked.size() > 1) request.cards = picked;
  }
  if (kind == PrintKind::kLabels) request.startLabel = LabelStartOf(doc);
  return request;
}

PrintKind LayoutKind(CVelumApp& app) {
  return Layout(app).m_form == kPrintFormCards ? PrintKind::kCards : PrintKind::kList;
}

// The system's print dialog, then the pages chosen there. Printing to a file
// writes a PDF.
void PrintThroughDialog(CVelumApp& app, CMainWindow& window, PrintKind kind, QWidget* parent) {
  const CPrintRequest request = Request(app, window, kind);
  if (request.cards.empty()) {
    app.Prompt().Notice(kNoCards);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName(request.title);
  const QString path = app.Doc().PathName();
  if (!path.isEmpty())
    printer.setOutputFileName(QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".pdf")));
  CPrintDocument sized(app.Doc().Store(), request);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  // The one heading Qt's Japanese translation leaves in English.
  for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
    if (box->title() == u"Double Sided Printing") box->setTitle(QStringLiteral("両面印刷"));
  dialog.setMinMax(1, sized.PageCount());
  KeepInsideScreen(dialog);
  if (dialog.exec() != QDialog::Accepted) return;
  // The paper chosen in the dialog lays the pages out again.
  const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
  CPrintDocument doc(app.Doc().Store(), request, paper);
  int from = 0, to = -1;
  if (printer.printRange() == QPrinter::PageRange) {
    from = std::max(printer.fromPage() - 1, 0);
    to = printer.toPage() - 1;
  }
  QString error;
  bool ok;
  {
    CWaitCursor wait(app.Prompt());
    // A file is written by the program's own PDF writer, whose text reads
    // back as the characters printed.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
      ok = WritePdf(doc, printer.outputFileName(), &error, from, to);
    else
      ok = PaintPages(doc, printer, from, to, &error);
  }
  if (!ok) app.Prompt().Notice(kPrintFailed.arg(error));
}

void Preview(CVelumApp& app, CMainWindow& window, bool labels) {
  auto kind = [&app, labels] { return labels ? PrintKind::kLabels : LayoutKind(app); };
  if (Request(app, window, kind()).cards.empty()) {
    app.Prompt().Notice(kNoCards);
    return;
  }
  CPrintPreviewDialog dialog(
      labels ? QStringLiteral("ラベル印刷") : QStringLiteral("印刷プレビュー"),
      [&app, &window, kind] {
        return std::make_unique<CPrintDocument>(app.Doc().Store(), Request(app, window, kind()));
      },
      [&app, labels](QWidget* parent) { return labels ? EditLabels(app, parent) : EditPrintLayout(app, parent); },
      [&app, &window, kind](QWidget* parent) { PrintThroughDialog(app, window, kind(), parent); },
      app.Screen().width() < kNarrow, &window);
  FitToScreen(dialog, app.Screen(), QSize(560, 720));
  dialog.exec();
}

const CRegisterCommand kPrintCommand(cmd::kPrint, [](CVelumApp& app, CMainWindow& window) {
  PrintThroughDialog(app, window, LayoutKind(app), &window);
  return true;
});

const CRegisterCommand kPrintPreviewCommand(cmd::kPrintPreview, [](CVelumApp& app, CMainWindow& window) {
  Preview(app, window, false);
  return true;
});

const CRegisterCommand kPrintLabelsCommand(cmd::kPrintLabels, [](CVelumApp& app, CMainWindow& window) {
  Preview(app, window, true);
  return true;
});

const CRegisterCommand kPrintSettingsCommand(cmd::kPrintSettings, [](CVelumApp& app, CMainWindow& window) {
  EditPrintLayout(app, &window);
  return true;
});

const CRegisterCommand kLabelSettingsCommand(cmd::kLabelSettings, [](CVelumApp& app, CMainWindow& window) {
  EditLabels(app, &window);
  return true;
});

}  // namespace
