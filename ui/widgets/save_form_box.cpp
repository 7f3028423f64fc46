#include "ui/widgets/save_form_box.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace {

struct CEncodingEntry {
  QString text;
  FileEncoding encoding;
};

// UTF-16 files are written back as they were read; they are offered only to
// a file read in one.
std::vector<CEncodingEntry> EncodingEntries(const FileEncoding& current) {
  std::vector<CEncodingEntry> entries = {
      {QStringLiteral("UTF-8 (BOM付き)"), {CodePage::Utf8, true}},
      {QStringLiteral("UTF-8"), {CodePage::Utf8, false}},
      {QStringLiteral("シフトJIS"), {CodePage::Cp932, false}},
  };
  if (current.codePage == CodePage::Utf16Le || current.codePage == CodePage::Utf16Be)
    entries.push_back({CodePageName(current.codePage), current});
  return entries;
}

const QString kMsStyle = QStringLiteral("Microsoft CSV形式");
const QString kOwnStyle = QStringLiteral("独自形式");

}  // namespace

QString SaveStyleExplanation(bool multiLine) {
  return multiLine ? QStringLiteral("表計算ソフトなど一般のプログラム向け") : QStringLiteral("独自形式を読むプログラム向け");
}

QString SaveStyleDetail(bool multiLine) {
  return multiLine ? QStringLiteral("項目内の改行を引用符の中の改行で保存します。表計算ソフトなど多くのプログラムが読めます")
                   : QStringLiteral("項目内の改行を記号で保存し、1枚のカードを1行にします。この形式を読むプログラムとやりとりするファイル向けです");
}

CSaveFormBox::CSaveFormBox(const CSaveForm& form, QWidget* parent) : QWidget(parent), m_form(form) {
  m_encoding = new QComboBox(this);
  for (const CEncodingEntry& e : EncodingEntries(form.encoding)) {
    m_encoding->addItem(e.text);
    if (e.encoding == form.encoding) m_encoding->setCurrentIndex(m_encoding->count() - 1);
  }
  m_lineEnd = new QComboBox(this);
  for (const LineEnd end : {LineEnd::kCrLf, LineEnd::kLf, LineEnd::kCr}) {
    m_lineEnd->addItem(LineEndName(end), int(end));
    if (end == form.lineEnd) m_lineEnd->setCurrentIndex(m_lineEnd->count() - 1);
  }
  m_lineEnd->setItemData(0, QStringLiteral("Windows の行末"), Qt::ToolTipRole);
  m_lineEnd->setItemData(1, QStringLiteral("Linux と macOS の行末"), Qt::ToolTipRole);
  m_lineEnd->setItemData(2, QStringLiteral("古い Mac の行末"), Qt::ToolTipRole);
  m_style = new QComboBox(this);
  m_style->addItem(kMsStyle);
  m_style->addItem(kOwnStyle);
  m_style->setItemData(0, SaveStyleDetail(true), Qt::ToolTipRole);
  m_style->setItemData(1, SaveStyleDetail(false), Qt::ToolTipRole);
  m_style->setCurrentIndex(form.multiLine ? 0 : 1);
  m_explanation = new QLabel(this);
  QFont small = m_explanation->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  m_explanation->setFont(small);
  connect(m_style, &QComboBox::currentIndexChanged, this, &CSaveFormBox::ShowExplanation);
  ShowExplanation();

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(2);
  auto row = [&](int r, const QString& text, QComboBox* combo) {
    auto* label = new QLabel(text, this);
    label->setBuddy(combo);
    grid->addWidget(label, r, 0);
    grid->addWidget(combo, r, 1);
  };
  row(0, QStringLiteral("文字コード(&E):"), m_encoding);
  row(1, QStringLiteral("改行(&L):"), m_lineEnd);
  row(2, QStringLiteral("形式(&M):"), m_style);
  grid->addWidget(m_explanation, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
}

void CSaveFormBox::ShowExplanation() {
  const bool multiLine = m_style->currentIndex() == 0;
  m_explanation->setText(SaveStyleExplanation(multiLine));
  m_explanation->setToolTip(SaveStyleDetail(multiLine));
}

CSaveForm CSaveFormBox::Form() const {
  CSaveForm form = m_form;
  const auto entries = EncodingEntries(m_form.encoding);
  if (const int i = m_encoding->currentIndex(); i >= 0 && std::size_t(i) < entries.size())
    form.encoding = entries[std::size_t(i)].encoding;
  form.lineEnd = LineEnd(m_lineEnd->currentData().toInt());
  form.multiLine = m_style->currentIndex() == 0;
  return form;
}
