#include "ui/dialogs/exchange/import_dialog.h"

#include "ui/widgets/dialog_buttons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"読み込み"_s;
const QString kNewDeck = u"新しいカードファイル"_s;
const QString kAppend = u"開いているファイルに追加"_s;
const QString kLeaveOut = u"(読み込まない)"_s;
const QString kSummary = u"%1 件"_s;
// A first value longer than this is cut in the preview.
constexpr int kSampleChars = 24;

QString Sample(const QString& text) {
  QString one = text;
  one.replace(u"\r\n"_s, u" "_s);
  return one.size() > kSampleChars ? one.left(kSampleChars) + u'…' : one;
}

}  // namespace

CImportDialog::CImportDialog(const QString& fileName, CExchangeFormat format, const QStringList& sheets,
                             const QStringList& items, Reader read, QWidget* parent)
    : QDialog(parent), m_format(format), m_items(items), m_read(std::move(read)) {
  setWindowTitle(kTitle);
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* file = new QLabel(fileName, page);
  file->setWordWrap(true);
  layout->addWidget(file);

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  auto* targets = new QWidget(page);
  auto* targetLayout = new QVBoxLayout(targets);
  targetLayout->setContentsMargins(0, 0, 0, 0);
  m_target = new QButtonGroup(this);
  auto* newDeck = new QRadioButton(kNewDeck, targets);
  auto* append = new QRadioButton(kAppend, targets);
  m_target->addButton(newDeck, 0);
  m_target->addButton(append, 1);
  targetLayout->addWidget(newDeck);
  targetLayout->addWidget(append);
  newDeck->setChecked(true);
  append->setEnabled(!items.isEmpty());
  form->addRow(u"読み込み先"_s, targets);

  if (format == CExchangeFormat::kXlsx || format == CExchangeFormat::kOds) {
    m_sheet = new QComboBox(page);
    m_sheet->addItems(sheets);
    form->addRow(u"シート"_s, m_sheet);
  }
  if (format == CExchangeFormat::kDelimited) {
    m_separator = new QComboBox(page);
    m_separator->addItems({u"自動"_s, u"タブ"_s, u"カンマ"_s, u"セミコロン"_s});
    form->addRow(u"区切り"_s, m_separator);
    m_encoding = new QComboBox(page);
    m_encoding->addItems({u"自動"_s, u"CP932"_s, u"UTF-8"_s});
    form->addRow(u"文字コード"_s, m_encoding);
  }
  if (format != CExchangeFormat::kVCard) {
    m_firstRow = new QCheckBox(u"1行目を項目名にする"_s, page);
    m_firstRow->setTristate(false);
    form->addRow(m_firstRow);
  }
  layout->addLayout(form);

  m_mapping = new QTableWidget(0, 3, page);
  m_mapping->setObjectName(u"mapping"_s);
  m_mapping->setHorizontalHeaderLabels({u"列"_s, u"最初の値"_s, u"項目"_s});
  m_mapping->verticalHeader()->hide();
  m_mapping->horizontalHeader()->setStretchLastSection(true);
  m_mapping->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_mapping->setSelectionMode(QAbstractItemView::NoSelection);
  layout->addWidget(m_mapping, 1);
  m_summary = new QLabel(page);
  m_summary->setWordWrap(true);
  layout->addWidget(m_summary);
  ScrollingPageAboveButtons(this, page);

  // The first read decides whether the first row holds names; the box shows it.
  Reread();
  if (m_firstRow) {
    m_firstRow->setChecked(m_report.ok && !m_table.names.isEmpty() && m_table.names != NumberedItemNames(int(m_table.names.size())));
    m_firstRowDecided = true;
    connect(m_firstRow, &QCheckBox::toggled, this, [this] { Reread(); });
  }
  connect(m_target, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    // Told by the button: the group may not have moved its check yet.
    if (on) FillMapping(id == 1);
  });
  if (m_sheet) connect(m_sheet, &QComboBox::currentIndexChanged, this, [this] { Reread(); });
  if (m_separator) connect(m_separator, &QComboBox::currentIndexChanged, this, [this] { Reread(); });
  if (m_encoding) connect(m_encoding, &QComboBox::currentIndexChanged, this, [this] { Reread(); });
}

bool CImportDialog::Append() const { return m_target->checkedId() == 1; }

CImportOptions CImportDialog::Options() const {
  CImportOptions options;
  if (m_sheet) options.sheet = m_sheet->currentText();
  if (m_separator) {
    static const QChar kSeparators[] = {QChar(), u'\t', u',', u';'};
    options.separator = kSeparators[std::clamp(m_separator->currentIndex(), 0, 3)];
  }
  if (m_encoding && m_encoding->currentIndex() > 0)
    options.codePage = m_encoding->currentIndex() == 1 ? CodePage::Cp932 : CodePage::Utf8;
  if (m_firstRow && m_firstRowDecided) options.firstRowNames = m_firstRow->isChecked();
  return options;
}

void CImportDialog::Reread() {
  m_report = {};
  m_table = m_read(Options(), &m_report);
  FillMapping(Append());
}

void CImportDialog::FillMapping(bool append) {
  m_mapping->setRowCount(int(m_table.names.size()));
  for (int c = 0; c < m_table.names.size(); ++c) {
    m_mapping->setItem(c, 0, new QTableWidgetItem(m_table.names[c]));
    const QString first = m_table.rows.empty() ? QString() : m_table.rows.front().value(c);
    m_mapping->setItem(c, 1, new QTableWidgetItem(Sample(first)));
    // The boxes stay; only their entries change.
    auto* target = qobject_cast<QComboBox*>(m_mapping->cellWidget(c, 2));
    if (!target) {
      target = new QComboBox(m_mapping);
      m_mapping->setCellWidget(c, 2, target);
    }
    target->clear();
    target->addItem(kLeaveOut);
    if (append) {
      target->addItems(m_items);
      target->setCurrentIndex(int(m_items.indexOf(m_table.names[c])) + 1);
    } else {
      target->addItem(m_table.names[c]);
      target->setCurrentIndex(1);
    }
  }
  m_mapping->resizeColumnsToContents();
  QString summary = m_report.ok ? kSummary.arg(m_table.rows.size()) : m_report.error;
  if (m_report.ok && !m_report.notes.isEmpty()) summary += u'\n' + m_report.notes.join(u'\n');
  m_summary->setText(summary);
}

std::vector<int> CImportDialog::ColumnTargets() const {
  std::vector<int> targets;
  const bool append = Append();
  for (int c = 0; c < m_mapping->rowCount(); ++c) {
    const auto* box = qobject_cast<QComboBox*>(m_mapping->cellWidget(c, 2));
    const int index = box ? box->currentIndex() : 0;
    targets.push_back(index <= 0 ? -1 : append ? index - 1 : c);
  }
  return targets;
}
