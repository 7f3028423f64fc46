#include "ui/dialogs/japanese/ime_composition.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QTextCharFormat>
#include <QWidget>

namespace {

void SendPreedit(QWidget* target, const QString& text) {
  QTextCharFormat underline;
  underline.setFontUnderline(true);
  const QList<QInputMethodEvent::Attribute> attributes{
      {QInputMethodEvent::TextFormat, 0, int(text.size()), underline},
      {QInputMethodEvent::Cursor, int(text.size()), 1, QVariant()}};
  QInputMethodEvent event(text, attributes);
  QCoreApplication::sendEvent(target, &event);
}

}  // namespace

void SendComposition(QWidget* target, const QString& preedit, const QString& commit) {
  for (qsizetype n = 1; n <= preedit.size(); ++n) SendPreedit(target, preedit.first(n));
  if (!commit.isEmpty() && commit != preedit) SendPreedit(target, commit);
  QInputMethodEvent done;
  done.setCommitString(commit);
  QCoreApplication::sendEvent(target, &done);
}
