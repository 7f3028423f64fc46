#include "formula_fixture.h"

#include "formula/compiled_formula.h"
#include "formula/expression_evaluator.h"
#include "formula/formula_engine.h"
#include "formula/number_text.h"
#include "platform/clock.h"

#include <random>

using namespace Qt::StringLiterals;

namespace {

// Every `#` of the text is a slot.
QString WithDigits(const QString& text, std::vector<qsizetype>* slots) {
  QString out = text;
  for (qsizetype i = 0; i < out.size(); ++i)
    if (out[i] == u'#') {
      slots->push_back(i);
      out[i] = u'0';
    }
  return out;
}

TEST(CompiledExpression, RunsAsTheTextWithTheNumbersInItsPlaces) {
  const CFixedClock clock(QDateTime(QDate(2026, 5, 1), QTime(9, 0)));
  const QString numbers[] = {u"0"_s, u"7"_s, u"-3"_s, u"1.5"_s, u"-0.25"_s, u".5"_s, u"1.2.3"_s, u"007"_s,
                             u"123456789012345678"_s, u"-0"_s};
  const struct {
    const char16_t* text;
    bool compiles;
  } cases[] = {
      {u"#*#", true},           {u"#-#", true},           {u"5-#", true},          {u"#-5", true},
      {u"10/#", true},          {u"#%3", true},           {u"2^#", true},          {u"(#+1)*#", true},
      {u"IF(#>2,#-1,#)", true}, {u"max(#,#)", true},      {u"sqr(#)", true},       {u"#=#", true},
      {u"1,2#", false},         {u"(-#)", false},         {u"-#", false},          {u"(1)#", false},
      {u"#.5", false},          {u"#a", true},           {u"1#", false},          {u"# ", true},
      {u"#)", false},            {u"((#", true},           {u"#+", true},           {u"now()+#", true},
      {u"nosuch(#)", true},     {u"#,#", false},           {u"round(#,#)", true},   {u"#<#-#", true},
  };
  for (const auto& c : cases) {
    std::vector<qsizetype> slots;
    const QString text = WithDigits(QString::fromUtf16(c.text), &slots);
    const std::optional<CCompiledExpression> compiled = CCompiledExpression::Compile(text, slots);
    ASSERT_EQ(compiled.has_value(), c.compiles) << QString::fromUtf16(c.text).toStdString();
    if (!compiled) continue;
    for (const QString& a : numbers) {
      for (const QString& b : numbers) {
        QString filled = QString::fromUtf16(c.text);
        double values[3] = {};
        for (std::size_t k = 0; k < slots.size(); ++k) {
          const QString& n = k % 2 == 0 ? a : b;
          values[k] = TextToNumber(n);
          filled.replace(filled.indexOf(u'#'), 1, n);
        }
        const CEvalResult expected = Evaluate(filled, clock);
        const CEvalResult got = compiled->Run(values, clock);
        EXPECT_EQ(got.code, expected.code) << filled.toStdString();
        if (expected.Ok()) {
          EXPECT_EQ(got.value, expected.value) << filled.toStdString();
        }
      }
    }
  }
}

TEST(CompiledFormula, TakesTheCommonFormsAndLeavesTheRestAsText) {
  // Items: qty and name stored, amount a formula item, link a linked one.
  const auto kind = [](QStringView name, int* item) {
    *item = 0;
    if (name == u"qty" || name == u"name") return CompiledItemKind::kStored;
    if (name == u"amount") return CompiledItemKind::kFormula;
    if (name == u"link") return CompiledItemKind::kOther;
    return CompiledItemKind::kMissing;
  };
  const struct {
    const char16_t* formula;
    bool pure;
    int form;  // 0 text, 1 arithmetic, 2 a text-function call
  } cases[] = {
      {u"%[qty]*%[qty]", true, 1},
      {u"BEFORE(%[amount])+%[amount]", true, 1},
      {u"IF(%[amount]>2500,%[amount]-250,%[amount])", true, 1},
      {u"after(%[qty])-%[qty]", true, 1},
      {u"LEFT(%[name],3)", false, 2},
      {u"DATEDIFF(\"d\",%[name],%[qty])", false, 2},
      {u"STRADD(%[name],\"-\",%[qty])", false, 2},
      {u"%[nosuch]+1", true, 0},          // the text path reports it
      {u"%[link]+1", true, 0},            // linked items take nothing in
      {u"%[qty]%[qty]", true, 0},         // the values join
      {u"SUM(%[qty])/2", true, 0},        // statistics
      {u"XBEFORE(%[qty])", true, 0},      // read as BEFORE by the text path
      {u"BEFORE(%[qty]+1)", true, 0},
      {u"-%[qty]", true, 0},              // the sign joins the number
      {u"%[qty", true, 0},
      {u"LEFT(%[amount],3)", false, 0},   // a formula item taken in as text
      {u"LEFT(MID(%[name],2),3)", false, 0},
      {u"DAYS(%[name])", false, 2},
      {u"NETWORKDAYS(%[name],%[name])", false, 2},
      {u"SUMTIME(%[name])", false, 0},
      {u"LEFT(%[name],3)&", false, 0},
      {u"STR(%[name])", false, 0},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<CCompiledFormula> plan = CompileItemFormula(c.formula, c.pure, kind);
    const int form = !plan ? 0 : plan->expression ? 1 : 2;
    EXPECT_EQ(form, c.form) << QString::fromUtf16(c.formula).toStdString();
  }
}

// Random decks and formulas: values computed from the compiled forms equal
// those of expanding the text, display and not, on every card, before and
// after edits, whether asked for from the first card or from the last (a
// running total then walks back over the cards).
QString RandomFormula(std::mt19937& rng, int self) {
  const auto pick = [&](std::initializer_list<const char16_t*> list) {
    return QString::fromUtf16(*(list.begin() + rng() % list.size()));
  };
  const QString self_ = QStringLiteral("%[f%1]").arg(self);
  if (rng() % 3 == 0) {
    return pick({u"LEFT(%[n],2)", u"MID(%[n],2,3)", u"LEN(%[n])", u"DATEDIFF(\"d\",%[d1],%[d2])",
                 u"DATEDIFF(\"m\",%[d1],%[d2])", u"STRADD(%[n],\"-\",%[a])", u"DATEADD(\"d\",%[a],%[d1])",
                 u"YEARS(%[d1],%[d2])", u"RIGHT(%[n],%[a])", u"DAYS(%[d1])", u"IFS(%[a]=1,one,other)",
                 u"PAD(%[a],6,0)", u"YOUBI(%[d2])", u"DATEDIFF(\"yyyy\", %[d1] ,%[d2])",
                 u"DATEDIFF(\"d\",1%[d1],%[d2])", u"DATEDIFF(%[n],%[d1],%[d2])", u"DATEDIFF(\"d\",%[d1])",
                 u"MID(%[n],%[a])", u"LEFT(%[n])", u"LEFT(%[n],2,3)", u"RIGHT( %[n],3)", u"left(%[n],%[b])"});
  }
  QString f;
  const int terms = 1 + rng() % 4;
  for (int t = 0; t < terms; ++t) {
    if (t > 0) f += pick({u"+", u"-", u"*", u"/", u"%", u">", u"<", u"=", u"^"});
    switch (rng() % 9) {
      case 0: f += u"%[a]"_s; break;
      case 1: f += u"%[b]"_s; break;
      case 2: f += QStringLiteral("BEFORE(%1)").arg(rng() % 2 ? self_ : u"%[a]"_s); break;
      case 3: f += QStringLiteral("AFTER(%1)").arg(rng() % 3 ? u"%[b]"_s : self_); break;
      case 4: f += QStringLiteral("%[f%1]").arg(rng() % 4); break;
      case 5: f += QString::number(int(rng() % 20) - 5); break;
      case 6: f += QStringLiteral("IF(%[a]>%[b],%[a],%[b]-1)"); break;
      case 7: f += pick({u"max(%[a],%[f0])", u"abs(%[b])", u"(%[a]+1)", u"-%[a]", u"pi", u"round(%[b],1)"}); break;
      default: f += pick({u")", u"(", u" ", u",", u"%[a]%[b]", u"%[f1]"}); break;
    }
  }
  return f;
}

TEST(CompiledFormula, GivesTheValuesOfTheExpandedText) {
  const QString stored[] = {u""_s,   u"3"_s,     u"-3"_s,    u"1.5"_s, u"abc"_s, u"1,234"_s, u"(2)"_s, u"3 "_s,
                            u"-"_s,  u".5"_s,    u"5."_s,    u"0"_s,   u"12"_s,  u"999"_s,   u"SUMMER"_s};
  // "@" stands for a name of characters outside the basic plane, which the
  // fixture's CP932 file cannot hold: it is put into the cards after reading.
  const QString names[] = {u"Suzuki"_s, u"ab,c"_s, u"x(y"_s, u"SUM"_s, u""_s, u"Ito12"_s, u"%[a]"_s, u"@"_s};
  const QString dates[] = {u"2020/01/05"_s, u"2021/03/31"_s, u"H22.9.25"_s, u"bad"_s, u""_s, u"1999/12/31"_s};
  std::mt19937 rng(20261207);
  for (int round = 0; round < 150; ++round) {
    QString lines = u"a,b,n,d1,d2,f0,f1,f2,f3\r\n"_s;
    for (int k = 0; k < 6; ++k) {
      const QString& a = stored[rng() % std::size(stored)];
      const QString& b = stored[rng() % std::size(stored)];
      const QString& n = names[rng() % std::size(names)];
      lines += QStringLiteral("\"%1\",\"%2\",\"%3\",%4,%5,,,,\r\n")
                   .arg(a, b, n, dates[rng() % std::size(dates)], dates[rng() % std::size(dates)]);
    }
    const std::uint32_t calcNull = rng() % 3;
    CFormulaFixture compiled(lines, calcNull);
    CFormulaFixture backward(lines, calcNull);
    CFormulaFixture text(lines, calcNull);
    QStringList formulas;
    for (int f = 0; f < 4; ++f) formulas << RandomFormula(rng, f);
    const bool grouping = rng() % 4 == 0;
    for (CFormulaFixture* fx : {&compiled, &backward, &text}) {
      for (int k = 0; k < 6; ++k)
        if (fx->store->AllCard(k)->Item(2) == u"@") fx->store->AllCard(k)->SetItem(2, u"𠀋𩸽x𠮷"_s);
      for (int f = 0; f < 4; ++f) fx->SetFormula(QStringLiteral("f%1").arg(f), formulas[f]);
      if (grouping) fx->Record(u"f0"_s).m_flags |= CItemProperty::kDigitGrouping;
    }
    const auto expectSame = [&](const char* when) {
      UseCompiledFormulas(true);
      const std::vector<QStringList> fast = compiled.AllValues();
      const std::vector<QStringList> last = backward.AllValues(true);
      UseCompiledFormulas(false);
      const std::vector<QStringList> slow = text.AllValues();
      UseCompiledFormulas(true);
      EXPECT_EQ(fast, slow) << when << " round " << round << ": " << formulas.join(u" | ").toStdString()
                            << "\n" << lines.toStdString();
      EXPECT_EQ(last, slow) << when << " from the last card, round " << round << ": "
                            << formulas.join(u" | ").toStdString() << "\n" << lines.toStdString();
    };
    expectSame("fresh");
    // An edit keeps the remembered values that do not read it.
    const int card = int(rng() % 6);
    const QString value = stored[rng() % std::size(stored)];
    for (CFormulaFixture* fx : {&compiled, &backward, &text}) fx->store->AllCard(card)->SetItem(0, value);
    expectSame("after an edit");
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace

// The item graph counts a linked item's formula as taking numbers even where
// it calls a text function: compiled as arithmetic, LEFT of a number would
// give an error instead of its text.
TEST(CompiledFormula, ALinkedItemsFormulaCallsItsTextFunctions) {
  CFormulaFixture fx(u"CODE,link,total\r\n123,,\r\n"_s);
  CItemProperty& p = fx.Record(u"link"_s);
  p.m_type = kItemLinked;
  p.m_linkSource = 0;
  p.m_linkTargetName = u"name"_s;
  p.m_choices = {u"\u0001"_s, fx.world.Path(u"master.csv"_s), u"code"_s};
  p.m_set = 1;
  p.m_formula = u"LEFT(%[CODE],2)"_s;
  fx.SetFormula(u"total"_s, u"BEFORE(%[total])+1"_s);
  for (const bool compiled : {true, false}) {
    UseCompiledFormulas(compiled);
    fx.store->SetValueCache(nullptr);
    EXPECT_EQ(EvaluateItemFormula(*fx.store, 0, true, 1, true), u"12"_s) << compiled;
    EXPECT_EQ(fx.Value(0, u"total"_s), u"1"_s) << compiled;
  }
  UseCompiledFormulas(true);
}
