#include "ui/main_window.h"
#include "ui/script_runner.h"
#include "ui/single_instance.h"
#include "ui/velum_application.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <new>
#include <vector>

namespace {

const char kUsage[] =
    "usage: velum [FILE]\n"
    "       velum --script SCRIPT [--screen WxH] [FILE]   (SCRIPT - reads standard input)\n";

int Usage() {
  fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("velum"));
  QApplication::setApplicationDisplayName(QStringLiteral("Velum"));

  QStringList args = QApplication::arguments().mid(1);
  QString script;
  QSize screen;
  QString file;
  bool scripted = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--script" && i + 1 < args.size()) {
      script = args[++i];
      scripted = true;
    } else if (a == u"--screen" && i + 1 < args.size()) {
      const auto m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args[++i]);
      if (!m.hasMatch()) return Usage();
      screen = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    } else if (a == u"--help" || a == u"-h") {
      fputs(kUsage, stdout);
      return 0;
    } else if (a.startsWith(u'-') && a != u"-") {
      return Usage();
    } else if (file.isEmpty()) {
      file = a;
    } else {
      return Usage();
    }
  }
  if (!scripted && screen.isValid()) return Usage();

  QTextStream out(stdout);
  QTextStream err(stderr);
  QFile scriptFile;
  QTextStream in;
  if (scripted) {
    if (!screen.isValid()) screen = QSize(800, 800);
    const bool opened = script == u"-" ? scriptFile.open(stdin, QIODevice::ReadOnly)
                                       : (scriptFile.setFileName(script), scriptFile.open(QIODevice::ReadOnly));
    if (!opened) {
      err << "velum: " << script << ": " << scriptFile.errorString() << '\n';
      return 1;
    }
    in.setDevice(&scriptFile);
  }

  try {
    CVelumApp::Options options;
    options.file = file;
    options.screen = screen;
    options.script = scripted ? &out : nullptr;
    CVelumApp app(options);

    CSingleInstance instance;
    if (!scripted) {
      switch (instance.Claim(file, app.Settings())) {
        case CSingleInstance::Outcome::kHandedOver:
          return 0;
        case CSingleInstance::Outcome::kFailed:
          err << "velum: the running copy could not be reached\n";
          break;
        case CSingleInstance::Outcome::kFirst:
          break;
      }
    }
    // A later start may arrive while this one still opens its file (a message
    // box runs its own loop): what it sends waits until the window exists.
    bool started = false;
    std::vector<unsigned> pending;
    auto run = [&app](unsigned id) {
      if (id == 700)
        app.Window().Dispatch(700);
      else
        app.Window().BringToFront();
    };
    instance.onCommand = [&](unsigned id) {
      if (started)
        run(id);
      else
        pending.push_back(id);
    };
    if (!app.Start()) return 1;
    started = true;
    for (unsigned id : pending) run(id);
    if (!scripted) return QApplication::exec();
    CScriptRunner runner(app, in, out, err);
    runner.Start();
    QApplication::exec();
    return runner.ExitCode();
  } catch (const std::bad_alloc&) {
    fputs("velum: out of memory\n", stderr);
    return 1;
  }
}
