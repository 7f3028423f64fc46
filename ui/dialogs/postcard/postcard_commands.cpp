// The postcard commands: はがき宛名印刷 (the preview card by card, printing
// through the system's print dialog on postcard paper or to a PDF, then the
// question whether to mark the cards sent) and はがきの設定.

#include "app/frame_command_table.h"
#include "core/card_store.h"
#include "core/velum_doc.h"
#include "platform/prompt.h"
#include "print/postcard/postcard_mark.h"
#include "render/postcard/postcard_document.h"
#include "ui/dialogs/postcard/postcard_print_dialog.h"
#include "ui/dialogs/postcard/postcard_settings_dialog.h"
#include "ui/views/list_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// Below this screen width the dialogs stack what stands side by side.
constexpr int kNarrow = 480;
const QString kNoCards = u"印刷するカードがありません"_s;
const QString kPrintFailed = u"印刷できませんでした\n%1"_s;
const QString kProblems = u"次のはがきを確かめてください:\n%1"_s;
const QString kMarkQuestion = u"印刷した%1枚のカードの項目「%2」に「%3」を付けますか?"_s;
const QString kMarkFailed = u"項目「%1」を作れないので、印を付けられませんでした"_s;

QStringList ItemNames(const CVelumDoc& doc) {
  QStringList names;
  for (int i = 0; i < doc.ItemCount(); ++i) names << doc.Store().Item(i).toString();
  return names;
}

// The cards a run prints: the rows picked in the list when there are
// several, else every visible card, in the order shown.
std::vector<int> Cards(CVelumApp& app, CMainWindow& window) {
  if (window.ListActive()) {
    std::vector<int> picked = window.ListView()->SelectedCards();
    if (picked.size() > 1) return picked;
  }
  std::vector<int> cards(std::size_t(app.Doc().Store().VisibleCount()));
  std::iota(cards.begin(), cards.end(), 0);
  return cards;
}

std::unique_ptr<CPostcardDocument> Build(CVelumApp& app, CMainWindow& window) {
  return std::make_unique<CPostcardDocument>(app.Doc().Store(), Cards(app, window),
                                             ReadPostcardSettings(app.Settings()));
}

// The system's print dialog set to postcard paper (Qt's Postcard: 100 x 148 mm);
// false when cancelled.
bool AskPrinter(QPrinter& printer, const QString& fileName, int pages, QWidget* parent) {
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::Postcard));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setDocName(fileName);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(u"印刷"_s);
  for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
    if (box->title() == u"Double Sided Printing") box->setTitle(u"両面印刷"_s);
  dialog.setMinMax(1, std::max(pages, 1));
  KeepInsideScreen(dialog);
  return dialog.exec() == QDialog::Accepted;
}

bool ToPdf(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// Paints pages onto the printer in 0.1 mm from the paper's top-left corner.
bool PaintOnPrinter(QPrinter& printer, int pages, const std::function<void(QPainter&, int)>& paint, QString* error) {
  QPainter p;
  if (!p.begin(&printer)) {
    *error = u"印刷を始められません"_s;
    return false;
  }
  const double sx = printer.logicalDpiX() / 254.0, sy = printer.logicalDpiY() / 254.0;
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && !printer.newPage()) {
      p.end();
      *error = u"次のページに進めません"_s;
      return false;
    }
    p.resetTransform();
    p.scale(sx, sy);
    paint(p, page);
  }
  return p.end();
}

QString PdfBeside(const CVelumDoc& doc, const QString& suffix) {
  const QString path = doc.PathName();
  if (path.isEmpty()) return {};
  return QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() + suffix + u".pdf"_s);
}

