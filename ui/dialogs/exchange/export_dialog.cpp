#include "ui/dialogs/exchange/export_dialog.h"

#include "ui/widgets/dialog_buttons.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

CExportDialog::CExportDialog(int visible, int selected, QWidget* parent) : QDialog(parent) {
  setWindowTitle(u"書き出し"_s);
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);

  auto* formats = new QGroupBox(u"形式"_s, page);
  auto* formatLayout = new QVBoxLayout(formats);
  m_format = new QButtonGroup(this);
  const QString names[] = {u"vCard 3.0"_s, u"vCard 4.0"_s, u"表計算 (.xlsx)"_s};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(names[i], formats);
    m_format->addButton(button, i);
    formatLayout->addWidget(button);
  }
  m_format->button(kVCard30)->setChecked(true);
  layout->addWidget(formats);

  auto* scopes = new QGroupBox(u"カード"_s, page);
  auto* scopeLayout = new QVBoxLayout(scopes);
  m_scope = new QButtonGroup(this);
  auto* all = new QRadioButton(u"表示中のカード (%1 枚)"_s.arg(visible), scopes);
  auto* picked = new QRadioButton(u"選択した行 (%1 枚)"_s.arg(selected), scopes);
  m_scope->addButton(all, 0);
  m_scope->addButton(picked, 1);
  scopeLayout->addWidget(all);
  scopeLayout->addWidget(picked);
  picked->setEnabled(selected > 1);
  (selected > 1 ? picked : all)->setChecked(true);
  layout->addWidget(scopes);
  layout->addStretch(1);
  ScrollingPageAboveButtons(this, page);
}

CExportDialog::Format CExportDialog::ChosenFormat() const { return Format(m_format->checkedId()); }

bool CExportDialog::SelectedOnly() const { return m_scope->checkedId() == 1; }
