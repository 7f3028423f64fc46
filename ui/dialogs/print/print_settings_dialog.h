#pragma once

#include "records/print_extras.h"
#include "records/print_prop.h"

#include <QDialog>

#include <array>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;

// 印刷の設定: the form, the paper's orientation, the printed items, their
// order and widths, the font, the ruled lines, the outer frame and the margins
// of a print layout. The caller reads Result() and Extras() after exec(): the
// layout and extras given, with what the dialog shows changed and every other
// field as it was.
class CPrintSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  // narrow: the two item lists stand one above the other.
  CPrintSettingsDialog(const QStringList& items, const CPrintProp& layout, const CPrintExtras& extras, bool narrow,
                       QWidget* parent = nullptr);
  CPrintSettingsDialog(const CPrintSettingsDialog&) = delete;
  CPrintSettingsDialog& operator=(const CPrintSettingsDialog&) = delete;

  CPrintProp Result() const;
  const CPrintExtras& Extras() const { return m_extras; }
  // The size that shows everything without scrolling.
  QSize PreferredSize() const;

 private:
  void Move(QListWidget* from, QListWidget* to);
  void Shift(int by);
  void ChooseFont();
  void ShowFont();
  std::vector<int> Printed() const;
  // Shows the width of the printed item selected.
  void ShowWidth();

  CPrintProp m_layout;
  CPrintExtras m_extras;
  QStringList m_items;
  QWidget* m_page;
  std::vector<int> m_printedBefore;
  QComboBox* m_form;
  QComboBox* m_orientation;
  QDoubleSpinBox* m_width;
  QListWidget* m_unprinted;
  QListWidget* m_printed;
  QLabel* m_fontText;
  QComboBox* m_keisen;
  QComboBox* m_sotowaku;
  std::array<QDoubleSpinBox*, 4> m_margins{};
};
