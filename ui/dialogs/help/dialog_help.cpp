#include "ui/dialogs/help/dialog_help.h"

#include "app/help_page.h"
#include "ui/widgets/ui_messages.h"
#include "ui/window/velum_application.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QUrl>

void OpenHelpSection(CVelumApp& app, const QString& anchor) {
  const QString page = HelpPagePath(QApplication::applicationDirPath());
  if (page.isEmpty()) {
    app.Prompt().Notice(ui_msg::kNoHelpPage);
    return;
  }
  QUrl url = QUrl::fromLocalFile(page);
  url.setFragment(anchor);
  if (!app.Services().shell.Open(url.toString())) app.Prompt().Notice(ui_msg::kNoBrowser.arg(page));
}

bool TakeDialogHelpKey(CVelumApp& app, const QKeyEvent& key) {
  if (key.type() != QEvent::KeyPress || key.key() != Qt::Key_F1 || key.modifiers() != Qt::NoModifier) return false;
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  if (!dialog) return false;
  OpenHelpSection(app, HelpAnchorForDialog(dialog->windowTitle()));
  return true;
}
