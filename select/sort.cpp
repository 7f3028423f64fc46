#include "select/sort.h"

#include "core/card_store.h"
#include "formula/number_text.h"
#include "japanese/yomi_collator.h"
#include "platform/text_util.h"
#include "records/velum_set.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <string_view>

const QStringList& SortOrderRadioLabels() {
  static const QStringList labels{QStringLiteral("昇順（文字）"), QStringLiteral("昇順（数字）"),
                                  QStringLiteral("降順（文字）"), QStringLiteral("降順（数字）"),
                                  QStringLiteral("昇順（よみ）"), QStringLiteral("降順（よみ）")};
  return labels;
}

const QStringList& SortOrderEntryLabels() {
  static const QStringList labels{QStringLiteral("昇順-文字"), QStringLiteral("昇順-数字"),
                                  QStringLiteral("降順-文字"), QStringLiteral("降順-数字"),
                                  QStringLiteral("昇順（よみ）"), QStringLiteral("降順（よみ）")};
  return labels;
}

const QStringList& SortOrderSuffixes() {
  static const QStringList labels{QStringLiteral(" 文字（昇順）"), QStringLiteral(" 数字（昇順）"),
                                  QStringLiteral(" 文字（降順）"), QStringLiteral(" 数字（降順）"),
                                  QStringLiteral(" よみ（昇順）"), QStringLiteral(" よみ（降順）")};
  return labels;
}

bool IsUsableSortKey(const CCardStore& store, const CVelumSort& key) {
  return key.m_order >= 0 && key.m_order < kSortOrderCount && key.m_item >= 0 && key.m_item <= store.ItemCount();
}

QString SortKeyLabel(const CCardStore& store, const CVelumSort& key) {
  if (!IsUsableSortKey(store, key)) return {};
  const QString name = key.m_item == store.ItemCount() ? kMarkItemLabel.toString() : store.Item(key.m_item).toString();
  return name + SortOrderSuffixes()[key.m_order];
}

namespace {

int Sign(std::int64_t d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

bool IsMarkKey(const CCardStore& store, const CVelumSort& key) { return key.m_item == store.ItemCount(); }

bool IsTextOrder(int order) { return order == kTextAscending || order == kTextDescending; }
bool IsYomiOrder(int order) { return order == kYomiAscending || order == kYomiDescending; }
bool IsDescending(int order) {
  return order == kTextDescending || order == kNumberDescending || order == kYomiDescending;
}

const CYomiCollator& Yomi() {
  static const CYomiCollator collator;
  return collator;
}

int CompareNumbers(double a, double b) {
  if (a == b) return 0;
  return a > b ? 1 : -1;
}

// One usable key with what it reads of every card of the all-cards list,
// indexed by the card's place in that list before the sort.
struct CKeyColumn {
  enum Kind { kMark, kText, kNumber, kYomi } kind;
  bool descending;
  std::vector<std::int32_t> marks;
  std::vector<std::u16string_view> texts;  // lowered as WcsICmp lowers
  std::vector<double> numbers;
  std::vector<QCollatorSortKey> yomi;
};

std::u16string_view View(QStringView s) { return {reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size())}; }

// The text as WcsICmp compares it: every unit lowered. Texts that lowering
// leaves as they are (most of them) are read in place; the others are kept in
// `lowered` (a QString's characters stay put when the vector grows).
std::u16string_view LoweredView(QStringView text, std::vector<QString>& lowered) {
  for (const QChar c : text) {
    if (QChar::toLower(c.unicode()) != c.unicode()) {
      lowered.push_back(CharLower(text));
      return View(lowered.back());
    }
  }
  return View(text);
}

// A card's place in the sort: two words that order the cards as the first
// key does wherever they differ, and its index in the all-cards list.
struct CSortEntry {
  std::uint64_t hi;
  std::uint64_t lo;
  std::uint32_t length;  // of a packed text, at most kPacked + 1
  std::int32_t position;
  std::uint32_t index;
};
constexpr std::size_t kPacked = 8;

// The packed form of a key column. A text gives its first eight units, an
// end padded with zeros: where two such prefixes differ the texts compare
// the same way (a text that ends sorts before the longer one, as a zero
// before any unit). Equal prefixes with a text of at most eight units are
// told apart by the lengths (the shorter is a leading part of the other);
// only longer texts need the texts themselves, from the ninth unit on. A
// number or a mark packs whole (exact: equal words are equal keys). よみ順
// and a column with NaN pack to nothing, so the full comparison decides.
struct CPrefix {
  const CKeyColumn* col = nullptr;
  bool text = false;
  bool exact = false;

