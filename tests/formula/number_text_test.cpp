#include "formula/number_text.h"
#include "formula/expression_evaluator.h"
#include "support/test_support.h"

#include <cmath>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

TEST(NumberText, TextToNumber) {
  const struct {
    const char16_t* text;
    double value;
  } cases[] = {
      {u"\\1,234", 1234},  {u"-1,5", -15},      {u"abc", 0},          {u"", 0},
      {u"12abc", 12},      {u"+3", 3},          {u" 7", 7},           {u"\\-5", -5},
      {u"-\\5", 0},        {u"\\\\5", 0},       {u"1,234.5,6", 1234.56}, {u".5", 0.5},
      {u"1e3", 1000},      {u"1,000,000", 1e6}, {u"\\", 0},           {u",,,", 0},
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(TextToNumber(text), c.value) << text;
  }
}

TEST(NumberText, FormatGrouped) {
  const struct {
    double value;
    const char16_t* text;
  } cases[] = {
      {1234567.25, u"1,234,567.25"},
      {999, u"999"},
      {-1234, u"-1,234"},
      {-123, u"-123"},
      {-1234.5, u"-1,234.5"},
      {1000, u"1,000"},
      {123456, u"123,456"},
      {-123456, u"-123,456"},
      {0, u"0"},
      {0.5, u"0.5"},
      {1234567890, u"1,234,567,890"},
      {9999999999, u"9,999,999,999"},
      // Every integer digit is kept up to 15 of them; small values in plain digits.
      {1e10, u"10,000,000,000"},
      {-12345678901.0, u"-12,345,678,901"},
      {12345678901.4, u"12,345,678,901"},
      {999999999999999, u"999,999,999,999,999"},
      {0.00001, u"0.00001"},
      // Exponent forms and non-numbers are written unchanged.
      {1e15, u"1e+15"},
      {std::numeric_limits<double>::infinity(), u"inf"},
      {std::nan(""), u"nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGrouped(c.value), QString::fromUtf16(c.text)) << c.value;
}

// Where "%.10g" writes plain digits the text is the same; where it would write
// an exponent, plain digits are written with every integer digit.
TEST(NumberText, FormatDoubleAsPrintfGWithoutExponent) {
  const struct {
    double value;
    int precision;
    const char16_t* text;
  } cases[] = {
      {1.0 / 3, 10, u"0.3333333333"},     {1.0 / 3, 15, u"0.333333333333333"}, {1.0 / 3, 6, u"0.333333"},
      {100, 10, u"100"},                  {1e21, 10, u"1e+21"},                {-0.0001, 10, u"-0.0001"},
      {2.5, 0, u"2"},                     {123456789012.0, 10, u"123456789012"}, {90000000000, 10, u"90000000000"},
      {1234567, 10, u"1234567"},          {123456.7, 10, u"123456.7"},          {12345678901.0, 10, u"12345678901"},
      {9999999999.5, 10, u"10000000000"}, {-0.0, 10, u"0"},                    {0.0, 10, u"0"},
      {0.00001234, 10, u"0.00001234"},    {-1.5e-7, 10, u"-0.00000015"},        {1.0 / 3e6, 10, u"0.0000003333333333"},
      {9.99999999999e-6, 10, u"0.00001"}, {1234567, 6, u"1234567"},             {1e300, 10, u"1e+300"},
      {1e-300, 10, u"1e-300"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDouble(c.value, c.precision), QString::fromUtf16(c.text)) << c.value;
}

// Every integer of up to 15 digits and every result of 10 significant digits
// reads back through the evaluator, also in the running total of a ledger.
TEST(NumberText, ResultsReadBack) {
  const double values[] = {90000000000, 12345678901, 999999999999999, -123456789012345, 1e10 + 0.5,
                           1.0 / 7,     -2.0 / 3e9,  0.1 + 0.2 - 0.3,  1234567.891,       4.2e-150};
  for (const double v : values) {
    const QString text = FormatDouble(v, 10);
    const CEvalResult r = Evaluate(text);
    ASSERT_TRUE(r.Ok()) << text.toStdString();
    EXPECT_EQ(FormatDouble(r.value, 10), text);
    if (v == std::trunc(v)) EXPECT_EQ(r.value, v) << text.toStdString();
  }
  double total = 0;
  for (int card = 0; card < 3000; ++card) {
    const CEvalResult r = Evaluate(FormatDouble(total, 10) + QStringLiteral("+5123456"));
    ASSERT_TRUE(r.Ok()) << card;
    total = r.value;
  }
  EXPECT_EQ(FormatDouble(total, 10), u"15370368000");
}

TEST(NumberText, PopulationVarianceDropsTheResidue) {
  const struct {
    std::vector<double> values;
    double variance;
  } cases[] = {
      {{0.1, 0.1, 0.1}, 0}, {{1000, 2500}, 562500}, {{1e8 + 0.1, 1e8 + 0.1}, 0}, {{1, 2, 3, 4}, 1.25}, {{-3}, 0},
  };
  for (const auto& c : cases) {
    double sum = 0, squares = 0;
    for (double v : c.values) sum += v, squares += v * v;
    const double n = double(c.values.size());
    EXPECT_EQ(PopulationVariance(squares / n, sum / n), c.variance) << c.values.front();
  }
}

// Whole numbers are written without the general formatting: every digit, at
// every precision, as printf writes them.
TEST(NumberText, FormatDoubleWholeNumbers) {
  std::vector<double> values = {1, -1, 9, 10, 99, 100, 999999999, 1e9, 9999999999, 1e10, 99999999999,
                                123456789012345, -999999999999999, 999999999999999};
  for (double v = 7; v < 1e15; v *= 13) values.push_back(v + 1);
  for (const double v : values) {
    for (const int precision : {1, 2, 6, 10, 15, 17}) {
      char expected[64];
      const int digits = int(std::floor(std::log10(std::fabs(v)))) + 1;
      if (digits <= precision)
        std::snprintf(expected, sizeof expected, "%.*g", precision, v);
      else
        std::snprintf(expected, sizeof expected, "%.0f", v);
      EXPECT_EQ(FormatDouble(v, precision), QString::fromLatin1(expected)) << v << " at " << precision;
    }
  }
  EXPECT_EQ(FormatDouble(1e15), u"1e+15");
  EXPECT_EQ(FormatDouble(0.5), u"0.5");
  EXPECT_EQ(FormatDouble(-0.0), u"0");

  // The whole numbers written into a kept text are FormatDouble's, text for
  // text, however long the text held before; other values leave it alone.
  QString into = u"a longer text than any number"_s;
  values.insert(values.end(), {0.0, -0.0, -123});
  for (const double v : values) {
    ASSERT_TRUE(FormatWholeInto(v, into)) << v;
    EXPECT_EQ(into, FormatDouble(v)) << v;
  }
  for (const double v : {0.5, 1e15, -1e16, std::numeric_limits<double>::infinity(), std::nan("")}) {
    EXPECT_FALSE(FormatWholeInto(v, into)) << v;
    EXPECT_EQ(into, u"-123"_s);
  }
}
