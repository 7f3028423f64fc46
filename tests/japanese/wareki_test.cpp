#include "japanese/wareki.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

struct CRow {
  int y, m, d, form;
  const char16_t* text;
};

TEST(WarekiTest, EveryFormAndEveryEra) {
  const CRow rows[] = {
      {1975, 4, 12, 0, u"昭和50年4月12日"},
      {1975, 4, 12, 1, u"S50.4.12"},
      {1975, 4, 12, 2, u"昭和50年"},
      {1975, 4, 12, 3, u"昭和五十年四月十二日"},
      {1926, 12, 25, 0, u"昭和1年12月25日"},
      {1926, 12, 25, 10, u"昭和元年12月25日"},
      {1926, 12, 25, 11, u"S1.12.25"},
      {1926, 12, 25, 12, u"昭和元年"},
      {1926, 12, 25, 13, u"昭和元年十二月二十五日"},
      {1926, 12, 24, 0, u"大正15年12月24日"},
      {1912, 7, 30, 10, u"大正元年7月30日"},
      {1912, 7, 29, 1, u"M45.7.29"},
      {1868, 1, 1, 0, u"明治1年1月1日"},
      {1989, 1, 7, 0, u"昭和64年1月7日"},
      {1989, 1, 8, 10, u"平成元年1月8日"},
      {2019, 4, 30, 1, u"H31.4.30"},
      {2019, 5, 1, 0, u"令和1年5月1日"},
      {2019, 5, 1, 10, u"令和元年5月1日"},
      {2026, 12, 31, 3, u"令和八年十二月三十一日"},
      {2000, 10, 20, 3, u"平成十二年十月二十日"},
      {1867, 12, 31, 0, u""},  // before the first era
      {1975, 4, 12, 4, u""},   // no such form
      {1975, 4, 12, -1, u""},
      {1975, 4, 12, 14, u""},
  };
  for (const CRow& r : rows)
    EXPECT_EQ(WarekiText(DateToSerial(r.y, r.m, r.d), r.form), QString::fromUtf16(r.text))
        << r.y << "/" << r.m << "/" << r.d << " form " << r.form;
}

TEST(WarekiTest, KanjiNumerals) {
  const std::pair<int, const char16_t*> rows[] = {{0, u"〇"}, {1, u"一"}, {10, u"十"}, {11, u"十一"},
                                                  {20, u"二十"}, {64, u"六十四"}, {99, u"九十九"}, {120, u"一二〇"}};
  for (const auto& [n, text] : rows) EXPECT_EQ(KanjiNumber(n), QString::fromUtf16(text)) << n;
}

}  // namespace
