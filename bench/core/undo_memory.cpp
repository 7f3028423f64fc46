// Peak memory of deleting every card of a 100,000-card deck with undo off or
// on, measured from a reset peak after the file was read, as its own process.
//   undo_memory off|on
#include "card_file_generator.h"
#include "core/card_commands.h"
#include "core/velum_doc.h"
#include "settings/settings.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace {

long StatusKb(const char* field) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, field, std::strlen(field)) == 0) kb = std::atol(line + std::strlen(field));
  std::fclose(f);
  return kb;
}

// Makes the peak resident size start again from the current one (Linux).
void ResetPeak() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool undo = argc > 1 && std::strcmp(argv[1], "on") == 0;
  CBenchServices bench;
  WriteSetting(bench.settings, settings::kUndoSteps, undo ? 20 : 0);
  const QString path = bench.GeneratedFile(100000);
  CScriptedPrompt prompt;  // answers OK to the deletion question
  CServices services{prompt, bench.clock, bench.clipboard, bench.shell, bench.settings, CodePage::Cp932};
  CVelumDoc doc(services);
  doc.recordDefaultFile = false;
  doc.OnOpenDocument(path);
  std::vector<int> targets(std::size_t(doc.VisibleCount()));
  std::iota(targets.begin(), targets.end(), 0);

  ResetPeak();
  const long before = StatusKb("VmRSS:");
  auto start = std::chrono::steady_clock::now();
  DeleteCards(doc, targets);
  const double deleteMs = Ms(start);
  const long peak = StatusKb("VmHWM:");
  const long after = StatusKb("VmRSS:");
  std::printf("undo %s: %d cards deleted in %.1f ms\n", undo ? "on" : "off", int(targets.size()), deleteMs);
  std::printf("resident before %ld KiB, peak during the delete %ld KiB (+%ld), after %ld KiB\n", before, peak,
              peak - before, after);
  if (undo) {
    start = std::chrono::steady_clock::now();
    doc.UndoStack().Undo(doc);
    const double undoMs = Ms(start);
    std::printf("undo in %.1f ms: %d cards back, resident %ld KiB, peak %ld KiB\n", undoMs, doc.VisibleCount(),
                StatusKb("VmRSS:"), StatusKb("VmHWM:"));
  }
  return 0;
}
