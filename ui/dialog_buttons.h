#pragma once

class QDialog;
class QDialogButtonBox;

// Helpers every dialog of the window shares.

// OK and キャンセル under a dialog, wired to accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// Sizes a dialog to its size hint, at most the size of the outermost window it
// belongs to (the main window, which has the screen's size), at least its
// minimum size hint.
void FitToOwner(QDialog* dialog);
