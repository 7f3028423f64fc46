#pragma once

#include "core/card_store.h"
#include "formula/compiled_formula.h"
#include "formula/item_dependencies.h"
#include "formula/formula_results.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

// The remembered results of the item formulas of one store. Values are the
// same as a fresh computation would give, because a result is kept only while
// nothing it was computed from moved:
// - the cards and their lists: CCardRow::Changes(). A change that only
//   replaced item texts of this store's cards (CCardRow::ItemEditsSince) drops
//   just the results that may read those items, on the cards they may reach
//   (CItemDependencies), and brings the statistics of an edited item up to
//   date where the arithmetic stays exact. Any other change, an edit while a
//   formula took in a text that could rewrite it (NoteRewritable), or a store
//   with linked items drops everything. The changes RecalcAll makes by
//   storing what it computed are no change to any value (NoteStoredValue);
// - the item records (formula, type, grouping, link fields), compared field by
//   field on every use, so that a record changed through any reference is seen;
// - today's date, once any result read the clock.
// A linked store has a cache of its own.
class CItemValueCache final : public CCardStore::IValueCache {
 public:
  // The cache of store, made afresh when the one it has no longer holds.
  static CItemValueCache& For(const CCardStore& store);
  // A fresh cache for store, whatever it had.
  static CItemValueCache& Reset(const CCardStore& store);
  // RecalcAll stored a computed value: the count of changes it caused is no
  // change for any cache (only SUMTIME reads the stored text of a formula or
  // linked item; a cache that did so is reset by the caller).
  static void NoteStoredValue(std::uint64_t changesBefore);

  explicit CItemValueCache(const CCardStore& store);

  enum class State : std::uint8_t { kUnknown, kPending, kDone };
  State StateOf(int card, int item, bool display) const;
  // Valid until the next SetDone or ValueOf.
  QStringView ValueOf(int card, int item, bool display) const;
  // Whether a value that is done is a whole number kept as one (SetWhole),
  // and which.
  bool WholeOf(int card, int item, bool display, std::int64_t* value) const;
  void SetPending(int card, int item, bool display);
  void SetDone(int card, int item, bool display, QString value);
  // A value that is a whole number of at most 15 digits, kept as the number
  // rather than its text (a running total over a million cards writes no
  // text); ValueOf writes it as FormatDouble would.
  void SetWhole(int card, int item, bool display, std::int64_t value);

  // The all-cards position of visible card v; of a row (-1 when absent).
  int AllIndexOfVisible(int v) const { return m_visibleAll[v]; }
  const std::vector<int>& VisibleAll() const { return m_visibleAll; }
  int AllIndexOf(const CCardRow* row);

  // The first item of exactly that name; of that name without regard to case.
  int ItemByName(QStringView name) const;
  int ItemByNameNoCase(QStringView name);
  // Whether the item's value is computed (a formula or a linked item).
  bool Computed(int item) const { return item >= 0 && item < int(m_computed.size()) && m_computed[item]; }

  std::optional<CColumnStatistics>& Statistics(int item) { return m_items[item].statistics; }
  // The numbers statistics were computed from, of a stored (not computed)
  // item: numbers[k] for all-cards position k, NaN where the card is hidden or
  // its text no number. Kept so that an edit updates the statistics.
  void NoteColumn(int item, std::vector<double> numbers);
  // The statistics hold but their variance does not (an update could not
  // keep the sum of squares exact).
  bool VarianceStale(int item) const { return m_items[item].column && m_items[item].column->varianceStale; }
  std::optional<QString>& TimeSum(int item) { return m_items[item].timeSum; }

  // The first visible card whose stored text of item equals key without
  // regard to case (as the search of condition 1 matches); -1 when none.
  int FindKey(int item, QStringView key);

  // Whether the formula of item refers to the item itself, found once by test.
  template <typename Test>
  bool SelfReferenced(int item, Test&& test) {
    std::int8_t& known = m_selfReferenced[item];
    if (known < 0) known = test() ? 1 : 0;
    return known == 1;
  }

  // The compiled form of formula item's formula, made by make once per cache
  // (the item records stand still while it lives); nullptr when it has none.
  template <typename Make>
  const CCompiledFormula* Compiled(int item, Make&& make) {
    if (!m_compiledKnown[item]) {
      m_compiled[item] = make();
      m_compiledKnown[item] = true;
    }
    return m_compiled[item].get();
  }

  // How the formula items refer to each other, found once per cache from the
  // item records: cyclic, the item's formula takes in (directly or through
  // others) a formula item whose formula takes in itself; pure, its formula
  // calls no text function and no STR, so what it takes in counts only as a
  // number.
  struct CItemGraph {
    bool known = false;
    std::vector<bool> cyclic;
    std::vector<bool> pure;
    std::vector<bool> balanced;  // the formula's parentheses close
  };
  CItemGraph& Graph() { return m_graph; }

