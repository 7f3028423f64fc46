#pragma once

#include "core/velum_doc.h"

#include <QLabel>

// The status bar's sum of the item the cursor is in, over the shown cards, as
// a spreadsheet shows the sum of the cells chosen: "金額の合計 210,000" while
// that item holds numbers (NumberItemTotals), empty otherwise. It follows the
// document's updates and the focus moving between items; the sum is taken
// again only when the item or the cards changed (not when another card is
// shown). It reads every shown card, so past kMaxCards shown cards it shows
// nothing rather than make each stored edit wait for it (合計と平均 tells).
class CItemTotalLabel final : public QLabel, public IDocView {
  Q_OBJECT

 public:
  static constexpr int kMaxCards = 100000;

  CItemTotalLabel(CVelumDoc& doc, QWidget* parent);
  ~CItemTotalLabel() override;

  void OnUpdate(IDocView* sender, std::uint32_t hint) override;
  // Takes the sum again if the current item is another than the one summed.
  void Follow();

 private:
  // Takes the sum again after the current event, once for many updates.
  void Schedule();
  void Refresh();

  CVelumDoc& m_doc;
  int m_item = -1;
  std::uint64_t m_changes = 0;  // CCardRow::Changes() when summed
  bool m_stale = true;
  bool m_scheduled = false;
};
