// Item formulas over the generated file of 100,000 cards, with three formula
// items added: a running total (BEFORE), a column sum (SUM) and a weekday
// (YOUBI). RecalcAll as saving runs it, and the values one card shows.
#include "card_file_generator.h"
#include "core/card_store.h"
#include "formula/item_formula.h"

#include <benchmark/benchmark.h>


namespace {

constexpr int kCards = 100000;

struct CBenchWorld : CBenchServices {
  CBenchWorld() : store(services) {
    InstallItemFormulas();
    store.Read(GeneratedFile(kCards));
    for (const QString& name : {QStringLiteral("累計"), QStringLiteral("総額"), QStringLiteral("曜日")}) {
      store.AppendItem(name);
      for (auto& card : store.AllCards()) card->AppendItem(QString());
    }
    const int count = store.ItemCount();
    store.Property(count - 3).m_formula = QStringLiteral("BEFORE(%[累計])+%[金額]");
    store.Property(count - 2).m_formula = QStringLiteral("SUM(%[金額])");
    store.Property(count - 1).m_formula = QStringLiteral("YOUBI(%[日付])");
    amount = 7;  // 金額
  }

  // The stored texts of the formula items emptied and nothing remembered.
  void Forget() {
    const int count = store.ItemCount();
    for (int k = 0; k < store.AllCount(); ++k)
      for (int i = count - 3; i < count; ++i) store.AllCard(k)->SetItem(i, QString());
    store.SetValueCache(nullptr);
  }

  QStringList CardValues(int card) const {
    QStringList values;
    for (int i = 0; i < store.ItemCount(); ++i) values << store.GetItemValue(card, i);
    return values;
  }

  CCardStore store;
  int amount;
};

CBenchWorld& World() {
  static CBenchWorld world;
  return world;
}

// Every value computed afresh and stored (the first save after opening).
void BM_RecalcAll(benchmark::State& state) {
  CBenchWorld& w = World();
  for (auto _ : state) {
    state.PauseTiming();
    w.Forget();
    state.ResumeTiming();
    w.store.RecalcAll();
  }
}
BENCHMARK(BM_RecalcAll)->Unit(benchmark::kMillisecond)->Iterations(5);

// The running total of the last card, nothing remembered: the first visit
// to the last card after opening.
void BM_LastRunningTotalFirst(benchmark::State& state) {
  CBenchWorld& w = World();
  const int total = w.store.ItemCount() - 3;
  for (auto _ : state) {
    state.PauseTiming();
    w.Forget();
    state.ResumeTiming();
    benchmark::DoNotOptimize(w.store.GetItemValue(kCards - 1, total));
  }
}
BENCHMARK(BM_LastRunningTotalFirst)->Unit(benchmark::kMillisecond)->Iterations(10);

// RecalcAll again with nothing changed (a second save).
void BM_RecalcAllAgain(benchmark::State& state) {
  CBenchWorld& w = World();
  w.store.RecalcAll();
  for (auto _ : state) w.store.RecalcAll();
}
BENCHMARK(BM_RecalcAllAgain)->Unit(benchmark::kMillisecond)->Iterations(5);

// The 15 values of a card as the card view shows them, nothing changed since
// the last read.
void BM_ReadCard(benchmark::State& state) {
  CBenchWorld& w = World();
  w.CardValues(0);
  int card = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(w.CardValues(card));
    card = (card + 7919) % kCards;
  }
}
BENCHMARK(BM_ReadCard)->Unit(benchmark::kMicrosecond);

// The first read after an edit: the running total and the sum are computed
// again up to the card shown (the last card: the worst case).
void BM_ReadCardAfterEdit(benchmark::State& state) {
  CBenchWorld& w = World();
  int n = 0;
  for (auto _ : state) {
    w.store.SetItemText(n % kCards, w.amount, QString::number(n % 1000));
    benchmark::DoNotOptimize(w.CardValues(kCards - 1));
    ++n;
  }
}
BENCHMARK(BM_ReadCardAfterEdit)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
