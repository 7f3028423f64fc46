// What the file commands run: the new list's choice, the file's properties,
// the preview in a browser and its settings. Each registers its handler at
// start; the dialogs are in their own files beside this one.

#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "html/html_preview.h"
#include "html/html_settings.h"
#include "ui/dialogs/file/browser_dialog.h"
#include "ui/dialogs/file/file_properties_dialog.h"
#include "ui/dialogs/file/new_list_dialog.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/widgets/file_choice.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

namespace {

const CRegisterCommand kPreviewSettingsCommand(cmd::kPreviewSettings, [](CVelumApp& app, CMainWindow& window) {
  CBrowserSettingsDialog dialog(app, &window);
  if (dialog.exec() == QDialog::Accepted)
    CHtmlSettings::Write(app.Settings(), app.Doc().PathName(), dialog.TemplatePath(), dialog.PreviewPath());
  return true;
});
const CRegisterCommand kPreviewCommand(cmd::kPreview, [](CVelumApp& app, CMainWindow&) {
  ShowInBrowser(app.Doc());
  return true;
});

const CRegisterCommand kFilePropertiesCommand(cmd::kFileProperties, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  const CVelumProperty& fp = doc.Store().FileProperty();
  const CFilePropertiesDialog::Values before{doc.Store().FirstLineIsItems(), fp.m_msCsv != 0, fp.m_backColor};
  CFilePropertiesDialog dialog(doc.PathName(), before, app.Settings(), app.Screen(), &window);
  FitToScreen(dialog, app.Screen());
  const bool ok = dialog.exec() == QDialog::Accepted;
  window.activateWindow();
  if (!ok) return true;
  const CFilePropertiesDialog::Values after = dialog.Result();
  doc.ApplyFileProperties(after.msCsv, after.backColor, after.firstLineIsItems);
  // A changed first line lays the card out again through its hint; otherwise
  // the card is built again here for its new background.
  if (after.firstLineIsItems == before.firstLineIsItems) window.CardView().RebuildCard();
  return true;
});

// 新規作成: after the question about unsaved changes, the choice of a starting
// point; the window then shows the new list's first card.
bool NewList(CVelumApp& app, CMainWindow& window) {
  if (!window.SaveModified()) return true;
  CNewListDialog dialog(StartingPoints(app.Services().clock.Now().date().year()), app.Prompt(), &window);
  FitToScreen(&dialog, app.Screen());
  if (dialog.exec() != QDialog::Accepted) return true;
  MakeNewList(app.Doc(), dialog.Items());
  window.DocumentReplaced();
  // The cursor waits in the first item of the first card.
  if (window.ListActive()) window.Dispatch(cmd::kSwitchList);
  window.activateWindow();
  window.Dispatch(cmd::kFocusCard);
  window.CardView().FocusItem(0);
  return true;
}

const CRegisterCommand kNewCommand(cmd::kNew, NewList);

}  // namespace
