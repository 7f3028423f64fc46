#include "formula/formula_engine.h"

#include "core/linked_store.h"
#include "core/row_prefetch.h"
#include "formula/compiled_formula.h"
#include "formula/date_functions.h"
#include "formula/expression_evaluator.h"
#include "formula/formula_reading.h"
#include "formula/formula_text.h"
#include "formula/item_dependencies.h"
#include "formula/item_value_cache.h"
#include "formula/number_text.h"
#include "formula/text_functions.h"
#include "japanese/wide_digits.h"
#include "platform/clock.h"
#include "platform/text_util.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>
#include <vector>

namespace {

std::atomic<bool> gCompiledFormulas{true};

// Limits of one expansion; a formula that reaches one is taken for a cycle of
// references (only a cycle, or texts built to look like one, gets there).
constexpr int kMaxInlining = 64;     // substitutions of one reference
constexpr int kMaxItemCalls = 1000;  // item-function calls
// Characters gone through by the substitutions, so that a text that grows
// with every step ends in time as well.
constexpr qsizetype kMaxWork = qsizetype(1) << 25;
// Characters brought in by stored texts that hold references themselves, each
// copy counted: such a text that names what brought it in doubles the formula
// with every round, and would otherwise take seconds to reach the length limit.
constexpr qsizetype kMaxRewritten = qsizetype(1) << 16;

using State = CItemValueCache::State;

// kTooLong: the text would pass kMaxFormulaText.
enum class Expansion { kDone, kFailed, kMissing, kCycle, kTooLong };

using Step = CItemValueCache::CExpansion::Step;

// What one expansion has gone through, against the limits above.
struct CBudget {
  int itemCalls = 0;
  qsizetype work = 0;
  qsizetype rewritten = 0;
};

// One value to compute: an item on a card of the all-cards list.
struct CNode {
  int card;
  int item;
  bool display;
  bool operator==(const CNode&) const = default;
};

// What an attempt gives: a text, or a whole number kept as the number and
// written only when a text is asked for.
struct CResult {
  CResult(QString t) : text(std::move(t)) {}
  explicit CResult(std::int64_t n) : whole(n), isWhole(true) {}
  QString Text() && { return isWhole ? FormatDouble(double(whole), 10) : std::move(text); }
  QString text;
  std::int64_t whole = 0;
  bool isWhole = false;
};

// The store's clock, telling the cache when a result read today's date.
class CNotingClock final : public IClock {
 public:
  CNotingClock(const IClock& clock, CItemValueCache& cache) : m_clock(clock), m_cache(cache) {}
  QDateTime Now() const override {
    QDateTime now = m_clock.Now();
    m_cache.NoteClock(now.date());
    return now;
  }

 private:
  const IClock& m_clock;
  CItemValueCache& m_cache;
};

// Computes values of one store. A value that needs another computed value not
// yet known does not recurse: its attempt names what it misses and gives up;
// Drive computes those first on a stack of its own and tries again. Nodes
// attempted and still waiting are pending; one that a pending node needs
// again closes a cycle.
class CEngine {
 public:
  CEngine(const CCardStore& store, CItemValueCache& cache)
      : m_store(store), m_cache(cache), m_clock(store.Services().clock, cache) {}

  QString Node(CNode node) {
    if (!m_cache.Computed(node.item)) return Stored(node.card, node.item);
    const State state = m_cache.StateOf(node.card, node.item, node.display);
    if (state == State::kDone) return m_cache.ValueOf(node.card, node.item, node.display).toString();
    if (state == State::kUnknown) {
      // Mostly every value it needs is known already (the card before, the
      // items before): one attempt, without the stack.
      const CDropOnThrow guard{m_store};
      m_missing.clear();
      m_cache.SetPending(node.card, node.item, node.display);
      std::optional<CResult> value = AttemptNode(node);
      if (value) {
        Keep(node, *value);
        return std::move(*value).Text();
      }
    }
    QString result;
    Drive([&] {
      if (m_cache.StateOf(node.card, node.item, node.display) != State::kDone) {
        m_missing.push_back(node);
        return false;
      }
      result = m_cache.ValueOf(node.card, node.item, node.display).toString();
      return true;
    });
    return result;
  }

