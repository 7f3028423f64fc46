#pragma once

#include "print/print_request.h"
#include "records/print_layout_edit.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class CLabelSheetView;

// ラベルの設定: the label sheet (labels across and down, their size, gaps and
// the top and left margins), the lines of a label (each may continue the line
// before) and the start position, with a picture of the sheet in which a
// click chooses the start. The caller reads Sheet(), Lines() and Start()
// after exec().
class CLabelSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kLines = 5;

  // narrow: one field a row, and a label's lines below their headings.
  // lines: the lines shown; start: the first label printed, from 0.
  CLabelSettingsDialog(const QStringList& items, const CLabelSheet& sheet, const std::vector<CLabelLine>& lines,
                       int start, bool narrow, QWidget* parent = nullptr);
  CLabelSettingsDialog(const CLabelSettingsDialog&) = delete;
  CLabelSettingsDialog& operator=(const CLabelSettingsDialog&) = delete;

  CLabelSheet Sheet() const;
  // The lines by item name, rows left empty dropped.
  std::vector<CLabelLineChoice> Lines() const;
  int Start() const;  // from 0
  // The size that shows everything without scrolling.
  QSize PreferredSize() const;

 private:
  void SheetChanged();

  QStringList m_items;
  QWidget* m_page;
  QSpinBox* m_across;
  QSpinBox* m_down;
  QDoubleSpinBox* m_width;
  QDoubleSpinBox* m_height;
  QDoubleSpinBox* m_xGap;
  QDoubleSpinBox* m_yGap;
  QDoubleSpinBox* m_top;
  QDoubleSpinBox* m_left;
  QLabel* m_fit;
  std::array<QLineEdit*, kLines> m_prefixes{};
  std::array<QComboBox*, kLines> m_lineItems{};
  std::array<QLineEdit*, kLines> m_suffixes{};
  std::array<QCheckBox*, kLines> m_joins{};
  QSpinBox* m_start;
  CLabelSheetView* m_view;
};
