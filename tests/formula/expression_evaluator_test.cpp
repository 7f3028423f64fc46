#include "formula/expression_evaluator.h"
#include "formula/function_catalog.h"
#include "formula/number_text.h"
#include "platform/clock.h"
#include "support/test_support.h"

#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CEvalCase {
  const char16_t* expression;
  int code;
  const char* value;  // "%.10g" of the value when code is 1
};

const CFixedClock& MayThird() {
  static const CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30), Qt::LocalTime));
  return clock;
}

void ExpectCases(const std::vector<CEvalCase>& cases) {
  for (const CEvalCase& c : cases) {
    const QString expression = QString::fromUtf16(c.expression);
    const CEvalResult r = Evaluate(expression, MayThird());
    EXPECT_EQ(r.code, c.code) << expression;
    if (c.code == kEvalOk && r.code == kEvalOk) {
      EXPECT_EQ(FormatDouble(r.value, 10), QString::fromLatin1(c.value)) << expression;
    }
  }
}

QString Repeat(const QString& text, int times) { return text.repeated(times); }

}  // namespace

TEST(ExpressionEvaluator, PrecedenceAndAssociativity) {
  ExpectCases({
      {u"2+3*4", 1, "14"},
      {u"(2+3)*4", 1, "20"},
      {u"2^3^2", 1, "64"},
      {u"2*3^2", 1, "18"},
      {u"3-2-1", 1, "0"},
      {u"8/4/2", 1, "1"},
      {u"7%3", 1, "1"},
      {u"7%3%2", 1, "1"},
      {u"10-4*2^2/8", 1, "8"},
      {u"((((2))))", 1, "2"},
      {u"(1)(2)", 1, "2"},  // values below the top are ignored
      {u"1/3", 1, "0.3333333333"},
  });
}

TEST(ExpressionEvaluator, ComparisonsBindLikeAddition) {
  ExpectCases({
      {u"1+2=3", 1, "1"},
      {u"1=1+2", 1, "3"},
      {u"2>1", 1, "1"},
      {u"1>2", 1, "0"},
      {u"1<2", 1, "1"},
      {u"2<2", 1, "0"},
      {u"2+3>4", 1, "1"},
      {u"1+(2>1)", 1, "2"},
      {u"0.1+0.2=0.3", 1, "0"},  // equality is exact
      {u"1<=2", -1, ""},
      {u"1>=2", -1, ""},
      {u"1<>2", -1, ""},
  });
}

TEST(ExpressionEvaluator, SignsBelongToTheNumber) {
  ExpectCases({
      {u"-2^2", 1, "4"},
      {u"2*-3", 1, "-6"},
      {u"2--3", 1, "5"},
      {u"2-(-3)", 1, "5"},
      {u"-3-2", 1, "-5"},
      {u"(-2)^2", 1, "4"},
      {u"(1)-1", 1, "0"},
      {u"-.5*2", 1, "-1"},
      {u"-(3)", -1, ""},
      {u"max(5,-3)", 1, "5"},
      {u"min(5,-3)", 1, "-3"},
      // The sign is judged on the copy without top-level commas.
      {u",-3", 1, "-3"},
      {u"5,-3", 1, "2"},
      {u"-7%3", 1, "-1"},
      {u"7%-3", 1, "1"},
      {u"-6%3", 1, "0"},
      // After a name the `-` is a sign too: -1 and pi are two values, pi on top.
      {u"pi-1", 1, "3.141592654"},
      {u"now-dateserial(2024,1,1)", -1, ""},
  });
}

TEST(ExpressionEvaluator, CommasOutsideParenthesesAreDropped) {
  ExpectCases({
      {u"1,000*2", 1, "2000"},
      {u"1,234+5", 1, "1239"},
      {u"max(1,000,5)", 1, "5"},
      {u"max(1+2*3,4)", 1, "7"},
      {u"max(1,2,3)", 1, "3"},
      {u"max(2,min(7,3))", 1, "3"},
      {u"max(1,2)*1,000", 1, "2000"},
  });
}

