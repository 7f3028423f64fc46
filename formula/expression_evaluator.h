#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

class IClock;

// Result codes of Evaluate.
inline constexpr int kEvalOk = 1;                // the value is delivered
inline constexpr int kEvalEmpty = 0;             // the expression is empty
inline constexpr int kEvalMalformed = -1;        // too few values for an operator, nothing left, or a capacity exceeded
inline constexpr int kEvalUnmatchedParen = -2;   // a `)` without its `(`
inline constexpr int kEvalFunctionError = -3;    // unknown function, too few values, not computable here, or a
                                                 // result that is not a finite number (sqr(-1), 10^400)
inline constexpr int kEvalDivideByZero = -4;     // `/` or `%` by an exact zero

// The fixed capacities of one evaluation. An expression that needs more fails
// with kEvalMalformed.
inline constexpr int kEvalStackCapacity = 100;   // operator stack, postfix queue and value stack each
inline constexpr int kEvalBufferCapacity = 255;  // characters of one number or one name

struct CEvalResult {
  int code = kEvalEmpty;
  double value = 0.0;  // meaningful only when code is kEvalOk
  bool Ok() const { return code == kEvalOk; }
};

// Turns one arithmetic expression into one value: numbers, the constant pi
// (exactly "PI" or "pi": 3.1415926535), the binary operators + - * / ^ % = < >
// (all left-associative; = < > bind like + and -), parentheses, and calls of
// the functions of rows 1-33 of the function catalog, matched without regard
// to case. A `-` at the start or after anything but a digit or `)` is the sign
// of the number that follows. Commas outside all parentheses are dropped
// ("1,234+5" is 1239); inside they separate arguments. Every character counts:
// blanks are not skipped.
//
// A function or operator whose result is no finite number (sqr(-1), log(0),
// 10^400) fails with kEvalFunctionError, so a delivered value is always finite.
//
// NOW, NOWYEAR, NOWMONTH and NOWDAY read the local date from the clock.
// Evaluate holds no state between calls and reports failure only through the
// result code. Any input is safe: over-long tokens and deep nesting fail with
// kEvalMalformed.
CEvalResult Evaluate(QStringView expression, const IClock& clock);

// The same with the system clock (VELUM_NOW honoured), read only when the
// expression asks for the date.
CEvalResult Evaluate(QStringView expression);

// One postfix operation of a compiled expression.
struct CEvalOp {
  enum class Kind : std::uint8_t { kNumber, kSlot, kFunction, kFunctionError, kOperator, kMalformed };
  Kind kind = Kind::kMalformed;
  std::uint8_t function = 0;  // kFunction: which one
  std::uint8_t count = 0;     // kFunction: its argument count; kSlot: the slot
  char16_t op = 0;            // kOperator
  double number = 0.0;        // kNumber
};

// An expression tokenised once and run many times with other numbers at
// fixed places (the references of an item formula), without text.
class CCompiledExpression {
 public:
  static constexpr std::size_t kMaxSlots = 64;

  // text holds a digit at each slot position (ascending). Run then gives what
  // Evaluate gives for the text with every slot's digit replaced by a number
  // text N: an optional '-', digits and '.', ending in a digit, at most
  // kEvalBufferCapacity characters, slot value TextToNumber(N). nullopt when
  // that would not hold: a slot's digit joins a neighbour into one token, a
  // ')' stands before it (a '-' of N would subtract), or the text does not
  // tokenise at all.
  static std::optional<CCompiledExpression> Compile(QStringView text, const std::vector<qsizetype>& slots);

  CEvalResult Run(const double* slotValues, const IClock& clock) const;

 private:
  std::vector<CEvalOp> m_ops;
};
