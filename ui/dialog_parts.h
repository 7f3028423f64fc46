#pragma once

#include <QString>
#include <vector>

class CCardStore;
class QDialog;
class QDialogButtonBox;
class QListWidget;
class QWidget;

// Pieces the find, sort, filter and summary dialogs share.

// A list of the store's item names in item order.
QListWidget* NewItemNameList(const CCardStore& store, QWidget* parent);
// The confirm button (okText) and "ｷｬﾝｾﾙ", wired to accept and reject.
QDialogButtonBox* NewConfirmButtons(QDialog* dialog, const QString& okText);
// "OK" alone, wired to accept.
QDialogButtonBox* NewOkButton(QDialog* dialog);
// The selected rows of a list in row order, or its current row when none is
// selected; empty when there is neither.
std::vector<int> ChosenRows(const QListWidget& list);
// Lays out a dialog as its content above its buttons and keeps it within the
// main window: when the window is smaller than the content (a 240x320 screen),
// the content scrolls while the buttons stay in view.
void LayOutDialog(QDialog* dialog, QWidget* content, QWidget* buttons);