  QString Formula(int card, const QString& formula, int ownItem, bool display, bool grouping) {
    QString result;
    Drive([&] {
      std::optional<CResult> value = AttemptFormula(card, formula, ownItem, display, grouping);
      if (value) result = std::move(*value).Text();
      return value.has_value();
    });
    return result;
  }

  CColumnStatistics Statistics(int item) {
    CColumnStatistics result;
    Drive([&] {
      const CColumnStatistics* s = Stats(item);
      if (s) result = *s;
      return s != nullptr;
    });
    return result;
  }

 private:
  struct CFrame {
    CNode node;
    bool attempted;
  };

  // Nodes left pending by an exception would read as cycles later.
  struct CDropOnThrow {
    const CCardStore& store;
    int exceptions = std::uncaught_exceptions();
    ~CDropOnThrow() {
      if (std::uncaught_exceptions() > exceptions) store.SetValueCache(nullptr);
    }
  };

  template <typename Root>
  void Drive(Root&& root) {
    const CDropOnThrow guard{m_store};
    std::vector<CFrame> stack;
    for (;;) {
      m_missing.clear();
      if (root()) return;
      Push(stack);
      while (!stack.empty()) {
        const CNode node = stack.back().node;
        if (m_cache.StateOf(node.card, node.item, node.display) == State::kDone) {
          stack.pop_back();
          continue;
        }
        m_missing.clear();
        m_cache.SetPending(node.card, node.item, node.display);
        std::optional<CResult> value = AttemptNode(node);
        if (value) {
          Keep(node, *value);
          stack.pop_back();
          continue;
        }
        stack.back().attempted = true;
        if (WalkRun(stack, node)) continue;
        if (!CloseCycle(stack)) Push(stack);
      }
    }
  }

  // A running total (BEFORE of the item itself; AFTER the other way) misses
  // the card before, which misses the one before it, and so on: rather than
  // each card being tried, put aside and tried again, the run is computed in
  // order from its first card not known, each card once. False when node
  // misses anything else. The walk stops at a card that misses something
  // else, which then goes on the stack as a failed attempt would.
  bool WalkRun(std::vector<CFrame>& stack, const CNode& node) {
    if (m_missing.size() != 1) return false;
    const CNode m = m_missing.front();
    const int step = m.card - node.card;
    if (m.item != node.item || (step != -1 && step != 1) || Pending(m)) return false;
    int first = m.card;
    for (int k = m.card + step; k >= 0 && k < m_store.AllCount() && m_cache.StateOf(k, m.item, m.display) == State::kUnknown;
         k += step)
      first = k;
    // The walk goes through every card's row, mostly far from the last one:
    // the cards ahead are asked of memory while this one is computed.
    std::vector<int> read;
    if (const CCompiledFormula* plan = Plan(m.item))
      for (const CCompiledFormula::CSlot& slot : plan->slots)
        if (slot.source == CCompiledFormula::Source::kReference && !m_cache.Computed(slot.item)) read.push_back(slot.item);
    const CRowPrefetch prefetch(read);
    const auto ahead = [&](int n) { return m_store.AllCard(first + n * -step); };
    for (int k = first;; k -= step) {
      prefetch.Before((k - first) * -step, ahead);
      const CNode n{k, m.item, m.display};
      if (m_cache.StateOf(k, m.item, m.display) != State::kDone) {
        m_missing.clear();
        m_cache.SetPending(k, m.item, m.display);
        std::optional<CResult> value = AttemptNode(n);
        if (!value) {
          stack.push_back({n, true});
          if (!CloseCycle(stack)) Push(stack);
          return true;
        }
        Keep(n, *value);
      }
      if (k == m.card) break;
    }
    m_missing.clear();
    return true;
  }

  void Keep(const CNode& n, const CResult& r) {
    if (r.isWhole)
      m_cache.SetWhole(n.card, n.item, n.display, r.whole);
    else
      m_cache.SetDone(n.card, n.item, n.display, r.text);
  }

  // The missing nodes onto the stack, so that the first is computed first.
  void Push(std::vector<CFrame>& stack) {
    for (auto it = m_missing.rbegin(); it != m_missing.rend(); ++it) stack.push_back({*it, false});
  }

