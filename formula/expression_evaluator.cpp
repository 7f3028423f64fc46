#include "formula/expression_evaluator.h"

#include "datetime/date_serial.h"
#include "formula/function_catalog.h"
#include "formula/number_text.h"
#include "platform/clock.h"

#include <QChar>
#include <QDate>
#include <QVarLengthArray>

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// The evaluator's pi: this decimal, not the double nearest to pi.
constexpr double kPi = 3.1415926535;
constexpr int kOtherPrecedence = 65535;
constexpr double kInt32Min = -2147483648.0;
constexpr double kInt32End = 2147483648.0;
// dateserial accepts years up to here, so that the day count stays within 32 bits.
constexpr double kMaxSerialYear = 5000000.0;

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(QChar c) { return QChar::isLetter(c.unicode()); }

int Precedence(QStringView token) {
  if (token.size() != 1) return kOtherPrecedence;
  switch (token.front().unicode()) {
    case u'(':
    case u')':
    case u',':
      return -1;
    case u'+':
    case u'-':
    case u'=':
    case u'<':
    case u'>':
      return 1;
    case u'*':
    case u'/':
    case u'%':
      return 2;
    case u'^':
      return 3;
    default:
      return kOtherPrecedence;
  }
}

bool IsOperatorChar(QChar c) {
  switch (c.unicode()) {
    case u'(':
    case u')':
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
    default:
      return false;
  }
}

// Truncation toward zero through a 32-bit integer, where the value fits;
// false for values that do not (and NaN).
bool TruncateToInt32(double x, std::int32_t* out) {
  if (!(x >= kInt32Min && x < kInt32End)) return false;
  *out = static_cast<std::int32_t>(x);
  return true;
}

// Integer arithmetic never yields -0; the double forms of it below would.
double NoNegativeZero(double x) { return x + 0.0; }

template <typename T>
class CFixedStack {
 public:
  bool Push(T item) {
    if (m_size == kEvalStackCapacity) return false;
    m_items[m_size++] = item;
    return true;
  }
  T Pop() { return m_items[--m_size]; }
  const T& Top() const { return m_items[m_size - 1]; }
  bool Empty() const { return m_size == 0; }
  int Size() const { return m_size; }
  const T& operator[](int i) const { return m_items[i]; }

 private:
  // Left unset: only the first m_size are ever read.
  std::array<T, kEvalStackCapacity> m_items;
  int m_size = 0;
};

enum class EFunction {
  Now, NowYear, NowMonth, NowDay,
  Sqr, Log, Ln, Sin, Cos, Tan, Asin, Acos, Atan, Sinh, Cosh, Tanh, Int, Exp, Abs,
  Year, Month, Day, Hour, Minute, Second,
  Max, Min, Round, RoundUp, RoundDown,
  If, DateSerial, TimeSerial,
};

struct CFunctionName {
  const char16_t* name;  // lower case
  EFunction function;
};

constexpr CFunctionName kFunctions[] = {
    {u"now", EFunction::Now},         {u"nowyear", EFunction::NowYear},
    {u"nowmonth", EFunction::NowMonth}, {u"nowday", EFunction::NowDay},
    {u"sqr", EFunction::Sqr},         {u"log", EFunction::Log},
    {u"ln", EFunction::Ln},           {u"sin", EFunction::Sin},
    {u"cos", EFunction::Cos},         {u"tan", EFunction::Tan},
    {u"asin", EFunction::Asin},       {u"acos", EFunction::Acos},
    {u"atan", EFunction::Atan},       {u"sinh", EFunction::Sinh},
    {u"cosh", EFunction::Cosh},       {u"tanh", EFunction::Tanh},
    {u"int", EFunction::Int},         {u"exp", EFunction::Exp},
    {u"abs", EFunction::Abs},         {u"year", EFunction::Year},
    {u"month", EFunction::Month},     {u"day", EFunction::Day},
    {u"hour", EFunction::Hour},       {u"minute", EFunction::Minute},
    {u"second", EFunction::Second},   {u"max", EFunction::Max},
    {u"min", EFunction::Min},         {u"round", EFunction::Round},
    {u"roundup", EFunction::RoundUp}, {u"rounddown", EFunction::RoundDown},
    {u"if", EFunction::If},           {u"dateserial", EFunction::DateSerial},
    {u"timeserial", EFunction::TimeSerial},
};

