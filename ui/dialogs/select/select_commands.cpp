// What sorting, filtering, searching and counting run: each command's
// handler, registered at start. The dialogs are in their own files beside
// this one; the work on the deck is in select/.

#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "select/filter.h"
#include "select/find.h"
#include "select/select_commands.h"
#include "settings/settings.h"
#include "ui/dialogs/select/filter_dialog.h"
#include "ui/dialogs/select/find_dialog.h"
#include "ui/dialogs/select/multi_sort_dialog.h"
#include "ui/dialogs/select/sort_dialog.h"
#include "ui/dialogs/select/summary_dialogs.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/widgets/item_choice_dialog.h"
#include "ui/window/command_handlers.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <functional>
#include <utility>

namespace {

// After a sort given while the item list is active, its value list keeps the focus.
void RefocusItemList(CMainWindow& window) {
  if (window.ActiveViewName() == u"itemlist") window.ItemList().FocusValueList();
}

const CRegisterCommand kSortCommand(cmd::kSort, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CSortDialog dialog(doc.Store(), doc.CurrentItem(), &window);
  if (dialog.exec() == QDialog::Accepted) SortCommand(doc, dialog.Item(), dialog.Order());
  RefocusItemList(window);
  return true;
});

const CRegisterCommand kMultiSortCommand(cmd::kMultiSort, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CMultiSortDialog dialog(doc.Store(), &window);
  if (dialog.exec() == QDialog::Accepted) MultiSortCommand(doc, dialog.Keys());
  if (window.ActiveViewName() == u"itemlist") window.ItemList().FocusValueList();
  return true;
});

const CRegisterCommand kFilterCommand(cmd::kFilter, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CFilterDialog dialog(doc.Store(), doc.CurrentItem(), DefaultFilterMethod(doc), IsFiltered(doc.Store()),
                       &window);
  if (dialog.exec() == QDialog::Accepted)
    FilterCommand(doc, dialog.Items(), dialog.Condition(), dialog.Word(), dialog.Method());
  return true;
});

const CRegisterCommand kFindCommand(cmd::kFind, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CFindDialog dialog(doc.Store(), doc.CurrentItem(), ReadSearchHistory(app.Settings()),
                     ReadSetting(app.Settings(), settings::kISearch) != 0, &window);
  if (dialog.exec() != QDialog::Accepted) return true;
  const CFoundCard found =
      SearchCommand(doc, dialog.Items(), dialog.Condition(), dialog.Word(), dialog.DistinguishCase());
  if (found.card >= 0 && window.ActiveViewName() == u"card") window.CardView().FocusItem(found.item);
  if (window.ActiveViewName() == u"itemlist") window.ItemList().FocusValueList();
  return true;
});

// The item the summary is about: the document's current item, or the one the
// user picks while the list is the active view, starting from the column the
// cursor is in. -1 when none, -2 when cancelled.
int SummaryItem(CVelumApp& app, CMainWindow& window) {
  if (!window.ListActive()) return app.Doc().CurrentItem();
  const QModelIndex at = window.ListView()->currentIndex();
  CItemChoiceDialog dialog(app.Doc().Store(), at.isValid() ? at.column() : 0, &window);
  if (dialog.exec() != QDialog::Accepted) return -2;
  return dialog.Item();
}

const CRegisterCommand kCountCommand(cmd::kCount, [](CVelumApp& app, CMainWindow& window) {
  const int item = SummaryItem(app, window);
  if (item == -2) return true;
  if (const auto counts = CountCommand(app.Doc(), item)) {
    CCountResultDialog dialog(*counts, &window);
    dialog.exec();
  }
  return true;
});

const CRegisterCommand kTotalsCommand(cmd::kTotals, [](CVelumApp& app, CMainWindow& window) {
  const int item = SummaryItem(app, window);
  if (item == -2) return true;
  if (const auto fields = TotalsCommand(app.Doc(), item)) {
    CTotalsDialog dialog(*fields, &window);
    dialog.exec();
  }
  return true;
});

}  // namespace
