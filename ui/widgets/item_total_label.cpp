#include "ui/widgets/item_total_label.h"

#include "formula/number_text.h"
#include "select/totals.h"

#include <QApplication>
#include <QTimer>

CItemTotalLabel::CItemTotalLabel(CVelumDoc& doc, QWidget* parent) : QLabel(parent), m_doc(doc) {
  setObjectName(QStringLiteral("itemTotal"));
  // The card view makes the focused item current; a focus that stays on the
  // same item costs nothing.
  connect(qApp, &QApplication::focusChanged, this, &CItemTotalLabel::Follow);
  m_doc.AddView(this);
  Schedule();
}

CItemTotalLabel::~CItemTotalLabel() { m_doc.RemoveView(this); }

void CItemTotalLabel::OnUpdate(IDocView*, std::uint32_t hint) {
  // Showing another card changes no sum (Refresh compares the change count);
  // a change of the items or their records may.
  if (hint & 0x40000) m_stale = true;
  Schedule();
}

void CItemTotalLabel::Follow() {
  if (m_stale || m_doc.CurrentItem() != m_item) Schedule();
}

void CItemTotalLabel::Schedule() {
  if (m_scheduled) return;
  m_scheduled = true;
  QTimer::singleShot(0, this, [this] {
    m_scheduled = false;
    Refresh();
  });
}

void CItemTotalLabel::Refresh() {
  const std::uint64_t changes = CCardRow::Changes();
  if (!m_stale && m_item == m_doc.CurrentItem() && m_changes == changes) return;
  m_item = m_doc.CurrentItem();
  m_changes = changes;
  m_stale = false;
  const CCardStore& store = m_doc.Store();
  if (store.VisibleCount() > kMaxCards) {
    setText(QString());
    return;
  }
  const std::optional<CTotals> totals = NumberItemTotals(store, m_item);
  setText(totals ? QStringLiteral("%1の合計 %2").arg(store.Item(m_item).toString(), FormatGrouped(totals->sum))
                 : QString());
}
