#pragma once

// Driving the modal dialogs a command opens: the action runs once the
// dialog's own event loop turns, then the dialog is closed if the action left
// it open, so that a failed check never leaves a test hanging in exec().
#include "core/velum_doc.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QStringList>
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

// The deck the dialogs of finding, sorting and filtering are tried on: names
// that differ in case and where the letters stand, a number column with a
// text and an empty value.
inline const QByteArray kWordCards =
    "name,city,amount\r\n"
    "Alpha,Tokyo,1000\r\n"
    "beta,Osaka,500\r\n"
    "ABle,Tokyo,abc\r\n"
    "Cab,Nagoya,999\r\n"
    "xaby,Osaka,\r\n"
    "dab,tokyo,12\r\n";

// The names of the visible cards, in order, separated by blanks.
inline QString Names(CVelumDoc& doc) {
  QStringList names;
  for (int c = 0; c < doc.VisibleCount(); ++c) names << doc.Store().GetItemText(c, 0).toString();
  return names.join(u' ');
}
