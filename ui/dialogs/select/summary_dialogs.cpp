#include "ui/dialogs/select/summary_dialogs.h"

#include "core/velum_doc.h"
#include "select/select_commands.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/widgets/item_choice_dialog.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

CCountResultDialog::CCountResultDialog(const CTextCounts& counts, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("集計結果"));
  auto* total = new QLineEdit(QString::number(counts.total), this);
  total->setReadOnly(true);
  auto* totalLabel = new QLabel(QStringLiteral("総数(&C):"), this);
  totalLabel->setBuddy(total);
  auto* lines = new QListWidget(this);
  lines->setObjectName(QStringLiteral("counts"));
  QFont fixed = lines->font();
  fixed.setStyleHint(QFont::Monospace);
  fixed.setFamily(QStringLiteral("monospace"));
  lines->setFont(fixed);
  lines->addItems(CountLines(counts));
  if (lines->count() > 0) lines->setCurrentRow(0);
  auto* top = new QHBoxLayout;
  top->addWidget(totalLabel);
  top->addWidget(total, 1);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(lines, 1);
  LayOutDialog(this, content, NewOkButton(this));
}

CTotalsDialog::CTotalsDialog(const std::array<QString, kTotalsFieldCount>& fields, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("合計と平均"));
  auto* form = new QGridLayout;
  const QStringList& labels = TotalsDialogLabels();
  for (int i = 0; i < kTotalsFieldCount; ++i) {
    auto* field = new QLineEdit(fields[size_t(i)], this);
    field->setReadOnly(true);
    field->setAlignment(i == 0 ? Qt::AlignLeft : Qt::AlignRight);
    auto* label = new QLabel(labels[i], this);
    label->setBuddy(field);
    form->addWidget(label, i, 0);
    form->addWidget(field, i, 1);
  }
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  LayOutDialog(this, content, NewOkButton(this));
}
