#include "formula/formula_reading.h"

#include "core/card_store.h"
#include "formula/formula_text.h"
#include "records/item_property.h"

#include <algorithm>
#include <utility>
#include <vector>

CItemCall ReadItemCall(const QString& text, qsizetype at, QStringView keyword) {
  const qsizetype open = at + keyword.size();
  const qsizetype close = ClosingParen(text, open);
  const qsizetype argEnd = close < 0 ? text.size() : close;
  const QStringView arg = QStringView(text).sliced(open + 1, argEnd - open - 1);
  const qsizetype ref = arg.indexOf(kRefOpen);
  const qsizetype refEnd = ref < 0 ? -1 : arg.indexOf(u']', ref + 2);
  return {close < 0 ? text.size() : close + 1, refEnd < 0 ? QStringView() : arg.sliced(ref + 2, refEnd - ref - 2)};
}

bool SelfReferenced(QStringView formula, QStringView name) {
  QString ref = QStringLiteral("%[");
  ref += name;
  ref += u']';
  for (qsizetype at = formula.indexOf(ref); at >= 0; at = formula.indexOf(ref, at + 1)) {
    const qsizetype end = at - 1;
    const bool before = end >= 6 && EqualsKeyword(formula.sliced(end - 6, 6), u"BEFORE");
    const bool after = end >= 5 && EqualsKeyword(formula.sliced(end - 5, 5), u"AFTER");
    if (!before && !after) return true;
  }
  return false;
}

bool CallFree(QStringView text) {
  if (text.size() > kMaxFormulaText) return false;
  QStringView inside = text;
  if (text.size() >= 5 && text.startsWith(u"STR(") && text.back() == u')') inside = text.sliced(4, text.size() - 5);
  return !inside.contains(u'(') && !inside.contains(u')');
}

bool Balanced(QStringView text) {
  int depth = 0;
  for (QChar c : text) {
    if (c == u'(') ++depth;
    if (c == u')' && --depth < 0) return false;
  }
  return depth == 0;
}

bool HasLetter(QStringView text) {
  for (QChar c : text)
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  return false;
}

bool MayCall(QStringView text) { return text.contains(u'(') && HasLetter(text); }

bool IsPure(QStringView formula) {
  if (!HasLetter(formula)) return true;
  if (FindCall(formula, u"STR") >= 0) return false;
  for (QStringView keyword : kTextKeywords)
    if (FindCall(formula, keyword) >= 0) return false;
  return true;
}

bool ReplaceFrom(QString& text, qsizetype at, qsizetype length, QStringView value) {
  const QStringView ref = QStringView(text).sliced(at, length);
  QString out;
  out.reserve(text.size() + std::max<qsizetype>(value.size() - length, 0));
  out.append(QStringView(text).first(at));
  qsizetype pos = at;
  for (qsizetype next = at; next >= 0; next = QStringView(text).indexOf(ref, pos)) {
    out.append(QStringView(text).sliced(pos, next - pos));
    out.append(value);
    pos = next + length;
    if (out.size() > kMaxFormulaText) return false;
  }
  out.append(QStringView(text).sliced(pos));
  if (out.size() > kMaxFormulaText) return false;
  text = std::move(out);
  return true;
}

bool IsInlinedFormula(const CItemProperty& p) { return p.m_type != kItemLinked && p.HasFormula(); }

void BuildItemGraph(const CCardStore& store, CItemValueCache& cache, CItemValueCache::CItemGraph& g) {
  const int n = std::max(store.ItemCount(), 0);
  std::vector<std::vector<int>> edges(n);
  g.pure.assign(n, true);
  g.balanced.assign(n, true);
  for (int i = 0; i < n; ++i) {
    if (!IsInlinedFormula(store.Property(i))) continue;
    QString text = store.Property(i).m_formula;
    g.pure[i] = IsPure(text);
    g.balanced[i] = Balanced(text);
    for (const CItemKeyword& kw : kItemKeywords) {
      for (qsizetype at = FindCall(text, kw.name); at >= 0; at = FindCall(text, kw.name)) {
        const CItemCall call = ReadItemCall(text, at, kw.name);
        if (call.name.isNull() || cache.ItemByName(call.name) < 0) break;
        text.replace(at, call.end - at, QChar(u'0'));
      }
    }
    for (qsizetype at = text.indexOf(u"%["); at >= 0; at = text.indexOf(u"%[", at + 2)) {
      const qsizetype close = text.indexOf(u']', at + 2);
      if (close < 0) break;
      const int j = cache.ItemByName(QStringView(text).sliced(at + 2, close - at - 2));
      if (j < 0) break;  // the expansion stops there
      if (IsInlinedFormula(store.Property(j))) edges[i].push_back(j);
    }
  }
  // An item on a cycle reaches itself; one that reaches such an item takes
  // the cycle in as well. At most 200 items: a search from each will do.
  std::vector<bool> onCycle(n);
  std::vector<std::vector<bool>> reach(n, std::vector<bool>(n));
  for (int i = 0; i < n; ++i) {
    std::vector<int> todo(edges[i]);
    while (!todo.empty()) {
      const int j = todo.back();
      todo.pop_back();
      if (reach[i][j]) continue;
      reach[i][j] = true;
      todo.insert(todo.end(), edges[j].begin(), edges[j].end());
    }
    onCycle[i] = reach[i][i];
  }
  g.cyclic.assign(n, false);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n && !g.cyclic[i]; ++j) g.cyclic[i] = onCycle[j] && (j == i || reach[i][j]);
  g.known = true;
}
