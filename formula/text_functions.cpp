#include "formula/text_functions.h"

#include "formula/date_functions.h"
#include "formula/expression_evaluator.h"
#include "formula/formula_text.h"
#include "formula/number_text.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace {

enum class Fn {
  kIfs, kStrAdd, kDateAdd, kYears, kNetworkDays, kDateDiff, kDateStr, kLeft, kMid, kRight,
  kLen, kCalc, kIndex, kYoubi, kReplace, kPad, kTime, kTimeStr, kDays, kWorkDay, kWareki,
};

struct CKeyword {
  QStringView name;
  Fn fn;
};

// The order matters: NETWORKDAYS before DAYS, so that a call of the one is not
// taken for the other.
constexpr CKeyword kKeywords[] = {
    {u"IFS", Fn::kIfs},         {u"STRADD", Fn::kStrAdd},   {u"DATEADD", Fn::kDateAdd},
    {u"YEARS", Fn::kYears},     {u"NETWORKDAYS", Fn::kNetworkDays}, {u"DATEDIFF", Fn::kDateDiff},
    {u"DATESTR", Fn::kDateStr}, {u"LEFT", Fn::kLeft},       {u"MID", Fn::kMid},
    {u"RIGHT", Fn::kRight},     {u"LEN", Fn::kLen},         {u"CALC", Fn::kCalc},
    {u"INDEX", Fn::kIndex},     {u"YOUBI", Fn::kYoubi},     {u"REPLACE", Fn::kReplace},
    {u"PAD", Fn::kPad},         {u"TIME", Fn::kTime},       {u"TIMESTR", Fn::kTimeStr},
    {u"DAYS", Fn::kDays},       {u"WORKDAY", Fn::kWorkDay}, {u"WAREKI", Fn::kWareki},
};

constexpr int kMaxDepth = 64;
constexpr int kMaxCalls = 20000;
constexpr qsizetype kMaxWork = qsizetype(1) << 25;  // characters gone through by the calls

// A count argument: the leading integer, none below 0.
qsizetype Count(QStringView text) { return std::max(LeadingInt(text), 0); }

QString Ifs(const QStringList& raw) {
  if (raw.size() != 3) return QString();
  const QString condition = raw[0].trimmed();
  const qsizetype eq = condition.indexOf(u'=');
  if (eq < 0) return QString();
  return QStringView(condition).first(eq) == QStringView(condition).sliced(eq + 1) ? raw[1].trimmed()
                                                                                 : raw[2].trimmed();
}

// Counts are of characters: a character outside the basic plane (𠀋, a
// surrogate pair) counts once and is never cut in half.
bool PairAt(QStringView text, qsizetype i) {
  return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
}

qsizetype CharCount(QStringView text) {
  qsizetype count = 0;
  for (qsizetype i = 0; i < text.size(); i += PairAt(text, i) ? 2 : 1) ++count;
  return count;
}

// The offset after n characters from `from`, at most the end.
qsizetype Forward(QStringView text, qsizetype from, qsizetype n) {
  qsizetype i = from;
  for (; n > 0 && i < text.size(); --n) i += PairAt(text, i) ? 2 : 1;
  return i;
}

// The offset of the last n characters, at least 0.
qsizetype Backward(QStringView text, qsizetype n) {
  qsizetype i = text.size();
  for (; n > 0 && i > 0; --n) i -= i >= 2 && PairAt(text, i - 2) ? 2 : 1;
  return i;
}

// LEFT, RIGHT and MID: the part of the first argument the call gives;
// nullopt for another argument count (the call gives "").
std::optional<QStringView> Slice(Fn fn, const QStringView* args, qsizetype count) {
  const QStringView text = args[0];
  if (fn == Fn::kMid) {
    if (count != 2 && count != 3) return std::nullopt;
    const qsizetype from = Forward(text, 0, std::max<qsizetype>(qsizetype(LeadingInt(args[1])) - 1, 0));
    const qsizetype end = count == 3 ? Forward(text, from, Count(args[2])) : text.size();
    return text.sliced(from, end - from);
  }
  if (count != 2) return std::nullopt;
  return fn == Fn::kLeft ? text.first(Forward(text, 0, Count(args[1]))) : text.sliced(Backward(text, Count(args[1])));
}

QString SliceText(Fn fn, const QStringList& list) {
  std::vector<QStringView> args(list.cbegin(), list.cend());
  const std::optional<QStringView> part = Slice(fn, args.data(), qsizetype(args.size()));
  return part ? WrapStr(*part) : QString();
}

QString Replace(const QStringList& args) {
  if (args.size() != 2 && args.size() != 3) return QString();
  QString text = args[0];
  const QString& old = args[1];
  const QString replacement = args.size() == 3 ? args[2] : QString();
  if (old.isEmpty()) return WrapStr(text);
  const qsizetype grow = replacement.size() - old.size();
  if (grow > 0 && text.size() + text.count(old) * grow > kMaxFormulaText) return WrapStr(u"");
  return WrapStr(text.replace(old, replacement));
}

