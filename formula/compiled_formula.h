#pragma once

#include "formula/expression_evaluator.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// An item formula read once into the places where each card's values go, for
// the two forms that make up most formulas:
// - arithmetic that calls no text function and no STR, whose references and
//   BEFORE/AFTER calls stand as numbers of their own between operators,
//   parentheses and commas: an expression compiled once (CCompiledExpression);
// - one text-function call whose argument holds no parenthesis, references
//   to stored items between its texts.
// Computing from it gives exactly what expanding the text gives, as long as
// every value put in is of the kind its place requires (a plain number, or a
// text without parentheses, commas or reference brackets); the engine checks
// that per card and expands the text where it does not hold.
struct CCompiledFormula {
  static constexpr std::size_t kMaxTextSlots = 16;  // places of a text-function call
  enum class Source : std::uint8_t { kReference, kBefore, kAfter };
  struct CSlot {
    Source source;
    int item;
    QChar before;  // the formula's characters beside the place; null at an end
    QChar after;
  };
  std::vector<CSlot> slots;
  bool balanced = true;  // the formula's parentheses close
  // Arithmetic:
  std::optional<CCompiledExpression> expression;
  // One text-function call: texts[0] slot 0 texts[1] ... texts[n] is its argument.
  int textFunction = -1;
  std::vector<QString> texts;
  // The call's arguments, when each is one place or one text (else none):
  // DATEDIFF, LEFT, RIGHT and MID are computed from them apart, without the
  // argument text.
  struct CArgument {
    int slot = -1;  // the value of that place, else text
    QString text;
  };
  std::vector<CArgument> arguments;
  bool dateDifference = false;  // DATEDIFF of three such arguments
};

// What a reference names, for the compiler.
enum class CompiledItemKind { kMissing, kStored, kFormula, kOther };

// The compiled form of formula; nullptr when it is not of either form. pure:
// the formula counts what it takes in only as a number (it calls no text
// function and no STR). kind tells what an item name stands for (the first
// item of exactly that name); item is its index.
std::unique_ptr<CCompiledFormula> CompileItemFormula(
    QStringView formula, bool pure, const std::function<CompiledItemKind(QStringView name, int* item)>& kind);

// Whether a value may stand in an arithmetic place: an optional '-', digits
// and '.', the last a digit, at most kEvalBufferCapacity characters.
bool IsPlainNumberText(QStringView text);

// What a compiled text-function call gives on a card.
struct CCompiledTextResult {
  QString text;          // the call's result (textResult), else what the formula expands to
  bool textResult = false;
  std::optional<double> value;  // when that reads as a number
};
// The text-function call of plan on card number cardNumber (1 for the first),
// values[k] standing in place k (each a plain argument text); nullopt when
// the formula's text has to be expanded instead.
std::optional<CCompiledTextResult> RunCompiledText(const CCompiledFormula& plan, const QStringView* values,
                                                   const IClock& clock, int cardNumber);

// Whether a text may stand in a text-function argument: not empty, no
// parenthesis, comma, '%', '[' or ']', and not over 4,096 characters.
bool IsPlainArgumentText(QStringView text);
