#include "cli/batch_context.h"
#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "core/save_form.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "exchange/deck_exchange.h"
#include "exchange/exchange_file.h"
#include "exchange/row_paste.h"

#include <QFileInfo>

namespace {

const bool kRowPasteInstalled = (InstallRowPaste(), true);

const QString kImportUsage = QStringLiteral("usage: velum-cli import IN -o OUT.csv [--sheet NAME] [--append]");
const QString kExportUsage =
    QStringLiteral("usage: velum-cli export FILE -o OUT.vcf|OUT.xlsx [--vcard-version 3.0|4.0]");
const QString kImportLabel = QStringLiteral("読み込み");

// What the reader had to say goes where the program's messages go.
void Tell(const CServices& services, const CExchangeReport& report) {
  for (const QString& note : report.notes) services.prompt.Notice(note);
}

bool ParseVCardVersion(const CParsedArgs& a, VCardVersion* version) {
  if (!a.Has(QStringLiteral("--vcard-version"))) return true;
  const QString v = a.Value(QStringLiteral("--vcard-version"));
  if (v == u"3.0") *version = VCardVersion::k30;
  else if (v == u"4.0") *version = VCardVersion::k40;
  else return false;
  return true;
}

// The columns of table that name items of the open deck go to them; the others
// are named in a message.
std::vector<int> MapForAppend(const CServices& services, const CCardStore& store, const CExchangeTable& table) {
  std::vector<int> map = MapColumnsByName(store, table.names);
  QStringList left;
  for (std::size_t c = 0; c < map.size(); ++c)
    if (map[c] < 0) left << table.names[qsizetype(c)];
  if (!left.isEmpty())
    services.prompt.Notice(QStringLiteral("項目にない列は読み込みませんでした: %1").arg(left.join(QStringLiteral("、"))));
  return map;
}

int RunImport(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("-o"), QStringLiteral("--sheet")}, {QStringLiteral("--append")});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || !a.Has(QStringLiteral("-o"))) return ctx.Usage(kImportUsage);
  const QString out = a.Value(QStringLiteral("-o"));
  const bool append = a.Has(QStringLiteral("--append"));
  // A new file never replaces one that is there; --append adds to it.
  if (!append && QFileInfo::exists(out)) return ctx.Fail(QStringLiteral("%1: the file exists (--append adds to it)").arg(out));
  CImportOptions options;
  options.sheet = a.Value(QStringLiteral("--sheet"));
  CExchangeReport report;
  const CExchangeTable table = ReadExchangeFile(a.positional[0], options, &report);
  if (!report.ok) return ctx.Fail(report.error);
  Tell(ctx.Services(), report);
  CVelumDoc& doc = ctx.Doc();
  if (append) {
    if (!ctx.OpenForCommand(out)) return kExitFailed;
    AppendRowsToDeck(doc, table, MapForAppend(ctx.Services(), doc.Store(), table), kImportLabel);
    if (!doc.Save()) return kExitFailed;
  } else {
    OpenTableAsNewDeck(doc, table);
    if (!SaveAsInForm(doc, out, SaveFormOf(doc.Store()))) return kExitFailed;
  }
  ctx.Out() << QStringLiteral("%1 cards\n").arg(table.rows.size());
  return kExitOk;
}

int RunExport(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("-o"), QStringLiteral("--vcard-version")}, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || !a.Has(QStringLiteral("-o"))) return ctx.Usage(kExportUsage);
  CExportOptions options;
  if (!ParseVCardVersion(a, &options.vcardVersion)) return ctx.Usage(QStringLiteral("--vcard-version takes 3.0 or 4.0"));
  const QString out = a.Value(QStringLiteral("-o"));
  if (!CanExportTo(ExchangeFormatOf(out))) return ctx.Usage(QStringLiteral("-o takes a .vcf or .xlsx file"));
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  const CCardStore& store = ctx.Doc().Store();
  const CExchangeTable table = TableFromDeck(store);
  options.kinds = ColumnKinds(store, table);
  CExchangeReport report;
  if (!WriteExchangeFile(out, table, options, &report)) return ctx.Fail(report.error);
  Tell(ctx.Services(), report);
  ctx.Out() << QStringLiteral("%1 cards\n").arg(table.rows.size());
  return kExitOk;
}

// batch: import IN [--sheet NAME] [--append]: a new deck of the file (or its
// rows appended to the open one, one undo step); export OUT [--vcard-version
// V] [CARD...]: the given visible cards, or every visible card.
int BatchImport(CBatchContext& b, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("--sheet")}, {QStringLiteral("--append")});
  if (!a.error.isEmpty() || a.positional.size() != 1) return b.Usage(QStringLiteral("import IN [--sheet NAME] [--append]"));
  CImportOptions options;
  options.sheet = a.Value(QStringLiteral("--sheet"));
  CExchangeReport report;
  const CExchangeTable table = ReadExchangeFile(a.positional[0], options, &report);
  const CServices& services = b.Doc().Services();
  if (!report.ok) {
    services.prompt.Notice(report.error);
    return kExitFailed;
  }
  Tell(services, report);
  if (a.Has(QStringLiteral("--append")))
    AppendRowsToDeck(b.Doc(), table, MapForAppend(services, b.Doc().Store(), table), kImportLabel);
  else
    OpenTableAsNewDeck(b.Doc(), table);
  b.Out() << QStringLiteral("%1 cards\n").arg(table.rows.size());
  return kExitOk;
}

int BatchExport(CBatchContext& b, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("--vcard-version")}, {});
  CExportOptions options;
  if (!a.error.isEmpty() || a.positional.isEmpty() || !ParseVCardVersion(a, &options.vcardVersion))
    return b.Usage(QStringLiteral("export OUT.vcf|OUT.xlsx [--vcard-version 3.0|4.0] [CARD...]"));
  const QString out = a.positional[0];
  if (!CanExportTo(ExchangeFormatOf(out))) return b.Usage(QStringLiteral("export writes a .vcf or .xlsx file"));
  std::vector<int> cards;
  if (a.positional.size() > 1)
    if (int rc = b.CardList(a.positional.mid(1), &cards)) return rc;
  b.Doc().StoreCards();
  const CCardStore& store = b.Doc().Store();
  const CExchangeTable table = TableFromDeck(store, cards);
  options.kinds = ColumnKinds(store, table);
  CExchangeReport report;
  const CServices& services = b.Doc().Services();
  if (!WriteExchangeFile(out, table, options, &report)) {
    services.prompt.Notice(report.error);
    return kExitFailed;
  }
  Tell(services, report);
  b.Out() << QStringLiteral("%1 cards\n").arg(table.rows.size());
  return kExitOk;
}

const CCliRegistrar kImport(QStringLiteral("import"), RunImport,
                            QStringLiteral("import IN -o OUT.csv [--sheet NAME] [--append]   vCard, .xlsx, .ods or CSV into a card file"));
const CCliRegistrar kExport(QStringLiteral("export"), RunExport,
                            QStringLiteral("export FILE -o OUT.vcf|OUT.xlsx [--vcard-version 3.0|4.0]   the visible cards as contacts or a sheet"));
const CBatchRegistrar kBatchImport(QStringLiteral("import"), BatchImport);
const CBatchRegistrar kBatchExport(QStringLiteral("export"), BatchExport);

}  // namespace
