#include "formula/formula_advice.h"

#include "core/card_store.h"
#include "formula/item_formula.h"

#include <QRegularExpression>

namespace {

// A date written as text: 1975/4/12, 1975-4-12, 1975.4.12, 1975年4月12日, R6.5.3.
bool LooksLikeDate(const QString& text) {
  static const QRegularExpression date(
      QStringLiteral(R"(^\s*(?:[MTSHR]|明治|大正|昭和|平成|令和)?\d{1,4}\s*[/.\-年]\s*\d{1,2}\s*[/.\-月]\s*\d{1,2}\s*日?\s*$)"),
      QRegularExpression::CaseInsensitiveOption);
  return date.match(text).hasMatch();
}

bool LooksLikeTime(const QString& text) {
  static const QRegularExpression time(QStringLiteral(R"(^\s*\d{1,3}\s*:\s*\d{1,2}(\s*:\s*\d{1,2})?\s*$)"));
  return time.match(text).hasMatch();
}

// The formula with every %[name] replaced by the text it reads on the card;
// *unknown takes the first name no item has.
QString ExpandReferences(QStringView formula, const std::function<QString(const QString&)>& valueOf,
                         QString* unknown) {
  QString out;
  qsizetype i = 0;
  while (i < formula.size()) {
    const qsizetype at = formula.indexOf(u"%[", i);
    const qsizetype end = at < 0 ? -1 : formula.indexOf(u']', at + 2);
    if (end < 0) {
      out += formula.mid(i);
      break;
    }
    out += formula.mid(i, at - i);
    const QString name = formula.mid(at + 2, end - at - 2).toString();
    const QString value = valueOf(name);
    if (value.isNull() && unknown->isEmpty()) *unknown = name;
    out += value;
    i = end + 1;
  }
  return out;
}

}  // namespace

QString FormulaAdvice(QStringView formula, QStringView value, const std::function<QString(const QString&)>& valueOf) {
  const QString f = formula.trimmed().toString();
  if (f.isEmpty()) return {};
  QString unknown;
  const QString expanded = ExpandReferences(f, valueOf, &unknown);
  if (!unknown.isEmpty()) return advice_msg::kNoSuchItem.arg(unknown);
  if (value == kCircularReference) return advice_msg::kCircular;

  // A serial-number function given a date or time text computes nonsense
  // (1975/4/12 is a division) rather than failing: say so first.
  static const QRegularExpression serialCall(
      QStringLiteral(R"(\b(YEAR|MONTH|DAY|DATESTR|HOUR|MINUTE|SECOND|TIMESTR)\s*\(([^(),]*)\))"),
      QRegularExpression::CaseInsensitiveOption);
  for (auto it = serialCall.globalMatch(expanded); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const QString name = m.captured(1).toUpper();
    const QString argument = m.captured(2).trimmed();
    const bool time = name == u"HOUR" || name == u"MINUTE" || name == u"SECOND" || name == u"TIMESTR";
    if (time && LooksLikeTime(argument)) return advice_msg::kTimeText.arg(name, argument);
    if (!time && LooksLikeDate(argument))
      return name == u"DATESTR" ? advice_msg::kDateStrText.arg(argument) : advice_msg::kDateText.arg(name, argument);
  }

  if (value == kFormulaError || value.startsWith(kNoSuchItem)) return advice_msg::kCannotCompute;
  // The value is the formula's own text (or the text STR( holds): some word
  // in it is no function.
  const auto unwrapped = [](QString text) {
    if (text.startsWith(QStringLiteral("STR("), Qt::CaseInsensitive)) {
      text = text.mid(4);
      if (text.endsWith(u')')) text.chop(1);
    }
    return text;
  };
  const QString inner = unwrapped(f), innerExpanded = unwrapped(expanded);
  if (!value.isEmpty() && inner.contains(u'(') &&
      (value == f || value == inner || value == expanded || value == innerExpanded))
    return advice_msg::kOwnText;
  return {};
}

CFormulaTrial TryFormula(const CCardStore& store, int card, const QString& formula) {
  if (formula.trimmed().isEmpty() || card < 0 || card >= store.VisibleCount()) return {};
  CFormulaTrial trial;
  trial.value = EvaluateFormulaText(store, card, false, formula, true);
  const auto valueOf = [&](const QString& name) -> QString {
    for (int i = 0; i < store.ItemCount(); ++i)
      if (store.Item(i) == name) {
        const QString v = GetItemValue(store, card, false, i, false);
        return v.isNull() ? QStringLiteral("") : v;
      }
    return QString();
  };
  trial.advice = FormulaAdvice(formula, trial.value, valueOf);
  return trial;
}