  // When the top node misses a pending node, every attempted node from that
  // one up to the top lies on the cycle: each gets the cycle text. The
  // display flag makes no difference here: an item's value on a card that
  // needs the same value in the other format needs itself.
  bool Pending(const CNode& n) const {
    return m_cache.StateOf(n.card, n.item, false) == State::kPending ||
           m_cache.StateOf(n.card, n.item, true) == State::kPending;
  }
  static bool SameValue(const CNode& a, const CNode& b) { return a.card == b.card && a.item == b.item; }

  bool CloseCycle(std::vector<CFrame>& stack) {
    for (const CNode& m : m_missing) {
      if (!Pending(m)) continue;
      std::size_t from = stack.size() - 1;
      while (from > 0 && !(stack[from].attempted && SameValue(stack[from].node, m))) --from;
      for (std::size_t f = from; f < stack.size(); ++f) {
        if (!stack[f].attempted) continue;
        const CNode& n = stack[f].node;
        for (bool display : {false, true}) m_cache.SetDone(n.card, n.item, display, kCircularReference.toString());
      }
      stack.resize(from);
      return true;
    }
    return false;
  }

  QString Stored(int card, int item) const { return m_store.AllCard(card)->Item(item).toString(); }

  // A value an attempt needs; nullopt (and noted) when it is not known yet.
  std::optional<QString> Need(int card, int item, bool display) {
    if (!m_cache.Computed(item)) return Stored(card, item);
    if (m_cache.StateOf(card, item, display) == State::kDone) return m_cache.ValueOf(card, item, display).toString();
    m_missing.push_back({card, item, display});
    return std::nullopt;
  }

  std::optional<CResult> AttemptNode(CNode node) {
    const CItemProperty& p = m_store.Property(node.item);
    if (p.m_type == kItemLinked) return AttemptLinked(node, p);
    return AttemptFormula(node.card, p.m_formula, node.item, node.display, p.DigitGrouping());
  }

  std::optional<CResult> AttemptLinked(CNode node, const CItemProperty& p) {
    if (p.m_linkSource == node.item) return kLinkedToItself.toString();
    const bool hasKey = p.m_linkSource >= 0 && p.m_linkSource < m_store.ItemCount();
    std::optional<QString> key = hasKey ? Need(node.card, p.m_linkSource, node.display) : QString();
    if (!key) return std::nullopt;
    const CCardStore& linked = LinkedStore(p, m_store);
    CItemValueCache& other = CItemValueCache::For(linked);
    const int keyItem = other.ItemByNameNoCase(hasKey ? m_store.Item(p.m_linkSource) : QStringView());
    if (keyItem < 0) return Stored(node.card, node.item);
    const int found = other.FindKey(keyItem, *key);
    const int fetched = other.ItemByNameNoCase(p.m_linkTargetName);
    if (found < 0 || fetched < 0) return QString();
    return CEngine(linked, other).Node({other.AllIndexOfVisible(found), fetched, true});
  }

