#pragma once

// Driving the modal dialogs a command opens: the action runs once the
// dialog's own event loop turns, then the dialog is closed if the action left
// it open, so that a failed check never leaves a test hanging in exec().
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

template <class D>
void WhenOpen(std::function<void(D&)> act, bool* ran = nullptr) {
  QTimer::singleShot(0, [act = std::move(act), ran] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (ran) *ran = dialog != nullptr;
    if (!dialog) {
      if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) other->reject();
      return;
    }
    act(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
}

// The button (push, radio or check) of a dialog whose text is `text`.
inline QAbstractButton* ButtonOf(QWidget& dialog, const QString& text) {
  for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
    if (b->text() == text) return b;
  return nullptr;
}