TEST(ExpressionEvaluator, ResultCodes) {
  ExpectCases({
      {u"", 0, ""},
      {u"(1+2", -1, ""},
      {u"1+", -1, ""},
      {u"*", -1, ""},
      {u"(", -1, ""},
      {u"1+2)", -2, ""},
      {u")", -2, ""},
      {u"(1))", -2, ""},
      {u"5/0", -4, ""},
      {u"5/(1-1)", -4, ""},
      {u"5%0.5", -4, ""},
      {u"0/5", 1, "0"},
      {u"sum(1)", -3, ""},
      {u"max(5)", -3, ""},
      {u"foo(1)", -3, ""},
      {u"sqr", -3, ""},
      {u"1e5", -3, ""},  // a letter ends the number: "e" is no function
      // Blanks are not skipped: a token that starts with one names no operation.
      {u"1 + 2", -1, ""},
      {u" 1", -1, ""},
      {u"1+2 ", -1, ""},
  });
}

TEST(ExpressionEvaluator, PiAndCaseOfNames) {
  ExpectCases({
      {u"SQR(16)", 1, "4"},
      {u"sqr(16)", 1, "4"},
      {u"Sqr(16)", 1, "4"},
      {u"PI*2", 1, "6.283185307"},
      {u"2*pi", 1, "6.283185307"},
      {u"pi", 1, "3.141592654"},
      {u"2+pi*3", 1, "11.42477796"},
      {u"Pi*2", -3, ""},
      {u"pI", -3, ""},
  });
  const CEvalResult pi = Evaluate(u"PI", MayThird());
  EXPECT_EQ(pi.value, 3.1415926535);
}

TEST(ExpressionEvaluator, NumericFunctions) {
  ExpectCases({
      {u"abs(-2.7)", 1, "2"},
      {u"abs(-2147483648.5)", 1, "2147483648"},
      {u"int(-2.5)", 1, "-3"},
      {u"int(2.5)", 1, "2"},
      {u"round(3.14159,2)", 1, "3.14"},
      {u"round(1234,-2)", 1, "1200"},
      {u"round(-2.5,0)", 1, "-2"},
      {u"round(2.5,0)", 1, "3"},
      {u"roundup(-1.5,0)", 1, "-1"},
      {u"roundup(1.21,1)", 1, "1.3"},
      {u"rounddown(-2.7,0)", 1, "-2"},
      {u"rounddown(1.29,1)", 1, "1.2"},
      {u"rounddown(-0.4,0)", 1, "0"},
      {u"log(1000)", 1, "3"},
      {u"ln(exp(2))", 1, "2"},
      {u"sin(0)+cos(0)", 1, "1"},
      {u"atan(1)*4", 1, "3.141592654"},
      {u"tanh(0)", 1, "0"},
      {u"if(0,1,2)", 1, "2"},
      {u"if(-1,1,2)", 1, "1"},
      {u"if(1,5,1/0)", -4, ""},
      {u"max(3,3)", 1, "3"},
  });
}

TEST(ExpressionEvaluator, DateAndTimeFunctions) {
  ExpectCases({
      {u"dateserial(2000,1,1)", 1, "730486"},
      {u"dateserial(2000.9,1.9,1.9)", 1, "730486"},
      {u"dateserial(2000,3,1)-dateserial(2000,2,1)", 1, "29"},
      {u"dateserial(2000,1,2000000000)", 1, "2000730485"},  // no 32-bit overflow
      {u"year(730486)", 1, "2000"},
      {u"month(dateserial(2024,5,3))", 1, "5"},
      {u"day(dateserial(2024,5,3))", 1, "3"},
      {u"year(3000000000)", -3, ""},
      {u"timeserial(1,2,3)", 1, "3723"},
      {u"timeserial(0,0,1.5)", 1, "1.5"},
      {u"hour(3723)", 1, "1"},
      {u"minute(3723)", 1, "2"},
      {u"second(3723)", 1, "3"},
      {u"hour(90000)", 1, "25"},
      {u"second(-61)", 1, "-1"},
      {u"second(-60)", 1, "0"},
      {u"now", 1, "739375"},
      {u"NOW()", 1, "739375"},
      {u"(now)-dateserial(2024,1,1)", 1, "123"},
      {u"nowyear", 1, "2024"},
      {u"nowmonth", 1, "5"},
      {u"nowday", 1, "3"},
  });
}

