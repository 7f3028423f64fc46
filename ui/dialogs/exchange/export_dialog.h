#pragma once

#include "exchange/vcard_writer.h"

#include <QDialog>

class QButtonGroup;

// 書き出し: the format (vCard 3.0, vCard 4.0 or a sheet, .xlsx) and which
// cards: the visible ones, or the rows selected in the list when there are
// several.
class CExportDialog final : public QDialog {
  Q_OBJECT

 public:
  enum Format { kVCard30, kVCard40, kXlsx };
  CExportDialog(int visible, int selected, QWidget* parent);
  CExportDialog(const CExportDialog&) = delete;
  CExportDialog& operator=(const CExportDialog&) = delete;

  Format ChosenFormat() const;
  bool SelectedOnly() const;

 private:
  QButtonGroup* m_format = nullptr;
  QButtonGroup* m_scope = nullptr;
};
