#include "ui/widgets/file_choice.h"

#include "app/file_list.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/file_select_dialog.h"
#include "ui/widgets/save_form_box.h"
#include "ui/window/velum_application.h"

#include <QFileDialog>
#include <QGridLayout>

std::optional<QString> ChooseFile(CVelumApp& app, QWidget* parent, const CFileRequest& request) {
  if (request.own) {
    CFileSelectDialog dialog(app, request, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (request.saveForm) *request.saveForm = dialog.SaveForm();
    return dialog.Path();
  }
  QFileDialog dialog(parent, request.title, request.folder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (request.save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
  } else {
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  QStringList filters;
  for (const CFileFilter& f : ParseFileFilter(request.filter)) filters << f.QtForm();
  dialog.setNameFilters(filters);
  if (!request.defaultExt.isEmpty()) dialog.setDefaultSuffix(request.defaultExt);
  if (!request.name.isEmpty()) dialog.selectFile(request.name);
  // The form goes below the dialog's own rows of name and type.
  CSaveFormBox* formBox = nullptr;
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && request.saveForm) {
    formBox = new CSaveFormBox(*request.saveForm, &dialog);
    grid->addWidget(formBox, grid->rowCount(), 0, 1, grid->columnCount());
  }
  // A small screen shows the whole dialog, the form's rows included.
  FitToScreen(&dialog, app.Screen());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  if (formBox) *request.saveForm = formBox->Form();
  return dialog.selectedFiles().first();
}
