#include "ui/dialogs/file/file_properties_dialog.h"

#include "core/velum_doc.h"
#include "ui/views/card_view.h"
#include "ui/widgets/color_dialog.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/fonts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The path as a static text that wraps at word boundaries, else anywhere, so
// that a long folder name never makes the dialog wider than a small screen.
class CPathLabel final : public QLabel {
 public:
  using QLabel::QLabel;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override {
    const int inner = std::max(width - 2 * frameWidth(), 1);
    return fontMetrics().boundingRect(QRect(0, 0, inner, 1 << 20), kFlags, text()).height() + 2 * frameWidth();
  }
  QSize sizeHint() const override {
    const int width = std::min(fontMetrics().horizontalAdvance(text()), 40 * fontMetrics().averageCharWidth()) +
                      2 * frameWidth() + 1;
    return {width, heightForWidth(width)};
  }
  // The height the width needs comes through heightForWidth.
  QSize minimumSizeHint() const override {
    return {8 * fontMetrics().averageCharWidth(), fontMetrics().height() + 2 * frameWidth()};
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), kFlags, text());
  }

 private:
  static constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere;
};

}  // namespace

CFilePropertiesDialog::CFilePropertiesDialog(const QString& path, const Values& values, CSettingsStore& settings,
                                             QSize screen, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_screen(screen), m_backColor(values.backColor) {
  setWindowTitle(QStringLiteral("ファイルのプロパティ"));
  auto* pathLabel = new CPathLabel(path, this);
  pathLabel->setObjectName(QStringLiteral("path"));
  pathLabel->setFrameShape(QFrame::StyledPanel);
  pathLabel->setToolTip(path);

  m_firstLine = new QCheckBox(QStringLiteral("一行目を項目カードとする(&F)"), this);
  m_firstLine->setChecked(values.firstLineIsItems);
  m_msCsv = new QCheckBox(QStringLiteral("Microsoft CSV形式(&M)"), this);
  m_msCsv->setChecked(values.msCsv);
  m_color = new QPushButton(QStringLiteral("背景色(&B)..."), this);
  m_color->setAutoDefault(false);
  connect(m_color, &QPushButton::clicked, this, [this] {
    if (ChooseColor(this, m_settings, &m_backColor, m_screen)) ShowColor();
  });
  ShowColor();

  auto* buttons = OkCancelButtons(this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pathLabel);
  layout->addWidget(m_firstLine);
  layout->addWidget(m_msCsv);
  auto* colorRow = new QHBoxLayout;
  colorRow->addWidget(m_color);
  colorRow->addStretch();
  layout->addLayout(colorRow);
  layout->addStretch();
  layout->addWidget(buttons);
}

void CFilePropertiesDialog::ShowColor() {
  // The button carries a swatch of the colour chosen so far.
  const int side = m_color->fontMetrics().height();
  QPixmap swatch(side, side);
  swatch.fill(ColorFromRef(m_backColor));
  m_color->setIcon(QIcon(swatch));
}

CFilePropertiesDialog::Values CFilePropertiesDialog::Result() const {
  return {m_firstLine->isChecked(), m_msCsv->isChecked(), m_backColor};
}
