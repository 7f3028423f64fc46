#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class CCardStore;

// 件数集計: how many visible cards hold each distinct stored text of an item.
struct CTextCounts {
  int total = 0;  // the visible cards counted ("総数")
  // Each distinct text (compared exactly; the empty text is a text) with its
  // count, the largest count first; equal counts in order of first appearance.
  std::vector<std::pair<QString, int>> entries;
};
CTextCounts CountTexts(const CCardStore& store, int item);
// The dialog's list: one line per entry, the count as "%4d  " then the text.
QStringList CountLines(const CTextCounts& counts);

// 合計と平均: the numbers among an item's stored texts over a set of cards. A
// text counts when IsNumericText holds and is read with TextToNumber.
struct CTotals {
  double sum = 0;
  double sumOfSquares = 0;
  double largest = 0;
  double smallest = 0;
  std::uint32_t count = 0;  // valid values
};
// Over the given visible card numbers; numbers outside the visible list are skipped.
CTotals ComputeTotals(const CCardStore& store, int item, const std::vector<int>& cards);
// The totals of an item that holds numbers, over the visible cards, as the
// status bar shows them: only where every visible text of the item is a
// number or blank and one at least is a number. None for an item of names,
// dates or codes (100-0001), and none for a formula or linked item, whose
// stored texts wait for a recalculation.
std::optional<CTotals> NumberItemTotals(const CCardStore& store, int item);

// The summary dialog's fields, in its order: 項目名, 合計, 平均, 最大値, 最小値,
// 分散, 標準偏差, 有効件数.
inline constexpr int kTotalsFieldCount = 8;
// The dialog's labels ("合計(&S)", ...) and the same words without the
// accelerators, as velum-cli prints them.
const QStringList& TotalsDialogLabels();
const QStringList& TotalsFieldNames();
// The field texts: the item's name, then every number written with
// FormatGrouped (average = sum x (1 / n), variance = sum of squares x (1 / n) -
// average squared). With no valid value the sum and the count read 0 and the
// other numbers are left empty; a variance that is only the residue of
// rounding (PopulationVariance) reads 0, as does its standard deviation.
std::array<QString, kTotalsFieldCount> TotalsFields(const QString& itemName, const CTotals& totals);
