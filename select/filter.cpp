#include "select/filter.h"

#include "core/card_store.h"
#include "core/row_prefetch.h"
#include "platform/text_util.h"
#include "records/item_property.h"
#include "records/velum_select.h"
#include "select/folding_matcher.h"
#include "select/search_matcher.h"

#include <algorithm>

bool IsFiltered(const CCardStore& store) { return store.VisibleCount() != store.AllCount(); }

int NarrowVisible(CCardStore& store) {
  CFoldingMatcher matcher(store);
  const CRowPrefetch prefetch(store.SearchRequest().items);
  const auto visible = [&store](int n) -> const CCardRow* { return store.VisibleCard(n); };
  int matched = 0;
  for (int n = 0; n < store.VisibleCount(); ++n) {
    prefetch.Before(n, visible);
    CCardRow& card = *store.VisibleCard(n);
    const bool match = matcher.Match(card, true, +1) != 0;
    card.SetVisible(match);
    matched += match;
  }
  if (matched == 0) {
    ShowAllCards(store);
    return 0;
  }
  store.RebuildVisible();
  return matched;
}

int WidenVisible(CCardStore& store) {
  if (!IsFiltered(store)) return 0;
  CFoldingMatcher matcher(store);
  const CRowPrefetch prefetch(store.SearchRequest().items);
  const auto all = [&store](int k) -> const CCardRow* { return store.AllCard(k); };
  int added = 0;
  for (int k = 0; k < store.AllCount(); ++k) {
    prefetch.Before(k, all);
    CCardRow& card = *store.AllCard(k);
    if (card.Visible() || !matcher.Match(card, true, +1)) continue;
    card.SetVisible(true);
    ++added;
  }
  store.RebuildVisible();
  return added;
}

void ShowAllCards(CCardStore& store) {
  for (int k = 0; k < store.AllCount(); ++k) store.AllCard(k)->SetVisible(true);
  store.RebuildVisible();
}

void InvertVisible(CCardStore& store) {
  for (int k = 0; k < store.AllCount(); ++k) {
    CCardRow& card = *store.AllCard(k);
    card.SetVisible(!card.Visible());
  }
  store.RebuildVisible();
}

QStringList FilterWordList(const CCardStore& store, int item, bool visibleOnly) {
  if (item < 0 || item >= store.ItemCount()) return {};
  std::vector<QStringView> texts;
  const int count = visibleOnly ? store.VisibleCount() : store.AllCount();
  texts.reserve(std::size_t(count));
  // A formula or linked item offers the values the cards show, not the
  // values of the last save.
  std::vector<QString> values;
  const CCardStore::IValueSource* source = store.ValueSource();
  if (source && IsFormulaOrLinked(store.Property(item))) {
    values.reserve(std::size_t(count));
    for (int n = 0; n < count; ++n) texts.push_back(values.emplace_back(source->ValueAt(store, n, !visibleOnly, item)));
  } else {
    for (int n = 0; n < count; ++n)
      texts.push_back((visibleOnly ? store.VisibleCard(n) : store.AllCard(n))->Item(item));
  }
  std::sort(texts.begin(), texts.end(), [](QStringView a, QStringView b) {
    const int c = WcsICmp(a, b);
    return c != 0 ? c < 0 : a.compare(b) < 0;
  });
  QStringList words;
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (i == 0 || texts[i] != texts[i - 1]) words << texts[i].toString();
  return words;
}

int CVelumSelectSet::Apply(CCardStore& store) {
  // A copy, so that replaying the store's own history (which grows as it
  // replays) ends.
  const CObArray records = m_records;
  // Replayed on the values the cards show, as the filter command matched them.
  bool computed = false;
  for (int i = 0; i < records.Size(); ++i)
    if (const CVelumSelect* r = records.As<CVelumSelect>(i))
      for (const auto item : r->m_items)
        computed = computed || (item >= 0 && item < store.ItemCount() &&
                                IsFormulaOrLinked(std::as_const(store).Property(int(item))));
  if (computed) store.RecalcAll();
  for (int i = 0; i < records.Size(); ++i) {
    const CVelumSelect* r = records.As<CVelumSelect>(i);
    if (!r) continue;
    if (r->m_kind == 1) {
      InvertVisible(store);
    } else if (r->m_kind != 2) {
      SetSearchRequest(store, {r->m_items.begin(), r->m_items.end()}, r->m_condition, r->m_word, r->m_requestFlag);
      if (r->m_method == 0) {
        if (IsFiltered(store)) ShowAllCards(store);
        NarrowVisible(store);
      } else if (r->m_method == 1) {
        NarrowVisible(store);
      } else {
        WidenVisible(store);
      }
    }
    store.FilterHistory().m_records.Append(r->Clone());
  }
  return IsFiltered(store) ? 1 : 0;
}