  static CPrefix Of(const CKeyColumn& col) {
    CPrefix p;
    p.col = &col;
    if (col.kind == CKeyColumn::kText) {
      p.text = true;
    } else if (col.kind == CKeyColumn::kMark) {
      p.exact = true;
    } else if (col.kind == CKeyColumn::kNumber) {
      p.exact = std::none_of(col.numbers.begin(), col.numbers.end(), [](double x) { return std::isnan(x); });
    }
    return p;
  }

  CSortEntry Entry(std::uint32_t k, std::int32_t position) const {
    CSortEntry e{0, 0, 0, position, k};
    if (!col) return e;
    if (text) {
      const std::u16string_view t = col->texts[k];
      for (std::size_t i = 0; i < kPacked / 2; ++i) {
        e.hi = (e.hi << 16) | (i < t.size() ? t[i] : 0u);
        e.lo = (e.lo << 16) | (i + kPacked / 2 < t.size() ? t[i + kPacked / 2] : 0u);
      }
      e.length = std::uint32_t(std::min(t.size(), kPacked + 1));
    } else if (exact && col->kind == CKeyColumn::kMark) {
      e.hi = std::uint32_t(col->marks[k]) ^ 0x80000000u;
    } else if (exact) {
      // The bits of a double ordered as the numbers: negative numbers
      // inverted, positive ones above them; -0 counts as 0.
      const double x = col->numbers[k] == 0 ? 0.0 : col->numbers[k];
      const auto bits = std::bit_cast<std::uint64_t>(x);
      e.hi = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t(1) << 63);
    }
    if (col->descending) {
      e.hi = ~e.hi;
      e.lo = ~e.lo;
    }
    return e;
  }
};

}  // namespace

int CompareCards(const CCardStore& store, const CCardRow& a, const CCardRow& b) {
  for (const CVelumSort& key : store.SortKeys().m_keys) {
    if (!IsUsableSortKey(store, key)) continue;
    int c;
    if (IsMarkKey(store, key)) {
      c = Sign(std::int64_t(a.Mark()) - b.Mark());
    } else if (IsTextOrder(key.m_order)) {
      c = WcsICmp(a.Item(key.m_item), b.Item(key.m_item));
    } else if (IsYomiOrder(key.m_order)) {
      c = Yomi().Compare(a.Item(key.m_item), b.Item(key.m_item));
    } else {
      c = CompareNumbers(TextToNumber(a.Item(key.m_item)), TextToNumber(b.Item(key.m_item)));
    }
    if (c != 0) return IsDescending(key.m_order) ? -c : c;
  }
  return int(Sign(std::int64_t(a.Position()) - b.Position()));
}

void SortByItem(CCardStore& store, int item, int order, std::vector<std::uint32_t>* made) {
  CVelumSortArray& keys = store.SortKeys();
  keys.m_keys.clear();
  keys.m_keys.emplace_back(item, order);
  SortCards(store, made);
}

void SortByKeys(CCardStore& store, const CVelumSortArray& keys, std::vector<std::uint32_t>* made) {
  store.SortKeys().m_keys = keys.m_keys;
  SortCards(store, made);
}

bool SortRecalculates(const CCardStore& store, const std::vector<CVelumSort>& keys) {
  return std::any_of(keys.begin(), keys.end(), [&](const CVelumSort& k) {
    return IsUsableSortKey(store, k) && !IsMarkKey(store, k) && store.Property(k.m_item).HasFormula();
  });
}

