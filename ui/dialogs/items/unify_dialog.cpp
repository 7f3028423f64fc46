#include "ui/dialogs/items/unify_dialog.h"

#include "app/frame_command_table.h"
#include "core/card_commands.h"
#include "core/velum_doc.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/window/command_handlers.h"
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

namespace {

const CRegisterCommand kRegister(cmd::kUnify, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  QStringList names;
  for (int i = 0; i < doc.ItemCount(); ++i) names << doc.Store().Item(i).toString();
  // The item being edited, else the one the document last recorded.
  const int focused = window.CardView().FocusedItem();
  CUnifyDialog dialog(names, focused >= 0 ? focused : doc.CurrentItem(), &window);
  FitToScreen(dialog, app.Screen());
  const bool ok = dialog.exec() == QDialog::Accepted;
  // Where closing a dialog leaves no window active (a bare display server),
  // the window takes the keys again.
  window.activateWindow();
  if (ok) UnifyItem(doc, dialog.Item(), dialog.Text());
  return true;
});

}  // namespace
