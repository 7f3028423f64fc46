#pragma once

#include "core/card_store.h"
#include "formula/item_formula.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <memory>

// A store read from a card file (header line and cards, CP932), with the item
// formulas installed and CalcNull set before the store reads it.
class CFormulaFixture {
 public:
  explicit CFormulaFixture(const QString& lines, std::uint32_t calcNull = 0, const QString& file = QStringLiteral("s.csv")) {
    InstallItemFormulas();
    WriteSetting(*world.settings, settings::kCalcNull, calcNull);
    store = std::make_unique<CCardStore>(*world.services);
    world.WriteFile(file, Sjis(lines));
    EXPECT_EQ(store->Read(world.Path(file)), 1);
  }

  int Item(const QString& name) const {
    for (int i = 0; i < store->ItemCount(); ++i)
      if (store->Item(i) == name) return i;
    ADD_FAILURE() << "no item " << name.toStdString();
    return 0;
  }
  CItemProperty& Record(const QString& name) { return store->Property(Item(name)); }
  void SetFormula(const QString& name, const QString& formula) { Record(name).m_formula = formula; }

  // The value of an item on a visible card, as the views show it.
  QString Value(int card, const QString& name, bool display = true) const {
    return GetItemValue(*store, card, false, Item(name), display);
  }
  // Every value of every card of the all-cards list, display and not.
  // fromTheEnd asks for the last card's values first, so that a running
  // total is computed from the last card back.
  std::vector<QStringList> AllValues(bool fromTheEnd = false) const {
    std::vector<QStringList> out(std::size_t(std::max(store->AllCount(), 0)));
    for (int n = 0; n < store->AllCount(); ++n) {
      const int k = fromTheEnd ? store->AllCount() - 1 - n : n;
      QStringList card;
      for (int i = 0; i < store->ItemCount(); ++i)
        card << GetItemValue(*store, k, true, i, true) << GetItemValue(*store, k, true, i, false);
      out[std::size_t(k)] = card;
    }
    return out;
  }

  CTestWorld world;
  std::unique_ptr<CCardStore> store;
};