QString Pad(const QStringList& args) {
  if (args.size() != 2 && args.size() != 3) return QString();
  QString value = args[0];
  if (value.size() >= 2 && value.front() == u'(' && value.back() == u')' &&
      std::all_of(value.cbegin() + 1, value.cend() - 1, [](QChar c) { return c >= u'0' && c <= u'9'; }))
    value = value.mid(1, value.size() - 2);
  const QString filler = args.size() == 3 ? args[2] : QStringLiteral(" ");
  const qsizetype missing = qsizetype(LeadingInt(args[1])) - CharCount(value);
  if (missing <= 0 || filler.isEmpty()) return WrapStr(value);
  if (missing > kMaxFormulaText / filler.size()) return WrapStr(u"");
  return WrapStr(filler.repeated(missing) + value);
}

std::optional<QString> Compute(Fn fn, const QString& arg, const CTextFunctionContext& ctx) {
  switch (fn) {
    case Fn::kIfs:
      return Ifs(SplitArguments(arg));
    case Fn::kStrAdd:
      return WrapStr(SplitArguments(arg).join(QString()));
    case Fn::kDateAdd:
      return DateAdd(arg, ctx.clock);
    case Fn::kYears:
      return Years(arg, ctx.clock);
    case Fn::kNetworkDays:
      return NetworkDays(arg, ctx.clock);
    case Fn::kDateDiff:
      return DateDiff(arg, ctx.clock);
    case Fn::kDateStr:
      return DateStr(arg, ctx.clock);
    case Fn::kLeft:
    case Fn::kRight:
    case Fn::kMid:
      return SliceText(fn, SplitArguments(arg));
    case Fn::kLen: {
      const QStringList args = SplitArguments(arg);
      return args.size() == 1 ? IntText(CharCount(args[0])) : QString();
    }
    case Fn::kCalc: {
      const CEvalResult r = Evaluate(arg, ctx.clock);
      return r.Ok() ? FormatDouble(r.value, 15) : QString();
    }
    case Fn::kIndex:
      return IntText(ctx.cardNumber);
    case Fn::kYoubi:
      return Youbi(arg);
    case Fn::kWareki:
      return Wareki(arg);
    case Fn::kReplace:
      return Replace(SplitArguments(arg));
    case Fn::kPad:
      return Pad(SplitArguments(arg));
    case Fn::kTime:
      return Time(arg);
    case Fn::kTimeStr:
      return TimeStr(arg, ctx.clock);
    case Fn::kDays:
      return Days(arg);
    case Fn::kWorkDay:
      return WorkDay(arg, ctx.clock);
  }
  return QString();
}

class CTextPass {
 public:
  explicit CTextPass(const CTextFunctionContext& ctx) : m_ctx(ctx) {}

  bool Apply(QString& text, int depth) {
    for (const CKeyword& kw : kKeywords) {
      for (qsizetype at = FindCall(text, kw.name); at >= 0; at = FindCall(text, kw.name)) {
        if (depth >= kMaxDepth || ++m_calls > kMaxCalls || (m_work += text.size()) > kMaxWork) return false;
        const qsizetype open = at + kw.name.size();
        const qsizetype close = ClosingParen(text, open);
        const qsizetype end = close < 0 ? text.size() : close + 1;
        QString arg = text.mid(open + 1, (close < 0 ? text.size() : close) - open - 1);
        if (!Apply(arg, depth + 1)) return false;
        const std::optional<QString> value = Compute(kw.fn, UnwrapStr(std::move(arg)), m_ctx);
        if (!value || text.size() - (end - at) + value->size() > kMaxFormulaText) return false;
        text.replace(at, end - at, *value);
      }
    }
    return true;
  }

 private:
  const CTextFunctionContext& m_ctx;
  int m_calls = 0;
  qsizetype m_work = 0;
};

}  // namespace

bool ApplyTextFunctions(QString& text, const CTextFunctionContext& context) {
  return CTextPass(context).Apply(text, 0);
}

int TextFunctionOfCall(QStringView name) {
  for (int k = 0; k < int(std::size(kKeywords)); ++k) {
    const QStringView keyword = kKeywords[k].name;
    if (keyword.size() <= name.size() && EqualsKeyword(name.last(keyword.size()), keyword))
      return keyword.size() == name.size() ? k : -1;
  }
  return -1;
}

std::optional<QString> CallTextFunction(int function, const QString& argument, const CTextFunctionContext& context) {
  return Compute(kKeywords[function].fn, argument, context);
}

std::optional<QStringView> TextSlice(int function, const QStringView* args, qsizetype count) {
  const Fn fn = kKeywords[function].fn;
  if (fn != Fn::kLeft && fn != Fn::kRight && fn != Fn::kMid) return std::nullopt;
  return Slice(fn, args, count);
}