// The function the evaluator computes under this name, compared after
// lower-casing each unit.
std::optional<EFunction> FindFunction(QStringView name) {
  for (const CFunctionName& f : kFunctions) {
    const QStringView candidate(f.name);
    if (candidate.size() != name.size()) continue;
    qsizetype i = 0;
    while (i < name.size() && QChar::toLower(name[i].unicode()) == candidate[i].unicode()) ++i;
    if (i == name.size()) return f.function;
  }
  return std::nullopt;
}

// Runs lowered postfix operations on a value stack.
class CMachine {
 public:
  explicit CMachine(const IClock* clock) : m_clock(clock) {}

  // One postfix token as an operation: what RunPostfix would do with it.
  static CEvalOp Lower(QStringView t) {
    const QChar first = t.front();
    CEvalOp op;
    if (IsDigit(first) || first == u'.' || (first == u'-' && t.size() > 1)) {
      op.kind = CEvalOp::Kind::kNumber;
      op.number = TextToNumber(t);
    } else if (t == u"PI" || t == u"pi") {
      op.kind = CEvalOp::Kind::kNumber;
      op.number = kPi;
    } else if (IsLetter(first)) {
      // Counts of the catalog's rows 1-33 never change: resolved once.
      const int count = GetArgumentCount(t);
      const std::optional<EFunction> function = FindFunction(t);
      if (count < 0 || !function || count > 3) {
        op.kind = CEvalOp::Kind::kFunctionError;
      } else {
        op.kind = CEvalOp::Kind::kFunction;
        op.function = std::uint8_t(*function);
        op.count = std::uint8_t(count);
      }
    } else if (t.size() == 1 && first != u'(') {
      op.kind = CEvalOp::Kind::kOperator;
      op.op = first.unicode();
    } else {
      // An unclosed `(`, or a token that starts with a blank or another
      // symbol: no operation is named, so the expression is malformed.
      op.kind = CEvalOp::Kind::kMalformed;
    }
    return op;
  }

  int Execute(const CEvalOp& op, const double* slots) {
    switch (op.kind) {
      case CEvalOp::Kind::kNumber: return PushValue(op.number);
      case CEvalOp::Kind::kSlot: return PushValue(slots[op.count]);
      case CEvalOp::Kind::kFunction: return CallFunction(EFunction(op.function), op.count);
      case CEvalOp::Kind::kFunctionError: return kEvalFunctionError;
      case CEvalOp::Kind::kOperator: return ApplyOperator(op.op);
      case CEvalOp::Kind::kMalformed: return kEvalMalformed;
    }
    return kEvalMalformed;
  }

  // The top value after the last operation; values below it are ignored.
  int Result(double* value) const {
    if (m_values.Empty()) return kEvalMalformed;
    *value = m_values.Top();
    return kEvalOk;
  }

 private:
  int PushValue(double v) { return m_values.Push(v) ? kEvalOk : kEvalMalformed; }

  int ApplyOperator(char16_t op) {
    if (m_values.Size() < 2) return kEvalMalformed;
    const double b = m_values.Pop();
    const double a = m_values.Pop();
    double r = 0.0;
    switch (op) {
      case u'+': r = a + b; break;
      case u'-': r = a - b; break;
      case u'*': r = a * b; break;
      case u'/':
        if (b == 0.0) return kEvalDivideByZero;
        r = a / b;
        break;
      case u'^': r = std::pow(a, b); break;
      case u'%': {
        // Remainder of the operands truncated toward zero, with the sign of
        // a; exact also where they do not fit 32 bits.
        const double divisor = std::trunc(b);
        if (divisor == 0.0) return kEvalDivideByZero;
        r = NoNegativeZero(std::fmod(std::trunc(a), divisor));
        break;
      }
      case u'>': r = a > b ? 1.0 : 0.0; break;
      case u'<': r = a < b ? 1.0 : 0.0; break;
      case u'=': r = a == b ? 1.0 : 0.0; break;
      default: return kEvalMalformed;
    }
    // An overflow or a power without a real value (-8^0.5) is not a number.
    if (!std::isfinite(r)) return kEvalFunctionError;
    return PushValue(r);
  }

