// What the window does to a large deck with a running total in it, timed one
// by one and with the resident size after: a sort by a text, a filter and
// both undos; the first value of the last card; an edit of one card, its undo
// and redo, each followed by the last card's value again; a change of an
// item's record, an inserted and a moved item, one item's text unified, the
// cards of a filter discarded, each with its undo.
//   undo_window [CARDS] [first]   (default 1,000,000)
// With `first`, only the first value of the last card, five times over with
// nothing remembered (the median is the figure; the first run also pays for
// the memory the remembered values take).
#include "card_file_generator.h"
#include "core/card_commands.h"
#include "core/item_commands.h"
#include "core/item_property_edit.h"
#include "core/velum_doc.h"
#include "formula/item_formula.h"
#include "records/search_request.h"
#include "select/select_commands.h"
#include "settings/settings.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <time.h>

namespace {

long ResidentKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
  std::fclose(f);
  return kb;
}

double CpuMs() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Wall and CPU time: on a busy machine the wall time stretches.
void Timed(const char* what, const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = CpuMs();
  run();
  const double cpu = CpuMs() - cpuStart;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-40s %9.1f ms (cpu %7.1f)  resident %7ld MiB\n", what, ms, cpu, ResidentKb() / 1024);
}

int ItemNamed(const CCardStore& store, const QString& name) {
  for (int i = 0; i < store.ItemCount(); ++i)
    if (store.Item(i) == name) return i;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int cards = argc > 1 ? std::atoi(argv[1]) : 1000000;
  InstallItemFormulas();
  CBenchServices bench;
  WriteSetting(bench.settings, settings::kUndoSteps, 20);
  const QString path = bench.GeneratedFile(cards);
  CScriptedPrompt prompt;
  CServices services{prompt, bench.clock, bench.clipboard, bench.shell, bench.settings, CodePage::Cp932};
  CVelumDoc doc(services);
  doc.recordDefaultFile = false;
  doc.OnOpenDocument(path);
  CCardStore& store = doc.Store();
  const int name = ItemNamed(store, QStringLiteral("氏名"));
  const int address = ItemNamed(store, QStringLiteral("住所"));
  const int amount = ItemNamed(store, QStringLiteral("金額"));
  // 数量 becomes the running total of 金額.
  const int total = ItemNamed(store, QStringLiteral("数量"));
  store.Property(total).m_formula = QStringLiteral("BEFORE(%[数量])+%[金額]");
  std::printf("%d cards, resident %ld MiB after reading\n", store.AllCount(), ResidentKb() / 1024);

  const auto last = [&] { GetItemValue(store, doc.VisibleCount() - 1, false, total, true); };
  Timed("the last card's running total, first", last);
  if (argc > 2 && std::strcmp(argv[2], "first") == 0) {
    for (int run = 0; run < 4; ++run) {
      store.SetValueCache(nullptr);
      Timed("nothing remembered, again", last);
    }
    return 0;
  }
  Timed("again", last);
  const long before = ResidentKb();
  Timed("sort by 氏名", [&] { SortCommand(doc, name, 0); });
  Timed("filter 住所 contains ビル", [&] { FilterCommand(doc, {address}, kContains, QStringLiteral("ビル"), 0); });
  Timed("undo the filter", [&] { doc.UndoStack().Undo(doc); });
  Timed("undo the sort", [&] { doc.UndoStack().Undo(doc); });
  const long after = ResidentKb();
  std::printf("resident before the sort %ld MiB, after both undos %ld MiB (%+.1f %%)\n", before / 1024, after / 1024,
              100.0 * double(after - before) / double(before));
  Timed("the last card's running total", last);
  Timed("edit 金額 of the middle card", [&] { CommitItemText(doc, cards / 2, amount, QStringLiteral("1")); });
  Timed("the last card's running total", last);
  Timed("undo the edit", [&] { doc.UndoStack().Undo(doc); });
  Timed("the last card's running total", last);
  Timed("redo the edit", [&] { doc.UndoStack().Redo(doc); });
  Timed("the last card's running total", last);
  CItemProperty grouped = store.Property(amount);
  grouped.m_flags |= CItemProperty::kDigitGrouping;
  Timed("digit grouping for 金額 (its record)", [&] { ApplyItemProperty(doc, amount, grouped, nullptr); });
  Timed("undo it", [&] { doc.UndoStack().Undo(doc); });
  const long items = ResidentKb();
  Timed("insert an item before 金額", [&] {
    CItemEditor editor(doc);
    editor.Insert(amount, QStringLiteral("税"));
    editor.Close();
  });
  Timed("undo it", [&] { doc.UndoStack().Undo(doc); });
  Timed("move 金額 up", [&] {
    CItemEditor editor(doc);
    editor.MoveUp(amount);
    editor.Close();
  });
  Timed("undo it", [&] { doc.UndoStack().Undo(doc); });
  Timed("unify 区分 on every card", [&] { UnifyItem(doc, ItemNamed(store, QStringLiteral("区分")), QStringLiteral("友人")); });
  Timed("undo it", [&] { doc.UndoStack().Undo(doc); });
  FilterCommand(doc, {address}, kContains, QStringLiteral("ビル"), 0);
  Timed("discard the cards of a filter (廃棄)", [&] { DiscardCommand(doc); });
  Timed("undo it", [&] { doc.UndoStack().Undo(doc); });
  std::printf("resident before the item commands %ld MiB, after %ld MiB (%+.1f %%)\n", items / 1024,
              ResidentKb() / 1024, 100.0 * double(ResidentKb() - items) / double(items));
  return 0;
}
