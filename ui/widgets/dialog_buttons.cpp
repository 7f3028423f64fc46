#include "ui/widgets/dialog_buttons.h"

#include "ui/widgets/dialog_fit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

void ScrollingPageAboveButtons(QDialog* dialog, QWidget* page) {
  auto* scroll = new QScrollArea(dialog);
  scroll->setWidget(page);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* layout = new QVBoxLayout(dialog);
  layout->setContentsMargins(0, 0, 0, layout->contentsMargins().bottom());
  layout->addWidget(scroll, 1);
  auto* buttons = OkCancelButtons(dialog);
  buttons->setContentsMargins(layout->spacing(), 0, layout->spacing(), 0);
  layout->addWidget(buttons);
}

void FitToOwner(QDialog* dialog) {
  QSize size = dialog->sizeHint();
  size.setWidth(std::max(size.width(), TitleWidth(*dialog)));
  const QWidget* owner = dialog->parentWidget();
  while (owner && owner->window()->parentWidget()) owner = owner->window()->parentWidget();
  if (owner) size = size.boundedTo(owner->window()->size());
  dialog->resize(size.expandedTo(dialog->minimumSizeHint()));
}
