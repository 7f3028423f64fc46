// Sorting, filtering and counting on the generated file of 100,000 cards x 12
// items (番号 氏名 ふりがな 郵便番号 住所 電話 日付 金額 数量 区分 メール メモ).
#include "bench/core/card_file_generator.h"
#include "core/card_store.h"
#include "select/filter.h"
#include "select/search_matcher.h"
#include "select/sort.h"
#include "select/totals.h"

#include <benchmark/benchmark.h>


namespace {

enum Item { kNumber = 0, kName = 1, kKana = 2, kAddress = 4, kAmount = 7, kKind = 9, kMemo = 11 };

struct CBenchWorld : CBenchServices {
  CBenchWorld() { store.Read(GeneratedFile(100000)); }
  CCardStore store{services};
};

CBenchWorld& World() {
  static CBenchWorld world;
  return world;
}

// Each round starts from the file order, so that no round sorts sorted cards.
void SortBench(benchmark::State& state, const CVelumSortArray& keys) {
  CCardStore& store = World().store;
  if (store.AllCount() != 100000) state.SkipWithError("read failed");
  CVelumSortArray fileOrder;
  fileOrder.m_keys = {CVelumSort(kNumber, kNumberAscending)};
  for (auto _ : state) {
    state.PauseTiming();
    SortByKeys(store, fileOrder);
    state.ResumeTiming();
    SortByKeys(store, keys);
  }
}

void BM_SortByText(benchmark::State& state) {
  CVelumSortArray keys;
  keys.m_keys = {CVelumSort(kName, kTextAscending)};
  SortBench(state, keys);
}
BENCHMARK(BM_SortByText)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_SortByNumber(benchmark::State& state) {
  CVelumSortArray keys;
  keys.m_keys = {CVelumSort(kAmount, kNumberAscending)};
  SortBench(state, keys);
}
BENCHMARK(BM_SortByNumber)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_SortByThreeKeys(benchmark::State& state) {
  CVelumSortArray keys;
  keys.m_keys = {CVelumSort(kKind, kTextAscending), CVelumSort(kKana, kTextDescending),
                 CVelumSort(kAmount, kNumberDescending)};
  SortBench(state, keys);
}
BENCHMARK(BM_SortByThreeKeys)->Unit(benchmark::kMillisecond)->MinTime(2);

// The filter and the counts run on cards sorted by name, so that the cards
// are visited out of the order they were allocated in, as after any sort.
CCardStore& SortedByName() {
  CCardStore& store = World().store;
  SortByItem(store, kName, kTextAscending);
  return store;
}

// "を含む" over two items, from all cards, as the filter command runs it.
void BM_FilterContainsTwoItems(benchmark::State& state) {
  CCardStore& store = SortedByName();
  SetSearchRequest(store, {kAddress, kMemo}, kContains, QStringLiteral("東京"), 0);
  int matched = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ShowAllCards(store);
    state.ResumeTiming();
    matched = NarrowVisible(store);
  }
  state.counters["matched"] = matched;
  ShowAllCards(store);
}
BENCHMARK(BM_FilterContainsTwoItems)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_CountTexts(benchmark::State& state) {
  CCardStore& store = SortedByName();
  for (auto _ : state) benchmark::DoNotOptimize(CountTexts(store, kKind).entries.size());
}
BENCHMARK(BM_CountTexts)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_CountTextsOfManyValues(benchmark::State& state) {
  CCardStore& store = SortedByName();
  for (auto _ : state) benchmark::DoNotOptimize(CountTexts(store, kAmount).entries.size());
}
BENCHMARK(BM_CountTextsOfManyValues)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
