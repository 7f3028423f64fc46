#include "datetime/date_text.h"

#include "support/test_support.h"

#include <array>

namespace {

struct NormalizeCase {
  const char16_t* input;
  int form;
  const char16_t* expected;
};

TEST(DateText, Normalize) {
  const NormalizeCase cases[] = {
      // Western years with every separator.
      {u"2010年9月25日", 0, u"2010/09/25"},
      {u"2010/9/25", 0, u"2010/09/25"},
      {u"2010.9.25", 0, u"2010/09/25"},
      {u"2010,9,25", 0, u"2010/09/25"},
      {u"2010-09-25", 0, u"2010/09/25"},
      {u"2010－9－25", 0, u"2010/09/25"},
      {u"2010．9．25", 0, u"2010/09/25"},
      {u"2010，9，25", 0, u"2010/09/25"},
      {u"2010／9／25", 0, u"2010/09/25"},
      {u"2010/9/25 12:00", 0, u"2010/09/25"},
      {u"2010/9/25", 1, u"2010年09月25日"},
      {u"2010年09月25日", 1, u"2010年09月25日"},
      // Era names and letters.
      {u"平成22年9月25日", 0, u"2010/09/25"},
      {u"平成22年9月25日", 1, u"2010年09月25日"},
      {u"H22.9.25", 0, u"2010/09/25"},
      {u"h22/9/25", 0, u"2010/09/25"},
      {u"s63-1-1", 0, u"1988/01/01"},
      {u"昭和47年5月15日", 0, u"1972/05/15"},
      {u"昭和64年1月7日", 0, u"1989/01/07"},
      {u"平成1/1/1", 0, u"1989/01/01"},
      {u"平成元年1月8日", 0, u"1989/01/08"},
      {u"令和6年5月3日", 0, u"2024/05/03"},
      {u"R6.5.3", 0, u"2024/05/03"},
      {u"T61/1/1", 0, u"1972/01/01"},
      {u"大正61年1月1日", 0, u"1972/01/01"},
      {u"M105/1/1", 0, u"1972/01/01"},
      {u"明治105/1/1", 0, u"1972/01/01"},
      // From 1873, the first Gregorian year in Japan, to 9999.
      {u"1960/1/1", 0, u"1960/01/01"},
      {u"1968年4月2日", 0, u"1968/04/02"},
      {u"S43.4.2", 1, u"1968年04月02日"},
      {u"明治6年1月1日", 0, u"1873/01/01"},
      {u"T1.7.30", 0, u"1912/07/30"},
      {u"2037/1/1", 0, u"2037/01/01"},
      {u"9999/12/31", 0, u"9999/12/31"},
      // Unreadable, impossible or out of span: unchanged.
      {u"2010/2/30", 0, u"2010/2/30"},
      {u"1872/12/31", 1, u"1872/12/31"},
      {u"明治5年12月31日", 0, u"明治5年12月31日"},
      {u"10000/1/1", 0, u"10000/1/1"},
      {u"12/25", 0, u"12/25"},
      {u"12月25日", 0, u"12月25日"},
      {u"abc", 0, u"abc"},
      {u"平成", 0, u"平成"},
      {u"H/1/1", 0, u"1988/01/01"},  // a missing era year reads as 0
      {u"H2147483647/1/1", 0, u"H2147483647/1/1"},
      // A text that reads as year/month/day as it stands keeps that date;
      // other separators and 日 inside its fields do not split or join them.
      {u"2010/9.5/25", 0, u"2010/09/25"},
      {u"2010.5/9/25", 1, u"2010年09月25日"},
      {u"2010/1日2/25", 0, u"2010/01/25"},
      {u"2010年/9/25", 0, u"2010/09/25"},
      {u"", 0, u""},
      // Month and day alone: padded, unvalidated, whatever the form.
      {u"1月5日", 0, u"01月05日"},
      {u"1月15日", 1, u"01月15日"},
      {u"12月5日", 7, u"12月05日"},
      {u"9月9日", 0, u"09月09日"},
      {u"2月31日", 0, u"02月31日"},
      // Any other form: the input itself when it is a valid date.
      {u"H22.9.25", 2, u"H22.9.25"},
      {u"2010/2/30", -1, u"2010/2/30"},
  };
  for (const NormalizeCase& c : cases) {
    EXPECT_EQ(NormalizeDateText(QStringView(c.input), c.form), QStringView(c.expected))
        << QStringView(c.input).toString() << " form " << c.form;
  }
}

// A text read as a date gives normal forms that read back as the same date
// and stay as they are (the date fuzz harness checks the same on any bytes).
TEST(DateText, NormalFormsReadAsTheTextsDate) {
  const char16_t* const texts[] = {
      u"2010/9/25",     u"2010/09/25 12:00", u" 2010/ +9/  25x", u"2010/9.5/25",   u"2010.5/9/25",
      u"2010/1日2/25",  u"2010年/9/25",      u"2010/9/25.5",     u"2010/9-1/25",   u"2010/9月5/25",
      u"4439?5\uFFFD/6.6\uFFFD.6/4./6", u"9999/12/31日",      u"1873/1/1年",      u"2012/2/29-3",
  };
  for (const char16_t* text : texts) {
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(ParseDateText(QStringView(text), &y, &m, &d)) << QStringView(text).toString();
    for (const int form : {kDateFormSlash, kDateFormKanji}) {
      const QString normal = NormalizeDateText(QStringView(text), form);
      int y2 = 0, m2 = 0, d2 = 0;
      EXPECT_TRUE(ParseDateText(NormalizeDateText(normal, kDateFormSlash), &y2, &m2, &d2)) << normal;
      EXPECT_EQ((std::array{y2, m2, d2}), (std::array{y, m, d})) << QStringView(text).toString() << " form " << form;
      EXPECT_EQ(NormalizeDateText(normal, form), normal);
    }
  }
}

TEST(DateText, Parse) {
  struct Case {
    const char16_t* text;
    bool ok;
    std::array<int, 3> date;
  };
  const Case cases[] = {
      {u"2010/9/25", true, {2010, 9, 25}},
      {u"2010/09/25 12:00", true, {2010, 9, 25}},
      {u" 2010/ +9/  25x", true, {2010, 9, 25}},
      {u"1873/1/1", true, {1873, 1, 1}},
      {u"9999/12/31", true, {9999, 12, 31}},
      {u"1872/12/31", false, {}},
      {u"2012/2/29", true, {2012, 2, 29}},
      {u"2010/2/29", false, {}},
      {u"2010/9", false, {}},
      {u"2010", false, {}},
      {u"2010/13/1", false, {}},
      {u"2010/0/1", false, {}},
      {u"2010/1/", false, {}},
      {u"/9/25", false, {}},
      {u"2010/-1/25", false, {}},
  };
  for (const Case& c : cases) {
    int y = 0, m = 0, d = 0;
    const bool ok = ParseDateText(QStringView(c.text), &y, &m, &d);
    EXPECT_EQ(ok, c.ok) << QStringView(c.text).toString();
    if (ok && c.ok) {
      EXPECT_EQ((std::array{y, m, d}), c.date) << QStringView(c.text).toString();
    }
  }
}

TEST(DateText, ValidSpan) {
  const std::pair<std::array<int, 3>, bool> cases[] = {
      {{1873, 1, 1}, true},   {{9999, 12, 31}, true}, {{1872, 12, 31}, false}, {{10000, 1, 1}, false},
      {{1968, 2, 29}, true},  {{1900, 2, 29}, false}, {{2036, 12, 31}, true},  {{2037, 1, 1}, true},
      {{2000, 2, 29}, true},  {{2100, 2, 28}, true},  {{2100, 2, 29}, false}, {{2010, 2, 29}, false}, {{2010, 4, 31}, false},
      {{2010, 0, 1}, false},  {{2010, 12, 0}, false}, {{2010, 1, 32}, false},
  };
  for (const auto& [d, valid] : cases) EXPECT_EQ(IsValidDate(d[0], d[1], d[2]), valid) << d[0] << '/' << d[1] << '/' << d[2];
}

TEST(DateText, EveryEraConvertsByNameAndLetter) {
  const std::pair<int, int> firstYears[] = {{2019, 2018}, {1989, 1988}, {1926, 1925}, {1912, 1911}, {1868, 1867}};
  ASSERT_EQ(kEraCount, 5);
  for (int i = 0; i < kEraCount; ++i) {
    const CEra& era = kEras[i];
    EXPECT_EQ(era.baseYear, firstYears[i].second);
    const int n = 2020 - era.baseYear;  // the era year that gives 2020
    const QString expected = QStringLiteral("2020/03/04");
    EXPECT_EQ(NormalizeDateText(era.name.toString() + QString::number(n) + QStringLiteral("年3月4日"), 0), expected);
    EXPECT_EQ(NormalizeDateText(QString(era.letter) + QString::number(n) + QStringLiteral(".3.4"), 0), expected);
    EXPECT_EQ(NormalizeDateText(QString(era.letter.toLower()) + QString::number(n) + QStringLiteral("-3-4"), 0), expected);
  }
}

}  // namespace
