#include "formula/compiled_formula.h"

#include "formula/date_functions.h"
#include "formula/formula_reading.h"
#include "formula/formula_text.h"
#include "formula/text_functions.h"

#include <array>

namespace {

bool EndsWithKeyword(QStringView word, QStringView keyword) {
  return keyword.size() <= word.size() && EqualsKeyword(word.last(keyword.size()), keyword);
}

// What may stand beside a number so that it stays a token of its own and a
// '-' it begins with is its sign.
bool ArithmeticNeighbour(QChar c, bool before) {
  switch (c.unicode()) {
    case 0:
    case u',':
    case u'+':
    case u'-':
    case u'*':
    case u'/':
    case u'^':
    case u'%':
    case u'=':
    case u'<':
    case u'>':
      return true;
    case u'(':
      return before;
    case u')':
      return !before;
    default:
      return false;
  }
}

// A name the text path reads the same way whichever values stand around it.
bool PlainName(QStringView name) {
  for (QChar c : name)
    if (c == u'(' || c == u')' || c == u'%' || c == u'[' || c == u',') return false;
  return true;
}

// The arguments of texts[0] slot 0 texts[1] ... texts[n] split at its commas
// (values hold none), when each is one place or one text; otherwise none.
std::vector<CCompiledFormula::CArgument> SplitPlaces(const std::vector<QString>& texts) {
  std::vector<CCompiledFormula::CArgument> args(1);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    for (QChar c : texts[k]) {
      if (c == u',') {
        args.emplace_back();
        continue;
      }
      if (args.back().slot >= 0) return {};
      args.back().text += c;
    }
    if (k + 1 == texts.size()) break;
    if (!args.back().text.isEmpty()) return {};
    args.back().slot = int(k);
  }
  return args;
}

}  // namespace

bool IsPlainNumberText(QStringView text) {
  if (text.isEmpty() || text.size() > kEvalBufferCapacity) return false;
  const QChar last = text.back();
  if (last < u'0' || last > u'9') return false;
  for (qsizetype i = text.front() == u'-' ? 1 : 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if ((c < u'0' || c > u'9') && c != u'.') return false;
  }
  return true;
}

bool IsPlainArgumentText(QStringView text) {
  if (text.isEmpty() || text.size() > 4096) return false;
  for (QChar c : text)
    if (c == u'(' || c == u')' || c == u',' || c == u'%' || c == u'[' || c == u']') return false;
  return true;
}