void Print(CVelumApp& app, CMainWindow& window, QWidget* parent) {
  std::unique_ptr<CPostcardDocument> doc = Build(app, window);
  if (doc->PageCount() == 0) {
    app.Prompt().Notice(kNoCards);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  const QString pdf = PdfBeside(app.Doc(), u"_はがき"_s);
  if (!pdf.isEmpty()) printer.setOutputFileName(pdf);
  if (!AskPrinter(printer, QFileInfo(app.Doc().PathName()).fileName(), doc->PageCount(), parent)) return;
  int from = 0, to = doc->PageCount() - 1;
  if (printer.printRange() == QPrinter::PageRange) {
    from = std::clamp(printer.fromPage() - 1, 0, to);
    to = std::clamp(printer.toPage() - 1, from, to);
  }
  QString error;
  bool ok;
  {
    CWaitCursor wait(app.Prompt());
    if (ToPdf(printer))
      ok = WritePostcardPdf(*doc, printer.outputFileName(), &error, from, to);
    else
      ok = PaintOnPrinter(printer, to - from + 1, [&](QPainter& p, int page) { doc->PaintPage(p, from + page); },
                          &error);
  }
  if (!ok) {
    app.Prompt().Notice(kPrintFailed.arg(error));
    return;
  }
  const QStringList problems = doc->Problems(from, to);
  if (!problems.isEmpty()) app.Prompt().Notice(kProblems.arg(problems.join(u'\n')));
  // Keeping track of the cards sent.
  const CPostcardSettings& settings = doc->Settings();
  const QString item = PostcardMarkItem(PostcardYear(app.Doc().Services().clock.Now().date()));
  const std::vector<int> printed(doc->Cards().begin() + from, doc->Cards().begin() + to + 1);
  if (settings.mark.isEmpty()) return;
  if (!app.Prompt().YesNo(kMarkQuestion.arg(printed.size()).arg(item, settings.mark))) return;
  if (!MarkPrintedCards(app.Doc(), printed, item, settings.mark)) app.Prompt().Notice(kMarkFailed.arg(item));
}

void Calibrate(CVelumApp& app, const CPostcardSettings& settings, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  const QString pdf = PdfBeside(app.Doc(), u"_位置合わせ"_s);
  if (!pdf.isEmpty()) printer.setOutputFileName(pdf);
  if (!AskPrinter(printer, u"はがき位置合わせ"_s, 1, parent)) return;
  QString error;
  bool ok;
  if (ToPdf(printer)) {
    ok = WritePostcardCalibrationPdf(settings, printer.outputFileName(), &error);
  } else {
    CPostcardPainter painter(settings);
    ok = PaintOnPrinter(printer, 1, [&](QPainter& p, int) { painter.PaintCalibration(p); }, &error);
  }
  if (!ok) app.Prompt().Notice(kPrintFailed.arg(error));
}

bool EditSettings(CVelumApp& app, CMainWindow& window, QWidget* parent) {
  const CPostcardSettings before = ReadPostcardSettings(app.Settings());
  // The card shown: the current one; a document laid out again only when the
  // settings it was made with change.
  const int card = std::max(0, app.Doc().CurrentCard());
  auto cache = std::make_shared<std::pair<CPostcardSettings, std::unique_ptr<CPostcardDocument>>>();
  auto paint = [&app, card, cache](QPainter& p, const CPostcardSettings& s) {
    if (app.Doc().Store().VisibleCount() == 0) return;
    if (!cache->second || !(cache->first == s)) {
      cache->first = s;
      cache->second = std::make_unique<CPostcardDocument>(app.Doc().Store(), std::vector<int>{card}, s);
    }
    cache->second->PaintPage(p, 0, true);
  };
  CPostcardSettingsDialog dialog(ItemNames(app.Doc()), before, paint,
                                 [&app](const CPostcardSettings& s, QWidget* w) { Calibrate(app, s, w); },
                                 app.Screen().width() < kNarrow, parent);
  FitToScreen(dialog, app.Screen(), app.Screen().width() < kNarrow ? QSize(240, 320) : QSize(640, 480));
  if (dialog.exec() != QDialog::Accepted) return false;
  const CPostcardSettings after = dialog.Result();
  if (after == before) return false;
  WritePostcardSettings(app.Settings(), after);
  return true;
}

void Preview(CVelumApp& app, CMainWindow& window) {
  if (app.Doc().Store().VisibleCount() == 0) {
    app.Prompt().Notice(kNoCards);
    return;
  }
  CPostcardPrintDialog dialog([&app, &window] { return Build(app, window); },
                              [&app, &window](QWidget* parent) { return EditSettings(app, window, parent); },
                              [&app, &window](QWidget* parent) { Print(app, window, parent); },
                              app.Screen().width() < kNarrow, &window);
  FitToScreen(dialog, app.Screen(), QSize(420, 640));
  dialog.exec();
}

const CRegisterCommand kPostcardPrintCommand(cmd::kPostcardPrint, [](CVelumApp& app, CMainWindow& window) {
  Preview(app, window);
  return true;
});

const CRegisterCommand kPostcardSettingsCommand(cmd::kPostcardSettings, [](CVelumApp& app, CMainWindow& window) {
  EditSettings(app, window, &window);
  return true;
});

}  // namespace
