#pragma once

#include <QDialog>

class CCardStore;
class QButtonGroup;
class QListWidget;

// ソート（整列）: one item and one of the four orders. A double tap on an item
// name confirms. The caller reads the choice after exec().
class CSortDialog final : public QDialog {
  Q_OBJECT

 public:
  CSortDialog(const CCardStore& store, int currentItem, QWidget* parent = nullptr);
  CSortDialog(const CSortDialog&) = delete;
  CSortDialog& operator=(const CSortDialog&) = delete;

  // The selected item, -1 when none is.
  int Item() const;
  int Order() const;

 private:
  QListWidget* m_items;
  QButtonGroup* m_orders;
};
