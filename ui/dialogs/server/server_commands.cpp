#include "app/frame_command_table.h"
#include "ui/window/command_handlers.h"
#include "ui/dialogs/server/document_share.h"
#include "ui/dialogs/server/server_deck_dialog.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include "server/deck_uri.h"

namespace {

bool OpenServerDeck(CVelumApp& app, CMainWindow& window) {
  // The dialog starts from the open deck, else the last deck opened.
  QString start;
  for (const QString& f : app.Recent().Files())
    if (IsDeckUri(f)) {
      start = f;
      break;
    }
  CServerDeckDialog dialog(start, &window);
  if (dialog.exec() != QDialog::Accepted) return true;
  if (!window.SaveModified()) return true;
  CDocumentShare::Of(app, window).OpenDeck(dialog.Uri(), dialog.Password());
  return true;
}

const CRegisterCommand kOpenServerDeckCommand(cmd::kOpenServerDeck, OpenServerDeck);
const CRegisterCommand kSaveOrderCommand(cmd::kSaveOrder, [](CVelumApp& app, CMainWindow& window) {
  CDocumentShare::Of(app, window).SaveOrder();
  return true;
});

}  // namespace
