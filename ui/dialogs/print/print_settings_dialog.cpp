#include "ui/dialogs/print/print_settings_dialog.h"

#include "print/print_request.h"
#include "records/print_layout_edit.h"
#include "render/print_font.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/font_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

QListWidgetItem* ItemEntry(const QString& name, int item) {
  auto* entry = new QListWidgetItem(name);
  entry->setData(Qt::UserRole, item);
  return entry;
}

}  // namespace


CPrintSettingsDialog::CPrintSettingsDialog(const QStringList& items, const CPrintProp& layout,
                                           const CPrintExtras& extras, bool narrow, QWidget* parent)
    : QDialog(parent),
      m_layout(layout),
      m_extras(extras),
      m_items(items),
      m_page(new QWidget),
      m_printedBefore(PrintedItems(layout, int(items.size()))) {
  setWindowTitle(QStringLiteral("印刷の設定"));
  QWidget* page = m_page;

  m_form = new QComboBox(page);
  m_form->addItems({QStringLiteral("一覧表"), QStringLiteral("カード")});
  m_form->setCurrentIndex(layout.m_form == kPrintFormCards ? 1 : 0);
  auto* formLabel = new QLabel(QStringLiteral("形式(&F):"), page);
  formLabel->setBuddy(m_form);

  // Items not printed in item order on the left, the printed ones in print order on the right.
  m_unprinted = new QListWidget(page);
  m_printed = new QListWidget(page);
  for (int item : m_printedBefore) m_printed->addItem(ItemEntry(items[item], item));
  for (int i = 0; i < items.size(); ++i)
    if (std::find(m_printedBefore.begin(), m_printedBefore.end(), i) == m_printedBefore.end())
      m_unprinted->addItem(ItemEntry(items[i], i));
  for (QListWidget* list : {m_unprinted, m_printed}) {
    list->setMinimumHeight(fontMetrics().height() * 4);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
  }
  auto* unprintedLabel = new QLabel(QStringLiteral("項目(&M):"), page);
  unprintedLabel->setBuddy(m_unprinted);
  auto* printedLabel = new QLabel(QStringLiteral("印刷する項目(&I):"), page);
  printedLabel->setBuddy(m_printed);
  auto* add = new QPushButton(QStringLiteral("追加(&A) →"), page);
  auto* remove = new QPushButton(QStringLiteral("← 外す(&E)"), page);
  auto* up = new QPushButton(QStringLiteral("上へ(&U)"), page);
  auto* down = new QPushButton(QStringLiteral("下へ(&D)"), page);
  connect(add, &QPushButton::clicked, this, [this] { Move(m_unprinted, m_printed); });
  connect(remove, &QPushButton::clicked, this, [this] { Move(m_printed, m_unprinted); });
  connect(m_unprinted, &QListWidget::itemDoubleClicked, this, [this] { Move(m_unprinted, m_printed); });
  connect(m_printed, &QListWidget::itemDoubleClicked, this, [this] { Move(m_printed, m_unprinted); });
  connect(up, &QPushButton::clicked, this, [this] { Shift(-1); });
  connect(down, &QPushButton::clicked, this, [this] { Shift(1); });


  auto* fontButton = new QPushButton(QStringLiteral("フォント(&N)..."), page);
  m_fontText = new QLabel(page);
  m_fontText->setObjectName(QStringLiteral("font"));
  connect(fontButton, &QPushButton::clicked, this, &CPrintSettingsDialog::ChooseFont);
  ShowFont();

  m_keisen = new QComboBox(page);
  m_keisen->addItems(RuledLineStyleNames());
  m_keisen->setCurrentIndex(int(std::min<std::uint32_t>(layout.m_keisen, RuledLineStyleNames().size() - 1)));
  auto* keisenLabel = new QLabel(QStringLiteral("罫線(&K):"), page);
  keisenLabel->setBuddy(m_keisen);
  m_sotowaku = new QComboBox(page);
  m_sotowaku->addItems(FrameStyleNames());
  m_sotowaku->setCurrentIndex(int(std::min<std::uint32_t>(layout.m_sotowaku, FrameStyleNames().size() - 1)));
  auto* sotowakuLabel = new QLabel(QStringLiteral("外枠(&W):"), page);
  sotowakuLabel->setBuddy(m_sotowaku);

  // Margins in the order the layout keeps them: left, top, right, bottom.
  const QString marginNames[] = {QStringLiteral("左(&L):"), QStringLiteral("上(&T):"), QStringLiteral("右(&R):"),
                                 QStringLiteral("下(&B):")};
  auto* margins = new QGroupBox(QStringLiteral("余白 (mm)"), page);
  auto* marginGrid = new QGridLayout(margins);
  for (int i = 0; i < 4; ++i) {
    m_margins[i] = new QDoubleSpinBox(margins);
    m_margins[i]->setRange(0, 100);
    m_margins[i]->setDecimals(1);
    m_margins[i]->setValue(layout.m_margins[std::size_t(i)]);
    auto* label = new QLabel(marginNames[i], margins);
    label->setBuddy(m_margins[i]);
    const int perRow = narrow ? 1 : 2;
    marginGrid->addWidget(label, i / perRow, (i % perRow) * 2);
    marginGrid->addWidget(m_margins[i], i / perRow, (i % perRow) * 2 + 1);
  }

  // Made after the others, so that the controls of earlier versions keep their order.
  m_orientation = new QComboBox(page);
  m_orientation->setObjectName(QStringLiteral("orientation"));
  m_orientation->addItems({QStringLiteral("縦"), QStringLiteral("横")});
  m_orientation->setCurrentIndex(extras.landscape ? 1 : 0);
  connect(m_orientation, &QComboBox::currentIndexChanged, this, [this](int index) { m_extras.landscape = index == 1; });
  auto* orientationLabel = new QLabel(QStringLiteral("用紙の向き(&O):"), page);
  orientationLabel->setBuddy(m_orientation);

  // The width of the printed item selected: 自動 sizes its column by what it holds.
  m_width = new QDoubleSpinBox(page);
  m_width->setObjectName(QStringLiteral("width"));
  m_width->setRange(0, kMaxPrintWidthMM);
  m_width->setDecimals(1);
  m_width->setSuffix(QStringLiteral(" mm"));
  m_width->setSpecialValueText(QStringLiteral("自動"));
  auto* widthLabel = new QLabel(QStringLiteral("幅(&H):"), page);
  widthLabel->setBuddy(m_width);
  connect(m_printed, &QListWidget::currentRowChanged, this, &CPrintSettingsDialog::ShowWidth);
  connect(m_width, &QDoubleSpinBox::valueChanged, this, [this](double mm) {
    const QListWidgetItem* entry = m_printed->currentItem();
    if (!entry) return;
    const QString name = m_items.value(entry->data(Qt::UserRole).toInt());
    if (mm > 0)
      m_extras.widths.insert(name, mm);
    else
      m_extras.widths.remove(name);
  });
  connect(m_form, &QComboBox::currentIndexChanged, this, &CPrintSettingsDialog::ShowWidth);
  ShowWidth();

  auto* moveButtons = new QBoxLayout(narrow ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
  moveButtons->addStretch();
  moveButtons->addWidget(add);
  moveButtons->addWidget(remove);
  moveButtons->addStretch();
  auto* widthRow = new QHBoxLayout;
  widthRow->addWidget(widthLabel);
  widthRow->addWidget(m_width, 1);
  auto* orderButtons = new QHBoxLayout;
  orderButtons->addStretch();
  orderButtons->addWidget(up);
  orderButtons->addWidget(down);
  auto* lists = new QGridLayout;
  if (narrow) {
    lists->addWidget(unprintedLabel, 0, 0);
    lists->addWidget(m_unprinted, 1, 0);
    lists->addLayout(moveButtons, 2, 0);
    lists->addWidget(printedLabel, 3, 0);
    lists->addWidget(m_printed, 4, 0);
    lists->addLayout(orderButtons, 5, 0);
    lists->addLayout(widthRow, 6, 0);
  } else {
    lists->addWidget(unprintedLabel, 0, 0);
    lists->addWidget(printedLabel, 0, 2);
    lists->addWidget(m_unprinted, 1, 0);
    lists->addLayout(moveButtons, 1, 1);
    lists->addWidget(m_printed, 1, 2);
    lists->addLayout(orderButtons, 2, 2);
    lists->addLayout(widthRow, 3, 2);
  }

  for (QComboBox* combo : {m_form, m_orientation, m_keisen, m_sotowaku})
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(fontButton);
  fontRow->addWidget(m_fontText, 1);
  m_fontText->setWordWrap(true);

  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->addRow(formLabel, m_form);
  form->addRow(orientationLabel, m_orientation);
  form->addRow(keisenLabel, m_keisen);
  form->addRow(sotowakuLabel, m_sotowaku);

  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addLayout(form);
  pageLayout->addLayout(lists, 1);
  pageLayout->addLayout(fontRow);
  pageLayout->addWidget(margins);
  ScrollingPageAboveButtons(this, page);
}

void CPrintSettingsDialog::Move(QListWidget* from, QListWidget* to) {
  QListWidgetItem* entry = from->takeItem(from->currentRow());
  if (!entry) return;
  if (to == m_printed) {
    to->addItem(entry);
  } else {
    // Back among the others at its place in item order.
    int row = 0;
    while (row < to->count() && to->item(row)->data(Qt::UserRole).toInt() < entry->data(Qt::UserRole).toInt()) ++row;
    to->insertItem(row, entry);
  }
  to->setCurrentItem(entry);
}

void CPrintSettingsDialog::Shift(int by) {
  const int row = m_printed->currentRow();
  const int target = row + by;
  if (row < 0 || target < 0 || target >= m_printed->count()) return;
  QListWidgetItem* entry = m_printed->takeItem(row);
  m_printed->insertItem(target, entry);
  m_printed->setCurrentItem(entry);
}

void CPrintSettingsDialog::ShowWidth() {
  const QListWidgetItem* entry = m_printed->currentItem();
  // Widths are those of a list's columns.
  m_width->setEnabled(entry && m_form->currentIndex() == 0);
  const QSignalBlocker block(m_width);
  m_width->setValue(entry ? m_extras.WidthOf(m_items.value(entry->data(Qt::UserRole).toInt())) : 0);
}

void CPrintSettingsDialog::ChooseFont() {
  CArchiveFont& font = m_layout.m_font;
  CFontDialog dialog(font.faceName, PrintFontPoints(font), font.weight >= 600, font.italic != 0, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const int points = dialog.PointSize();
  if (points != PrintFontPoints(font)) font.height = PrintFontHeight(points);
  font.faceName = dialog.FaceName();
  font.weight = dialog.Bold() ? 700 : 400;
  font.italic = dialog.Italic() ? 1 : 0;
  ShowFont();
}

void CPrintSettingsDialog::ShowFont() {
  const CArchiveFont& font = m_layout.m_font;
  m_fontText->setText(QStringLiteral("%1 %2pt").arg(font.faceName).arg(PrintFontPoints(font)));
}

std::vector<int> CPrintSettingsDialog::Printed() const {
  std::vector<int> items;
  for (int row = 0; row < m_printed->count(); ++row) items.push_back(m_printed->item(row)->data(Qt::UserRole).toInt());
  return items;
}

CPrintProp CPrintSettingsDialog::Result() const {
  CPrintProp layout = m_layout;
  if (m_form->currentIndex() != (m_layout.m_form == kPrintFormCards ? 1 : 0))
    layout.m_form = m_form->currentIndex() == 1 ? kPrintFormCards : kPrintFormList;
  // What the list shows unchanged keeps the stored list as read (an empty one
  // keeps printing every item, those added later too).
  const std::vector<int> printed = Printed();
  if (printed != m_printedBefore) SetPrintedItems(layout, printed);
  if (std::uint32_t(m_keisen->currentIndex()) != std::min<std::uint32_t>(layout.m_keisen, m_keisen->count() - 1))
    layout.m_keisen = std::uint32_t(m_keisen->currentIndex());
  if (std::uint32_t(m_sotowaku->currentIndex()) != std::min<std::uint32_t>(layout.m_sotowaku, m_sotowaku->count() - 1))
    layout.m_sotowaku = std::uint32_t(m_sotowaku->currentIndex());
  for (std::size_t i = 0; i < 4; ++i)
    if (std::abs(m_margins[i]->value() - layout.m_margins[i]) >= 0.05) layout.m_margins[i] = m_margins[i]->value();
  return layout;
}

QSize CPrintSettingsDialog::PreferredSize() const {
  return PreferredDialogSize(*this, *m_page);
}