  int CallFunction(EFunction function, int count) {
    if (count > m_values.Size()) return kEvalFunctionError;
    double arg[3] = {0.0, 0.0, 0.0};
    for (int i = count - 1; i >= 0; --i) arg[i] = m_values.Pop();
    double r = 0.0;
    // A result that is not a number (sqr(-1), log(0)) cannot be computed.
    if (!Compute(function, arg, &r) || !std::isfinite(r)) return kEvalFunctionError;
    return PushValue(r);
  }

  bool Compute(EFunction f, const double* x, double* r) {
    const double a = x[0], b = x[1], c = x[2];
    switch (f) {
      case EFunction::Now: {
        const QDate d = Today();
        *r = DateToSerial(d.year(), d.month(), d.day());
        return true;
      }
      case EFunction::NowYear: *r = Today().year(); return true;
      case EFunction::NowMonth: *r = Today().month(); return true;
      case EFunction::NowDay: *r = Today().day(); return true;
      case EFunction::Sqr: *r = std::sqrt(a); return true;
      case EFunction::Log: *r = std::log10(a); return true;
      case EFunction::Ln: *r = std::log(a); return true;
      case EFunction::Sin: *r = std::sin(a); return true;
      case EFunction::Cos: *r = std::cos(a); return true;
      case EFunction::Tan: *r = std::tan(a); return true;
      case EFunction::Asin: *r = std::asin(a); return true;
      case EFunction::Acos: *r = std::acos(a); return true;
      case EFunction::Atan: *r = std::atan(a); return true;
      case EFunction::Sinh: *r = std::sinh(a); return true;
      case EFunction::Cosh: *r = std::cosh(a); return true;
      case EFunction::Tanh: *r = std::tanh(a); return true;
      case EFunction::Int: *r = std::floor(a); return true;
      case EFunction::Exp: *r = std::exp(a); return true;
      // |x truncated|: the same as through a 32-bit integer where x fits,
      // and no overflow where it does not.
      case EFunction::Abs: *r = std::fabs(std::trunc(a)); return true;
      case EFunction::Year:
      case EFunction::Month:
      case EFunction::Day: {
        std::int32_t serial = 0;
        if (!TruncateToInt32(a, &serial)) return false;
        int year = 0, month = 0, day = 0;
        SerialToDate(serial, &year, &month, &day);
        *r = f == EFunction::Year ? year : f == EFunction::Month ? month : day;
        return true;
      }
      case EFunction::Hour: *r = NoNegativeZero(std::trunc(std::trunc(std::trunc(a) / 60) / 60)); return true;
      case EFunction::Minute: *r = NoNegativeZero(std::fmod(std::trunc(std::trunc(a) / 60), 60)); return true;
      case EFunction::Second: *r = NoNegativeZero(std::fmod(std::trunc(a), 60)); return true;
      case EFunction::Max: *r = a > b ? a : b; return true;
      case EFunction::Min: *r = a < b ? a : b; return true;
      case EFunction::Round: {
        const double scale = std::pow(10.0, b);
        *r = std::floor(a * scale + 0.5) / scale;
        return true;
      }
      case EFunction::RoundUp: {
        const double scale = std::pow(10.0, b);
        *r = std::ceil(a * scale) / scale;
        return true;
      }
      case EFunction::RoundDown: {
        const double scale = std::pow(10.0, b);
        *r = NoNegativeZero(std::trunc(a * scale) / scale);
        return true;
      }
      case EFunction::If: *r = a != 0.0 ? b : c; return true;
      case EFunction::DateSerial: {
        std::int32_t year = 0, month = 0, day = 0;
        if (!TruncateToInt32(a, &year) || !TruncateToInt32(b, &month) || !TruncateToInt32(c, &day)) return false;
        if (year > kMaxSerialYear) return false;
        // The day is added here rather than in the 32-bit day count, which
        // far-off days would overflow.
        *r = static_cast<double>(DateToSerial(year, month, 0)) + day;
        return true;
      }
      case EFunction::TimeSerial: *r = a * 3600 + b * 60 + c; return true;
    }
    return false;
  }

