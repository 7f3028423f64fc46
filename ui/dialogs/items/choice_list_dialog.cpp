#include "ui/dialogs/items/choice_list_dialog.h"

#include "platform/prompt.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/line_input_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString kTitle = QStringLiteral("選択肢の設定");
const QString kAddTitle = QStringLiteral("選択肢の追加");
const QString kEditTitle = QStringLiteral("選択肢の修正");
}  // namespace

CChoiceListDialog::CChoiceListDialog(const QStringList& choices, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_list(choices), m_prompt(prompt) {
  setWindowTitle(kTitle);
  m_view = new QListWidget(this);
  m_view->setObjectName(QStringLiteral("choices"));
  connect(m_view, &QListWidget::itemDoubleClicked, this, [this] { Edit(); });

  auto button = [this](const QString& text, auto action) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, action);
    return b;
  };
  auto* buttons = new QGridLayout;
  buttons->addWidget(button(QStringLiteral("追加(&A)..."), [this] { Add(); }), 0, 0);
  buttons->addWidget(button(QStringLiteral("編集(&E)..."), [this] { Edit(); }), 0, 1);
  buttons->addWidget(button(QStringLiteral("削除(&D)..."), [this] { Delete(); }), 1, 0);
  buttons->addWidget(button(QStringLiteral("一つ上へ(&U)"), [this] { Refill(m_list.MoveUp(m_view->currentRow())); }), 1, 1);
  buttons->addWidget(button(QStringLiteral("一つ下へ(&W)"), [this] { Refill(m_list.MoveDown(m_view->currentRow())); }), 2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_view, 1);
  layout->addLayout(buttons);
  layout->addWidget(OkCancelButtons(this));
  Refill(m_list.Count() > 0 ? 0 : -1);
  FitToOwner(this);
}

void CChoiceListDialog::Add() {
  CLineInputDialog input(kAddTitle, QString(), this);
  if (input.exec() != QDialog::Accepted) return;
  Refill(m_list.Add(input.Text()));
}

void CChoiceListDialog::Edit() {
  const int line = m_view->currentRow();
  if (line < 0 || line >= m_list.Count()) return;
  CLineInputDialog input(kEditTitle, m_list.Choices()[line], this);
  if (input.exec() != QDialog::Accepted) return;
  Refill(m_list.Replace(line, input.Text()));
}

void CChoiceListDialog::Delete() {
  const int line = m_view->currentRow();
  if (line < 0 || line >= m_list.Count()) return;
  if (!m_prompt.Question(kDeleteChoiceQuestion)) return;
  Refill(m_list.Remove(line));
}

void CChoiceListDialog::Refill(int line) {
  const int top = m_view->indexAt(QPoint(0, 0)).row();
  m_view->setUpdatesEnabled(false);
  m_view->clear();
  m_view->addItems(m_list.Choices());
  const int last = m_list.Count() - 1;
  if (top >= 0 && last >= 0) m_view->scrollToItem(m_view->item(std::min(top, last)), QAbstractItemView::PositionAtTop);
  if (line >= 0 && last >= 0) m_view->setCurrentRow(std::min(line, last));
  m_view->setUpdatesEnabled(true);
}
