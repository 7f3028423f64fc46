#include "ui/dialogs/postcard/postcard_settings_dialog.h"

#include "ui/dialogs/postcard/postcard_card_view.h"
#include "ui/widgets/dialog_buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kAutomatic = u"（自動）"_s;

// The sender's boxes as the dialog shows them: the left edges in mm, then
// "/" and the top in mm.
QString BoxesText(const CSenderBoxes& b) {
  QStringList lefts;
  for (int left : b.left) lefts << QString::number(left / 10.0, 'f', 1);
  return lefts.join(u' ') + u" / "_s + QString::number(b.top / 10.0, 'f', 1);
}

// The boxes the text names, the width and height kept; the defaults when it
// is not seven edges and a top.
CSenderBoxes BoxesOf(const QString& text, const CSenderBoxes& was) {
  const QStringList halves = text.split(u'/');
  const QStringList lefts = halves.value(0).simplified().split(u' ', Qt::SkipEmptyParts);
  if (halves.size() != 2 || lefts.size() != 7) return {};
  QStringList parts;
  for (const QString& left : lefts) parts << QString::number(std::lround(left.toDouble() * 10));
  parts << QString::number(std::lround(halves[1].trimmed().toDouble() * 10)) << QString::number(was.width)
        << QString::number(was.height);
  return ParseSenderBoxes(parts.join(u','));
}

QDoubleSpinBox* OffsetBox(QWidget* parent, int tenths) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(-kMaxPostcardOffset / 10.0, kMaxPostcardOffset / 10.0);
  box->setDecimals(1);
  box->setSingleStep(0.1);
  box->setSuffix(u" mm"_s);
  box->setValue(tenths / 10.0);
  return box;
}

}  // namespace