  std::optional<CResult> AttemptFormula(int card, const QString& formula, int ownItem, bool display, bool grouping) {
    if (ownItem >= 0 && m_cache.SelfReferenced(ownItem, [&] { return SelfReferenced(formula, m_store.Item(ownItem)); }))
      return kCircularReference.toString();
    // An item's own formula is expanded once per card (and shared with the
    // references to it); any other text on its own.
    const QString& recorded = ownItem >= 0 ? m_store.Property(ownItem).m_formula : formula;
    const bool own = ownItem >= 0 && formula.size() == recorded.size() &&
                     (formula.constData() == recorded.constData() || formula == recorded);
    std::optional<CItemValueCache::CExpansion> scratch;  // made only when needed: a card's walk makes none
    CItemValueCache::CExpansion* e;
    if (own) {
      e = &m_cache.ExpansionOf(card, ownItem);
      if (e->step != Step::kDone && !Compute(card, ownItem, *e)) return std::nullopt;
    } else {
      e = &scratch.emplace();
      e->text = formula;
      e->status = int(Expand(card, e->text, IsPure(formula)));
      if (e->status == int(Expansion::kMissing)) return std::nullopt;
      if (e->status == int(Expansion::kDone)) Finish(card, *e);
    }
    switch (Expansion(e->status)) {
      case Expansion::kMissing:
        return std::nullopt;
      case Expansion::kCycle:
        return kCircularReference.toString();
      case Expansion::kTooLong:
        return kFormulaError.toString();
      case Expansion::kFailed:
        if (m_store.CalcNull() == 1) return e->text;
        if (m_store.CalcNull() == 2) return QString();
        return kNoSuchItem.toString() + formula;
      case Expansion::kDone:
        break;
    }
    const QString& text = e->text;
    if (e->textResult) return text;
    if (text.size() >= 4 && EqualsKeyword(QStringView(text).first(4), u"STR(")) {
      const qsizetype close = ClosingParen(text, 3);
      return close < 0 ? text.mid(4) : text.mid(4, close - 4);
    }
    if (!e->value) return kFormulaError.toString();
    if (display && grouping) return FormatGrouped(*e->value);
    const double v = *e->value;
    if (own && std::fabs(v) < 1e15 && v == std::trunc(v)) return CResult(static_cast<std::int64_t>(v));
    return FormatDouble(v, 10);
  }

  // The formula of formula item `item` on card expanded into e, with the text
  // functions applied and its value; false when a value it needs is not
  // known yet (nothing kept then).
  bool Compute(int card, int item, CItemValueCache::CExpansion& e) {
    if (e.step == Step::kBusy) {
      // Met again while being expanded: a stored text took it in again.
      e.status = int(Expansion::kCycle);
      return true;
    }
    e.step = Step::kBusy;
    if (const CCompiledFormula* plan = Plan(item); plan && ComputeCompiled(card, item, *plan)) return true;
    m_cache.ExpansionOf(card, item).step = Step::kBusy;
    QString text = m_store.Property(item).m_formula;
    const Expansion status = Expand(card, text, Graph().pure[item]);
    // The expansion may have asked for others on this card: look e up again.
    CItemValueCache::CExpansion& slot = m_cache.ExpansionOf(card, item);
    if (status == Expansion::kMissing) {
      slot.step = Step::kNone;
      return false;
    }
    slot.balanced = Balanced(text);
    slot.text = std::move(text);
    slot.textResult = false;
    slot.status = int(status);
    if (status == Expansion::kDone) Finish(card, slot);
    slot.step = Step::kDone;
    return true;
  }

  // The compiled form of a formula item's formula, made on first use.
  const CCompiledFormula* Plan(int item) {
    if (!gCompiledFormulas.load(std::memory_order_relaxed)) return nullptr;
    return m_cache.Compiled(item, [&]() -> std::unique_ptr<CCompiledFormula> {
      const QString& formula = m_store.Property(item).m_formula;
      // The expansion takes formula items in as numbers by the item graph,
      // which counts no linked item's formula: where the two disagree, the
      // formula stays text.
      const bool pure = IsPure(formula);
      if (pure != Graph().pure[item]) return nullptr;
      return CompileItemFormula(formula, pure, [&](QStringView name, int* j) {
        *j = m_cache.ItemByName(name);
        if (*j < 0) return CompiledItemKind::kMissing;
        const CItemProperty& p = m_store.Property(*j);
        if (p.m_type == kItemLinked) return CompiledItemKind::kOther;
        if (!p.HasFormula()) return CompiledItemKind::kStored;
        return Graph().cyclic[*j] ? CompiledItemKind::kOther : CompiledItemKind::kFormula;
      });
    });
  }

