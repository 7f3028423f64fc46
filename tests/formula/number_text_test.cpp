#include "formula/number_text.h"
#include "support/test_support.h"

#include <cmath>
#include <limits>

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
      // Exponent forms and non-numbers are written unchanged.
      {1e10, u"1e+10"},
      {-12345678901.0, u"-1.23456789e+10"},
      {0.00001, u"1e-05"},
      {std::numeric_limits<double>::infinity(), u"inf"},
      {std::nan(""), u"nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGrouped(c.value), QString::fromUtf16(c.text)) << c.value;
}

TEST(NumberText, FormatDoubleAsPrintfG) {
  const struct {
    double value;
    int precision;
    const char16_t* text;
  } cases[] = {
      {1.0 / 3, 10, u"0.3333333333"}, {1.0 / 3, 15, u"0.333333333333333"}, {1.0 / 3, 6, u"0.333333"},
      {100, 10, u"100"},              {1e21, 10, u"1e+21"},                {-0.0001, 10, u"-0.0001"},
      {2.5, 0, u"2"},                 {123456789012.0, 10, u"1.23456789e+11"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDouble(c.value, c.precision), QString::fromUtf16(c.text)) << c.value;
}
