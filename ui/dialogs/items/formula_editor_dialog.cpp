#include "ui/dialogs/items/formula_editor_dialog.h"

#include "ui/dialogs/items/function_dialog.h"
#include "ui/widgets/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kResultCaption = QStringLiteral("このカードでの結果：");
}  // namespace

CFormulaEditorDialog::CFormulaEditorDialog(const QString& formula, const QStringList& itemNames, QWidget* parent,
                                           Trial trial)
    : QDialog(parent), m_trial(std::move(trial)) {
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
  if (m_trial) {
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setTextFormat(Qt::PlainText);
    m_result->setWordWrap(true);
    m_advice = new QLabel(this);
    m_advice->setObjectName(QStringLiteral("advice"));
    m_advice->setTextFormat(Qt::PlainText);
    m_advice->setWordWrap(true);
    m_advice->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(m_result);
    layout->addWidget(m_advice);
    connect(m_formula, &QLineEdit::textChanged, this, &CFormulaEditorDialog::ShowTrial);
    ShowTrial();
  }
  layout->addWidget(button(QStringLiteral("▲項目の挿入▲"), [this] { InsertItem(); }));
  layout->addLayout(lower, 1);
  layout->addWidget(OkCancelButtons(this));
  m_formula->setFocus();
  FitToOwner(this);
}

QString CFormulaEditorDialog::Formula() const { return m_formula->text(); }

void CFormulaEditorDialog::ShowTrial() {
  const CFormulaTrial t = m_trial(m_formula->text());
  // One line of the value: a long text or one with line breaks is cut.
  QString value = t.value.left(200);
  value.replace(u'\n', u' ');
  m_result->setText(kResultCaption + value);
  m_advice->setText(t.advice);
  m_advice->setVisible(!t.advice.isEmpty());
}

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
