// 読み込み (33217) and 書き出し (33218), and contacts and sheets opened as a
// new deck.

#include "ui/dialogs/exchange/exchange_commands.h"

#include "app/frame_command_table.h"
#include "core/card_store.h"
#include "core/velum_doc.h"
#include "exchange/deck_exchange.h"
#include "exchange/exchange_file.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "ui/dialogs/exchange/export_dialog.h"
#include "ui/dialogs/exchange/import_dialog.h"
#include "ui/views/list_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/file_choice.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString kImportTitle = u"読み込み"_s;
const QString kExportTitle = u"書き出し"_s;
const QString kImportFilter =
    u"vCard・表計算・CSV (*.vcf;*.xlsx;*.ods;*.csv;*.tsv;*.txt) |*.vcf;*.xlsx;*.ods;*.csv;*.tsv;*.txt|すべてのファイル (*.*) |*.*||"_s;
const QString kVCardFilter = u"vCard (*.vcf) |*.vcf||"_s;
const QString kXlsxFilter = u"表計算 (*.xlsx) |*.xlsx||"_s;
const QString kImported = u"%1 枚のカードを読み込みました"_s;
const QString kExported = u"%1 枚のカードを書き出しました"_s;
const QString kImportLabel = u"読み込み"_s;

// The folder of the open file, or of the file the new deck was made from.
QString Folder(CVelumApp& app, const CMainWindow& window) {
  const QString path = app.Doc().PathName().isEmpty() ? window.ImportedFrom() : app.Doc().PathName();
  return path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath();
}

void Tell(CVelumApp& app, const QString& done, const CExchangeReport& report) {
  QString text = done;
  if (!report.notes.isEmpty()) text += u"\n\n"_s + report.notes.join(u'\n');
  app.Prompt().Notice(text);
}

bool Import(CVelumApp& app, CMainWindow& window) {
  const bool own = ReadSetting(app.Settings(), settings::kPPCOpenDlg) == 0;
  const CFileRequest request{kImportTitle, Folder(app, window), {}, kImportFilter, u"vcf"_s, false, own};
  const std::optional<QString> path = ChooseFile(app, &window, request);
  if (!path) return true;
  QStringList sheets;
  CExchangeReport first;
  ReadExchangeFile(*path, {}, &first, &sheets);
  if (!first.ok) {
    app.Prompt().Notice(first.error);
    return true;
  }
  CVelumDoc& doc = app.Doc();
  doc.StoreCards();
  QStringList items;
  for (int i = 0; i < doc.ItemCount(); ++i) items << doc.Store().Item(i).toString();
  const QString file = *path;
  CImportDialog dialog(
      QFileInfo(file).fileName(), ExchangeFormatOf(file), sheets, items,
      [file](const CImportOptions& options, CExchangeReport* report) { return ReadExchangeFile(file, options, report); },
      &window);
  FitToScreen(dialog, app.Screen(), QSize(480, 560));
  if (dialog.exec() != QDialog::Accepted) return true;
  if (!dialog.Report().ok) {
    app.Prompt().Notice(dialog.Report().error);
    return true;
  }
  const CExchangeTable& table = dialog.Table();
  const std::vector<int> targets = dialog.ColumnTargets();
  if (dialog.Append()) {
    AppendRowsToDeck(doc, table, targets, kImportLabel);
  } else {
    if (!window.SaveModified()) return true;
    // The columns left out are no items of the new deck.
    CExchangeTable kept;
    for (std::size_t c = 0; c < targets.size(); ++c)
      if (targets[c] >= 0) kept.names << table.names[qsizetype(c)];
    if (kept.names.isEmpty()) return true;
    for (const QStringList& row : table.rows) {
      QStringList cells;
      for (std::size_t c = 0; c < targets.size(); ++c)
        if (targets[c] >= 0) cells << row.value(qsizetype(c));
      kept.rows.push_back(std::move(cells));
    }
    OpenTableAsNewDeck(doc, kept);
    window.DocumentReplaced();
    window.SetImportedFrom(file);
  }
  Tell(app, kImported.arg(table.rows.size()), dialog.Report());
  return true;
}

bool Export(CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  doc.StoreCards();
  std::vector<int> selected;
  if (window.ListActive() && window.ListView()) selected = window.ListView()->SelectedCards();
  CExportDialog dialog(doc.VisibleCount(), int(selected.size()), &window);
  FitToScreen(dialog, app.Screen(), QSize(360, 0));
  if (dialog.exec() != QDialog::Accepted) return true;
  const bool xlsx = dialog.ChosenFormat() == CExportDialog::kXlsx;
  const QString from = doc.PathName().isEmpty() ? window.ImportedFrom() : doc.PathName();
  const QString base = from.isEmpty() ? doc.Title() : QFileInfo(from).completeBaseName();
  const bool own = ReadSetting(app.Settings(), settings::kPPCSaveDlg) == 0;
  const CFileRequest request{kExportTitle, Folder(app, window), base + (xlsx ? u".xlsx"_s : u".vcf"_s),
                             xlsx ? kXlsxFilter : kVCardFilter, xlsx ? u"xlsx"_s : u"vcf"_s, true, own};
  const std::optional<QString> path = ChooseFile(app, &window, request);
  if (!path) return true;
  const CCardStore& store = doc.Store();
  const CExchangeTable table = TableFromDeck(store, dialog.SelectedOnly() ? selected : std::vector<int>{});
  CExportOptions options;
  options.kinds = ColumnKinds(store, table);
  options.vcardVersion = dialog.ChosenFormat() == CExportDialog::kVCard40 ? VCardVersion::k40 : VCardVersion::k30;
  // The name chosen decides the format, as the command line's does.
  QString target = *path;
  if (ExchangeFormatOf(target) != (xlsx ? CExchangeFormat::kXlsx : CExchangeFormat::kVCard))
    target += xlsx ? u".xlsx"_s : u".vcf"_s;
  CExchangeReport report;
  if (!WriteExchangeFile(target, table, options, &report)) {
    app.Prompt().Notice(report.error);
    return true;
  }
  Tell(app, kExported.arg(table.rows.size()), report);
  return true;
}

const CRegisterCommand kImportCommand(cmd::kImport, Import);
const CRegisterCommand kExportCommand(cmd::kExport, Export);

}  // namespace

bool IsImportedByOpen(const QString& path) {
  const CExchangeFormat format = ExchangeFormatOf(path);
  return format == CExchangeFormat::kVCard || format == CExchangeFormat::kXlsx || format == CExchangeFormat::kOds;
}

bool OpenAsNewDeck(CVelumApp& app, CMainWindow& window, const QString& path) {
  CExchangeReport report;
  const CExchangeTable table = ReadExchangeFile(path, {}, &report);
  if (!report.ok) {
    app.Prompt().Notice(report.error);
    return false;
  }
  OpenTableAsNewDeck(app.Doc(), table);
  window.DocumentReplaced();
  window.SetImportedFrom(path);
  if (!report.notes.isEmpty()) app.Prompt().Notice(report.Message());
  return true;
}
