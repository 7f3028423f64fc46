#include "cli/cli_context.h"
#include "settings/settings_store.h"

#include <QCoreApplication>

#include <functional>
#include <map>

namespace {

const char* const kUsage =
    "usage: velum-cli [--settings FILE] [--encoding cp932|utf-8] COMMAND ...\n"
    "commands:\n"
    "  show FILE [--stored] [--json]      every card with the values the views show\n"
    "  value FILE CARD ITEM               one item of one card\n"
    "  convert FILE -o OUT [--style own|ms] [--to-encoding cp932|utf-8]\n"
    "  batch [FILE]                       commands from standard input, one a line\n"
    "ITEM is an item name or #N (from 0); CARD a visible card number from 0.\n";

using Command = std::function<int(CCliContext&, const QStringList&)>;

const std::map<QString, Command>& Commands() {
  static const std::map<QString, Command> commands = {
      {QStringLiteral("show"), RunShow},
      {QStringLiteral("value"), RunValue},
      {QStringLiteral("convert"), RunConvert},
      {QStringLiteral("batch"), RunBatch},
  };
  return commands;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  QString settingsPath = CSettingsStore::DefaultPath();
  std::optional<CodePage> codePage;
  // Global options come before the command.
  while (!args.isEmpty() && args[0].startsWith(QStringLiteral("--"))) {
    const QString opt = args.takeFirst();
    if (opt == u"--help") {
      fputs(kUsage, stdout);
      return kExitOk;
    }
    if (args.isEmpty() || (opt != u"--settings" && opt != u"--encoding")) {
      fputs(kUsage, stderr);
      return kExitUsage;
    }
    const QString value = args.takeFirst();
    if (opt == u"--settings") {
      settingsPath = value;
    } else {
      CodePage cp;
      if (!ParseCodePageName(value, &cp)) {
        fprintf(stderr, "velum-cli: --encoding takes cp932 or utf-8\n");
        return kExitUsage;
      }
      codePage = cp;
    }
  }
  if (args.isEmpty()) {
    fputs(kUsage, stderr);
    return kExitUsage;
  }
  const QString name = args.takeFirst();
  const auto it = Commands().find(name);
  if (it == Commands().end()) {
    fprintf(stderr, "velum-cli: unknown command %s\n%s", name.toLocal8Bit().constData(), kUsage);
    return kExitUsage;
  }
  CCliContext ctx(settingsPath, codePage);
  return it->second(ctx, args);
}
