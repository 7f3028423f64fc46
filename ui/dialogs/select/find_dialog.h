#pragma once

#include <QDialog>
#include <QStringList>

#include <vector>

class CCardStore;
class QCheckBox;
class QComboBox;
class QListWidget;

// カードの検索: the items to search, the word (an editable drop-down over the
// word history, preset to its first entry), the condition and the case option.
// The caller reads the choice after exec().
class CFindDialog final : public QDialog {
  Q_OBJECT

 public:
  CFindDialog(const CCardStore& store, int currentItem, const QStringList& history, bool distinguishCase,
              QWidget* parent = nullptr);
  CFindDialog(const CFindDialog&) = delete;
  CFindDialog& operator=(const CFindDialog&) = delete;

  // The selected items, or the focused one when none is selected.
  std::vector<int> Items() const;
  QString Word() const;
  int Condition() const;
  bool DistinguishCase() const;

 private:
  QListWidget* m_items;
  QComboBox* m_word;
  QComboBox* m_condition;
  QCheckBox* m_case;
};
