#include "formula/item_value_cache.h"

#include "platform/clock.h"
#include "platform/text_util.h"

#include <atomic>
#include <utility>

namespace {

// Changes of the cards that no remembered value depends on (RecalcAll storing
// what it computed); a cache holds while Changes() - this stands still.
std::atomic<std::uint64_t> s_storedValueChanges{0};

std::uint64_t Stamp() { return CCardRow::Changes() - s_storedValueChanges.load(std::memory_order_relaxed); }

}  // namespace

void CItemValueCache::NoteStoredValue(std::uint64_t changesBefore) {
  s_storedValueChanges.fetch_add(CCardRow::Changes() - changesBefore, std::memory_order_relaxed);
}

std::vector<CItemValueCache::CRecordKey> CItemValueCache::Records(const CCardStore& store) {
  std::vector<CRecordKey> records;
  const int count = std::max(store.ItemCount(), 0);
  records.reserve(count);
  for (int i = 0; i < count; ++i) {
    const CItemProperty& p = store.Property(i);
    records.push_back({p.m_formula, p.m_type, p.DigitGrouping(), p.m_linkSource, p.m_linkTargetName, p.m_choices});
  }
  return records;
}

CItemValueCache::CItemValueCache(const CCardStore& store)
    : m_store(store), m_stamp(Stamp()), m_records(Records(store)) {
  const int count = int(m_records.size());
  m_items.resize(count);
  m_computed.resize(count);
  m_readsStoredTexts.resize(count);
  m_selfReferenced.assign(count, -1);
  for (int i = 0; i < count; ++i) m_computed[i] = IsFormulaOrLinked(store.Property(i));
  // Names inserted last to first, so that the first item of a name wins.
  m_nameTexts.reserve(count);
  for (int i = 0; i < count; ++i) m_nameTexts.push_back(store.Item(i).toString());
  for (int i = 0; i < count; ++i)
    m_names.emplace(std::u16string_view(reinterpret_cast<const char16_t*>(m_nameTexts[i].utf16()), m_nameTexts[i].size()), i);

  // The visible list keeps the order of the all-cards list, so one walk maps it.
  const int visible = store.VisibleCount();
  m_visibleAll.assign(visible, -1);
  int v = 0;
  for (int k = 0; k < store.AllCount() && v < visible; ++k)
    if (store.AllCard(k) == store.VisibleCard(v)) m_visibleAll[v++] = k;
  for (; v < visible; ++v) {
    const int k = AllIndexOf(store.VisibleCard(v));
    m_visibleAll[v] = k < 0 ? 0 : k;
  }
}

