// Open and save of the generated file of 100,000 cards x 12 items.
#include "card_file_generator.h"
#include "core/card_store.h"

#include <benchmark/benchmark.h>


namespace {

struct CBenchWorld : CBenchServices {
  QString path = GeneratedFile(100000);
};

CBenchWorld& World() {
  static CBenchWorld world;
  return world;
}

void BM_Open(benchmark::State& state) {
  CBenchWorld& w = World();
  for (auto _ : state) {
    CCardStore store(w.services);
    if (store.Read(w.path) != 1) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(store.AllCount());
  }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_Save(benchmark::State& state) {
  CBenchWorld& w = World();
  CCardStore store(w.services);
  store.Read(w.path);
  const QString out = w.dir.filePath(QStringLiteral("saved.csv"));
  for (auto _ : state) {
    if (store.Write(out) != 1) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