  QDate Today() {
    if (!m_clock) m_clock = &m_systemClock.emplace();
    return m_clock->Now().date();
  }

  const IClock* m_clock;
  std::optional<CSystemClock> m_systemClock;
  CFixedStack<double> m_values;
};

class CEvaluation {
 public:
  explicit CEvaluation(const IClock* clock) : m_machine(clock) {}

  CEvalResult Run(QStringView expression) {
    if (expression.isEmpty()) return {kEvalEmpty, 0.0};
    QVarLengthArray<QChar, 256> work;
    // Commas outside all parentheses are dropped: "1,234" is a number.
    int depth = 0;
    for (const QChar c : expression) {
      if (c == u'(') ++depth;
      if (c == u')') --depth;
      if (c == u',' && depth <= 0) continue;
      work.append(c);
    }
    int code = ToPostfix(QStringView(work.data(), work.size()));
    if (code != kEvalOk) return {code, 0.0};
    double value = 0.0;
    code = RunPostfix(&value);
    if (code != kEvalOk) return {code, 0.0};
    return {kEvalOk, value};
  }

  // The expression lowered once, each slot's digit an operation of its own
  // (see CCompiledExpression::Compile); false when a slot does not stand
  // alone or the tokens do not form.
  bool Compile(QStringView expression, const std::vector<qsizetype>& slots, std::vector<CEvalOp>* ops) {
    if (expression.isEmpty()) return false;
    QVarLengthArray<QChar, 256> work;
    std::vector<qsizetype> at;  // slot positions in the working copy
    int depth = 0;
    std::size_t next = 0;
    for (qsizetype i = 0; i < expression.size(); ++i) {
      const QChar c = expression[i];
      if (c == u'(') ++depth;
      if (c == u')') --depth;
      if (next < slots.size() && slots[next] == i) {
        if (!IsDigit(c)) return false;
        at.push_back(work.size());
        ++next;
      }
      if (c == u',' && depth <= 0) continue;
      work.append(c);
    }
    if (next != slots.size()) return false;
    const QStringView text(work.data(), work.size());
    if (ToPostfix(text) != kEvalOk) return false;
    for (const qsizetype p : at)
      if (p > 0 && text[p - 1] == u')') return false;  // a sign there would subtract
    std::size_t matched = 0;
    for (int k = 0; k < m_postfix.Size(); ++k) {
      const QStringView t = m_postfix[k];
      const qsizetype from = t.data() - text.data();
      CEvalOp op = CMachine::Lower(t);
      for (std::size_t s = 0; s < at.size(); ++s) {
        if (at[s] < from || at[s] >= from + t.size()) continue;
        if (at[s] != from || t.size() != 1) return false;
        op.kind = CEvalOp::Kind::kSlot;
        op.count = std::uint8_t(s);
        ++matched;
      }
      ops->push_back(op);
    }
    return matched == at.size();
  }

