#include "ui/dialogs/print/label_settings_dialog.h"

#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr double kPaperWidth = 210, kPaperHeight = 297;  // A4, the sheet the labels are laid out on

}  // namespace

// The sheet in small: the labels before the start are drawn as used, the start
// filled; a click on a label makes it the start.
class CLabelSheetView final : public QWidget {
 public:
  explicit CLabelSheetView(QWidget* parent) : QWidget(parent) { setMinimumSize(84, 119); }

  void Show(const CLabelSheet& sheet, int start) {
    m_sheet = sheet;
    m_start = start;
    update();
  }
  std::function<void(int)> m_picked;

  QSize sizeHint() const override { return {126, 178}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QRectF paper = Paper();
    p.fillRect(rect(), palette().window());
    p.fillRect(paper, Qt::white);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(paper);
    for (int i = 0; i < m_sheet.across * m_sheet.down; ++i) {
      const QRectF r = Label(i);
      if (!r.intersects(paper)) continue;
      p.setPen(i == m_start ? palette().color(QPalette::Highlight) : palette().color(QPalette::Dark));
      p.setBrush(i < m_start ? palette().color(QPalette::Midlight)
                 : i == m_start ? palette().color(QPalette::Highlight)
                                : QColor(Qt::white));
      p.drawRect(r.intersected(paper));
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    for (int i = 0; i < m_sheet.across * m_sheet.down; ++i)
      if (Label(i).contains(event->position()) && m_picked) m_picked(i);
  }

 private:
  double Scale() const { return std::min((width() - 2) / kPaperWidth, (height() - 2) / kPaperHeight); }
  QRectF Paper() const {
    const double s = Scale();
    return {(width() - kPaperWidth * s) / 2, (height() - kPaperHeight * s) / 2, kPaperWidth * s, kPaperHeight * s};
  }
  QRectF Label(int i) const {
    const double s = Scale();
    const QRectF paper = Paper();
    const int across = std::max(m_sheet.across, 1);
    return {paper.left() + (m_sheet.left + (i % across) * (m_sheet.width + m_sheet.xGap)) * s,
            paper.top() + (m_sheet.top + (i / across) * (m_sheet.height + m_sheet.yGap)) * s, m_sheet.width * s,
            m_sheet.height * s};
  }

  CLabelSheet m_sheet;
  int m_start = 0;
};

namespace {

QDoubleSpinBox* Millimetres(QWidget* parent, double value, double min) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(min, 500);
  box->setDecimals(1);
  box->setSingleStep(0.5);
  box->setValue(value);
  return box;
}

}  // namespace

