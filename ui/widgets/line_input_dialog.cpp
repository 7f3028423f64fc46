#include "ui/widgets/line_input_dialog.h"

#include "ui/widgets/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

CLineInputDialog::CLineInputDialog(const QString& caption, const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  m_edit = new QLineEdit(text, this);
  m_edit->setObjectName(QStringLiteral("text"));
  m_edit->selectAll();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_edit);
  layout->addWidget(OkCancelButtons(this));
  FitToOwner(this);
}

QString CLineInputDialog::Text() const { return m_edit->text(); }
