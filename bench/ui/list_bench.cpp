// The list on a large deck: from the command that shows it to its rows drawn,
// scrolling to the end, and paging through it; and the memory the list adds
// beside the store (its models keep no copy of the deck).
//
//   list_bench [CARDS]       (default 1000000)
//
// Runs offscreen; prints wall and CPU times.
#include "card_file_generator.h"
#include "ui/views/list_view.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The resident set in MB, from /proc.
double RssMb() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = f.readAll().split(' ');
  return fields.size() > 1 ? double(fields[1].toLongLong()) * 4096.0 / 1048576.0 : 0;
}

// Runs `step`, then lets the window draw what it changed.
void Timed(const char* what, const std::function<void()>& step, QWidget& draw) {
  QElapsedTimer timer;
  const double c0 = CpuMs();
  timer.start();
  step();
  draw.repaint();
  QApplication::processEvents();
  printf("%-44s %10.1f ms wall %10.1f ms cpu\n", what, double(timer.nsecsElapsed()) / 1e6, CpuMs() - c0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  const int cards = argc > 1 ? atoi(argv[1]) : 1000000;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("deck.csv"));
  if (!WriteGeneratedCardFile(path, cards)) return 1;
  qputenv("VELUM_SETTINGS", dir.filePath(QStringLiteral("velum.reg")).toUtf8());
  qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());

  QString transcript;
  QTextStream out(&transcript);
  CVelumApp::Options options;
  options.file = path;
  options.screen = QSize(800, 600);
  options.script = &out;
  CVelumApp app(options);
  QElapsedTimer start;
  start.start();
  if (!app.Start()) return 1;
  CMainWindow window(app);
  window.Start();
  QApplication::processEvents();
  printf("%d cards: open and first card shown        %10.1f ms wall\n", cards, double(start.nsecsElapsed()) / 1e6);
  const double before = RssMb();

  Timed("list shown with its rows (32837)", [&] { window.Dispatch(32837); }, window);
  CListView& list = *window.ListView();
  printf("%-44s %10.1f MB\n", "memory the list added", RssMb() - before);
  Timed("scroll to the end", [&] { list.scrollToBottom(); }, list);
  Timed("scroll to the top", [&] { list.scrollToTop(); }, list);
  std::vector<double> steps;
  for (int i = 0; i < 50; ++i) {
    QElapsedTimer t;
    t.start();
    list.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    list.repaint();
    QApplication::processEvents();
    steps.push_back(double(t.nsecsElapsed()) / 1e6);
  }
  std::sort(steps.begin(), steps.end());
  printf("%-44s %10.2f ms median %8.2f ms worst\n", "page down, 50 steps", steps[steps.size() / 2], steps.back());
  Timed("next card in the list (32769)", [&] { window.Dispatch(32769); }, list);
  return 0;
}
