#pragma once

#include <QSize>
#include <QWidget>

// Keeps a dialog inside the screen the window works on (the script's screen
// under automation): no larger than the screen, and at its preferred size
// where that fits: its size hint when preferred is empty; a preferred height
// of 0 takes the height the layout needs at the preferred width (wrapped
// texts). An empty screen means the primary screen's available area.
void FitToScreen(QWidget& dialog, QSize screen, QSize preferred = {});

// Once shown, the window with its frame lies inside the screen's available
// area: made smaller where it must be, moved where it stands out.
void KeepInsideScreen(QWidget& window);

// The size of a dialog whose page scrolls above its buttons that shows the
// whole page: the page's size hint, a vertical scroll bar and the rest of the dialog.
QSize PreferredDialogSize(const QWidget& dialog, const QWidget& page);

// The width a window needs for its title bar to show its whole title.
int TitleWidth(const QWidget& dialog);

// The same for a dialog whose pages scroll: at most the screen's size, its
// size hint where that fits; nothing for an empty screen.
inline void FitToScreen(QWidget* dialog, const QSize& screen) {
  if (!screen.isValid()) return;
  dialog->setMaximumSize(screen);
  dialog->resize(dialog->sizeHint().boundedTo(screen));
}
