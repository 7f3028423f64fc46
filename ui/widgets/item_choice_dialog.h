#pragma once

#include <QDialog>

class CCardStore;
class QListWidget;

// 項目の選択: one item name, the first selected at start; a double tap confirms.
class CItemChoiceDialog final : public QDialog {
  Q_OBJECT

 public:
  // The item `current` is chosen at first (the first item when it is none).
  explicit CItemChoiceDialog(const CCardStore& store, int current = 0, QWidget* parent = nullptr);
  CItemChoiceDialog(const CItemChoiceDialog&) = delete;
  CItemChoiceDialog& operator=(const CItemChoiceDialog&) = delete;

  // The selected item, -1 when none is.
  int Item() const;

 private:
  QListWidget* m_items;
};
