#pragma once

#include <QString>
#include <QStringView>

#include <optional>

class IClock;

// What the text functions know of the card they run on.
struct CTextFunctionContext {
  const IClock& clock;  // for NOW in expressions and today's date (YEARS)
  int cardNumber = 1;   // INDEX: the card's 1-based position in the all-cards list
};

// The text-function pass of an item formula. For each keyword in turn (IFS,
// STRADD, DATEADD, YEARS, NETWORKDAYS, DATEDIFF, DATESTR, LEFT, MID, RIGHT, LEN,
// CALC, INDEX, YOUBI, REPLACE, PAD, TIME, TIMESTR, DAYS, WORKDAY) every call,
// first occurrence first, is replaced by its value: its argument text passes
// through the text functions first, then loses its "STR(" wrappers, then
// gives the value. Text results are wrapped as "STR(" text ")" (IFS excepted).
// LEFT, MID, RIGHT, LEN and PAD count characters, not UTF-16 units: a
// character outside the basic plane counts once and is never cut in half.
//
// Answers false when the pass stopped: DAYS met an invalid date, or the
// formula nests calls deeper than 64 levels, makes more than 20,000 calls,
// grows beyond kMaxFormulaText or goes through more than 2^25 characters
// (texts that rebuild calls of their own could otherwise run on). The calls not yet computed then stay in the text.
bool ApplyTextFunctions(QString& text, const CTextFunctionContext& context);

// A formula that is one call `name(argument)`, where neither the argument nor
// what it takes in holds a parenthesis: the function the text-function pass
// calls for it, or -1 when the pass would read the name as another keyword
// (a keyword that ends it comes first) or as none.
int TextFunctionOfCall(QStringView name);

// The text that call is replaced by, argument as the pass hands it over (no
// call and no "STR(" left in it); nullopt where the pass stops (DAYS of an
// invalid date).
std::optional<QString> CallTextFunction(int function, const QString& argument, const CTextFunctionContext& context);

// For a call of LEFT, RIGHT or MID with these arguments apart (as the call
// splits them): the part of the first that the call gives wrapped in STR;
// nullopt for another function, or an argument count for which the call gives
// "".
std::optional<QStringView> TextSlice(int function, const QStringView* args, qsizetype count);
