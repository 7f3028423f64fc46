// Deleting every card of a 100,000-card deck with undo off and on, and taking
// the deletion back: the step keeps the deleted cards themselves instead of
// freeing them, so the deletion should cost no more with undo on.
#include "card_file_generator.h"
#include "core/card_commands.h"
#include "core/card_store.h"
#include "core/velum_doc.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>

#include <numeric>

namespace {

constexpr int kCards = 100000;

class CDeck {
 public:
  CDeck() {
    const QString path = m_bench.GeneratedFile(kCards);
    m_doc.recordDefaultFile = false;
    m_doc.OnOpenDocument(path);
    for (int i = 0; i < m_doc.Store().AllCount(); ++i) m_master.push_back(*m_doc.Store().AllCard(i));
  }
  CVelumDoc& Doc() { return m_doc; }
  CSettingsStore& Settings() { return m_bench.settings; }
  // Puts every card back as read, with nothing to undo.
  void Reset() {
    m_doc.UndoStack().Clear();
    auto& all = m_doc.Store().AllCards();
    all.clear();
    for (const CCardRow& row : m_master) all.push_back(std::make_unique<CCardRow>(row));
    m_doc.Store().RebuildVisible();
    m_doc.MakeCurrent(0);
  }
  std::vector<int> Everything() const {
    std::vector<int> all(std::size_t(m_doc.VisibleCount()));
    std::iota(all.begin(), all.end(), 0);
    return all;
  }

 private:
  CBenchServices m_bench;
  CScriptedPrompt m_prompt;  // answers OK to the deletion question
  CServices m_services{m_prompt, m_bench.clock, m_bench.clipboard, m_bench.shell, m_bench.settings, CodePage::Cp932};
  CVelumDoc m_doc{m_services};
  std::vector<CCardRow> m_master;
};

CDeck& Deck() {
  static CDeck deck;
  return deck;
}

// Argument: the number of undo steps kept (0 = undo off).
void BM_DeleteAllCards(benchmark::State& state) {
  CDeck& deck = Deck();
  WriteSetting(deck.Settings(), settings::kUndoSteps, std::uint32_t(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    deck.Reset();
    const std::vector<int> targets = deck.Everything();
    state.ResumeTiming();
    DeleteCards(deck.Doc(), targets);
  }
  state.counters["cards"] = kCards;
}
BENCHMARK(BM_DeleteAllCards)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_UndoRedoDeleteAllCards(benchmark::State& state) {
  CDeck& deck = Deck();
  WriteSetting(deck.Settings(), settings::kUndoSteps, 20);
  deck.Reset();
  DeleteCards(deck.Doc(), deck.Everything());
  for (auto _ : state) {
    deck.Doc().UndoStack().Undo(deck.Doc());
    deck.Doc().UndoStack().Redo(deck.Doc());
  }
  state.counters["cards"] = kCards;
}
BENCHMARK(BM_UndoRedoDeleteAllCards)->Unit(benchmark::kMillisecond);

}  // namespace
