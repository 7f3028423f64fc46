#include "select/totals.h"

#include "core/card_store.h"
#include "formula/item_formula.h"
#include "formula/number_text.h"
#include "records/item_property.h"

#include <QHash>

#include <algorithm>
#include <cmath>

CTextCounts CountTexts(const CCardStore& store, int item) {
  CTextCounts result;
  const int cards = store.VisibleCount();
  result.total = cards;
  // Views into the cards' own texts while counting, found through an open
  // addressing table of entry numbers; each text is copied once, at the end.
  struct CEntry {
    QStringView text;
    std::size_t hash;
    int count;
  };
  std::vector<CEntry> entries;
  std::size_t mask = 15;
  while (mask < std::size_t(cards) * 2) mask = mask * 2 + 1;
  std::vector<std::int32_t> table(mask + 1, -1);
  for (int n = 0; n < cards; ++n) {
    const QStringView text = store.VisibleCard(n)->Item(item);
    const std::size_t hash = qHash(text);
    std::size_t slot = hash & mask;
    while (table[slot] >= 0) {
      CEntry& e = entries[std::size_t(table[slot])];
      if (e.hash == hash && e.text == text) break;
      slot = (slot + 1) & mask;
    }
    if (table[slot] >= 0) {
      ++entries[std::size_t(table[slot])].count;
    } else {
      table[slot] = std::int32_t(entries.size());
      entries.push_back({text, hash, 1});
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const CEntry& a, const CEntry& b) { return a.count > b.count; });
  result.entries.reserve(entries.size());
  for (const CEntry& e : entries) result.entries.emplace_back(e.text.toString(), e.count);
  return result;
}

QStringList CountLines(const CTextCounts& counts) {
  QStringList lines;
  lines.reserve(qsizetype(counts.entries.size()));
  for (const auto& [text, count] : counts.entries) lines << QString::asprintf("%4d  ", count) + text;
  return lines;
}

namespace {

void Add(CTotals& t, double v) {
  t.sum += v;
  t.sumOfSquares += v * v;
  if (t.count == 0 || v >= t.largest) t.largest = v;
  if (t.count == 0 || v <= t.smallest) t.smallest = v;
  ++t.count;
}

}  // namespace

CTotals ComputeTotals(const CCardStore& store, int item, const std::vector<int>& cards) {
  CTotals t;
  for (int n : cards) {
    const CCardRow* card = store.VisibleCard(n);
    if (!card) continue;
    const QStringView text = card->Item(item);
    if (!IsNumericText(text)) continue;
    Add(t, TextToNumber(text));
  }
  return t;
}

std::optional<CTotals> NumberItemTotals(const CCardStore& store, int item) {
  if (item < 0 || item >= store.ItemCount() || IsFormulaOrLinked(store.Property(item))) return std::nullopt;
  CTotals t;
  const int cards = store.VisibleCount();
  for (int n = 0; n < cards; ++n) {
    const QStringView text = store.VisibleCard(n)->Item(item);
    if (text.trimmed().isEmpty()) continue;
    if (!IsNumericText(text)) return std::nullopt;
    Add(t, TextToNumber(text));
  }
  if (t.count == 0) return std::nullopt;
  return t;
}

const QStringList& TotalsDialogLabels() {
  static const QStringList labels{QStringLiteral("項目名"),       QStringLiteral("合計(&S)"),
                                  QStringLiteral("平均(&A)"),     QStringLiteral("最大値(&M)"),
                                  QStringLiteral("最小値(&I)"),   QStringLiteral("分散(&G)"),
                                  QStringLiteral("標準偏差(&D)"), QStringLiteral("有効件数(&Y)")};
  return labels;
}

const QStringList& TotalsFieldNames() {
  static const QStringList names{QStringLiteral("項目名"), QStringLiteral("合計"),   QStringLiteral("平均"),
                                 QStringLiteral("最大値"), QStringLiteral("最小値"), QStringLiteral("分散"),
                                 QStringLiteral("標準偏差"), QStringLiteral("有効件数")};
  return names;
}

std::array<QString, kTotalsFieldCount> TotalsFields(const QString& itemName, const CTotals& t) {
  std::array<QString, kTotalsFieldCount> f;
  f[0] = itemName;
  f[1] = FormatGrouped(t.sum);
  f[7] = FormatGrouped(double(t.count));
  if (t.count == 0) return f;
  const double reciprocal = 1.0 / double(t.count);
  const double average = t.sum * reciprocal;
  const double variance = PopulationVariance(t.sumOfSquares * reciprocal, average);
  f[2] = FormatGrouped(average);
  f[3] = FormatGrouped(t.largest);
  f[4] = FormatGrouped(t.smallest);
  f[5] = FormatGrouped(variance);
  f[6] = FormatGrouped(std::sqrt(variance));
  return f;
}
