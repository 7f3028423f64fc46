#include "ui/dialogs/file/new_list_dialog.h"

#include "core/velum_doc.h"
#include "platform/prompt.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CNewListDialog::CNewListDialog(std::vector<CStartingPoint> points, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_points(std::move(points)), m_prompt(prompt) {
  setWindowTitle(new_list_msg::kTitle);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("points"));
  for (const CStartingPoint& p : m_points) {
    auto* entry = new QListWidgetItem(p.name, m_list);
    entry->setToolTip(p.description);
  }
  auto* listLabel = new QLabel(new_list_msg::kChoice, this);
  listLabel->setBuddy(m_list);
  m_names = new QPlainTextEdit(this);
  m_names->setObjectName(QStringLiteral("names"));
  m_names->setTabChangesFocus(true);
  m_namesLabel = new QLabel(new_list_msg::kItemsOfPoint, this);
  m_namesLabel->setBuddy(m_names);
  m_namesLabel->setWordWrap(true);

  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(listLabel);
  layout->addWidget(m_list, 2);
  layout->addWidget(m_namesLabel);
  layout->addWidget(m_names, 3);
  LayOutDialog(this, content, NewConfirmButtons(this, new_list_msg::kCreate));

  connect(m_list, &QListWidget::currentRowChanged, this, &CNewListDialog::ShowPoint);
  // A double click on a starting point makes the list at once.
  connect(m_list, &QListWidget::itemActivated, this, [this] {
    if (!m_points[std::size_t(m_list->currentRow())].items.empty()) accept();
  });
  m_list->setCurrentRow(0);
  m_list->setFocus(Qt::OtherFocusReason);
  resize(QSize(360, 400));
}

QString CNewListDialog::Chosen() const {
  const int row = m_list->currentRow();
  return row >= 0 ? m_points[std::size_t(row)].name : QString();
}

void CNewListDialog::ShowPoint(int row) {
  if (row < 0) return;
  const CStartingPoint& p = m_points[std::size_t(row)];
  const bool typed = p.items.empty();
  // Leaving 空のファイル keeps what was typed there for a return.
  if (!m_names->isReadOnly()) m_typed = m_names->toPlainText();
  m_names->setReadOnly(!typed);
  m_namesLabel->setText(typed ? new_list_msg::kTypeNames : new_list_msg::kItemsOfPoint);
  if (typed) {
    m_names->setPlainText(m_typed);
    m_names->setFocus(Qt::OtherFocusReason);
    return;
  }
  QStringList names;
  for (const CStartingItem& item : p.items) names << item.name;
  m_names->setPlainText(names.join(u'\n'));
}

void CNewListDialog::accept() {
  const int row = m_list->currentRow();
  if (row < 0) return;
  const CStartingPoint& p = m_points[std::size_t(row)];
  if (p.items.empty()) {
    QString error;
    m_items = ItemsFromLines(m_names->toPlainText(), &error);
    if (m_items.empty()) {
      m_prompt.Notice(error);
      m_names->setFocus(Qt::OtherFocusReason);
      return;
    }
  } else {
    m_items = p.items;
  }
  QDialog::accept();
}
