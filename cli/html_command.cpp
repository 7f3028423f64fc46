#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "html/html_preview.h"
#include "platform/file_io.h"
#include "platform/input_file.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace {

const QString kHtmlUsage = QStringLiteral("usage: velum-cli html FILE -t TEMPLATE -o OUT [--card CARD | --all]");

// The preview files of --all: card-N.html with N from 0, padded so that they sort.
QString PreviewName(int card, int count) {
  const int width = int(QString::number(std::max(count - 1, 0)).size());
  return QStringLiteral("card-%1.html").arg(card, width, 10, QLatin1Char('0'));
}

int Preview(CCliContext& ctx, int card, const QString& templatePath, const QString& out) {
  const CServices& s = ctx.Services();
  QString error, templateError;
  const int result =
      MakePreview(ctx.Doc().Store(), card, templatePath, out, s.FileCodePage(), s.prompt, &error, &templateError);
  if (result == 0) return ctx.Fail(!templateError.isEmpty() ? templateError : error);
  return result == 1 ? kExitOk : kExitFailed;
}

int RunHtml(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a =
      ParseArgs(args, {QStringLiteral("-t"), QStringLiteral("-o"), QStringLiteral("--card")}, {QStringLiteral("--all")});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || !a.Has(QStringLiteral("-t")) || !a.Has(QStringLiteral("-o")) ||
      (a.Has(QStringLiteral("--card")) && a.Has(QStringLiteral("--all"))))
    return ctx.Usage(kHtmlUsage);
  const QString templatePath = a.Value(QStringLiteral("-t"));
  const QString out = a.Value(QStringLiteral("-o"));
  QString reason;
  // Checked before the card file is read; a FIFO or a device is refused, never waited on.
  if (QFile probe; OpenInputFile(probe, templatePath, kMaxTemplateFile, &reason) != InputStatus::kOk)
    return ctx.Fail(templatePath + QStringLiteral(": ") + reason);
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  const int count = ctx.Doc().VisibleCount();
  if (a.Has(QStringLiteral("--all"))) {
    errno = 0;
    if (!QDir().mkpath(out)) {
      // mkpath leaves errno as the last mkdir left it.
      const int reason = errno;
      return ctx.Fail(out + QStringLiteral(": ") + (reason ? SystemReason(reason) : QStringLiteral("フォルダを作れません")));
    }
    int worst = kExitOk;
    for (int n = 0; n < count; ++n)
      worst = std::max(worst, Preview(ctx, n, templatePath, QDir(out).filePath(PreviewName(n, count))));
    return worst;
  }
  int card = 0;
  if (a.Has(QStringLiteral("--card"))) {
    card = ParseCardNumber(a.Value(QStringLiteral("--card")));
    if (card < 0 || card >= count)
      return ctx.Fail(QStringLiteral("no card %1 (the file has %2)").arg(a.Value(QStringLiteral("--card"))).arg(count));
  }
  return Preview(ctx, card, templatePath, out);
}

int RunTemplate(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("-o")}, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || !a.Has(QStringLiteral("-o")))
    return ctx.Usage(QStringLiteral("usage: velum-cli template FILE -o TEMPLATE"));
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  const CServices& s = ctx.Services();
  return WriteStartTemplate(ctx.Doc().Store(), a.Value(QStringLiteral("-o")), s.FileCodePage(), s.prompt) == 1
             ? kExitOk
             : kExitFailed;
}

const CCliRegistrar kHtml(QStringLiteral("html"), RunHtml,
                          QStringLiteral("html FILE -t TEMPLATE -o OUT [--card CARD | --all]  the preview of a card; "
                                         "--all: OUT/card-N.html for every card"));
const CCliRegistrar kTemplate(QStringLiteral("template"), RunTemplate,
                              QStringLiteral("template FILE -o TEMPLATE         the starting template of the items"));

}  // namespace