  // The formula of formula item `item` on card computed from its compiled
  // form into its expansion, as Compute would expand it; false (the
  // expansion as it was, nothing noted missing) when a value it takes in is
  // not known yet or not of the kind its place needs: the text is expanded
  // then.
  bool ComputeCompiled(int card, int item, const CCompiledFormula& plan) {
    const std::size_t missing = m_missing.size();
    const auto fail = [&] {
      m_missing.resize(missing);
      return false;
    };
    if (plan.expression) {
      std::array<double, CCompiledExpression::kMaxSlots> values;
      for (std::size_t k = 0; k < plan.slots.size(); ++k)
        if (!SlotNumber(card, plan.slots[k], &values[k])) return fail();
      const CEvalResult r = plan.expression->Run(values.data(), m_clock);
      CItemValueCache::CExpansion& e = m_cache.ExpansionOf(card, item);
      e.text.clear();
      e.value = r.Ok() ? std::optional<double>(r.value) : std::nullopt;
    } else {
      std::array<QStringView, CCompiledFormula::kMaxTextSlots> values;
      bool rewrites = false;
      const CCardRow& row = *m_store.AllCard(card);
      for (std::size_t k = 0; k < plan.slots.size(); ++k) {
        const CCompiledFormula::CSlot& slot = plan.slots[k];
        values[k] = row.Item(slot.item);
        if (!IsPlainArgumentText(values[k])) return fail();
        rewrites = rewrites || MayRewriteFormula(values[k], slot.before, slot.after, true);
      }
      std::optional<CCompiledTextResult> result = RunCompiledText(plan, values.data(), m_clock, card + 1);
      if (!result) return fail();
      CItemValueCache::CExpansion& e = m_cache.ExpansionOf(card, item);
      e.text = std::move(result->text);
      e.textResult = result->textResult;
      e.value = result->value;
      if (rewrites) m_cache.NoteRewritable();
    }
    CItemValueCache::CExpansion& e = m_cache.ExpansionOf(card, item);
    e.balanced = plan.balanced;
    e.status = int(Expansion::kDone);
    e.step = Step::kDone;
    return true;
  }

  // The number a numeric place of a compiled formula takes in on card; false
  // when it is not known yet or would not stand there as a plain number.
  bool SlotNumber(int card, const CCompiledFormula::CSlot& slot, double* out) {
    QStringView text;
    switch (slot.source) {
      case CCompiledFormula::Source::kBefore:
      case CCompiledFormula::Source::kAfter: {
        const int other = slot.source == CCompiledFormula::Source::kBefore ? card - 1 : card + 1;
        if (other < 0 || other >= m_store.AllCount()) {
          *out = 0.0;
          return true;
        }
        if (!m_cache.Computed(slot.item)) {
          text = m_store.AllCard(other)->Item(slot.item);
        } else if (m_cache.StateOf(other, slot.item, true) == State::kDone) {
          // A whole number reads back from its text as itself.
          if (std::int64_t whole; m_cache.WholeOf(other, slot.item, true, &whole)) {
            *out = double(whole);
            return true;
          }
          text = m_cache.ValueOf(other, slot.item, true);
        } else {
          return false;
        }
        break;
      }
      case CCompiledFormula::Source::kReference:
        if (!m_cache.Computed(slot.item)) {
          text = m_store.AllCard(card)->Item(slot.item);
          break;
        }
        return FormulaNumber(card, slot.item, out);
    }
    if (ReadWholeDigits(text, out)) return true;
    QString narrowed;
    if (WideDigitsAsNumbers() && HasWideNumberChars(text)) {
      narrowed = NarrowNumberText(text);
      text = narrowed;
    }
    if (!IsPlainNumberText(text)) return false;
    // A plain number (sign, digits, point) is what TextToNumber reads it as,
    // without its look for wide digits and commas.
    *out = WcsToD(text);
    return true;
  }

  // A formula item taken in as its number, as Reference takes it in a pure
  // text: its value on the card, computed first when it is not yet.
  bool FormulaNumber(int card, int item, double* out) {
    CItemValueCache::CExpansion* e = &m_cache.ExpansionOf(card, item);
    if (e->step == Step::kBusy) return false;
    if (e->step != Step::kDone && !Compute(card, item, *e)) return false;
    e = &m_cache.ExpansionOf(card, item);
    if (e->status != int(Expansion::kDone) || !e->balanced || !Graph().balanced[item] || !e->value ||
        !std::isfinite(*e->value))
      return false;
    const double v = *e->value;
    // Written as the digits Reference writes, it must fit a number of the
    // evaluator; those digits read back as v itself.
    if (!(std::fabs(v) < 1e15 && (v == 0.0 || std::fabs(v) >= 1e-100))) {
      char digits[400];
      const auto r = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed);
      if (r.ec != std::errc() || r.ptr - digits >= kEvalBufferCapacity) return false;
    }
    *out = v;
    return true;
  }

