#include "ui/dialogs/japanese/postal_choice_dialog.h"

#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

CPostalChoiceDialog::CPostalChoiceDialog(const QString& title, const QStringList& choices, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(title);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("choices"));
  m_list->addItems(choices);
  if (!choices.isEmpty()) m_list->setCurrentRow(0);
  connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list, 1);
  layout->addWidget(OkCancelButtons(this));
}

int CPostalChoiceDialog::Chosen() const {
  const QListWidgetItem* item = m_list->currentItem();
  return item && item->isSelected() ? m_list->currentRow() : -1;
}

int ChoosePostal(const QString& title, const QStringList& choices, const QSize& screen, QWidget* parent) {
  CPostalChoiceDialog dialog(title, choices, parent);
  FitToScreen(dialog, screen);
  return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : -1;
}