TEST(ExpressionEvaluator, CatalogCountsMatchTheComputedFunctions) {
  // Each computed function consumes the catalog's count of values: with one
  // value too few it fails, with exactly enough it succeeds.
  const struct {
    const char16_t* name;
    int count;
  } functions[] = {{u"now", 0},  {u"abs", 1},      {u"hour", 1},     {u"max", 2},
                   {u"round", 2}, {u"rounddown", 2}, {u"if", 3},       {u"timeserial", 3}};
  for (const auto& f : functions) {
    const QString name = QString::fromUtf16(f.name);
    EXPECT_EQ(GetArgumentCount(name), f.count) << name;
    QStringList args;
    for (int i = 0; i < f.count; ++i) args << QStringLiteral("1");
    EXPECT_EQ(Evaluate(name + u'(' + args.join(u',') + u')', MayThird()).code, kEvalOk) << name;
    if (f.count > 0) {
      args.removeLast();
      EXPECT_EQ(Evaluate(name + u'(' + args.join(u',') + u')', MayThird()).code, kEvalFunctionError) << name;
    }
  }
}

TEST(ExpressionEvaluator, CapacitiesFailCleanly) {
  const QString one = QStringLiteral("1");
  // 100 operator-stack entries fit, 101 do not.
  EXPECT_EQ(Evaluate(Repeat(u"("_s, 100) + one + Repeat(u")"_s, 100)).code, kEvalOk);
  EXPECT_EQ(Evaluate(Repeat(u"("_s, 101) + one + Repeat(u")"_s, 101)).code, kEvalMalformed);
  EXPECT_EQ(Evaluate(Repeat(u"("_s, 300) + one + Repeat(u")"_s, 300)).code, kEvalMalformed);
  EXPECT_EQ(Evaluate(Repeat(u"sqr("_s, 50) + one + Repeat(u")"_s, 50)).code, kEvalOk);
  EXPECT_EQ(Evaluate(Repeat(u"sqr("_s, 51) + one + Repeat(u")"_s, 51)).code, kEvalMalformed);
  // 50 ones and 49 plus signs are 99 postfix tokens; 51 ones are 101.
  const CEvalResult fifty = Evaluate(Repeat(u"1+"_s, 49) + one);
  EXPECT_EQ(fifty.code, kEvalOk);
  EXPECT_EQ(fifty.value, 50);
  EXPECT_EQ(Evaluate(Repeat(u"1+"_s, 50) + one).code, kEvalMalformed);
  // Numbers and names of up to 255 characters.
  const CEvalResult big = Evaluate(one + Repeat(u"0"_s, 254));
  EXPECT_EQ(big.code, kEvalOk);
  EXPECT_EQ(FormatDouble(big.value, 10), u"1e+254"_s);
  EXPECT_EQ(Evaluate(one + Repeat(u"0"_s, 255)).code, kEvalMalformed);
  EXPECT_EQ(Evaluate(Repeat(u"a"_s, 255) + u"(1)"_s).code, kEvalFunctionError);
  EXPECT_EQ(Evaluate(Repeat(u"a"_s, 256) + u"(1)"_s).code, kEvalMalformed);
  EXPECT_EQ(Evaluate(Repeat(u"1+"_s, 500000) + one).code, kEvalMalformed);
  EXPECT_EQ(Evaluate(Repeat(u")"_s, 1000)).code, kEvalUnmatchedParen);
}

TEST(ExpressionEvaluator, ItemFunctionsFailOnceTheCatalogIsComplete) {
  CompleteFunctionCatalog();
  ExpectCases({
      {u"sum(1)", -3, ""},
      {u"left(1,2)", -3, ""},
      {u"index", -3, ""},
      {u"dateserial(2000,1,1)", 1, "730486"},
  });
}
