// Peak memory of opening a card file: run as its own process so that the
// peak resident size belongs to this one open.
//   card_file_memory [FILE]     (without FILE: the generated 100,000 cards)
#include "card_file_generator.h"
#include "core/card_store.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

long CurrentRssKb() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  long pages = 0, resident = 0;
  if (f) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  CBenchServices bench;
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : bench.GeneratedFile(100000);

  const long before = CurrentRssKb();
  CCardStore store(bench.services);
  if (store.Read(path) != 1) {
    std::fprintf(stderr, "read failed\n");
    return 1;
  }
  const long peak = PeakRssKb();
  const long after = CurrentRssKb();

  long long units = 0;
  std::size_t heap = 0;
  for (int k = 0; k < store.AllCount(); ++k) {
    const CCardRow* c = store.AllCard(k);
    for (int i = 0; i < c->ItemCount(); ++i) units += c->Item(i).size();
    heap += c->HeapBytes();
  }
  const double textKb = units * 2 / 1024.0;
  std::printf("cards %d, items %d\n", store.AllCount(), store.ItemCount());
  std::printf("UTF-16 size of the texts: %.0f KiB\n", textKb);
  std::printf("resident before open %ld KiB, after %ld KiB, peak %ld KiB\n", before, after, peak);
  std::printf("peak growth %.0f KiB = %.2f x the texts; held after open %.2f x; card heap %.2f x\n",
              double(peak - before), (peak - before) / textKb, (after - before) / textKb, heap / 1024.0 / textKb);
  return 0;
}
