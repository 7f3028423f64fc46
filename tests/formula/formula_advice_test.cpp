#include "formula/formula_advice.h"
#include "formula_fixture.h"

using namespace Qt::StringLiterals;

// What the formula editor says under a formula on the first card: nothing
// for a result, a plain sentence where nothing could be computed.
TEST(FormulaAdvice, SaysWhenNothingWasComputed) {
  CFormulaFixture f(u"氏名,誕生日,開始,単価,数量\r\n山田,1975/4/12,9:30,120,3\r\n"_s, 1);
  const struct {
    QString formula, value, advice;
  } rows[] = {
      {u"%[単価]*%[数量]"_s, u"360"_s, {}},
      {u"STR(STRADD(%[氏名],様))"_s, {}, {}},
      {u"YEARS(2000/9/26,2010/9/25)"_s, u"9"_s, {}},
      {u"YEAR(DAYS(%[誕生日]))"_s, u"1975"_s, {}},
      {u"DATESTR(DAYS(2024/5/3))"_s, u"2024/05/03"_s, {}},
      {u""_s, u""_s, {}},
      // A date text where a serial number is read computes a number, not an error.
      {u"YEAR(1975/4/12)"_s, {}, advice_msg::kDateText.arg(u"YEAR"_s, u"1975/4/12"_s)},
      {u"YEAR(%[誕生日])"_s, {}, advice_msg::kDateText.arg(u"YEAR"_s, u"1975/4/12"_s)},
      {u"month( 2024年5月3日 )"_s, {}, advice_msg::kDateText.arg(u"MONTH"_s, u"2024年5月3日"_s)},
      {u"DATESTR(%[誕生日])"_s, {}, advice_msg::kDateStrText.arg(u"1975/4/12"_s)},
      {u"HOUR(%[開始])"_s, {}, advice_msg::kTimeText.arg(u"HOUR"_s, u"9:30"_s)},
      {u"%[単価]*("_s, u"計算式が誤っています"_s, advice_msg::kCannotCompute},
      {u"%[単価]*%[個数]"_s, {}, advice_msg::kNoSuchItem.arg(u"個数"_s)},
      {u"STR(YAERS(%[誕生日]))"_s, u"YAERS(1975/4/12)"_s, advice_msg::kOwnText},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.formula.toStdString());
    const CFormulaTrial t = TryFormula(*f.store, 0, r.formula);
    if (!r.value.isNull()) EXPECT_EQ(t.value, r.value);
    EXPECT_EQ(t.advice, r.advice);
  }
  // No card, no trial.
  EXPECT_EQ(TryFormula(*f.store, 5, u"1+1"_s).value, QString());
}