CLabelSettingsDialog::CLabelSettingsDialog(const QStringList& items, const CLabelSheet& sheet,
                                           const std::vector<CLabelLine>& lines, int start, bool narrow,
                                           QWidget* parent)
    : QDialog(parent), m_items(items), m_page(new QWidget) {
  setWindowTitle(QStringLiteral("ラベルの設定"));
  QWidget* page = m_page;

  auto* sheetBox = new QGroupBox(QStringLiteral("用紙 (A4)"), page);
  m_across = new QSpinBox(sheetBox);
  m_across->setRange(1, 20);
  m_across->setValue(sheet.across);
  m_down = new QSpinBox(sheetBox);
  m_down->setRange(1, 40);
  m_down->setValue(sheet.down);
  m_width = Millimetres(sheetBox, sheet.width, 1);
  m_height = Millimetres(sheetBox, sheet.height, 1);
  m_xGap = Millimetres(sheetBox, sheet.xGap, 0);
  m_yGap = Millimetres(sheetBox, sheet.yGap, 0);
  m_top = Millimetres(sheetBox, sheet.top, 0);
  m_left = Millimetres(sheetBox, sheet.left, 0);
  const std::pair<QString, QWidget*> sheetFields[] = {
      {QStringLiteral("横の枚数(&X):"), m_across},      {QStringLiteral("縦の枚数(&Y):"), m_down},
      {QStringLiteral("幅 mm(&W):"), m_width},          {QStringLiteral("高さ mm(&H):"), m_height},
      {QStringLiteral("横の間隔 mm(&G):"), m_xGap},     {QStringLiteral("縦の間隔 mm(&V):"), m_yGap},
      {QStringLiteral("上の余白 mm(&T):"), m_top},      {QStringLiteral("左の余白 mm(&L):"), m_left},
  };
  auto* sheetGrid = new QGridLayout(sheetBox);
  for (int i = 0; i < int(std::size(sheetFields)); ++i) {
    auto* label = new QLabel(sheetFields[i].first, sheetBox);
    label->setBuddy(sheetFields[i].second);
    const int perRow = narrow ? 1 : 2;
    sheetGrid->addWidget(label, i / perRow, (i % perRow) * 2);
    sheetGrid->addWidget(sheetFields[i].second, i / perRow, (i % perRow) * 2 + 1);
  }
  m_fit = new QLabel(sheetBox);
  m_fit->setObjectName(QStringLiteral("fit"));
  m_fit->setWordWrap(true);
  sheetGrid->addWidget(m_fit, int(std::size(sheetFields)), 0, 1, 4);

  auto* linesBox = new QGroupBox(QStringLiteral("ラベルに印刷する内容"), page);
  auto* linesGrid = new QGridLayout(linesBox);
  linesGrid->addWidget(new QLabel(narrow ? QStringLiteral("前") : QStringLiteral("前に付ける文字"), linesBox), 0, 1);
  linesGrid->addWidget(new QLabel(QStringLiteral("項目"), linesBox), 0, 2);
  linesGrid->addWidget(new QLabel(narrow ? QStringLiteral("後") : QStringLiteral("後に付ける文字"), linesBox), 0, 3);
  for (int i = 0; i < kLines; ++i) {
    const CLabelLine line = i < int(lines.size()) ? lines[std::size_t(i)] : CLabelLine{};
    m_prefixes[i] = new QLineEdit(line.prefix, linesBox);
    m_prefixes[i]->setObjectName(QStringLiteral("prefix%1").arg(i + 1));
    m_lineItems[i] = new QComboBox(linesBox);
    m_lineItems[i]->setObjectName(QStringLiteral("item%1").arg(i + 1));
    m_lineItems[i]->addItem(QStringLiteral("（なし）"));
    m_lineItems[i]->addItems(items);
    m_lineItems[i]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_lineItems[i]->setMinimumContentsLength(narrow ? 3 : 6);
    m_lineItems[i]->setCurrentIndex(line.item >= 0 && line.item < items.size() ? line.item + 1 : 0);
    m_suffixes[i] = new QLineEdit(line.suffix, linesBox);
    m_suffixes[i]->setObjectName(QStringLiteral("suffix%1").arg(i + 1));
    // Continues the line before: a family name and a given name on one line.
    m_joins[i] = new QCheckBox(QStringLiteral("前の行に続ける"), linesBox);
    m_joins[i]->setObjectName(QStringLiteral("join%1").arg(i + 1));
    m_joins[i]->setChecked(i > 0 && line.join);
    m_joins[i]->setEnabled(i > 0);
    for (QLineEdit* e : {m_prefixes[i], m_suffixes[i]}) e->setMinimumWidth(fontMetrics().averageCharWidth() * (narrow ? 3 : 4));
    auto* label = new QLabel(QStringLiteral("%1行目(&%1):").arg(i + 1), linesBox);
    label->setBuddy(m_lineItems[i]);
    // Narrow: the row's name above its fields, which take the whole width.
    const int row = narrow ? 2 * i + 1 : i + 1;
    linesGrid->addWidget(label, row, 0, 1, narrow ? 2 : 1);
    linesGrid->addWidget(m_prefixes[i], narrow ? row + 1 : row, 1);
    linesGrid->addWidget(m_lineItems[i], narrow ? row + 1 : row, 2);
    linesGrid->addWidget(m_suffixes[i], narrow ? row + 1 : row, 3);
    if (narrow)
      linesGrid->addWidget(m_joins[i], row, 2, 1, 2);
    else
      linesGrid->addWidget(m_joins[i], row, 4);
  }
  linesGrid->setColumnStretch(2, 1);

  auto* startBox = new QGroupBox(QStringLiteral("印刷を始める位置"), page);
  m_start = new QSpinBox(startBox);
  auto* startLabel = new QLabel(QStringLiteral("開始位置(&S):"), startBox);
  startLabel->setBuddy(m_start);
  auto* startNote = new QLabel(QStringLiteral("使いかけの用紙は、図の空いているラベルをクリックします。"), startBox);
  startNote->setWordWrap(true);
  m_view = new CLabelSheetView(startBox);
  m_view->m_picked = [this](int i) { m_start->setValue(i + 1); };
  auto* startGrid = new QGridLayout(startBox);
  startGrid->addWidget(startLabel, 0, 0);
  startGrid->addWidget(m_start, 0, 1);
  startGrid->addWidget(startNote, 1, 0, 1, 2);
  if (narrow)
    startGrid->addWidget(m_view, 2, 0, 1, 2);
  else
    startGrid->addWidget(m_view, 0, 2, 3, 1);
  startGrid->setRowStretch(2, 1);
  startGrid->setColumnStretch(1, 1);

  for (QSpinBox* box : {m_across, m_down})
    connect(box, &QSpinBox::valueChanged, this, &CLabelSettingsDialog::SheetChanged);
  for (QDoubleSpinBox* box : {m_width, m_height, m_xGap, m_yGap, m_top, m_left})
    connect(box, &QDoubleSpinBox::valueChanged, this, &CLabelSettingsDialog::SheetChanged);
  connect(m_start, &QSpinBox::valueChanged, this, [this](int) { m_view->Show(Sheet(), m_start->value() - 1); });
  m_start->setRange(1, sheet.across * sheet.down);
  m_start->setValue(start + 1);
  SheetChanged();

  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addWidget(sheetBox);
  pageLayout->addWidget(linesBox);
  pageLayout->addWidget(startBox);
  ScrollingPageAboveButtons(this, page);
}