CPostcardSettingsDialog::CPostcardSettingsDialog(const QStringList& itemNames, const CPostcardSettings& settings,
                                                 Paint paint, Calibrate calibrate, bool narrow, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_paint(std::move(paint)), m_calibrate(std::move(calibrate)) {
  setWindowTitle(u"はがきの設定"_s);
  auto* tabs = new QTabWidget(this);
  tabs->setUsesScrollButtons(true);
  // Each page scrolls, so that the dialog fits a small screen.
  const auto scrolling = [this](QWidget* page) {
    auto* area = new QScrollArea(this);
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return area;
  };
  tabs->addTab(scrolling(ItemsPage(itemNames)), u"項目"_s);
  tabs->addTab(scrolling(StylePage()), u"書式"_s);
  tabs->addTab(scrolling(SenderPage()), u"差出人"_s);
  tabs->addTab(scrolling(PositionPage()), u"位置"_s);
  m_preview = new CPostcardCardView(this);
  m_preview->setObjectName(u"preview"_s);
  auto* buttons = OkCancelButtons(this);
  auto* layout = new QVBoxLayout(this);
  if (narrow) {
    // A small screen shows the card on a page of its own.
    tabs->addTab(m_preview, u"プレビュー"_s);
    layout->addWidget(tabs, 1);
  } else {
    auto* row = new QHBoxLayout;
    row->addWidget(tabs, 3);
    row->addWidget(m_preview, 2);
    layout->addLayout(row, 1);
  }
  layout->addWidget(buttons);
  resize(narrow ? QSize(240, 320) : QSize(640, 480));
  Refresh();
}

QWidget* CPostcardSettingsDialog::ItemsPage(const QStringList& itemNames) {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  const std::pair<QString, QString CPostcardSettings::*> rows[] = {
      {u"郵便番号(&Z):"_s, &CPostcardSettings::codeItem},     {u"住所1(&1):"_s, &CPostcardSettings::address1Item},
      {u"住所2(&2):"_s, &CPostcardSettings::address2Item},     {u"氏名(&N):"_s, &CPostcardSettings::nameItem},
      {u"姓(&A):"_s, &CPostcardSettings::familyItem},          {u"名(&B):"_s, &CPostcardSettings::givenItem},
      {u"連名(&J):"_s, &CPostcardSettings::jointItem},         {u"敬称(&K):"_s, &CPostcardSettings::honorificItem},
      {u"会社名(&C):"_s, &CPostcardSettings::companyItem},     {u"部署(&D):"_s, &CPostcardSettings::departmentItem},
  };
  for (const auto& [label, member] : rows) {
    auto* combo = new QComboBox(page);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(6);
    combo->addItem(kAutomatic);
    combo->addItems(itemNames);
    const QString chosen = m_settings.*member;
    if (!chosen.isEmpty()) {
      if (combo->findText(chosen) < 0) combo->addItem(chosen);
      combo->setCurrentText(chosen);
    }
    form->addRow(label, combo);
    m_items.emplace_back(combo, member);
    connect(combo, &QComboBox::currentIndexChanged, this, &CPostcardSettingsDialog::Refresh);
  }
  auto* note = new QLabel(u"（自動）は郵便番号、住所・住所1、住所2、氏名・名前、姓、名、連名・連名1〜3、敬称、"
                          "会社名、部署の名前の項目を使います。"_s,
                          page);
  note->setWordWrap(true);
  form->addRow(note);
  return page;
}

QWidget* CPostcardSettingsDialog::StylePage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  m_honorific = new QLineEdit(m_settings.honorific, page);
  m_useHonorificItem = new QCheckBox(u"敬称の項目があればそれを使う(&U)"_s, page);
  m_useHonorificItem->setChecked(m_settings.useHonorificItem);
  m_companyOnchu = new QCheckBox(u"氏名がなく会社名があれば御中(&O)"_s, page);
  m_companyOnchu->setChecked(m_settings.companyOnchu);
  m_numerals = new QComboBox(page);
  m_numerals->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_numerals->setMinimumContentsLength(8);
  m_numerals->addItems({u"一字ずつ (101→一〇一)"_s, u"位取り (101→百一)"_s});
  m_numerals->setCurrentIndex(int(m_settings.numerals));
  m_hyphen = new QComboBox(page);
  m_hyphen->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_hyphen->setMinimumContentsLength(8);
  m_hyphen->addItems({u"ー (1-2→一ー二)"_s, u"の (1-2→一の二)"_s});
  m_hyphen->setCurrentIndex(int(m_settings.hyphen));
  m_face = new QFontComboBox(page);
  m_face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_face->setMinimumContentsLength(8);
  m_face->setWritingSystem(QFontDatabase::Japanese);
  m_face->setCurrentFont(QFont(m_settings.face));
  m_mark = new QLineEdit(m_settings.mark, page);
  form->addRow(u"敬称(&H):"_s, m_honorific);
  form->addRow(m_useHonorificItem);
  form->addRow(m_companyOnchu);
  form->addRow(u"数字(&M):"_s, m_numerals);
  form->addRow(u"ハイフン(&Y):"_s, m_hyphen);
  form->addRow(u"書体(&F):"_s, m_face);
  form->addRow(u"印刷済みの印(&I):"_s, m_mark);
  connect(m_honorific, &QLineEdit::textChanged, this, &CPostcardSettingsDialog::Refresh);
  for (QCheckBox* box : {m_useHonorificItem, m_companyOnchu})
    connect(box, &QCheckBox::toggled, this, &CPostcardSettingsDialog::Refresh);
  for (QComboBox* box : {m_numerals, m_hyphen})
    connect(box, &QComboBox::currentIndexChanged, this, &CPostcardSettingsDialog::Refresh);
  connect(m_face, &QFontComboBox::currentFontChanged, this, &CPostcardSettingsDialog::Refresh);
  return page;
}

