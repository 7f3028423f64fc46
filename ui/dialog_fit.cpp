#include "ui/dialog_fit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

void FitToScreen(QWidget& dialog, QSize screen, QSize preferred) {
  if (!screen.isValid()) {
    const QScreen* s = QGuiApplication::primaryScreen();
    screen = s ? s->availableGeometry().size() : QSize(800, 600);
  }
  QLayout* layout = dialog.layout();
  if (layout) layout->activate();
  dialog.setMaximumSize(screen);
  const QSize hint = dialog.sizeHint();
  QSize wanted(preferred.width() > 0 ? preferred.width() : hint.width(),
               preferred.height() > 0 ? preferred.height() : hint.height());
  wanted = wanted.expandedTo(dialog.minimumSizeHint()).boundedTo(screen);
  if (preferred.height() <= 0 && layout && layout->hasHeightForWidth())
    wanted.setHeight(std::min(std::max(layout->totalHeightForWidth(wanted.width()), 1), screen.height()));
  dialog.resize(wanted);
}