  // The expansion of a formula item on one card, kept for the card last asked
  // about: a formula item met many times on a card is expanded once.
  struct CExpansion {
    enum class Step : std::uint8_t { kNone, kBusy, kDone };
    Step step = Step::kNone;  // of the formula and its value
    int status = 0;
    QString text;                 // the formula expanded, the text functions applied
    bool textResult = false;      // text is the text result itself, no longer wrapped in STR
    std::optional<double> value;  // when the text evaluates to a number
    bool balanced = false;        // the expanded formula's parentheses close
    Step formStep = Step::kNone;  // of the form every reference takes in as text
    int formStatus = 0;
    QString form;
  };
  CExpansion& ExpansionOf(int card, int item) {
    if (card != m_expansionCard || m_expansions.size() != m_records.size()) StartExpansions(card);
    CExpansion& e = m_expansions[item];
    if (e.step == CExpansion::Step::kNone && e.formStep == CExpansion::Step::kNone) m_expanded.push_back(item);
    return e;
  }

  // A result read the stored texts of computed item (SUMTIME): storing a
  // value of that item changes results.
  void NoteReadsComputedTexts(int item) { m_readsStoredTexts[item] = true; }
  bool ReadsComputedTexts(int item) const { return m_readsStoredTexts[item]; }
  // A result read today's date.
  void NoteClock(QDate today);
  // A formula took in a text that could add references or item-function
  // calls of its own: its dependencies are no longer those of its text.
  void NoteRewritable() { m_rewritable = true; }

 private:
  struct CRecordKey {
    QString formula;
    std::uint32_t type;
    bool grouping;
    std::int32_t linkSource;
    QString linkTarget;
    QStringList choices;
    bool operator==(const CRecordKey&) const = default;
  };
  // The values of one item back to back in one text: many small strings
  // would cost an allocation each to make and to drop. A whole number is
  // kept in begin and length themselves, kWholeBit set in length.
  struct CNodes {
    static constexpr std::uint32_t kWholeBit = 0x80000000u;
    std::vector<State> state;
    qsizetype dropped = 0;  // characters of text no node uses
    std::vector<std::uint32_t> begin;
    std::vector<std::uint32_t> length;
    QString text;
    mutable QString written;  // the last whole number ValueOf wrote
    bool Whole(int card) const { return (length[card] & kWholeBit) != 0; }
    qsizetype TextLength(int card) const { return Whole(card) ? 0 : length[card]; }
  };
  struct CColumn {
    std::vector<double> numbers;
    double squares = 0;
    double absSum = 0;
    bool exact = false;  // integers whose sums are exact in any order
    bool squaresExact = false;
    bool varianceStale = false;
  };
  struct CItemResults {
    std::array<std::unique_ptr<CNodes>, 2> nodes;  // by display flag
    std::optional<CColumnStatistics> statistics;
    std::optional<CColumn> column;
    std::optional<QString> timeSum;
  };

  // The expansions of another card: those of the last one dropped.
  void StartExpansions(int card);
  bool SameRecords(const CCardStore& store) const;
  // Brought up to date with the store's changes; false when it cannot be.
  bool Follow(const CCardStore& store);
  bool DropReaders(const std::vector<CCardRow::CItemEdit>& edits);
  void DropNodes(int item, int first, int last);
  void UpdateColumn(int item, int card);
  static std::vector<CRecordKey> Records(const CCardStore& store);
  CNodes& Nodes(int item, bool display);

  const CCardStore& m_store;
  std::uint64_t m_stamp;
  std::uint64_t m_changes;  // CCardRow::Changes() when last brought up to date
  std::vector<CRecordKey> m_records;
  std::vector<bool> m_computed;
  std::vector<int> m_visibleAll;
  std::unordered_map<const CCardRow*, int> m_rowIndex;  // filled on first use
  int m_lastFound = -1;
  // The item names, and the first item of each name, looked up without
  // making a text of the name asked for.
  std::vector<QString> m_nameTexts;
  std::unordered_map<std::u16string_view, int> m_names;
  QHash<QString, int> m_namesNoCase;  // lower case, filled on first use
  std::vector<CItemResults> m_items;
  QHash<int, QHash<QString, int>> m_keys;  // item -> upper-case text -> first visible card
  std::vector<bool> m_readsStoredTexts;
  std::vector<std::int8_t> m_selfReferenced;  // -1 not known yet
  std::vector<std::unique_ptr<CCompiledFormula>> m_compiled;
  std::vector<bool> m_compiledKnown;
  CItemGraph m_graph;
  int m_expansionCard = -1;
  std::vector<CExpansion> m_expansions;
  std::vector<int> m_expanded;  // items with an expansion on that card
  std::unique_ptr<CItemDependencies> m_dependencies;  // made on the first edit
  std::vector<bool> m_visibleCard;                    // by all-cards position
  bool m_rewritable = false;
  bool m_readsClock = false;
  QDate m_today;
};
