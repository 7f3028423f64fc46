#include "formula/item_dependencies.h"

#include "formula/formula_text.h"

#include <QHash>

namespace {

using Reach = CItemDependencies::Reach;

struct CKeywordReach {
  QStringView keyword;
  Reach reach;
};
// SUM covers SUMTIME.
constexpr CKeywordReach kKeywords[] = {
    {u"SUM", Reach::kAll},     {u"AVERAGE", Reach::kAll}, {u"MAXITEM", Reach::kAll}, {u"MINITEM", Reach::kAll},
    {u"VARP", Reach::kAll},    {u"BEFORE", Reach::kLater}, {u"AFTER", Reach::kEarlier}, {u"NUM", Reach::kCard},
};

// The letters keywords begin with, a bit each from A.
constexpr std::uint32_t kKeywordStarts = [] {
  std::uint32_t bits = 0;
  for (const CKeywordReach& k : kKeywords) bits |= 1u << (k.keyword.front().unicode() - u'A');
  return bits;
}();

// Either change reached: kLater and kEarlier together reach every card.
Reach Join(Reach a, Reach b) {
  if (a == b || b == Reach::kNone) return a;
  if (a == Reach::kNone) return b;
  if (a == Reach::kCard) return b;
  if (b == Reach::kCard) return a;
  return Reach::kAll;
}

// A formula that reads in way `read` an item that changes with reach `r`.
Reach Compose(Reach read, Reach r) {
  if (r == Reach::kNone) return Reach::kNone;
  if (read == Reach::kCard) return r;
  if (r == Reach::kCard || read == r) return read;
  return Reach::kAll;
}

// A letter a keyword's letter can match: its simple upper case is A to Z.
bool KeywordLetter(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
  const char16_t upper = c.toUpper().unicode();
  return upper >= u'A' && upper <= u'Z';
}

bool Bracket(QChar c) { return c == u'%' || c == u'[' || c == u']'; }

bool ContainsKeyword(QStringView text, QStringView keyword) {
  for (qsizetype at = 0; at + keyword.size() <= text.size(); ++at)
    if (EqualsKeyword(text.sliced(at, keyword.size()), keyword)) return true;
  return false;
}

}  // namespace

bool MayRewriteFormula(QStringView text, QChar before, QChar after, bool wholeText) {
  const auto joins = [](QChar c) { return KeywordLetter(c) || Bracket(c); };
  if (text.isEmpty()) return joins(before) && joins(after);
  if (joins(before) && KeywordLetter(text.front())) return true;
  if (joins(after) && KeywordLetter(text.back())) return true;
  bool letters = false;
  int depth = 0;
  bool balanced = true;
  for (QChar c : text) {
    if (Bracket(c)) return true;
    letters = letters || KeywordLetter(c);
    depth += c == u'(' ? 1 : c == u')' ? -1 : 0;
    balanced = balanced && depth >= 0;
  }
  // A formula taken in whose parentheses do not close lets its own calls
  // reach past it, over the references of the formula that took it in.
  if (!wholeText) return !balanced || depth != 0;
  if (!letters) return false;
  // One pass over the text, trying only the keywords its letter can start.
  for (qsizetype at = 0; at < text.size(); ++at) {
    const char16_t c = text[at].unicode();
    const char16_t upper = c < 0x80 ? (c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c) : text[at].toUpper().unicode();
    if (upper < u'A' || upper > u'Z' || !((kKeywordStarts >> (upper - u'A')) & 1)) continue;
    for (const CKeywordReach& k : kKeywords)
      if (k.keyword.front() == upper && at + k.keyword.size() <= text.size() &&
          EqualsKeyword(text.sliced(at, k.keyword.size()), k.keyword))
        return true;
  }
  return false;
}

CItemDependencies::CItemDependencies(const CCardStore& store) {
  const int n = std::max(store.ItemCount(), 0);
  m_readers.resize(n);
  QHash<QString, int> names;
  for (int i = n - 1; i >= 0; --i) names[store.Item(i).toString()] = i;
  // How each formula reads, and the items it names.
  std::vector<Reach> way(n, Reach::kNone);
  std::vector<std::vector<int>> named(n);
  for (int i = 0; i < n; ++i) {
    const CItemProperty& p = store.Property(i);
    if (p.m_type == kItemLinked) {
      m_known = false;
      return;
    }
    if (!p.HasFormula()) continue;
    way[i] = Reach::kCard;
    for (const CKeywordReach& k : kKeywords)
      if (ContainsKeyword(p.m_formula, k.keyword)) way[i] = Join(way[i], k.reach);
    const QStringView f = p.m_formula;
    for (qsizetype at = f.indexOf(u"%["); at >= 0; at = f.indexOf(u"%[", at + 2)) {
      const qsizetype close = f.indexOf(u']', at + 2);
      if (close < 0) break;
      const auto it = names.constFind(f.sliced(at + 2, close - at - 2).toString());
      if (it != names.cend()) named[i].push_back(it.value());
    }
  }
  // For each edited item x, the reach of every formula, to a fixed point.
  std::vector<Reach> reach(n);
  for (int x = 0; x < n; ++x) {
    std::fill(reach.begin(), reach.end(), Reach::kNone);
    for (bool moved = true; moved;) {
      moved = false;
      for (int f = 0; f < n; ++f) {
        if (way[f] == Reach::kNone) continue;
        Reach r = reach[f];
        for (int g : named[f]) r = Join(r, Compose(way[f], g == x ? Join(Reach::kCard, reach[g]) : reach[g]));
        if (r != reach[f]) {
          reach[f] = r;
          moved = true;
        }
      }
    }
    for (int f = 0; f < n; ++f)
      if (reach[f] != Reach::kNone) m_readers[x].push_back({f, reach[f]});
  }
}

void CItemDependencies::Range(Reach reach, int card, int allCount, int* first, int* last) {
  *first = reach == Reach::kCard || reach == Reach::kLater ? card : 0;
  *last = reach == Reach::kCard || reach == Reach::kEarlier ? card + 1 : allCount;
  if (reach == Reach::kNone) *first = *last = 0;
}
