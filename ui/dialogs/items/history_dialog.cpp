#include "ui/dialogs/items/history_dialog.h"

#include "core/card_commands.h"
#include "core/velum_doc.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CHistoryDialog::CHistoryDialog(const QStringList& texts, QWidget* parent) : QDialog(parent), m_texts(texts) {
  setWindowTitle(QStringLiteral("編集履歴の参照"));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("history"));
  // A text of several lines is listed with its line breaks as they show in an edit.
  for (const QString& t : texts) m_list->addItem(QString(t).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  if (!texts.isEmpty()) m_list->setCurrentRow(0);

  auto* buttons = OkCancelButtons(this);
  connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list, 1);
  layout->addWidget(buttons);
}

bool CHistoryDialog::Chosen(QString* text) const {
  const int row = m_list->currentRow();
  if (row < 0 || row >= m_texts.size() || !m_list->currentItem()->isSelected()) return false;
  *text = m_texts[row];
  return true;
}
