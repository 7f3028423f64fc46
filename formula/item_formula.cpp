#include "formula/item_formula.h"

#include "formula/formula_engine.h"
#include "formula/formula_text.h"
#include "formula/item_value_cache.h"

#include <utility>
#include <vector>

namespace {

class CItemFormulaSource final : public CCardStore::IValueSource {
 public:
  QString Value(const CCardStore& store, const CCardRow& card, int item) const override {
    const int k = CItemValueCache::For(store).AllIndexOf(&card);
    return k < 0 ? card.Item(item).toString() : GetItemValue(store, k, true, item, true);
  }

  QString ValueAt(const CCardStore& store, int card, bool allCards, int item) const override {
    return GetItemValue(store, card, allCards, item, true);
  }

  // Card by card, in item order. Storing a computed value changes no other
  // value unless a SUMTIME read that item's stored texts: only then are the
  // remembered results dropped.
  // The values of a card are stored together, in one rebuild of the card,
  // unless a formula calls SUMTIME, which may read what was just stored.
  void StoreValues(CCardStore& store) const override {
    CItemValueCache* cache = &CItemValueCache::For(store);
    const int items = store.ItemCount();
    bool together = true;
    for (int i = 0; i < items; ++i)
      if (cache->Computed(i) && FindCall(store.Property(i).m_formula, u"SUMTIME") >= 0) together = false;
    std::vector<std::pair<int, QString>> changed;
    for (int k = 0; k < store.AllCount(); ++k) {
      CCardRow* row = store.AllCard(k);
      const auto flush = [&] {
        if (changed.empty()) return;
        const std::uint64_t before = CCardRow::Changes();
        row->SetItems(changed);
        CItemValueCache::NoteStoredValue(before);
        changed.clear();
      };
      for (int i = 0; i < items; ++i) {
        if (!cache->Computed(i)) continue;
        QString value = ComputeNode(store, *cache, k, i, true);
        if (value == row->Item(i)) continue;
        changed.emplace_back(i, std::move(value));
        if (together) continue;
        flush();
        if (cache->ReadsComputedTexts(i)) cache = &CItemValueCache::Reset(store);
      }
      flush();
    }
  }
};

}  // namespace

QString GetItemValue(const CCardStore& store, int card, bool allCards, int item, bool display) {
  const CCardRow* row = allCards ? store.AllCard(card) : store.VisibleCard(card);
  if (!row || item < 0 || item >= store.ItemCount()) return QString();
  if (!IsFormulaOrLinked(store.Property(item))) return row->Item(item).toString();
  CItemValueCache& cache = CItemValueCache::For(store);
  return ComputeNode(store, cache, allCards ? card : cache.AllIndexOfVisible(card), item, display);
}

QString EvaluateItemFormula(const CCardStore& store, int card, bool allCards, int item, bool display) {
  const CCardRow* row = allCards ? store.AllCard(card) : store.VisibleCard(card);
  if (!row || item < 0 || item >= store.ItemCount()) return QString();
  const CItemProperty& p = store.Property(item);
  if (p.HasFormula() && p.m_type != kItemLinked) return GetItemValue(store, card, allCards, item, display);
  CItemValueCache& cache = CItemValueCache::For(store);
  return ComputeFormula(store, cache, allCards ? card : cache.AllIndexOfVisible(card), p.m_formula, item, display,
                        p.DigitGrouping());
}

QString EvaluateFormulaText(const CCardStore& store, int card, bool allCards, QStringView formula, bool display) {
  const CCardRow* row = allCards ? store.AllCard(card) : store.VisibleCard(card);
  if (!row) return QString();
  CItemValueCache& cache = CItemValueCache::For(store);
  return ComputeFormula(store, cache, allCards ? card : cache.AllIndexOfVisible(card), formula.toString(), -1,
                        display, false);
}

CColumnStatistics ComputeColumnStatistics(const CCardStore& store, int item) {
  if (item < 0 || item >= store.ItemCount()) return {};
  return ComputeStatistics(store, CItemValueCache::For(store), item);
}

const CCardStore::IValueSource& ItemFormulaSource() {
  static const CItemFormulaSource source;
  return source;
}

void InstallItemFormulas() { CCardStore::SetDefaultValueSource(&ItemFormulaSource()); }
