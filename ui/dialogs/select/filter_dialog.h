#pragma once

#include <QDialog>

#include <vector>

class CCardStore;
class QButtonGroup;
class QComboBox;
class QListWidget;

// 絞り込み: the items to examine, the word, the condition and the method. The
// word drop-down is refilled each time it opens with the texts of the item that
// has the focus in the item list (over the visible cards for AND, else every
// card). While no card is hidden only "全カードから" can be chosen. The caller
// reads the choice after exec().
class CFilterDialog final : public QDialog {
  Q_OBJECT

 public:
  // method: the method chosen at first (DefaultFilterMethod); filtered: whether
  // the other two methods may be chosen.
  CFilterDialog(const CCardStore& store, int currentItem, int method, bool filtered, QWidget* parent = nullptr);
  CFilterDialog(const CFilterDialog&) = delete;
  CFilterDialog& operator=(const CFilterDialog&) = delete;

  // The selected items, or the focused one when none is selected.
  std::vector<int> Items() const;
  QString Word() const;
  int Condition() const;
  int Method() const;

 private:
  void FillWords();

  const CCardStore& m_store;
  QListWidget* m_items;
  QComboBox* m_word;
  QComboBox* m_condition;
  QButtonGroup* m_methods;
};
