#include "ui/dialogs/items/unify_dialog.h"

#include "core/card_commands.h"
#include "core/velum_doc.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CUnifyDialog::CUnifyDialog(const QStringList& items, int current, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("項目内容の統一"));
  m_items = new QComboBox(this);
  m_items->setObjectName(QStringLiteral("item"));
  m_items->addItems(items);
  m_items->setCurrentIndex(current >= 0 && current < items.size() ? current : 0);
  // Long item names must not widen the dialog past a small screen.
  m_items->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_items->setMinimumContentsLength(8);
  m_text = new QLineEdit(this);
  m_text->setObjectName(QStringLiteral("text"));

  auto* itemLabel = new QLabel(QStringLiteral("項目(&I):"), this);
  itemLabel->setBuddy(m_items);
  auto* textLabel = new QLabel(QStringLiteral("内容(&W)"), this);
  textLabel->setBuddy(m_text);

  auto* buttons = OkCancelButtons(this);

  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->addRow(itemLabel, m_items);
  form->addRow(textLabel, m_text);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch();
  layout->addWidget(buttons);
  m_text->setFocus();
}

int CUnifyDialog::Item() const { return m_items->currentIndex(); }
QString CUnifyDialog::Text() const { return m_text->text(); }
