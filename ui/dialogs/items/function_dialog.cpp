#include "ui/dialogs/items/function_dialog.h"

#include "formula/function_catalog.h"
#include "ui/widgets/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CFunctionDialog::CFunctionDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("関数"));
  m_categories = new QListWidget(this);
  m_categories->setObjectName(QStringLiteral("categories"));
  m_functions = new QListWidget(this);
  m_functions->setObjectName(QStringLiteral("functions"));
  m_call = new QLabel(this);
  m_call->setObjectName(QStringLiteral("call"));
  m_description = new QLabel(this);
  m_description->setObjectName(QStringLiteral("description"));
  m_description->setWordWrap(true);
  m_description->setMinimumHeight(3 * fontMetrics().lineSpacing());
  m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* lists = new QHBoxLayout;
  lists->addWidget(m_categories, 2);
  lists->addWidget(m_functions, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addWidget(m_call);
  layout->addWidget(m_description);
  layout->addWidget(OkCancelButtons(this));

  m_categories->addItems(FunctionCategoryList());
  m_categories->setCurrentRow(0);
  FillFunctions();
  connect(m_categories, &QListWidget::currentRowChanged, this, [this] { FillFunctions(); });
  connect(m_functions, &QListWidget::currentRowChanged, this, [this] { ShowFunction(); });
  connect(m_functions, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  FitToOwner(this);
}

QString CFunctionDialog::FunctionName() const {
  const QListWidgetItem* item = m_functions->currentItem();
  return item ? item->text() : QString();
}

void CFunctionDialog::FillFunctions() {
  const QListWidgetItem* category = m_categories->currentItem();
  const QSignalBlocker block(m_functions);
  m_functions->clear();
  if (category) m_functions->addItems(FunctionNameList(category->text()));
  m_functions->setCurrentRow(m_functions->count() > 0 ? 0 : -1);
  ShowFunction();
}

void CFunctionDialog::ShowFunction() {
  const QString name = FunctionName();
  const CFunctionEntry entry = GetEntry(name);
  m_call->setText(name.isEmpty() ? QString() : FunctionCallText(entry));
  m_description->setText(entry.description);
}