std::unique_ptr<CCompiledFormula> CompileItemFormula(
    QStringView formula, bool pure, const std::function<CompiledItemKind(QStringView name, int* item)>& kind) {
  auto plan = std::make_unique<CCompiledFormula>();
  QString text;  // arithmetic: the formula with a digit in each place
  std::vector<qsizetype> places;
  std::vector<QString> texts(1);
  int depth = 0;
  bool lastWasSlot = false;
  const auto addSlot = [&](CCompiledFormula::Source source, int item, qsizetype at, qsizetype end) {
    const QChar before = at > 0 ? formula[at - 1] : QChar();
    const QChar after = end < formula.size() ? formula[end] : QChar();
    plan->slots.push_back({source, item, before, after});
    texts.emplace_back();
    lastWasSlot = true;
  };
  for (qsizetype i = 0; i < formula.size();) {
    const QChar c = formula[i];
    if (c == u'%' && i + 1 < formula.size() && formula[i + 1] == u'[') {
      const qsizetype close = formula.indexOf(u']', i + 2);
      if (close < 0 || lastWasSlot) return nullptr;
      const QStringView name = formula.sliced(i + 2, close - i - 2);
      int item = -1;
      const CompiledItemKind k = PlainName(name) ? kind(name, &item) : CompiledItemKind::kMissing;
      if (k != CompiledItemKind::kStored && !(pure && k == CompiledItemKind::kFormula)) return nullptr;
      // A formula item counts as its number in parentheses.
      const bool inParentheses = k == CompiledItemKind::kFormula;
      if (inParentheses) text += u'(';
      places.push_back(text.size());
      text += inParentheses ? QStringView(u"0)") : QStringView(u"0");
      addSlot(CCompiledFormula::Source::kReference, item, i, close + 1);
      i = close + 1;
      continue;
    }
    if (QChar::isLetter(c.unicode())) {
      qsizetype end = i;
      while (end < formula.size() && QChar::isLetter(formula[end].unicode())) ++end;
      const QStringView word = formula.sliced(i, end - i);
      bool called = false;
      if (end < formula.size() && formula[end] == u'(') {
        // A call of an item function that is not a plain BEFORE or AFTER of
        // a reference keeps the formula as text.
        for (const CItemKeyword& keyword : kItemKeywords) {
          if (!EndsWithKeyword(word, keyword.name)) continue;
          const bool before = EqualsKeyword(word, u"BEFORE");
          if (!pure || lastWasSlot || (!before && !EqualsKeyword(word, u"AFTER"))) return nullptr;
          // Exactly "(%[name])".
          const qsizetype close = formula.indexOf(u']', end);
          if (close < 0 || close + 1 >= formula.size() || formula[close + 1] != u')' ||
              formula.sliced(end, 3) != u"(%[")
            return nullptr;
          const QStringView name = formula.sliced(end + 3, close - end - 3);
          int item = -1;
          const CompiledItemKind k = PlainName(name) ? kind(name, &item) : CompiledItemKind::kMissing;
          if (k != CompiledItemKind::kStored && k != CompiledItemKind::kFormula) return nullptr;
          places.push_back(text.size());
          text += u'0';
          addSlot(before ? CCompiledFormula::Source::kBefore : CCompiledFormula::Source::kAfter, item, i,
                  close + 2);
          i = close + 2;
          called = true;
          break;
        }
      }
      if (called) continue;
      text += word;
      texts.back() += word;
      lastWasSlot = false;
      i = end;
      continue;
    }
    if (c == u'(') ++depth;
    if (c == u')' && --depth < 0) plan->balanced = false;
    text += c;
    texts.back() += c;
    lastWasSlot = false;
    ++i;
  }
  plan->balanced = plan->balanced && depth == 0;

  if (pure) {
    for (const CCompiledFormula::CSlot& s : plan->slots)
      if (!ArithmeticNeighbour(s.before, true) || !ArithmeticNeighbour(s.after, false)) return nullptr;
    plan->expression = CCompiledExpression::Compile(text, places);
    if (!plan->expression) return nullptr;
    return plan;
  }

  // One text-function call: name "(" argument ")", the argument without
  // parentheses.
  const qsizetype open = formula.indexOf(u'(');
  if (open <= 0 || formula.back() != u')' || plan->slots.empty() ||
      plan->slots.size() > CCompiledFormula::kMaxTextSlots)
    return nullptr;
  const QStringView inner = formula.sliced(open + 1, formula.size() - open - 2);
  if (inner.contains(u'(') || inner.contains(u')')) return nullptr;
  plan->textFunction = TextFunctionOfCall(formula.first(open));
  if (plan->textFunction < 0) return nullptr;
  // The texts around the places, less the name and its parentheses.
  const QStringView head = texts.front();
  if (head.size() < open + 1 || texts.back().isEmpty()) return nullptr;
  texts.front() = head.sliced(open + 1).toString();
  texts.back().chop(1);
  plan->texts = std::move(texts);
  plan->arguments = SplitPlaces(plan->texts);
  plan->dateDifference = plan->arguments.size() == 3 && EqualsKeyword(formula.first(open), u"DATEDIFF");
  return plan;
}

std::optional<CCompiledTextResult> RunCompiledText(const CCompiledFormula& plan, const QStringView* values,
                                                   const IClock& clock, int cardNumber) {
  std::array<QStringView, CCompiledFormula::kMaxTextSlots> args;
  const std::size_t count = plan.arguments.size() <= args.size() ? plan.arguments.size() : 0;
  for (std::size_t k = 0; k < count; ++k) {
    const CCompiledFormula::CArgument& a = plan.arguments[k];
    args[k] = a.slot >= 0 ? values[a.slot] : QStringView(a.text);
  }
  CCompiledTextResult out;
  std::optional<QStringView> part;
  if (plan.dateDifference) {
    // The same number DATEDIFF writes and the evaluator reads back.
    const std::optional<std::int64_t> difference = DateDifference(args[0], args[1], args[2]);
    if (!difference) return std::nullopt;
    out.value = double(*difference);
  } else if (count > 0 && (part = TextSlice(plan.textFunction, args.data(), qsizetype(count)))) {
    // A text result: the part itself, not wrapped.
    out.text = part->toString();
    out.textResult = true;
  } else {
    QString argument = plan.texts.front();
    for (std::size_t k = 0; k < plan.slots.size(); ++k) {
      argument += values[k];
      argument += plan.texts[k + 1];
    }
    std::optional<QString> result = CallTextFunction(plan.textFunction, argument, CTextFunctionContext{clock, cardNumber});
    if (!result || !CallFree(*result)) return std::nullopt;
    out.text = std::move(*result);
    if (!(out.text.size() >= 4 && EqualsKeyword(QStringView(out.text).first(4), u"STR("))) {
      const CEvalResult r = Evaluate(out.text, clock);
      if (r.Ok()) out.value = r.value;
    }
  }
  return out;
}
