#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "japanese/postal_commands.h"
#include "ui/window/command_handlers.h"
#include "ui/dialogs/japanese/postal_choice_dialog.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

namespace {

const QString kNoList = QStringLiteral("郵便番号の一覧を読めません");

// The program's list, or a message why there is none.
const CPostalCodes* Codes(CVelumApp& app) {
  QString error;
  const CPostalCodes& codes = SharedPostalCodes(app.Settings(), &error);
  if (!codes.IsEmpty()) return &codes;
  app.Prompt().Notice(error.isEmpty() ? kNoList : kNoList + u'\n' + error);
  return nullptr;
}

const CRegisterCommand kPostalCheckCommand(cmd::kPostalCheck, [](CVelumApp& app, CMainWindow&) {
  if (const CPostalCodes* codes = Codes(app)) PostalCheckCommand(app.Doc(), *codes);
  return true;
});

const CRegisterCommand kAddressToCodeCommand(cmd::kAddressToCode, [](CVelumApp& app, CMainWindow& window) {
  const CPostalCodes* codes = Codes(app);
  if (!codes) return true;
  AddressToCodeCommand(app.Doc(), *codes, [&](const QStringList& choices) {
    return ChoosePostal(QStringLiteral("郵便番号の選択"), choices, app.Screen(), &window);
  });
  return true;
});

}  // namespace
