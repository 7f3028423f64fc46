#pragma once

#include <QString>

#include <functional>
#include <vector>

class CCardStore;
class QDialog;
class QDialogButtonBox;
class QComboBox;
class QListWidget;
class QVBoxLayout;
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

// What the find and filter dialogs ask alike, laid out top to bottom in the
// layout answered: the item list (several may be chosen; the current item
// selected), 全選択 and 全解除 (each handing the focus to the word), the word
// (an editable drop-down that makeWord makes after the list) and the
// condition. *items, *word and *condition receive the controls.
QVBoxLayout* NewSearchControls(QDialog* dialog, const CCardStore& store, int currentItem,
                               const std::function<QComboBox*()>& makeWord, QListWidget** items, QComboBox** word,
                               QComboBox** condition);
