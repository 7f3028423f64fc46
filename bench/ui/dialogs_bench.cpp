// The find, sort and filter dialogs on a generated deck (12 items):
// one keystroke of the item list's incremental search (text typed into its
// window, the list and the card view following the match), and sort and
// filter confirmed in their dialogs up to the views drawn again.
//
//   dialogs_bench [CARDS...]       (default: 100000)
//
// Runs offscreen; prints the median and the largest wall and CPU time of each figure.
#include "card_file_generator.h"
#include "core/velum_doc.h"
#include "select/filter.h"
#include "ui/dialogs/select/filter_dialog.h"
#include "ui/dialogs/select/sort_dialog.h"
#include "ui/views/incremental_search_window.h"
#include "ui/views/item_list_view.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct CFigure {
  double wallMs, cpuMs, maxWallMs;
};

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Each step is timed with the events it leaves (painting included).
CFigure Measure(const std::vector<std::function<void()>>& steps, const std::function<void()>& between = {}) {
  std::vector<double> wall, cpu;
  for (const auto& step : steps) {
    if (between) between();
    QApplication::processEvents();
    QElapsedTimer timer;
    const double c0 = CpuMs();
    timer.start();
    step();
    QApplication::processEvents();
    wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    cpu.push_back(CpuMs() - c0);
  }
  const double worst = *std::max_element(wall.begin(), wall.end());
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2], worst};
}

void Print(const char* what, int cards, const CFigure& f) {
  printf("%-52s %7d cards  %9.3f ms wall (max %9.3f)  %9.3f ms cpu\n", what, cards, f.wallMs, f.maxWallMs, f.cpuMs);
  fflush(stdout);
}

QAbstractButton* Button(QWidget& w, const QString& text) {
  for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

// Confirms the dialog the command opens after `set` has filled it.
template <class D>
void RunDialog(CMainWindow& window, std::uint32_t id, std::function<void(D&)> set, const QString& confirm) {
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!d) {
      fprintf(stderr, "dialogs_bench: the dialog of %u did not open\n", id);
      exit(1);
    }
    set(*d);
    Button(*d, confirm)->click();
  });
  window.Dispatch(id);
}

std::vector<std::function<void()>> Repeat(int n, const std::function<void()>& f) {
  return std::vector<std::function<void()>>(std::size_t(n), f);
}

void Run(int cards) {
  CBenchServices bench;
  const QString deck = bench.GeneratedFile(cards);
  QString transcript;
  QTextStream out(&transcript);
  CVelumApp::Options options;
  options.file = deck;
  options.settingsPath = bench.dir.filePath(QStringLiteral("ui.reg"));
  options.screen = QSize(800, 600);
  options.script = &out;
  CVelumApp app(options);
  if (!app.Start()) exit(1);
  CMainWindow window(app);
  window.Start();
  window.show();
  QApplication::processEvents();
  CVelumDoc& doc = app.Doc();

  // Incremental search over 氏名: keystrokes that find a card, the next
  // candidate, and texts no card holds (every line after the start is tried).
  CItemListView& list = window.ItemList();
  list.Chooser().setCurrentIndex(1);
  Q_EMIT list.Chooser().activated(1);
  window.Dispatch(32779);
  window.Dispatch(32871);
  list.OpenIncrementalSearch(QString());
  CIncrementalSearchWindow* search = list.SearchWindow();
  auto* edit = search->findChild<QLineEdit*>();
  const QString found = QStringLiteral("中村 陽菜");
  std::vector<std::function<void()>> typing;
  for (int i = 1; i <= found.size(); ++i) typing.push_back([edit, text = found.left(i)] { edit->setText(text); });
  Print("incremental search, a keystroke that finds", cards,
        Measure(typing, [&] { edit->clear(); }));
  Print("incremental search, 次候補", cards,
        Measure(Repeat(20, [&] { Button(*search, QStringLiteral("次候補(&N)"))->click(); })));
  const QString none = QStringLiteral("該当なし");
  std::vector<std::function<void()>> missing;
  for (int i = 1; i <= none.size(); ++i) missing.push_back([edit, text = none.left(i)] { edit->setText(text); });
  Print("incremental search, a keystroke that finds nothing", cards,
        Measure(missing, [&] { edit->clear(); }));
  Button(*search, QStringLiteral("閉じる"))->click();
  QApplication::processEvents();

  // Sort from its dialog, the views drawn again: 金額 by number, 氏名 by text.
  const struct {
    const char* what;
    int item, order;
  } sorts[] = {{"sort dialog: 金額 number ascending", 7, 1}, {"sort dialog: 氏名 text descending", 1, 2}};
  for (const auto& s : sorts) {
    Print(s.what, cards, Measure(Repeat(3, [&] {
            RunDialog<CSortDialog>(
                window, 32778,
                [&](CSortDialog& d) {
                  d.findChild<QListWidget*>()->setCurrentRow(s.item);
                  d.findChildren<QRadioButton*>()[s.order]->click();
                },
                QStringLiteral("OK"));
          })));
  }

  // Filter from its dialog: 住所 contains 東京 (about a sixth of the cards),
  // from all cards; every card is shown again between the runs.
  Print("filter dialog: 住所 contains 東京", cards, Measure(Repeat(3, [&] {
          RunDialog<CFilterDialog>(
              window, 32785,
              [&](CFilterDialog& d) {
                auto* items = d.findChild<QListWidget*>();
                items->clearSelection();
                items->item(4)->setSelected(true);
                for (QComboBox* c : d.findChildren<QComboBox*>())
                  if (c->isEditable()) c->setEditText(QStringLiteral("東京"));
              },
              QStringLiteral("選択開始"));
        }),
        [&] {
          ShowAllCards(doc.Store());
          doc.UpdateAllViews(nullptr, 0x20003);
        }));
  if (doc.VisibleCount() >= cards) {
    fprintf(stderr, "dialogs_bench: the filter hid nothing\n");
    exit(1);
  }
  doc.SetModifiedFlag(false);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(atoi(argv[i]));
  if (sizes.empty()) sizes = {100000};
  for (int cards : sizes) Run(cards);
  return 0;
}
