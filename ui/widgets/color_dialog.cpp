#include "ui/widgets/color_dialog.h"

#include "settings/settings.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/fonts.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kCustomCount = 16;

std::uint32_t RefFromColor(const QColor& c) {
  return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

}  // namespace

bool ChooseColor(QWidget* parent, CSettingsStore& settings, std::uint32_t* colorRef, QSize screen) {
  // Qt keeps the custom colours for the whole program; they are loaded from
  // the settings each time, so that the settings file stays their one home.
  std::uint32_t custom[kCustomCount];
  for (int i = 0; i < kCustomCount; ++i) {
    custom[i] = settings::ReadCustomColor(settings, i);
    QColorDialog::setCustomColor(i, ColorFromRef(custom[i]));
  }

  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("色の設定"));
  auto* chooser = new QColorDialog(ColorFromRef(*colorRef));
  chooser->setObjectName(QLatin1String(kColorChooserName));
  chooser->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::NoButtons);
  chooser->setWindowFlags(Qt::Widget);
  chooser->setSizeGripEnabled(false);
  auto* scroll = new QScrollArea(&dialog);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(chooser);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  // Escape inside the chooser closes the chooser itself; the dialog goes with it.
  QObject::connect(chooser, &QDialog::rejected, &dialog, &QDialog::reject);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(scroll, 1);
  layout->addWidget(buttons);

  // Whole where the screen has room, scrolled where it has not.
  chooser->ensurePolished();
  if (QLayout* inside = chooser->layout()) inside->activate();
  const QSize inner = chooser->sizeHint().expandedTo(chooser->minimumSize());
  const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const QMargins m = layout->contentsMargins();
  const QSize preferred(inner.width() + m.left() + m.right() + bar,
                        inner.height() + buttons->sizeHint().height() + layout->spacing() + m.top() + m.bottom() + bar);
  FitToScreen(dialog, screen, preferred);

  const bool ok = dialog.exec() == QDialog::Accepted;
  if (ok) *colorRef = RefFromColor(chooser->currentColor());
  for (int i = 0; i < kCustomCount; ++i) {
    const std::uint32_t now = RefFromColor(QColorDialog::customColor(i));
    if (now != (custom[i] & 0xFFFFFFu)) settings::WriteCustomColor(settings, i, now);
  }
  return ok;
}
