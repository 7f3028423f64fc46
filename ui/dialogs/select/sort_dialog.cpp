#include "ui/dialogs/select/sort_dialog.h"

#include "core/velum_doc.h"
#include "select/select_commands.h"
#include "select/sort.h"
#include "ui/views/item_list_view.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

CSortDialog::CSortDialog(const CCardStore& store, int currentItem, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ソート（整列）"));
  m_items = NewItemNameList(store, this);
  m_items->setObjectName(QStringLiteral("items"));
  if (currentItem >= 0 && currentItem < m_items->count()) m_items->setCurrentRow(currentItem);
  connect(m_items, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  m_orders = new QButtonGroup(this);
  auto* orders = new QVBoxLayout;
  const QStringList& labels = SortOrderRadioLabels();
  for (int i = 0; i < labels.size(); ++i) {
    auto* radio = new QRadioButton(labels[i], this);
    m_orders->addButton(radio, i);
    orders->addWidget(radio);
  }
  m_orders->button(kTextAscending)->setChecked(true);
  orders->addStretch();

  auto* top = new QHBoxLayout;
  top->addWidget(m_items, 1);
  top->addLayout(orders);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top, 1);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("OK")));
}

int CSortDialog::Item() const {
  const QListWidgetItem* item = m_items->currentItem();
  return item && item->isSelected() ? m_items->currentRow() : -1;
}

int CSortDialog::Order() const { return m_orders->checkedId(); }
