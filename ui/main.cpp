#include "core/messages.h"
#include "platform/file_io.h"
#include "server/file_lock.h"
#include "ui/automation/script_runner.h"
#include "ui/window/main_window.h"
#include "ui/window/single_instance.h"
#include "ui/window/velum_application.h"

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

using namespace Qt::StringLiterals;

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

// The words of the command line.
struct CLaunch {
  QString script;  // with scripted
  QSize screen;
  QString file;
  bool scripted = false;
  bool help = false;
  bool usage = false;  // bad usage
};

// Options of the toolkit itself (-platform NAME, -reverse, ...): passed on to
// it, never taken for ours. With one dash or two, as the toolkit reads them.
bool IsToolkitOption(QStringView word, bool* takesValue) {
  static const QStringList kWithValue{
      u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s,  u"qwindowgeometry"_s,
      u"geometry"_s, u"qwindowicon"_s,        u"icon"_s,          u"qwindowtitle"_s, u"title"_s,
      u"session"_s,  u"display"_s,            u"name"_s,          u"style"_s,   u"stylesheet"_s,
      u"dialogs"_s,  u"visual"_s};
  static const QStringList kFlags{u"reverse"_s, u"widgetcount"_s, u"nograb"_s, u"dograb"_s, u"sync"_s};
  if (!word.startsWith(u'-') || word.size() < 2) return false;
  const QStringView name = word.mid(word.startsWith(u"--") ? 2 : 1);
  *takesValue = kWithValue.contains(name);
  return *takesValue || kFlags.contains(name);
}

// Reads the command line before anything needs a display, so that --help and
// bad usage answer on a terminal without one.
CLaunch ParseLaunch(int argc, char** argv) {
  CLaunch l;
  for (int i = 1; i < argc; ++i) {
    const QString a = QString::fromLocal8Bit(argv[i]);
    bool takesValue = false;
    if (a == u"--script" && i + 1 < argc) {
      l.script = QString::fromLocal8Bit(argv[++i]);
      l.scripted = true;
    } else if (a == u"--screen" && i + 1 < argc) {
      const auto m = QRegularExpression(u"^(\\d+)x(\\d+)$"_s).match(QString::fromLocal8Bit(argv[++i]));
      if (!m.hasMatch()) l.usage = true;
      l.screen = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    } else if (a == u"--help" || a == u"-h") {
      l.help = true;
    } else if (IsToolkitOption(a, &takesValue)) {
      if (takesValue) ++i;
    } else if (a.startsWith(u'-') && a != u"-") {
      l.usage = true;
    } else if (l.file.isEmpty()) {
      l.file = a;
    } else {
      l.usage = true;
    }
  }
  if (!l.scripted && l.screen.isValid()) l.usage = true;
  return l;
}

// A script needs no screen: without a display it runs offscreen, unless the
// platform was chosen explicitly.
void ChooseScriptPlatform(bool scripted) {
  if (!scripted || qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace

int main(int argc, char** argv) {
  const CLaunch launch = ParseLaunch(argc, argv);
  if (launch.help) {
    fputs(kUsage, stdout);
    return 0;
  }
  if (launch.usage) return Usage();
  ChooseScriptPlatform(launch.scripted);
  CVelumQApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("velum"));

  const QString& script = launch.script;
  const QString& file = launch.file;
  const bool scripted = launch.scripted;
  QSize screen = launch.screen;

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
    // Ended by a signal, the window leaves no lock beside its card file.
    RemoveLocksOnSignals();
    if (!app.Start()) return 1;
    CMainWindow window(app);
    window.Start();
    // What later starts send waits until the window exists.
    instance.Serve([&window](unsigned id) {
      if (id == 700)
        window.Dispatch(700);
      else
        window.BringToFront();
    });
    if (!scripted) return QApplication::exec();
    CScriptRunner runner(app, window, in, out, err);
    runner.Start();
    QApplication::exec();
    return runner.ExitCode();
  } catch (const std::bad_alloc&) {
    err << "velum: " << msg::kNoMemory << '\n';
    return 1;
  }
}