void CLabelSettingsDialog::SheetChanged() {
  const CLabelSheet sheet = Sheet();
  m_start->setMaximum(sheet.across * sheet.down);
  const double over = SheetOverflow(sheet, kPaperWidth, kPaperHeight);
  m_fit->setText(over > 0 ? QStringLiteral("ラベルが用紙から %1 mm はみ出します。").arg(over, 0, 'f', 1)
                          : QStringLiteral("%1 枚のラベルが用紙に収まります。").arg(sheet.across * sheet.down));
  m_view->Show(sheet, m_start->value() - 1);
}

CLabelSheet CLabelSettingsDialog::Sheet() const {
  return {m_across->value(), m_down->value(), m_width->value(), m_height->value(),
          m_xGap->value(),   m_yGap->value(), m_top->value(),   m_left->value()};
}

std::vector<CLabelLineChoice> CLabelSettingsDialog::Lines() const {
  std::vector<CLabelLineChoice> lines;
  for (int i = 0; i < kLines; ++i) {
    const int item = m_lineItems[i]->currentIndex() - 1;
    CLabelLineChoice line{m_prefixes[i]->text(), item >= 0 ? m_items[item] : QString(), m_suffixes[i]->text(),
                          i > 0 && m_joins[i]->isChecked()};
    if (line.prefix.isEmpty() && line.item.isEmpty() && line.suffix.isEmpty()) continue;
    lines.push_back(line);
  }
  return lines;
}

int CLabelSettingsDialog::Start() const { return m_start->value() - 1; }

QSize CLabelSettingsDialog::PreferredSize() const { return PreferredDialogSize(*this, *m_page); }