  // The text functions, then the value when the text is a number.
  void Finish(int card, CItemValueCache::CExpansion& e) {
    if (MayCall(e.text)) ApplyTextFunctions(e.text, CTextFunctionContext{m_clock, card + 1});
    e.value.reset();
    if (e.text.size() >= 4 && EqualsKeyword(QStringView(e.text).first(4), u"STR(")) return;
    const CEvalResult r = Evaluate(e.text, m_clock);
    if (r.Ok()) e.value = r.value;
  }

  const CItemValueCache::CItemGraph& Graph() {
    CItemValueCache::CItemGraph& g = m_cache.Graph();
    if (!g.known) BuildItemGraph(m_store, m_cache, g);
    return g;
  }

  // A formula item whose formula a reference takes in (not a linked item).
  bool IsInlinedFormula(int item) const { return ::IsInlinedFormula(m_store.Property(item)); }

  // Replaces every reference and item function of text (not the text
  // functions). pure: the text counts what it takes in only as a number, so a
  // formula item that has a number on this card comes in as that number.
  Expansion Expand(int card, QString& text, bool pure) {
    if (!text.contains(u'%')) return Expansion::kDone;
    CBudget budget;
    Expansion status = MayCall(text) ? ApplyItemFunctions(card, text, budget) : Expansion::kDone;
    if (status != Expansion::kDone) return status;
    std::array<std::uint8_t, kMaxItems> inlined{};
    for (qsizetype at = text.indexOf(kRefOpen); at >= 0; at = text.indexOf(kRefOpen)) {
      const qsizetype close = text.indexOf(u']', at + 2);
      if (close < 0) break;
      const int item = m_cache.ItemByName(QStringView(text).sliced(at + 2, close - at - 2));
      if (item < 0) return Expansion::kFailed;
      QString owned;
      QStringView value;
      status = Reference(card, item, pure, &owned, &value);
      if (status != Expansion::kDone) return status;
      if (value.isEmpty() && m_store.CalcNull() == 1) value = u"0";
      if (value.isEmpty() && m_store.CalcNull() == 2) return Expansion::kFailed;
      // Only a stored text that names itself again comes back here often.
      if (++inlined[item] > kMaxInlining || (budget.work += text.size()) > kMaxWork) return Expansion::kCycle;
      const QStringView ref = QStringView(text).sliced(at, close + 1 - at);
      qsizetype copies = 0;
      for (qsizetype next = at; next >= 0; next = QStringView(text).indexOf(ref, next + ref.size())) {
        NoteRewriting(text, next, next + ref.size(), value, !IsInlinedFormula(item));
        ++copies;
      }
      if (!IsInlinedFormula(item) && value.contains(kRefOpen) &&
          (budget.rewritten += copies * value.size()) > kMaxRewritten)
        return inlined[item] > 1 ? Expansion::kCycle : Expansion::kTooLong;
      if (!ReplaceFrom(text, at, close + 1 - at, value))
        return inlined[item] > 1 ? Expansion::kCycle : Expansion::kTooLong;
      if (MayCall(text)) {
        status = ApplyItemFunctions(card, text, budget);
        if (status != Expansion::kDone) return status;
      }
    }
    return Expansion::kDone;
  }

  // A text about to replace text[at, end) that could make references or calls
  // the formulas do not show: the cache stops following dependencies.
  void NoteRewriting(QStringView text, qsizetype at, qsizetype end, QStringView value, bool wholeText) {
    const QChar before = at > 0 ? text[at - 1] : QChar();
    const QChar after = end < text.size() ? text[end] : QChar();
    if (MayRewriteFormula(value, before, after, wholeText)) m_cache.NoteRewritable();
  }

