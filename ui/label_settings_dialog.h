#pragma once

#include "print/print_layout_edit.h"
#include "print/print_request.h"

#include <QDialog>

#include <array>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class CLabelSheetView;

// What is printed on each label and where on the first sheet printing begins.
// The lines name their items, so that items inserted or moved meanwhile keep
// the choice; it lasts while the document is open.
struct CLabelChoice {
  struct Line {
    QString prefix;
    QString item;  // an item name, empty for none
    QString suffix;
    bool operator==(const Line&) const = default;
  };
  std::vector<Line> lines;
  int start = 0;        // from 0
  bool chosen = false;  // false: the default lines for the file's items

  // The label lines for these item names: the chosen ones (an item gone prints
  // its prefix and suffix alone), else the defaults.
  std::vector<CLabelLine> Resolve(const QStringList& names) const;
  static CLabelChoice FromLines(const std::vector<CLabelLine>& lines, const QStringList& names, int start);
};

// ラベルの設定: the label sheet (labels across and down, their size, gaps and
// the top and left margins), the lines of a label and the start position, with
// a picture of the sheet in which a click chooses the start. The caller reads
// Sheet() and Choice() after exec().
class CLabelSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kLines = 5;

  // narrow: one field a row, and a label's lines below their headings.
  CLabelSettingsDialog(const QStringList& items, const CLabelSheet& sheet, const CLabelChoice& choice, bool narrow,
                       QWidget* parent = nullptr);
  CLabelSettingsDialog(const CLabelSettingsDialog&) = delete;
  CLabelSettingsDialog& operator=(const CLabelSettingsDialog&) = delete;

  CLabelSheet Sheet() const;
  CLabelChoice Choice() const;
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
  QSpinBox* m_start;
  CLabelSheetView* m_view;
};
