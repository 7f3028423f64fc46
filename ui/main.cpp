#include "core/messages.h"
#include "platform/file_io.h"
#include "ui/main_window.h"
#include "ui/script_runner.h"
#include "ui/single_instance.h"
#include "ui/velum_application.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: velum [FILE]\n"
    "       velum --script SCRIPT [--screen WxH] [FILE]   (SCRIPT - reads standard input)\n";

int Usage() {
  fputs(kUsage, stderr);
  return 2;
}

// Opens a script file. A FIFO is opened without waiting for a writer (one
// that has none reads as empty); a folder is refused.
bool OpenScript(QFile& file, const QString& path, QString* why) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = SystemReason(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    *why = SystemReason(S_ISDIR(st.st_mode) ? EISDIR : errno);
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return true;
  ::close(fd);
  return false;
}

// A script needs no screen: without a display it runs offscreen, unless the
// platform was chosen explicitly.
void ChooseScriptPlatform(int argc, char** argv) {
  bool scripted = false;
  for (int i = 1; i < argc; ++i) scripted = scripted || std::strcmp(argv[i], "--script") == 0;
  if (!scripted || qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace

int main(int argc, char** argv) {
  ChooseScriptPlatform(argc, argv);
  CVelumQApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("velum"));

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
    QString why;
    const bool opened = script == u"-" ? scriptFile.open(stdin, QIODevice::ReadOnly) : OpenScript(scriptFile, script, &why);
    if (!opened) {
      err << "velum: " << script << ": " << (why.isEmpty() ? scriptFile.errorString() : why) << '\n';
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
        case CSingleInstance::Outcome::kNotAnswering:
        case CSingleInstance::Outcome::kBusy:
          err << "velum: " << instance.Error() << '\n';
          return 1;
        case CSingleInstance::Outcome::kFailed:
          err << "velum: " << instance.Error() << '\n';
          break;
        case CSingleInstance::Outcome::kFirst:
          break;
      }
    }
    qapp.onOutOfMemory = [&app] { app.Prompt().Notice(msg::kNoMemory); };
    struct CHookReset {
      CVelumQApplication& qapp;
      ~CHookReset() { qapp.onOutOfMemory = nullptr; }
    } hookReset{qapp};
    if (!app.Start()) return 1;
    // What later starts send waits until the window exists.
    instance.Serve([&app](unsigned id) {
      if (id == 700)
        app.Window().Dispatch(700);
      else
        app.Window().BringToFront();
    });
    if (!scripted) return QApplication::exec();
    CScriptRunner runner(app, in, out, err);
    runner.Start();
    QApplication::exec();
    return runner.ExitCode();
  } catch (const std::bad_alloc&) {
    err << "velum: " << msg::kNoMemory << '\n';
    return 1;
  }
}