namespace {

// Records are compared on every use: a text still shared with the copy taken
// is the same without reading it.
bool SameText(const QString& a, const QString& b) {
  return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

bool SameTexts(const QStringList& a, const QStringList& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (!SameText(a[i], b[i])) return false;
  return true;
}

}  // namespace

bool CItemValueCache::Holds(const CCardStore& store) const {
  if (m_stamp != Stamp()) return false;
  const int count = std::max(store.ItemCount(), 0);
  if (count != int(m_records.size())) return false;
  for (int i = 0; i < count; ++i) {
    const CItemProperty& p = store.Property(i);
    const CRecordKey& r = m_records[i];
    if (p.m_type != r.type || p.DigitGrouping() != r.grouping || p.m_linkSource != r.linkSource ||
        !SameText(p.m_formula, r.formula) || !SameText(p.m_linkTargetName, r.linkTarget) ||
        !SameTexts(p.m_choices, r.choices))
      return false;
  }
  return !m_readsClock || store.Services().clock.Now().date() == m_today;
}

CItemValueCache& CItemValueCache::For(const CCardStore& store) {
  auto* cache = dynamic_cast<CItemValueCache*>(store.ValueCache());
  if (cache && cache->Holds(store)) return *cache;
  return Reset(store);
}

CItemValueCache& CItemValueCache::Reset(const CCardStore& store) {
  store.SetValueCache(nullptr);  // the old results go before the new ones grow
  auto fresh = std::make_unique<CItemValueCache>(store);
  CItemValueCache& cache = *fresh;
  store.SetValueCache(std::move(fresh));
  return cache;
}

CItemValueCache::CNodes& CItemValueCache::Nodes(int item, bool display) {
  std::unique_ptr<CNodes>& nodes = m_items[item].nodes[display ? 1 : 0];
  if (!nodes) {
    nodes = std::make_unique<CNodes>();
    nodes->state.assign(m_store.AllCount(), State::kUnknown);
    nodes->begin.resize(m_store.AllCount());
    nodes->length.resize(m_store.AllCount());
  }
  return *nodes;
}

CItemValueCache::State CItemValueCache::StateOf(int card, int item, bool display) const {
  const std::unique_ptr<CNodes>& nodes = m_items[item].nodes[display ? 1 : 0];
  return nodes ? nodes->state[card] : State::kUnknown;
}

QStringView CItemValueCache::ValueOf(int card, int item, bool display) const {
  const CNodes& nodes = *m_items[item].nodes[display ? 1 : 0];
  return QStringView(nodes.text).sliced(nodes.begin[card], nodes.length[card]);
}

void CItemValueCache::SetPending(int card, int item, bool display) {
  Nodes(item, display).state[card] = State::kPending;
}

void CItemValueCache::SetDone(int card, int item, bool display, QString value) {
  CNodes& nodes = Nodes(item, display);
  nodes.state[card] = State::kDone;
  nodes.begin[card] = std::uint32_t(nodes.text.size());
  nodes.length[card] = std::uint32_t(value.size());
  nodes.text += value;
}

int CItemValueCache::AllIndexOf(const CCardRow* row) {
  if (m_rowIndex.empty())
    for (int k = 0; k < m_store.AllCount(); ++k) m_rowIndex.emplace(m_store.AllCard(k), k);
  const auto it = m_rowIndex.find(row);
  return it == m_rowIndex.end() ? -1 : it->second;
}

int CItemValueCache::ItemByName(QStringView name) const {
  const auto it = m_names.find(std::u16string_view(reinterpret_cast<const char16_t*>(name.utf16()), name.size()));
  return it == m_names.end() ? -1 : it->second;
}

int CItemValueCache::ItemByNameNoCase(QStringView name) {
  if (m_namesNoCase.isEmpty())
    for (int i = int(m_records.size()) - 1; i >= 0; --i) m_namesNoCase.insert(CharLower(m_store.Item(i)), i);
  const auto it = m_namesNoCase.constFind(CharLower(name));
  return it == m_namesNoCase.cend() ? -1 : it.value();
}

int CItemValueCache::FindKey(int item, QStringView key) {
  auto it = m_keys.find(item);
  if (it == m_keys.end()) {
    QHash<QString, int> index;
    for (int v = int(m_visibleAll.size()) - 1; v >= 0; --v)
      index.insert(CharUpper(m_store.VisibleCard(v)->Item(item)), v);
    it = m_keys.insert(item, std::move(index));
  }
  return it->value(CharUpper(key), -1);
}

CItemValueCache::CExpansion& CItemValueCache::ExpansionOf(int card, int item) {
  if (card != m_expansionCard) {
    for (int i : m_expanded) m_expansions[i] = CExpansion();
    m_expanded.clear();
    m_expansionCard = card;
  }
  if (m_expansions.size() != m_records.size()) m_expansions.resize(m_records.size());
  CExpansion& e = m_expansions[item];
  if (e.step == CExpansion::Step::kNone && e.formStep == CExpansion::Step::kNone) m_expanded.push_back(item);
  return e;
}

void CItemValueCache::NoteClock(QDate today) {
  m_readsClock = true;
  m_today = today;
}