  // What a reference takes in: a formula item its formula expanded (in
  // parentheses, unless it begins with DATESTR), or in a pure text its number;
  // a linked item nothing; any other item its stored text without grouping
  // commas where the item groups digits.
  Expansion Reference(int card, int item, bool pure, QString* owned, QStringView* out) {
    const CItemProperty& p = m_store.Property(item);
    if (p.m_type == kItemLinked) {
      *out = QStringView();
      return Expansion::kDone;
    }
    if (!p.HasFormula()) {
      // The card's buffer stands still while a value is computed.
      *out = m_store.AllCard(card)->Item(item);
      // A number typed in full-width digits is taken in as the number.
      if (WideDigitsAsNumbers() && HasWideNumberChars(*out)) {
        QString narrowed = NarrowNumberText(*out);
        if (IsNumericText(narrowed)) {
          *owned = std::move(narrowed);
          *out = *owned;
        }
      }
      if (p.DigitGrouping() && out->contains(u',')) {
        *owned = out->toString();
        owned->remove(u',');
        *out = *owned;
      }
      return Expansion::kDone;
    }
    if (Graph().cyclic[item]) return Expansion::kCycle;
    CItemValueCache::CExpansion* e = &m_cache.ExpansionOf(card, item);
    if (pure) {
      if (e->step == Step::kBusy) return Expansion::kCycle;
      if (e->step != Step::kDone && !Compute(card, item, *e)) return Expansion::kMissing;
      e = &m_cache.ExpansionOf(card, item);
      // Only a text whose parentheses close stands for its value: an open
      // one would take in what follows the reference.
      if (e->status == int(Expansion::kDone) && e->balanced && Graph().balanced[item] && e->value &&
          std::isfinite(*e->value)) {
        // The shortest digits that read back as the same number; the
        // evaluator reads no exponent.
        char digits[400];
        const auto r = std::to_chars(digits, digits + sizeof digits, *e->value, std::chars_format::fixed);
        if (r.ec == std::errc() && r.ptr - digits < kEvalBufferCapacity) {
          *owned = u'(' + QString::fromLatin1(digits, r.ptr - digits) + u')';
          *out = *owned;
          return Expansion::kDone;
        }
      }
    }
    // Taken in as text: the formula with its own references taken in as text.
    if (e->formStep == Step::kBusy) return Expansion::kCycle;
    if (e->formStep != Step::kDone) {
      e->formStep = Step::kBusy;
      QString text = p.m_formula;
      const Expansion status = Expand(card, text, false);
      e = &m_cache.ExpansionOf(card, item);
      if (status == Expansion::kMissing) {
        e->formStep = Step::kNone;
        return status;
      }
      e->formStatus = int(status);
      // A formula whose parentheses do not close is taken in as written and
      // expanded where it stands, as its calls reach past it.
      const bool balanced = Graph().balanced[item] && Balanced(text);
      if (!balanced) {
        text = p.m_formula;
        e->formStatus = int(Expansion::kDone);
      }
      if (p.m_formula.size() >= 8 && EqualsKeyword(QStringView(p.m_formula).first(8), u"DATESTR("))
        e->form = std::move(text);
      else
        e->form = u'(' + text + u')';
      e->formStep = Step::kDone;
    }
    *owned = e->form;
    *out = *owned;
    return Expansion(e->formStatus);
  }

  Expansion ApplyItemFunctions(int card, QString& text, CBudget& budget) {
    for (const CItemKeyword& kw : kItemKeywords) {
      for (qsizetype at = FindCall(text, kw.name); at >= 0; at = FindCall(text, kw.name)) {
        const CItemCall call = ReadItemCall(text, at, kw.name);
        if (call.name.isNull()) break;
        const int item = m_cache.ItemByName(call.name);
        if (item < 0) break;
        std::optional<QString> value = ItemFunction(kw.fn, card, item);
        if (!value) return Expansion::kMissing;
        const qsizetype end = call.end;
        if (++budget.itemCalls > kMaxItemCalls || (budget.work += text.size()) > kMaxWork) return Expansion::kCycle;
        if (text.size() - (end - at) + value->size() > kMaxFormulaText) return Expansion::kTooLong;
        NoteRewriting(text, at, end, *value, true);
        text.replace(at, end - at, *value);
      }
    }
    return Expansion::kDone;
  }

