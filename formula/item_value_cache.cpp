#include "formula/item_value_cache.h"

#include "formula/number_text.h"
#include "platform/clock.h"
#include "platform/text_util.h"

#include <atomic>
#include <cmath>
#include <limits>
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
    : m_store(store), m_stamp(Stamp()), m_changes(CCardRow::Changes()), m_records(Records(store)) {
  const int count = int(m_records.size());
  m_items.resize(count);
  m_computed.resize(count);
  m_readsStoredTexts.resize(count);
  m_selfReferenced.assign(count, -1);
  m_compiled.resize(count);
  m_compiledKnown.assign(count, false);
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

bool CItemValueCache::SameRecords(const CCardStore& store) const {
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
  if (cache && cache->SameRecords(store) && cache->Follow(store)) return *cache;
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
  if (std::int64_t whole; WholeOf(card, item, display, &whole)) {
    FormatWholeInto(double(whole), nodes.written);
    return nodes.written;
  }
  return QStringView(nodes.text).sliced(nodes.begin[card], nodes.length[card]);
}

bool CItemValueCache::WholeOf(int card, int item, bool display, std::int64_t* value) const {
  const CNodes* nodes = m_items[item].nodes[display ? 1 : 0].get();
  if (!nodes || nodes->state[card] != State::kDone || !nodes->Whole(card)) return false;
  // 63 bits, two's complement: bit 62 is the sign.
  const std::uint64_t bits = (std::uint64_t(nodes->length[card] & ~CNodes::kWholeBit) << 32) | nodes->begin[card];
  *value = std::int64_t(bits << 1) >> 1;
  return true;
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

void CItemValueCache::SetWhole(int card, int item, bool display, std::int64_t value) {
  CNodes& nodes = Nodes(item, display);
  const std::uint64_t bits = std::uint64_t(value);
  nodes.state[card] = State::kDone;
  nodes.begin[card] = std::uint32_t(bits);
  nodes.length[card] = (std::uint32_t(bits >> 32) & ~CNodes::kWholeBit) | CNodes::kWholeBit;
}

int CItemValueCache::AllIndexOf(const CCardRow* row) {
  // The card last found or last computed is mostly the one asked about (the
  // card shown, then edited): no index of every card for it.
  for (int k : {m_lastFound, m_expansionCard})
    if (k >= 0 && m_store.AllCard(k) == row) return m_lastFound = k;
  if (m_rowIndex.empty()) {
    m_rowIndex.reserve(m_store.AllCount());
    for (int k = 0; k < m_store.AllCount(); ++k) m_rowIndex.emplace(m_store.AllCard(k), k);
  }
  const auto it = m_rowIndex.find(row);
  if (it == m_rowIndex.end()) return -1;
  m_lastFound = it->second;
  return m_lastFound;
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

void CItemValueCache::StartExpansions(int card) {
  if (card != m_expansionCard) {
    for (int i : m_expanded) m_expansions[i] = CExpansion();
    m_expanded.clear();
    m_expansionCard = card;
  }
  if (m_expansions.size() != m_records.size()) m_expansions.resize(m_records.size());
}

void CItemValueCache::NoteClock(QDate today) {
  m_readsClock = true;
  m_today = today;
}

bool CItemValueCache::Follow(const CCardStore& store) {
  const std::uint64_t changes = CCardRow::Changes();
  const std::uint64_t stamp = Stamp();
  if (stamp != m_stamp) {
    if (m_rewritable) return false;
    std::vector<CCardRow::CItemEdit> edits;
    if (!CCardRow::ItemEditsSince(m_changes, changes, &edits)) return false;
    if (!m_dependencies) m_dependencies = std::make_unique<CItemDependencies>(store);
    if (!m_dependencies->Known() || !DropReaders(edits)) return false;
  }
  m_stamp = stamp;
  m_changes = changes;
  return true;
}

bool CItemValueCache::DropReaders(const std::vector<CCardRow::CItemEdit>& edits) {
  const int all = m_store.AllCount();
  for (const CCardRow::CItemEdit& edit : edits) {
    if (edit.row == &m_store) return false;  // an item name
    // A few edits look their card up in the list itself: cheaper than an
    // index of every card, which a first edit would have to build.
    int k = -1;
    if (edits.size() > 8 || !m_rowIndex.empty()) {
      k = AllIndexOf(edit.row);
    } else {
      for (int c : {m_lastFound, m_expansionCard})
        if (c >= 0 && m_store.AllCard(c) == edit.row) k = c;
      for (int c = 0; k < 0 && c < all; ++c)
        if (m_store.AllCard(c) == edit.row) k = c;
    }
    if (k < 0) continue;  // a card of another store, or of none
    m_lastFound = k;
    const int x = edit.item;
    if (x < 0 || x >= int(m_records.size())) return false;  // a whole card replaced
    if (m_computed[x]) {
      m_items[x].statistics.reset();
      m_items[x].column.reset();
    } else {
      UpdateColumn(x, k);
    }
    m_items[x].timeSum.reset();
    m_keys.remove(x);
    for (const CItemDependencies::CReader& r : m_dependencies->Readers(x)) {
      int first = 0;
      int last = 0;
      CItemDependencies::Range(r.reach, k, all, &first, &last);
      if (first >= last) continue;
      DropNodes(r.item, first, last);
      m_items[r.item].statistics.reset();
      m_items[r.item].column.reset();
    }
  }
  for (int i : m_expanded) m_expansions[i] = CExpansion();
  m_expanded.clear();
  m_expansionCard = -1;
  return true;
}

void CItemValueCache::DropNodes(int item, int first, int last) {
  for (std::unique_ptr<CNodes>& nodes : m_items[item].nodes) {
    if (!nodes) continue;
    if (first == 0 && last >= int(nodes->state.size())) {
      // Kept allocated: the values come back card by card.
      std::fill(nodes->state.begin(), nodes->state.end(), State::kUnknown);
      nodes->text.resize(0);
      nodes->dropped = 0;
      continue;
    }
    for (int k = first; k < last; ++k) {
      if (nodes->state[k] == State::kDone) nodes->dropped += nodes->TextLength(k);
      nodes->state[k] = State::kUnknown;
    }
    // Values computed again are appended: the text is packed again once
    // half of it is no longer used.
    if (nodes->dropped < 4096 || nodes->dropped * 2 < nodes->text.size()) continue;
    QString packed;
    packed.reserve(nodes->text.size() - nodes->dropped);
    for (std::size_t k = 0; k < nodes->state.size(); ++k) {
      if (nodes->state[k] != State::kDone || nodes->Whole(int(k))) continue;
      const std::uint32_t begin = std::uint32_t(packed.size());
      packed.append(QStringView(nodes->text).sliced(nodes->begin[k], nodes->length[k]));
      nodes->begin[k] = begin;
    }
    nodes->text = std::move(packed);
    nodes->dropped = 0;
  }
}

namespace {

// Integers whose every partial sum stays below this are added exactly, in any
// order, so a sum updated by one value equals the sum taken afresh.
constexpr double kExactSum = 9007199254740992.0;  // 2^53

bool ExactTerm(double x) { return std::isnan(x) || (x == std::trunc(x) && !(x == 0 && std::signbit(x))); }

}  // namespace

void CItemValueCache::NoteColumn(int item, std::vector<double> numbers) {
  CColumn c;
  c.exact = true;
  for (double x : numbers) {
    if (std::isnan(x)) continue;
    c.exact = c.exact && ExactTerm(x);
    c.absSum += std::abs(x);
    c.squares += x * x;
  }
  c.exact = c.exact && c.absSum < kExactSum;
  c.squaresExact = c.squares < kExactSum;
  c.numbers = std::move(numbers);
  m_items[item].column = std::move(c);
}

void CItemValueCache::UpdateColumn(int item, int card) {
  CItemResults& r = m_items[item];
  const auto drop = [&] {
    r.statistics.reset();
    r.column.reset();
  };
  if (!r.statistics || !r.column || !r.column->exact) return drop();
  if (m_visibleCard.empty()) {
    m_visibleCard.assign(m_store.AllCount(), false);
    for (int k : m_visibleAll) m_visibleCard[k] = true;
  }
  if (!m_visibleCard[card]) return;  // statistics count the visible cards
  CColumn& c = *r.column;
  CColumnStatistics& s = *r.statistics;
  const double old = c.numbers[card];
  const QStringView text = m_store.AllCard(card)->Item(item);
  const double now = IsNumericText(text) ? TextToNumber(text) : std::numeric_limits<double>::quiet_NaN();
  if (!ExactTerm(now)) return drop();
  const bool hadOld = !std::isnan(old);
  const bool hasNow = !std::isnan(now);
  if (hadOld && hasNow && old == now) return;
  // The largest or smallest value leaving: only a new walk finds the next.
  if (hadOld && (old == s.max || old == s.min)) return drop();
  if (hadOld) {
    --s.count;
    s.sum -= old;
    c.absSum -= std::abs(old);
    c.squares -= old * old;
  }
  if (hasNow) {
    s.max = s.count == 0 || now > s.max ? now : s.max;
    s.min = s.count == 0 || now < s.min ? now : s.min;
    ++s.count;
    s.sum += now;
    c.absSum += std::abs(now);
    c.squares += now * now;
  }
  if (c.absSum >= kExactSum) return drop();
  c.numbers[card] = now;
  // The variance is exact only while every sum of squares on the way was.
  c.squaresExact = c.squaresExact && c.squares < kExactSum;
  c.varianceStale = !c.squaresExact;
  s.variance = s.count > 0 && c.squaresExact ? PopulationVariance(c.squares / s.count, s.sum / s.count) : 0;
}
