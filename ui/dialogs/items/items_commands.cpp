// What the item commands run: the item properties, the item names, unifying
// an item, the edit history and inserting a date. Each registers its handler
// at start; the dialogs are in their own files beside this one.

#include "app/frame_command_table.h"
#include "core/card_commands.h"
#include "core/edit_messages.h"
#include "core/item_property_edit.h"
#include "core/velum_doc.h"
#include "formula/formula_advice.h"
#include "settings/settings.h"
#include "ui/dialogs/items/date_insert_dialog.h"
#include "ui/dialogs/items/history_dialog.h"
#include "ui/dialogs/items/item_edit_dialog.h"
#include "ui/dialogs/items/item_property_sheet.h"
#include "ui/dialogs/items/unify_dialog.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/fonts.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

namespace {

// 項目のプロパティ for the focused item of the card view, else the document's
// current item (the listed item of the item list, the list's current column).
bool OpenItemProperties(CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CCardView& card = window.CardView();
  int item = card.FocusedItem();
  if (item < 0) item = doc.CurrentItem();
  if (item < 0 || item >= doc.ItemCount()) return true;

  QStringList names;
  for (int i = 0; i < doc.ItemCount(); ++i) names << doc.Store().Item(i).toString();
  const int dpi = ScreenDpiY();
  const CItemPropSheet::Fonts fonts{
      ArchiveFontFromSettings(settings::ReadFont(app.Settings(), settings::FontSection::Font), dpi),
      ArchiveFontFromSettings(settings::ReadFont(app.Settings(), settings::FontSection::Item), dpi)};
  CItemPropSheet sheet(doc.Store().Property(item), names, fonts, app.Settings(), app.Prompt(), &window);
  // The title names the item, so that no one sets the properties of another.
  sheet.setWindowTitle(QStringLiteral("項目のプロパティ - %1").arg(names[item]));
  const CCardStore& store = doc.Store();
  const int current = doc.CurrentCard();
  sheet.SetFormulaTrial([&store, current](const QString& formula) { return TryFormula(store, current, formula); });
  const bool ok = sheet.exec() == QDialog::Accepted;
  WriteSetting(app.Settings(), window.ListActive() ? settings::kItemPropSheetList : settings::kItemPropSheet,
               std::uint32_t(sheet.ActivePage()));
  if (ok) {
    ApplyItemProperty(doc, item, sheet.Record(), &card);
    card.RebuildCard();
    card.RepositionCard();
  }
  // The window is active again before its item takes the focus back.
  window.activateWindow();
  card.FocusItem(item);
  return true;
}

const CRegisterCommand kItemPropertiesCommand(cmd::kItemProperties, OpenItemProperties);

const CRegisterCommand kEditItemsCommand(cmd::kEditItems, [](CVelumApp& app, CMainWindow& window) {
  CItemEditDialog dialog(app.Doc(), window.CardView().FocusedItem(), app.Screen(), &window);
  dialog.exec();
  window.activateWindow();
  // The card view's controls still stand for the old items: they are built
  // again before any view reads the store with them.
  if (dialog.Changed()) window.CardView().RebuildCard();
  dialog.Finish();
  return true;
});

const CRegisterCommand kUnifyCommand(cmd::kUnify, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  QStringList names;
  for (int i = 0; i < doc.ItemCount(); ++i) names << doc.Store().Item(i).toString();
  // The item being edited, else the one the document last recorded.
  const int focused = window.CardView().FocusedItem();
  CUnifyDialog dialog(names, focused >= 0 ? focused : doc.CurrentItem(), &window);
  FitToScreen(dialog, app.Screen());
  const bool ok = dialog.exec() == QDialog::Accepted;
  // Where closing a dialog leaves no window active (a bare display server),
  // the window takes the keys again.
  window.activateWindow();
  if (ok) UnifyItem(doc, dialog.Item(), dialog.Text());
  return true;
});

const CRegisterCommand kEditHistoryCommand(cmd::kEditHistory, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CCardView& view = window.CardView();
  const int item = window.ListActive() ? -1 : view.FocusedItem();
  QStringList texts;
  if (!EditHistory(doc, item, &texts)) return true;
  CHistoryDialog dialog(texts, &window);
  FitToScreen(dialog, app.Screen());
  QString chosen;
  const bool ok = dialog.exec() == QDialog::Accepted && dialog.Chosen(&chosen);
  window.activateWindow();
  if (!ok) return true;
  if (ChooseHistoryText(doc, item, chosen)) view.ShowItem(item);
  view.FocusItem(item);
  return true;
});

const CRegisterCommand kInsertDateCommand(cmd::kInsertDate, [](CVelumApp& app, CMainWindow& window) {
  CDateInsertDialog dialog(app, &window);
  if (dialog.exec() == QDialog::Accepted) window.CardView().InsertText(dialog.Text());
  return true;
});

}  // namespace
