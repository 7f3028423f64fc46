#pragma once

#include "print/print_prop.h"

#include <QDialog>

#include <array>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;

// 印刷の設定: the form, the printed items and their order, the font, the
// ruled lines, the outer frame and the margins of a print layout. The caller
// reads Result() after exec(): the layout given, with what the dialog shows
// changed and every other field as it was.
class CPrintSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  // narrow: the two item lists stand one above the other.
  CPrintSettingsDialog(const QStringList& items, const CPrintProp& layout, bool narrow, QWidget* parent = nullptr);
  CPrintSettingsDialog(const CPrintSettingsDialog&) = delete;
  CPrintSettingsDialog& operator=(const CPrintSettingsDialog&) = delete;

  CPrintProp Result() const;
  // The size that shows everything without scrolling.
  QSize PreferredSize() const;

 private:
  void Move(QListWidget* from, QListWidget* to);
  void Shift(int by);
  void ChooseFont();
  void ShowFont();
  std::vector<int> Printed() const;

  CPrintProp m_layout;
  QWidget* m_page;
  std::vector<int> m_printedBefore;
  QComboBox* m_form;
  QListWidget* m_unprinted;
  QListWidget* m_printed;
  QLabel* m_fontText;
  QComboBox* m_keisen;
  QComboBox* m_sotowaku;
  std::array<QDoubleSpinBox*, 4> m_margins{};
};
