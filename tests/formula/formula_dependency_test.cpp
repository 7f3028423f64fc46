#include "formula_fixture.h"

#include "core/card_commands.h"
#include "core/velum_doc.h"
#include "formula/item_dependencies.h"
#include "formula/item_value_cache.h"

#include <functional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

using Reach = CItemDependencies::Reach;

// A deck whose formulas read every way there is: running totals both ways,
// statistics of stored and computed items, NUM, formulas taken in, texts,
// SUMTIME, INDEX, and one that takes in a stored text as formula text.
const QString kHeader = u"a,b,name,t,total,back,s,avg,v,n,x2,str,mix,tsum,idx,chain,dyn,cmp\r\n"_s;

void SetFormulas(CFormulaFixture& fx) {
  fx.SetFormula(u"total"_s, u"BEFORE(%[total])+%[a]"_s);
  fx.SetFormula(u"back"_s, u"AFTER(%[back])+%[b]"_s);
  fx.SetFormula(u"s"_s, u"SUM(%[a])+MAXITEM(%[b])"_s);
  fx.SetFormula(u"avg"_s, u"AVERAGE(%[total])"_s);
  fx.SetFormula(u"v"_s, u"VARP(%[a])+MINITEM(%[a])"_s);
  fx.SetFormula(u"n"_s, u"NUM(%[total])*2+%[x2]"_s);
  fx.SetFormula(u"x2"_s, u"%[a]*%[b]"_s);
  fx.SetFormula(u"str"_s, u"STR(%[name]-%[a])"_s);
  fx.SetFormula(u"mix"_s, u"MINITEM(%[x2])+BEFORE(%[x2])"_s);
  fx.SetFormula(u"tsum"_s, u"STR(SUMTIME(%[t]))"_s);
  fx.SetFormula(u"idx"_s, u"INDEX()+%[a]"_s);
  fx.SetFormula(u"chain"_s, u"%[s]+%[n]"_s);
  fx.SetFormula(u"dyn"_s, u"%[name]+1"_s);
  fx.SetFormula(u"cmp"_s, u"IFS(%[b]=1,%[a],%[total])"_s);
  fx.Record(u"total"_s).m_flags |= CItemProperty::kDigitGrouping;
}

// Texts an edit puts in: numbers small and large, exact and not, texts; and
// texts that rewrite a formula that takes them in.
const QString kTexts[] = {u"0"_s,  u"1"_s,   u"7"_s,   u"42"_s,   u"-3"_s,   u"1,200"_s,         u"2.5"_s, u"-0"_s,
                          QString(), u"abc"_s, u"x"_s, u"山田"_s, u"1:30"_s, u"123456789012"_s, u"99"_s,  u"5"_s};
const QString kRewriting[] = {u"SUM(%[a])"_s, u"%[a]"_s, u"M("_s, u"BEFORE"_s};

QString Deck(std::mt19937& rng, int cards) {
  QString lines = kHeader;
  for (int k = 0; k < cards; ++k)
    lines += QStringLiteral("%1,%2,名%3,0:%4,,,,,,,,,,,,,,\r\n")
                 .arg(rng() % 100)
                 .arg(rng() % 3)
                 .arg(k)
                 .arg(rng() % 60);
  return lines;
}

// A store whose values are remembered across the changes, and a twin given
// the same changes whose values are computed afresh for every comparison.
struct CTwins {
  CTwins(const QString& lines, std::uint32_t calcNull) : kept(lines, calcNull), fresh(lines, calcNull) {
    SetFormulas(kept);
    SetFormulas(fresh);
  }
  template <typename Change>
  void Apply(Change&& change) {
    change(*kept.store);
    change(*fresh.store);
  }
  QString Fresh(int k, int i, bool display) {
    fresh.store->SetValueCache(nullptr);
    return GetItemValue(*fresh.store, k, true, i, display);
  }
  CFormulaFixture kept;
  CFormulaFixture fresh;
};

}  // namespace

