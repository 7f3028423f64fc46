// Storing an edit on one card of a deck with a running total (BEFORE) and a
// column sum (SUM), as the card view does it: the typed text goes into the
// card, then the card's values are read again for display. Swept over the
// deck size, the first or last card, and the item edited: 氏名, which no
// formula reads, or 金額, which both formulas read.
#include "card_file_generator.h"
#include "core/card_store.h"
#include "formula/item_formula.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct CEditWorld : CBenchServices {
  explicit CEditWorld(int cards) : store(services) {
    InstallItemFormulas();
    store.Read(GeneratedFile(cards));
    for (const QString& name : {QStringLiteral("累計"), QStringLiteral("総額")}) {
      store.AppendItem(name);
      for (auto& card : store.AllCards()) card->AppendItem(QString());
    }
    const int count = store.ItemCount();
    store.Property(count - 2).m_formula = QStringLiteral("BEFORE(%[累計])+%[金額]");
    store.Property(count - 1).m_formula = QStringLiteral("SUM(%[金額])");
    ReadCard(store.VisibleCount() - 1);  // every value known, as after opening and scrolling
  }

  void ReadCard(int card) const {
    for (int i = 0; i < store.ItemCount(); ++i) benchmark::DoNotOptimize(store.GetItemValue(card, i));
  }

  CCardStore store;
};

// One deck at a time: a million cards take a good part of a gigabyte.
CEditWorld& World(int cards) {
  static std::unique_ptr<CEditWorld> world;
  if (!world || world->store.AllCount() != cards) {
    world.reset();
    world = std::make_unique<CEditWorld>(cards);
  }
  return *world;
}

constexpr int kName = 1;    // 氏名
constexpr int kAmount = 7;  // 金額

// Arguments: cards, the card edited (0 the first, 1 the last, 2 the middle
// one, found by a walk over the cards), item edited.
void BM_StoreEdit(benchmark::State& state) {
  CEditWorld& w = World(int(state.range(0)));
  const int last = w.store.VisibleCount() - 1;
  const int card = state.range(1) == 0 ? 0 : state.range(1) == 1 ? last : last / 2;
  const int item = int(state.range(2));
  int n = 0;
  for (auto _ : state) {
    const QString text = item == kAmount ? QString::number(100 + n % 900) : QStringLiteral("山田%1").arg(n);
    w.store.VisibleCard(card)->SetItem(item, text);
    w.ReadCard(card);
    ++n;
  }
}
BENCHMARK(BM_StoreEdit)
    ->ArgNames({"cards", "card", "item"})
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1, 2}, {kName, kAmount}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

}  // namespace
