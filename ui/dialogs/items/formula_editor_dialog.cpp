#include "ui/dialogs/items/formula_editor_dialog.h"

#include "ui/dialogs/items/function_dialog.h"
#include "ui/widgets/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CFormulaEditorDialog::CFormulaEditorDialog(const QString& formula, const QStringList& itemNames, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("計算式エディタ"));
  m_formula = new QLineEdit(formula, this);
  m_formula->setObjectName(QStringLiteral("formula"));
  m_items = new QListWidget(this);
  m_items->setObjectName(QStringLiteral("items"));
  m_items->addItems(itemNames);
  if (m_items->count() > 0) m_items->setCurrentRow(0);
  connect(m_items, &QListWidget::itemDoubleClicked, this, [this] { InsertItem(); });

  // The buttons take no focus, so that the field keeps its selection.
  auto button = [this](const QString& text, auto action) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, action);
    return b;
  };
  auto* operators = new QGridLayout;
  const QString ops[] = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"),
                         QStringLiteral("/"), QStringLiteral("("), QStringLiteral(")")};
  for (int i = 0; i < 6; ++i) {
    QPushButton* b = button(ops[i], [this, op = ops[i]] { Insert(op); });
    b->setMinimumWidth(b->fontMetrics().height() * 2);
    operators->addWidget(b, i / 3, i % 3);
  }
  operators->addWidget(button(QStringLiteral("関数..."), [this] { InsertFunction(); }), 2, 0, 1, 3);

  auto* lower = new QHBoxLayout;
  lower->addWidget(m_items, 1);
  auto* side = new QVBoxLayout;
  side->addLayout(operators);
  side->addStretch();
  lower->addLayout(side);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_formula);
  layout->addWidget(button(QStringLiteral("▲項目の挿入▲"), [this] { InsertItem(); }));
  layout->addLayout(lower, 1);
  layout->addWidget(OkCancelButtons(this));
  m_formula->setFocus();
  FitToOwner(this);
}

QString CFormulaEditorDialog::Formula() const { return m_formula->text(); }

void CFormulaEditorDialog::Insert(const QString& text) {
  m_formula->insert(text);
  m_formula->setFocus();
}

void CFormulaEditorDialog::InsertItem() {
  const QListWidgetItem* item = m_items->currentItem();
  if (item) Insert(QStringLiteral("%[") + item->text() + u']');
}

void CFormulaEditorDialog::InsertFunction() {
  CFunctionDialog dialog(this);
  if (dialog.exec() != QDialog::Accepted || dialog.FunctionName().isEmpty()) return;
  Insert(dialog.FunctionName() + u'(');
}