// Random edits of random cards and items (stored items that formulas read,
// texts that rewrite formulas, the stored texts of formula items), insertions,
// deletions, sorting, filtering and RecalcAll, each followed by reads of some
// values, which keep a partly known cache; every read equals a computation
// from scratch.
TEST(FormulaDependencies, RememberedValuesEqualAFreshComputationAfterRandomChanges) {
  // Each CalcNull twice; seeds from 5 on also type texts that rewrite
  // formulas now and then.
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    CTwins twins(Deck(rng, 24), seed % 3);
    const int items = twins.kept.store->ItemCount();
    const auto pick = [&](int n) { return n > 0 ? int(rng() % unsigned(n)) : 0; };
    for (int step = 0; step < 400; ++step) {
      CCardStore& s = *twins.kept.store;
      const int op = pick(100);
      const int card = pick(s.AllCount());
      const int item = op < 60 ? pick(4) : pick(items);  // mostly the items formulas read
      const QString text = seed >= 5 && pick(10) == 0 ? kRewriting[pick(std::size(kRewriting))]
                                                      : kTexts[pick(std::size(kTexts))];
      std::string what;
      if (op < 80) {
        what = "edit";
        twins.Apply([&](CCardStore& st) { st.AllCard(card)->SetItem(item, text); });
      } else if (op < 84) {
        what = "edit a visible card";
        const int v = pick(s.VisibleCount());
        twins.Apply([&](CCardStore& st) { st.SetItemText(v, item, text); });
      } else if (op < 88) {
        what = "insert";
        const int v = pick(s.VisibleCount() + 1);
        twins.Apply([&](CCardStore& st) { st.AddCard(v); });
      } else if (op < 92) {
        what = "delete";
        const int v = pick(s.VisibleCount());
        twins.Apply([&](CCardStore& st) { st.DeleteCard(v); });
      } else if (op < 94) {
        what = "sort";
        twins.Apply([&](CCardStore& st) {
          std::reverse(st.AllCards().begin(), st.AllCards().end());
          st.RebuildVisible();
        });
      } else if (op < 97) {
        what = "filter";
        twins.Apply([&](CCardStore& st) {
          st.AllCard(card)->SetVisible(!st.AllCard(card)->Visible());
          st.RebuildVisible();
        });
      } else {
        what = "recalc";
        twins.Apply([&](CCardStore& st) { st.RecalcAll(); });
      }
      for (int r = 0; r < 12 && s.AllCount() > 0; ++r) {
        const int k = pick(s.AllCount());
        const int i = pick(items);
        const bool display = pick(2) == 1;
        ASSERT_EQ(GetItemValue(s, k, true, i, display), twins.Fresh(k, i, display))
            << "seed " << seed << " step " << step << " after " << what << ": card " << k << " item "
            << s.Item(i).toString().toStdString();
      }
      if (step % 50 == 49) {
        twins.fresh.store->SetValueCache(nullptr);
        ASSERT_EQ(twins.kept.AllValues(), twins.fresh.AllValues()) << "seed " << seed << " step " << step;
      }
    }
  }
}

// An edit keeps the remembered values of what does not read the edited item
// and drops everything where it cannot tell what a formula reads.
TEST(FormulaDependencies, WhichEditsKeepTheRememberedValues) {
  QString lines = u"a,b,name,total,s,dyn\r\n"_s;
  for (int k = 0; k < 10; ++k) lines += QStringLiteral("%1,%2,n%3,,,\r\n").arg(k).arg(k * 2).arg(k);
  const struct {
    const char* what;
    QString dyn;  // the formula of dyn
    int item;     // edited on card 5
    QString text;
    bool kept;
  } cases[] = {
      {"an item no formula reads", u"%[b]+1"_s, 2, u"m"_s, true},
      {"the running total's input", u"%[b]+1"_s, 0, u"50"_s, true},
      {"a text that reads as a call, edited in", u"%[b]+1"_s, 1, u"SUM(%[a])"_s, true},
      {"a stored text that joins the letters before it", u"STR(x%[name])"_s, 0, u"50"_s, false},
  };
  for (const auto& c : cases) {
    CFormulaFixture fx(lines);
    fx.SetFormula(u"total"_s, u"BEFORE(%[total])+%[a]"_s);
    fx.SetFormula(u"s"_s, u"SUM(%[a])"_s);
    fx.SetFormula(u"dyn"_s, c.dyn);
    const std::vector<QStringList> before = fx.AllValues();
    fx.store->AllCard(5)->SetItem(c.item, c.text);
    // The running total before the edited card is still known when kept.
    const auto state = CItemValueCache::For(*fx.store).StateOf(2, fx.Item(u"total"_s), true);
    EXPECT_EQ(state == CItemValueCache::State::kDone, c.kept) << c.what;
    const std::vector<QStringList> after = fx.AllValues();
    fx.store->SetValueCache(nullptr);
    EXPECT_EQ(after, fx.AllValues()) << c.what;
    if (c.item == 0) EXPECT_NE(before, after) << c.what;
  }
}