  std::optional<QString> ItemFunction(ItemFn fn, int card, int item) {
    switch (fn) {
      case ItemFn::kBefore:
        if (card == 0) return QStringLiteral("0");
        return Need(card - 1, item, true);
      case ItemFn::kAfter:
        if (card + 1 >= m_store.AllCount()) return QStringLiteral("0");
        return Need(card + 1, item, true);
      case ItemFn::kNum: {
        const std::optional<QString> value = Need(card, item, false);
        if (!value) return std::nullopt;
        return FormatDouble(TextToNumber(*value), 10);
      }
      case ItemFn::kSumTime:
        return TimeSum(item);
      default:
        break;
    }
    const CColumnStatistics* s = Stats(item, fn == ItemFn::kVarp);
    if (!s) return std::nullopt;
    const bool any = s->count > 0;
    switch (fn) {
      case ItemFn::kSum:
        return FormatDouble(s->sum, 10);
      case ItemFn::kAverage:
        return FormatDouble(any ? s->sum / s->count : 0, 10);
      case ItemFn::kMaxItem:
        return FormatDouble(any ? s->max : 0, 10);
      case ItemFn::kMinItem:
        return FormatDouble(any ? s->min : 0, 10);
      default:
        return FormatDouble(s->variance, 10);
    }
  }

  // The statistics of an item over the visible cards; nullptr (and every
  // value it misses noted) until all of them are known.
  const CColumnStatistics* Stats(int item, bool variance = true) {
    std::optional<CColumnStatistics>& slot = m_cache.Statistics(item);
    if (slot && !(variance && m_cache.VarianceStale(item))) return &*slot;
    const std::vector<int>& visible = m_cache.VisibleAll();
    const bool computed = m_cache.Computed(item);
    if (computed) {
      const std::size_t known = m_missing.size();
      for (int k : visible)
        if (m_cache.StateOf(k, item, true) != State::kDone) m_missing.push_back({k, item, true});
      if (m_missing.size() != known) return nullptr;
    }
    CColumnStatistics s;
    double squares = 0;
    std::vector<double> numbers;
    if (!computed) numbers.assign(m_store.AllCount(), std::numeric_limits<double>::quiet_NaN());
    for (int k : visible) {
      const QStringView text = computed ? m_cache.ValueOf(k, item, true) : m_store.AllCard(k)->Item(item);
      if (!IsNumericText(text)) continue;
      const double x = TextToNumber(text);
      if (!computed) numbers[k] = x;
      s.max = s.count == 0 || x > s.max ? x : s.max;
      s.min = s.count == 0 || x < s.min ? x : s.min;
      ++s.count;
      s.sum += x;
      squares += x * x;
    }
    if (s.count > 0) s.variance = PopulationVariance(squares / s.count, s.sum / s.count);
    slot = s;
    if (!computed) m_cache.NoteColumn(item, std::move(numbers));
    return &*slot;
  }

  // SUMTIME: TIME of the stored text of every card, summed, as TIMESTR writes it.
  QString TimeSum(int item) {
    std::optional<QString>& slot = m_cache.TimeSum(item);
    if (!slot) {
      if (m_cache.Computed(item)) m_cache.NoteReadsComputedTexts(item);
      std::int64_t seconds = 0;
      for (int k = 0; k < m_store.AllCount(); ++k) seconds += TimeSeconds(m_store.AllCard(k)->Item(item));
      slot = TimeStr(QString::number(seconds), m_clock);
    }
    return *slot;
  }

  const CCardStore& m_store;
  CItemValueCache& m_cache;
  CNotingClock m_clock;
  std::vector<CNode> m_missing;
};

}  // namespace

QString ComputeNode(const CCardStore& store, CItemValueCache& cache, int card, int item, bool display) {
  return CEngine(store, cache).Node({card, item, display});
}

QString ComputeFormula(const CCardStore& store, CItemValueCache& cache, int card, const QString& formula, int ownItem,
                       bool display, bool grouping) {
  return CEngine(store, cache).Formula(card, formula, ownItem, display, grouping);
}

CColumnStatistics ComputeStatistics(const CCardStore& store, CItemValueCache& cache, int item) {
  return CEngine(store, cache).Statistics(item);
}

void UseCompiledFormulas(bool on) { gCompiledFormulas.store(on, std::memory_order_relaxed); }
