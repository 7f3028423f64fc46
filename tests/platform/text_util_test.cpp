#include "platform/text_util.h"
#include "support/test_support.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

TEST(TextUtil, WcsToDReadsTheLongestNumberPrefix) {
  struct Case {
    QString text;
    double value;
    qsizetype consumed;
  };
  const std::vector<Case> cases = {
      {u"12.5abc"_s, 12.5, 4},  {u"  -3"_s, -3, 4},      {u"+.5"_s, 0.5, 3},      {u"5."_s, 5, 2},
      {u"1e3"_s, 1000, 3},      {u"1D2"_s, 100, 3},      {u"1e"_s, 1, 1},         {u"1e+"_s, 1, 1},
      {u"2E-2x"_s, 0.02, 4},    {u"."_s, 0, 0},          {u"abc"_s, 0, 0},        {u"-"_s, 0, 0},
      {u"\t\n7"_s, 7, 3},       {u"１２"_s, 0, 0},       {u"inf"_s, 0, 0},        {u"0x10"_s, 0, 1},
      {u"1,000"_s, 1, 1},       {u"　5"_s, 0, 0},
      // Whole numbers of up to 15 digits and longer ones read alike.
      {u"999999999999999+"_s, 999999999999999.0, 15}, {u"12345678901234567"_s, 12345678901234567.0, 17},
      {u"-0012"_s, -12, 5},
  };
  for (const Case& c : cases) {
    qsizetype consumed = -1;
    EXPECT_DOUBLE_EQ(WcsToD(c.text, &consumed), c.value) << c.text;
    EXPECT_EQ(consumed, c.consumed) << c.text;
  }
  EXPECT_EQ(WcsToD(u"1e999"_s), HUGE_VAL);
  EXPECT_EQ(WcsToD(u"-1e999"_s), -HUGE_VAL);
  EXPECT_EQ(WcsToD(u"1e-999"_s), 0.0);
}

TEST(TextUtil, WcsToLClampsAndHonoursTheBase) {
  struct Case {
    QString text;
    int base;
    std::int32_t value;
    qsizetype consumed;
  };
  const std::vector<Case> cases = {
      {u"42x"_s, 10, 42, 2},       {u" -17"_s, 10, -17, 4},   {u"0x1f"_s, 16, 31, 4},
      {u"0x1f"_s, 0, 31, 4},       {u"017"_s, 0, 15, 3},      {u"0x"_s, 16, 0, 1},
      {u"z"_s, 10, 0, 0},          {u"99999999999"_s, 10, std::numeric_limits<std::int32_t>::max(), 11},
      {u"-99999999999"_s, 10, std::numeric_limits<std::int32_t>::min(), 12},
      {u"2147483647"_s, 10, 2147483647, 10},
  };
  for (const Case& c : cases) {
    qsizetype consumed = -1;
    EXPECT_EQ(WcsToL(c.text, c.base, &consumed), c.value) << c.text;
    EXPECT_EQ(consumed, c.consumed) << c.text;
  }
}

TEST(TextUtil, CaseMappingIsUnicodeAndLocaleFree) {
  EXPECT_EQ(CharUpper(u"abcｚäω"_s), u"ABCＺÄΩ"_s);
  EXPECT_EQ(CharUpper(u"あ1"_s), u"あ1"_s);
  EXPECT_EQ(WcsICmp(u"Today()", u"tODAY()"), 0);
  EXPECT_EQ(WcsICmp(u"ＡＢ", u"ａｂ"), 0);
  EXPECT_LT(WcsICmp(u"abc", u"ABD"), 0);
  EXPECT_GT(WcsICmp(u"abcd", u"ABC"), 0);
  EXPECT_LT(WcsICmp(u"", u"a"), 0);
  // Lower-case comparison: '_' (0x5F) sorts after letters.
  EXPECT_LT(WcsICmp(u"_", u"A"), 0);
  EXPECT_EQ(WcsNICmp(u"abcX", u"ABCy", 3), 0);
}
