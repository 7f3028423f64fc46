#pragma once

class QDialog;
class QDialogButtonBox;
class QWidget;

// Helpers every dialog of the window shares.

// OK and キャンセル under a dialog, wired to accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// Lays a dialog out as its page, which scrolls up and down on a small screen,
// above OK and キャンセル, which stay in sight.
void ScrollingPageAboveButtons(QDialog* dialog, QWidget* page);

// Sizes a dialog to its size hint, at most the size of the outermost window it
// belongs to (the main window, which has the screen's size), at least its
// minimum size hint.
void FitToOwner(QDialog* dialog);
