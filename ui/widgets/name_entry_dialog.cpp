#include "ui/widgets/name_entry_dialog.h"

#include "core/edit_messages.h"
#include "ui/widgets/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CNameEntryDialog::CNameEntryDialog(const QString& message, const QString& initial, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(edit_msg::kNameDialogTitle);
  auto* label = new QLabel(message, this);
  label->setWordWrap(true);
  m_name = new QLineEdit(initial, this);
  m_name->setObjectName(QStringLiteral("name"));
  m_name->selectAll();
  label->setBuddy(m_name);

  auto* buttons = OkCancelButtons(this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_name);
  layout->addWidget(buttons);
}

QString CNameEntryDialog::Name() const { return m_name->text(); }
