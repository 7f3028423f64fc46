#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "core/messages.h"
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <new>

namespace {

QString Usage() {
  QString text = QStringLiteral(
      "usage: velum-cli [--settings FILE] [--encoding cp932|utf-8] [--yes] COMMAND ...\n"
      "       velum-cli --help | --version\n"
      "commands:\n");
  // Each usage line is "synopsis  description": the descriptions are aligned
  // in one column, and a long synopsis stands on a line of its own.
  constexpr qsizetype kColumn = 36;
  for (const auto& [name, info] : CliCommands()) {
    const qsizetype gap = info.usage.indexOf(QStringLiteral("  "));
    const QString synopsis = gap < 0 ? info.usage : info.usage.left(gap);
    const QString description = gap < 0 ? QString() : info.usage.mid(gap).trimmed();
    text += QStringLiteral("  ") + synopsis;
    if (!description.isEmpty()) {
      if (synopsis.size() < kColumn)
        text += QString(kColumn - synopsis.size(), u' ');
      else
        text += u'\n' + QString(kColumn + 2, u' ');
      text += description;
    }
    text += u'\n';
  }
  text += QStringLiteral(
      "ITEM is an item name or #N (from 0); CARD a visible card number from 0.\n"
      "A question that would change or lose data (such as saving in UTF-8 what CP932 cannot hold) stops a\n"
      "command with exit status 1 and the question on stderr; --yes answers it with OK. `batch --help` lists\n"
      "the batch commands.\n");
  return text;
}

int PrintUsage(FILE* to, int code) {
  fputs(Usage().toUtf8().constData(), to);
  return code;
}

// Whether the command may draw (print, and batch with its print command): it
// needs the fonts of a QGuiApplication. The command is the first word after
// the global options.
bool CommandDraws(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArrayView a(argv[i]);
    if (a == "--settings" || a == "--encoding") {
      ++i;
      continue;
    }
    if (a.startsWith("--")) continue;
    return a == "print" || a == "batch";
  }
  return false;
}

QtMessageHandler s_previousHandler = nullptr;

void DropRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  if (s_previousHandler) s_previousHandler(type, context, text);
}

int Run(int argc, char** argv) {
  std::unique_ptr<QCoreApplication> application;
  if (CommandDraws(argc, argv)) {
    // A terminal tool never talks to a display unless asked to.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Starting the platform asks for the runtime folder, and warns on stderr
    // where the session has none; velum-cli's output stays its own.
    const QtMessageHandler previous = qInstallMessageHandler(DropRuntimeFolderWarning);
    s_previousHandler = previous;
    application = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  QStringList args = application->arguments().mid(1);
  QString settingsPath = CSettingsStore::DefaultPath();
  std::optional<CodePage> codePage;
  bool assumeYes = false;
  // Global options come before the command.
  while (!args.isEmpty() && args[0].startsWith(QStringLiteral("--"))) {
    const QString opt = args.takeFirst();
    if (opt == u"--help") return PrintUsage(stdout, kExitOk);
    if (opt == u"--version") {
      fputs("velum-cli " VELUM_VERSION "\n", stdout);
      return kExitOk;
    }
    if (opt == u"--yes") {
      assumeYes = true;
      continue;
    }
    if (args.isEmpty() || (opt != u"--settings" && opt != u"--encoding")) return PrintUsage(stderr, kExitUsage);
    const QString value = args.takeFirst();
    if (opt == u"--settings") {
      settingsPath = value;
    } else {
      CodePage cp;
      if (!ParseCodePageName(value, &cp)) {
        fputs("velum-cli: --encoding takes cp932 or utf-8\n", stderr);
        return kExitUsage;
      }
      codePage = cp;
    }
  }
  if (args.isEmpty()) return PrintUsage(stderr, kExitUsage);
  const QString name = args.takeFirst();
  const auto it = CliCommands().find(name);
  if (it == CliCommands().end()) {
    fprintf(stderr, "velum-cli: unknown command %s\n", name.toUtf8().constData());
    return PrintUsage(stderr, kExitUsage);
  }
  CCliContext ctx(settingsPath, codePage, assumeYes);
  // Only batch can undo what a command did: a one-shot command records nothing.
  if (name != u"batch") ctx.Doc().UndoStack().SetRecording(false);
  int rc = it->second.run(ctx, args);
  // A one-shot command whose question went unanswered did not do what was asked.
  if (rc == kExitOk && name != u"batch" && ctx.Prompt().DeclinedCount() > 0) {
    ctx.Err() << "velum-cli: a question was answered with cancel; --yes answers OK\n";
    ctx.Err().flush();
    rc = kExitFailed;
  }
  if (rc == kExitOk && ctx.SettingsFailed()) rc = kExitFailed;
  ctx.AbandonDocument();
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // A file too large for this machine's memory: say so rather than abort.
    fprintf(stderr, "velum-cli: %s\n", msg::kNoMemory.toUtf8().constData());
    return kExitFailed;
  }
}
