#include "ui/dialogs/select/multi_sort_dialog.h"

#include "core/velum_doc.h"
#include "select/select_commands.h"
#include "select/sort.h"
#include "ui/views/item_list_view.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CMultiSortDialog::CMultiSortDialog(const CCardStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
  setWindowTitle(QStringLiteral("複数キーソート（整列）"));
  m_order = new QComboBox(this);
  m_order->setObjectName(QStringLiteral("order"));
  m_order->addItems(SortOrderEntryLabels());
  m_order->setCurrentIndex(kTextAscending);

  m_items = NewItemNameList(store, this);
  m_items->setObjectName(QStringLiteral("items"));
  m_items->addItem(kMarkItemLabel.toString());
  m_items->setCurrentRow(0);
  connect(m_items, &QListWidget::itemDoubleClicked, this, [this] { AddKey(); });

  auto* add = new QPushButton(QStringLiteral("追加↓"), this);
  add->setAutoDefault(false);
  connect(add, &QPushButton::clicked, this, [this] { AddKey(); });

  m_keyList = new QListWidget(this);
  m_keyList->setObjectName(QStringLiteral("keys"));
  m_keyList->setSelectionMode(QAbstractItemView::NoSelection);
  m_keyList->setMinimumHeight(m_keyList->fontMetrics().height() * 3);

  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_order);
  layout->addWidget(m_items, 1);
  layout->addWidget(add, 0, Qt::AlignHCenter);
  layout->addWidget(m_keyList, 1);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("OK")));
}

void CMultiSortDialog::AddKey() {
  const int item = m_items->currentRow();
  if (item < 0) return;
  const CVelumSort key(item, m_order->currentIndex());
  m_keys.m_keys.push_back(key);
  m_keyList->addItem(SortKeyLabel(m_store, key));
}