void SortCards(CCardStore& store, std::vector<std::uint32_t>* made) {
  CProgressScope progress(store.Services().Progress(), progress_msg::kSorting, 0);
  std::vector<CVelumSort> keys;
  for (const CVelumSort& key : store.SortKeys().m_keys)
    if (IsUsableSortKey(store, key)) keys.push_back(key);

  if (SortRecalculates(store, keys)) store.RecalcAll();

  for (int n = 0; n < store.VisibleCount(); ++n) store.VisibleCard(n)->SetPosition(n);

  const std::size_t count = std::size_t(store.AllCount());
  std::vector<QString> lowered;
  std::vector<CKeyColumn> columns;
  for (const CVelumSort& key : keys) {
    CKeyColumn col{IsMarkKey(store, key)        ? CKeyColumn::kMark
                   : IsTextOrder(key.m_order) ? CKeyColumn::kText
                   : IsYomiOrder(key.m_order) ? CKeyColumn::kYomi
                                              : CKeyColumn::kNumber,
                   IsDescending(key.m_order),
                   {},
                   {},
                   {},
                   {}};
    for (std::size_t k = 0; k < count; ++k) {
      const CCardRow& card = *store.AllCard(int(k));
      switch (col.kind) {
        case CKeyColumn::kMark:
          col.marks.push_back(card.Mark());
          break;
        case CKeyColumn::kText:
          col.texts.push_back(LoweredView(card.Item(key.m_item), lowered));
          break;
        case CKeyColumn::kNumber:
          col.numbers.push_back(TextToNumber(card.Item(key.m_item)));
          break;
        case CKeyColumn::kYomi:
          col.yomi.push_back(Yomi().SortKey(card.Item(key.m_item)));
          break;
      }
    }
    columns.push_back(std::move(col));
  }
  // The order of cards a and b under the columns from `from` on (below zero:
  // a first); the first column's texts from unit `skip` on (the units before
  // it are known to be equal).
  const auto compare = [&](std::uint32_t a, std::uint32_t b, std::size_t from, std::size_t skip) {
    for (std::size_t i = from; i < columns.size(); ++i) {
      const CKeyColumn& col = columns[i];
      int c;
      switch (col.kind) {
        case CKeyColumn::kMark:
          c = Sign(std::int64_t(col.marks[a]) - col.marks[b]);
          break;
        case CKeyColumn::kText:
          c = i == 0 && skip > 0 ? col.texts[a].substr(skip).compare(col.texts[b].substr(skip))
                                 : col.texts[a].compare(col.texts[b]);
          break;
        case CKeyColumn::kYomi:
          c = col.yomi[a].compare(col.yomi[b]);
          break;
        default:
          c = CompareNumbers(col.numbers[a], col.numbers[b]);
          break;
      }
      if (c != 0) return col.descending ? -c : c;
    }
    return 0;
  };

  // The first column's order packed into integers beside each card's index
  // and position, so that most comparisons read one array; see CPrefix.
  const CPrefix prefix = columns.empty() ? CPrefix() : CPrefix::Of(columns.front());
  std::vector<CSortEntry> entries(count);
  for (std::size_t k = 0; k < count; ++k) entries[k] = prefix.Entry(std::uint32_t(k), store.AllCard(int(k))->Position());
  const bool descending = !columns.empty() && columns.front().descending;
  std::sort(entries.begin(), entries.end(), [&](const CSortEntry& a, const CSortEntry& b) {
    if (a.hi != b.hi) return a.hi < b.hi;
    if (a.lo != b.lo) return a.lo < b.lo;
    int c;
    if (!prefix.text) {
      c = compare(a.index, b.index, prefix.exact ? 1 : 0, 0);
    } else if (a.length <= kPacked || b.length <= kPacked) {
      c = a.length == b.length ? compare(a.index, b.index, 1, 0) : (a.length < b.length) != descending ? -1 : 1;
    } else {
      c = compare(a.index, b.index, 0, kPacked);
    }
    if (c != 0) return c < 0;
    if (a.position != b.position) return a.position < b.position;
    return a.index < b.index;
  });
  std::vector<std::uint32_t> order(count);
  for (std::size_t k = 0; k < count; ++k) order[k] = entries[k].index;
  std::vector<CSortEntry>().swap(entries);

  auto& all = store.AllCardsToReorder();
  std::vector<std::unique_ptr<CCardRow>> sorted;
  sorted.reserve(count);
  for (std::uint32_t k : order) sorted.push_back(std::move(all[k]));
  all = std::move(sorted);
  store.RebuildVisible();
  if (made) *made = std::move(order);
}

int CVelumSortSet::Apply(CCardStore& store) {
  SortByKeys(store, m_keys);
  return 1;
}
