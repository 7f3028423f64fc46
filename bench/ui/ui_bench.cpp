// The window on generated decks (12 items and a running-total formula item):
// the start up to the first card shown, the first visit to the last card, the
// next-card command, and one typed character stored into the card, which must
// not grow with the deck.
//
//   ui_bench [CARDS...]       (default: 1000 100000)
//
// Runs offscreen; prints the median wall and CPU time of each figure.
#include "card_file_generator.h"
#include "app/frame_command_table.h"
#include "core/card_commands.h"
#include "core/velum_doc.h"
#include "formula/item_formula.h"
#include "records/search_request.h"
#include "select/select_commands.h"
#include "ui/views/card_view.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct CFigure {
  double wallMs;
  double cpuMs;
};

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The median of `runs` timings of `step`; `between` (untimed) runs before each.
CFigure Measure(int runs, const std::function<void()>& step, const std::function<void()>& between = {}) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < runs; ++i) {
    if (between) between();
    QElapsedTimer timer;
    const double c0 = CpuMs();
    timer.start();
    step();
    wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    cpu.push_back(CpuMs() - c0);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void Print(const char* what, int cards, const CFigure& f) {
  printf("%-48s %7d cards  %10.3f ms wall  %10.3f ms cpu\n", what, cards, f.wallMs, f.cpuMs);
  fflush(stdout);
}

// The generated deck with a running total over 金額 as a 13th item, saved
// with its property file.
QString WriteDeck(CBenchServices& bench, int cards) {
  const QString path = bench.GeneratedFile(cards);
  CVelumDoc doc(bench.services);
  doc.recordDefaultFile = false;
  if (!doc.OnOpenDocument(path)) return {};
  CCardStore& store = doc.Store();
  store.AppendItem(QStringLiteral("累計"));
  for (auto& card : store.AllCards()) card->AppendItem(QString());
  CItemProperty& p = store.Property(store.ItemCount() - 1);
  p.m_formula = QStringLiteral("BEFORE(%[累計])+%[金額]");
  p.m_set = 1;
  doc.SetModifiedFlag();
  return doc.Save() ? path : QString();
}

void Run(int cards) {
  CBenchServices bench;
  InstallItemFormulas();
  const QString deck = WriteDeck(bench, cards);
  if (deck.isEmpty()) {
    fprintf(stderr, "ui_bench: cannot write the deck of %d cards\n", cards);
    exit(1);
  }
  QString transcript;
  QTextStream out(&transcript);
  CVelumApp::Options options;
  options.file = deck;
  options.settingsPath = bench.dir.filePath(QStringLiteral("ui.reg"));
  options.screen = QSize(800, 600);
  options.script = &out;

  std::unique_ptr<CVelumApp> app;
  std::unique_ptr<CMainWindow> shown;
  const CFigure start = Measure(
      3,
      [&] {
        app = std::make_unique<CVelumApp>(options);
        if (!app->Start()) exit(1);
        shown = std::make_unique<CMainWindow>(*app);
        shown->Start();
      },
      [&] {
        shown.reset();
        app.reset();
      });
  Print("start to the first card shown", cards, start);
  shown->activateWindow();
  QApplication::processEvents();

  CMainWindow& window = *shown;
  // The last card the first time: its running total over every card before.
  Print("last card, first visit (32780)", cards, Measure(1, [&] {
          window.Dispatch(32780);
          QApplication::processEvents();
        }));
  window.Dispatch(32779);
  const CFigure next = Measure(
      200, [&] { window.Dispatch(32769); },
      [&] {
        if (app->Doc().CurrentCard() + 1 >= app->Doc().VisibleCount()) window.Dispatch(32779);
      });
  Print("next card (32769)", cards, next);

  // One character typed into 氏名 and stored, on the first and on the last card
  // (the running total below 金額 is not touched).
  for (const bool last : {false, true}) {
    window.Dispatch(last ? 32780 : 32779);
    CCardView& view = window.CardView();
    view.FocusItem(1);
    auto* edit = qobject_cast<QPlainTextEdit*>(view.ItemControl(1));
    if (!edit) exit(1);
    const CFigure type = Measure(200, [&] {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
      QApplication::sendEvent(edit, &release);
      view.StoreCard();
    });
    Print(last ? "type one character + StoreCard, last card" : "type one character + StoreCard, first card", cards,
          type);
    // The same leaving the item, which also refreshes the item list.
    const CFigure leave = Measure(200, [&] {
      view.FocusItem(1);
      QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
      QApplication::sendEvent(edit, &press);
      view.FocusItem(2);
    });
    Print(last ? "type one character + leave the item, last card" : "type one character + leave the item, first card",
          cards, leave);
  }

  // What the window does around undo, each command once with the views
  // refreshed as the window refreshes them: an edit of one card and its undo
  // and redo, then a sort, a filter and both undos.
  CVelumDoc& doc = app->Doc();
  CCardStore& store = doc.Store();
  const auto itemNamed = [&](const QString& name) {
    for (int i = 0; i < store.ItemCount(); ++i)
      if (store.Item(i) == name) return i;
    return -1;
  };
  const auto once = [&](const char* what, const std::function<void()>& step) {
    Print(what, cards, Measure(1, [&] {
            step();
            QApplication::processEvents();
          }));
  };
  window.Dispatch(32779);
  QApplication::processEvents();
  once("edit 金額 of the middle card",
       [&] { CommitItemText(doc, cards / 2, itemNamed(QStringLiteral("金額")), QStringLiteral("1")); });
  once("undo the edit (33200)", [&] { window.Dispatch(cmd::kUndoCommand); });
  once("redo the edit (33201)", [&] { window.Dispatch(cmd::kRedoCommand); });
  once("undo the edit again (33200)", [&] { window.Dispatch(cmd::kUndoCommand); });
  once("sort by 氏名", [&] { SortCommand(doc, itemNamed(QStringLiteral("氏名")), 0); });
  once("filter 住所 contains ビル",
       [&] { FilterCommand(doc, {itemNamed(QStringLiteral("住所"))}, kContains, QStringLiteral("ビル"), 0); });
  once("undo the filter (33200)", [&] { window.Dispatch(cmd::kUndoCommand); });
  once("undo the sort (33200)", [&] { window.Dispatch(cmd::kUndoCommand); });
  doc.SetModifiedFlag(false);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(atoi(argv[i]));
  if (sizes.empty()) sizes = {1000, 100000};
  for (int cards : sizes) Run(cards);
  return 0;
}
