#include "ui/widgets/item_choice_dialog.h"

#include "ui/widgets/dialog_parts.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

CItemChoiceDialog::CItemChoiceDialog(const CCardStore& store, int current, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("項目の選択"));
  m_items = NewItemNameList(store, this);
  m_items->setObjectName(QStringLiteral("items"));
  if (m_items->count() > 0) m_items->setCurrentRow(current >= 0 && current < m_items->count() ? current : 0);
  connect(m_items, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_items, 1);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("OK")));
}

int CItemChoiceDialog::Item() const {
  const QListWidgetItem* item = m_items->currentItem();
  return item && item->isSelected() ? m_items->currentRow() : -1;
}