// Undo and redo of an edit, and of 項目内容の統一, drop what the command
// dropped and no more: the running total before the first card it changed
// stays remembered, and every value equals a fresh computation.
TEST(FormulaDependencies, UndoAndRedoKeepWhatTheCommandKept) {
  InstallItemFormulas();
  const struct {
    const char* what;
    std::function<int(int)> a;  // of card k
    std::function<bool(CVelumDoc&)> command;
  } cases[] = {
      {"edit card 5", [](int k) { return k; }, [](CVelumDoc& doc) { return CommitItemText(doc, 5, 0, u"50"_s); }},
      {"unify, cards 5 on differ", [](int k) { return k < 5 ? 7 : k; },
       [](CVelumDoc& doc) { return UnifyItem(doc, 0, u"7"_s); }},
  };
  for (const auto& c : cases) {
    CTestWorld world;
    WriteSetting(*world.settings, settings::kUndoSteps, 10);
    QString lines = u"a,name,total\r\n"_s;
    for (int k = 0; k < 10; ++k) lines += QStringLiteral("%1,n%2,\r\n").arg(c.a(k)).arg(k);
    world.WriteFile(u"u.csv"_s, Sjis(lines));
    CVelumDoc doc(*world.services);
    doc.recordDefaultFile = false;
    ASSERT_TRUE(doc.OnOpenDocument(world.Path(u"u.csv"_s)));
    CCardStore& store = doc.Store();
    store.Property(2).m_formula = u"BEFORE(%[total])+%[a]"_s;
    const auto values = [&] {
      QStringList out;
      for (int k = 0; k < store.AllCount(); ++k) out << GetItemValue(store, k, true, 2, true);
      return out;
    };
    const QStringList original = values();
    ASSERT_TRUE(c.command(doc)) << c.what;
    const QStringList changed = values();
    ASSERT_NE(changed, original) << c.what;
    for (const bool redo : {false, true}) {
      redo ? doc.UndoStack().Redo(doc) : doc.UndoStack().Undo(doc);
      EXPECT_EQ(CItemValueCache::For(store).StateOf(4, 2, true), CItemValueCache::State::kDone) << c.what << redo;
      EXPECT_NE(CItemValueCache::For(store).StateOf(5, 2, true), CItemValueCache::State::kDone) << c.what << redo;
      EXPECT_EQ(values(), redo ? changed : original) << c.what;
      store.SetValueCache(nullptr);
      EXPECT_EQ(values(), redo ? changed : original) << c.what;
    }
  }
}

TEST(FormulaDependencies, ReachOfAnEditFollowsTheFormulas) {
  CFormulaFixture fx(u"a,b,f,g,h\r\n1,2,,,\r\n"_s);
  const struct {
    QString f, g, h;
    int edited;
    Reach f2, g2, h2;  // of f, g, h
  } cases[] = {
      {u"%[a]+1"_s, u"%[f]*2"_s, u"%[b]"_s, 0, Reach::kCard, Reach::kCard, Reach::kNone},
      {u"BEFORE(%[f])+%[a]"_s, u"%[f]"_s, u"SUM(%[g])"_s, 0, Reach::kLater, Reach::kLater, Reach::kAll},
      {u"AFTER(%[f])+%[a]"_s, u"BEFORE(%[f])"_s, u"NUM(%[b])"_s, 0, Reach::kEarlier, Reach::kAll, Reach::kNone},
      {u"sum(%[a])"_s, QString(), u"%[f]+%[b]"_s, 1, Reach::kNone, Reach::kNone, Reach::kCard},
      {u"STR(SUMTIME(%[b]))"_s, u"%[a]"_s, QString(), 1, Reach::kAll, Reach::kNone, Reach::kNone},
  };
  for (const auto& c : cases) {
    fx.SetFormula(u"f"_s, c.f);
    fx.SetFormula(u"g"_s, c.g);
    fx.SetFormula(u"h"_s, c.h);
    const CItemDependencies deps(*fx.store);
    Reach got[5] = {};
    for (const CItemDependencies::CReader& r : deps.Readers(c.edited)) got[r.item] = r.reach;
    EXPECT_EQ(got[2], c.f2) << c.f.toStdString();
    EXPECT_EQ(got[3], c.g2) << c.f.toStdString();
    EXPECT_EQ(got[4], c.h2) << c.f.toStdString();
  }
  fx.Record(u"h"_s).m_type = kItemLinked;
  EXPECT_FALSE(CItemDependencies(*fx.store).Known());
}

TEST(FormulaDependencies, TextsThatCouldRewriteAFormula) {
  const struct {
    QString text;
    QChar before, after;
    bool whole;
    bool rewrites;
  } cases[] = {
      {u"42"_s, u'+', u')', true, false},
      {u"-1,200.5"_s, QChar(), QChar(), true, false},
      {u"山田"_s, u'S', u'(', true, false},
      {u"abc"_s, u'(', u'+', true, false},
      {u"abc"_s, u'x', u'+', true, true},      // joins the letter before it
      {u"M("_s, u'U', QChar(), true, true},
      {QString(), u'U', u'M', true, true},     // an empty text joins its neighbours
      {QString(), u'1', u'M', true, false},
      {u"sum"_s, u'(', u')', true, true},
      {u"ſum"_s, u'(', u')', true, true},      // ſ reads as S
      {u"x%[a]"_s, u'(', u')', true, true},
      {u"(BEFORE(1))"_s, u'+', u'+', false, false},  // a formula taken in counts its own calls
      {u"(%[a)"_s, u'+', u'+', false, true},
      {u"(SUM(()"_s, u'+', u'+', false, true},  // its call would reach past it
  };
  for (const auto& c : cases)
    EXPECT_EQ(MayRewriteFormula(c.text, c.before, c.after, c.whole), c.rewrites) << c.text.toStdString();
}
