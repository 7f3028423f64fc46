#pragma once

#include <QSize>
#include <QWidget>

// Keeps a dialog within the screen the program lays itself out for: at most
// the screen's size, its pages scrolling when their content is larger.
inline void FitToScreen(QWidget* dialog, const QSize& screen) {
  if (!screen.isValid()) return;
  dialog->setMaximumSize(screen);
  dialog->resize(dialog->sizeHint().boundedTo(screen));
}
