#include "ui/file_choice.h"

#include "app/file_list.h"
#include "ui/file_select_dialog.h"
#include "ui/velum_application.h"

#include <QFileDialog>

std::optional<QString> ChooseFile(CVelumApp& app, QWidget* parent, const CFileRequest& request) {
  if (request.own) {
    CFileSelectDialog dialog(app, request, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
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
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}