 private:
  // Infix to postfix. Tokens are views into the working copy: the number and
  // name buffers are always runs of adjacent characters.
  int ToPostfix(QStringView work) {
    qsizetype numberStart = 0, numberLength = 0;
    qsizetype nameStart = 0, nameLength = 0;
    for (qsizetype i = 0; i < work.size(); ++i) {
      const QChar c = work[i];
      if (!IsDigit(c) && c != u'.' && numberLength > 0) {
        if (!m_postfix.Push(work.mid(numberStart, numberLength))) return kEvalMalformed;
        numberLength = 0;
      }
      const bool letter = IsLetter(c);
      if (!letter && nameLength > 0) {
        if (!m_operators.Push(work.mid(nameStart, nameLength))) return kEvalMalformed;
        nameLength = 0;
      }
      const QStringView token = work.mid(i, 1);
      if (c == u',') {
        if (!MoveOperatorsDownToParen()) return kEvalMalformed;
      } else if (c == u'(') {
        if (!m_operators.Push(token)) return kEvalMalformed;
      } else if (c == u')') {
        if (m_operators.Empty()) return kEvalUnmatchedParen;
        if (!MoveOperatorsDownToParen()) return kEvalMalformed;
        if (m_operators.Empty()) return kEvalUnmatchedParen;
        m_operators.Pop();
        if (!m_operators.Empty() && IsLetter(m_operators.Top().front()) && !m_postfix.Push(m_operators.Pop()))
          return kEvalMalformed;
      } else if (c == u'-' && (i == 0 || (!IsDigit(work[i - 1]) && work[i - 1] != u')'))) {
        // A sign: it starts the number that follows.
        numberStart = i;
        numberLength = 1;
      } else if (IsOperatorChar(c)) {
        const int precedence = Precedence(token);
        while (!m_operators.Empty() && precedence <= Precedence(m_operators.Top()))
          if (!m_postfix.Push(m_operators.Pop())) return kEvalMalformed;
        if (!m_operators.Push(token)) return kEvalMalformed;
      } else if (letter) {
        if (nameLength == 0) nameStart = i;
        if (++nameLength > kEvalBufferCapacity) return kEvalMalformed;
      } else {
        // Digits and '.', and every other character: nothing is skipped.
        if (numberLength == 0) numberStart = i;
        if (++numberLength > kEvalBufferCapacity) return kEvalMalformed;
      }
    }
    if (numberLength > 0 && !m_postfix.Push(work.mid(numberStart, numberLength))) return kEvalMalformed;
    // A trailing name goes straight to the queue.
    if (nameLength > 0 && !m_postfix.Push(work.mid(nameStart, nameLength))) return kEvalMalformed;
    while (!m_operators.Empty())
      if (!m_postfix.Push(m_operators.Pop())) return kEvalMalformed;
    return kEvalOk;
  }

  // Moves operators to the queue until `(` is on top (it stays) or none is left.
  bool MoveOperatorsDownToParen() {
    while (!m_operators.Empty() && m_operators.Top() != u"(")
      if (!m_postfix.Push(m_operators.Pop())) return false;
    return true;
  }

  int RunPostfix(double* value) {
    for (int k = 0; k < m_postfix.Size(); ++k)
      if (const int code = m_machine.Execute(CMachine::Lower(m_postfix[k]), nullptr); code != kEvalOk) return code;
    return m_machine.Result(value);
  }

  CMachine m_machine;
  CFixedStack<QStringView> m_operators;
  CFixedStack<QStringView> m_postfix;
};
}  // namespace

CEvalResult Evaluate(QStringView expression, const IClock& clock) { return CEvaluation(&clock).Run(expression); }

CEvalResult Evaluate(QStringView expression) { return CEvaluation(nullptr).Run(expression); }

std::optional<CCompiledExpression> CCompiledExpression::Compile(QStringView text, const std::vector<qsizetype>& slots) {
  if (slots.size() > kMaxSlots) return std::nullopt;
  CCompiledExpression compiled;
  if (!CEvaluation(nullptr).Compile(text, slots, &compiled.m_ops)) return std::nullopt;
  return compiled;
}

CEvalResult CCompiledExpression::Run(const double* slotValues, const IClock& clock) const {
  CMachine machine(&clock);
  for (const CEvalOp& op : m_ops)
    if (const int code = machine.Execute(op, slotValues); code != kEvalOk) return {code, 0.0};
  double value = 0.0;
  const int code = machine.Result(&value);
  return {code, code == kEvalOk ? value : 0.0};
}
