// What the settings commands run: the settings sheet and the key map's
// dialog, each handler registered at start.

#include "app/frame_command_table.h"
#include "ui/dialogs/settings/key_customize_dialog.h"
#include "ui/dialogs/settings/settings_sheet.h"
#include "ui/widgets/file_choice.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

namespace {

const CRegisterCommand kSettingsCommand(cmd::kSettings, [](CVelumApp& app, CMainWindow& window) {
  RunSettingsSheet(app, window);
  return true;
});

const CRegisterCommand kKeyCustomizeCommand(cmd::kKeyCustomize, [](CVelumApp& app, CMainWindow& window) {
  CKeyCustomizeDialog dialog(app, window);
  dialog.exec();
  return true;
});

}  // namespace