QWidget* CPostcardSettingsDialog::SenderPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  m_sender = new QCheckBox(u"差出人を印刷する(&S)"_s, page);
  m_sender->setChecked(m_settings.sender);
  m_senderName = new QLineEdit(m_settings.senderName, page);
  m_senderAddress1 = new QLineEdit(m_settings.senderAddress1, page);
  m_senderAddress2 = new QLineEdit(m_settings.senderAddress2, page);
  m_senderCode = new QLineEdit(m_settings.senderCode, page);
  m_senderBoxes = new QLineEdit(BoxesText(m_settings.senderBoxes), page);
  m_senderBoxes->setToolTip(u"7つの枠の左端と、/ のあとに枠の上端 (はがきの左上からの mm)"_s);
  form->addRow(m_sender);
  form->addRow(u"氏名(&N):"_s, m_senderName);
  form->addRow(u"住所1(&1):"_s, m_senderAddress1);
  form->addRow(u"住所2(&2):"_s, m_senderAddress2);
  form->addRow(u"郵便番号(&Z):"_s, m_senderCode);
  form->addRow(u"枠の位置 mm(&W):"_s, m_senderBoxes);
  connect(m_sender, &QCheckBox::toggled, this, &CPostcardSettingsDialog::Refresh);
  for (QLineEdit* edit : {m_senderName, m_senderAddress1, m_senderAddress2, m_senderCode, m_senderBoxes})
    connect(edit, &QLineEdit::textChanged, this, &CPostcardSettingsDialog::Refresh);
  return page;
}

QWidget* CPostcardSettingsDialog::PositionPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  m_offsetX = OffsetBox(page, m_settings.offsetX);
  m_offsetY = OffsetBox(page, m_settings.offsetY);
  auto* how = new QLabel(u"普通の紙に位置合わせ用紙を印刷し、はがきに重ねて光に透かします。"
                         "印刷された枠がはがきの枠より左にずれていれば横に、上にずれていれば縦に、"
                         "そのずれの mm を足します (右・下が＋)。"_s,
                         page);
  how->setWordWrap(true);
  auto* calibrate = new QPushButton(u"位置合わせ用紙を印刷(&C)..."_s, page);
  calibrate->setAutoDefault(false);
  form->addRow(u"横(&X):"_s, m_offsetX);
  form->addRow(u"縦(&V):"_s, m_offsetY);
  form->addRow(how);
  form->addRow(calibrate);
  for (QDoubleSpinBox* box : {m_offsetX, m_offsetY})
    connect(box, &QDoubleSpinBox::valueChanged, this, &CPostcardSettingsDialog::Refresh);
  connect(calibrate, &QPushButton::clicked, this, [this] {
    if (m_calibrate) m_calibrate(Result(), this);
  });
  return page;
}

CPostcardSettings CPostcardSettingsDialog::Result() const {
  CPostcardSettings s = m_settings;
  for (const auto& [combo, member] : m_items)
    s.*member = combo->currentIndex() == 0 ? QString() : combo->currentText();
  s.honorific = m_honorific->text().trimmed();
  s.useHonorificItem = m_useHonorificItem->isChecked();
  s.companyOnchu = m_companyOnchu->isChecked();
  s.numerals = NumeralStyle(m_numerals->currentIndex());
  s.hyphen = HyphenStyle(m_hyphen->currentIndex());
  s.face = m_face->currentFont().family();
  s.mark = m_mark->text();
  s.sender = m_sender->isChecked();
  s.senderName = m_senderName->text();
  s.senderAddress1 = m_senderAddress1->text();
  s.senderAddress2 = m_senderAddress2->text();
  s.senderCode = m_senderCode->text();
  s.senderBoxes = BoxesOf(m_senderBoxes->text(), m_settings.senderBoxes);
  s.offsetX = int(std::lround(m_offsetX->value() * 10));
  s.offsetY = int(std::lround(m_offsetY->value() * 10));
  return s;
}

void CPostcardSettingsDialog::Refresh() {
  if (!m_preview || !m_paint) return;
  const CPostcardSettings s = Result();
  m_preview->Show([paint = m_paint, s](QPainter& p) { paint(p, s); });
}
