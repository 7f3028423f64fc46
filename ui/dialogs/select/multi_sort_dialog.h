#pragma once

#include "records/velum_sort.h"

#include <QDialog>

class CCardStore;
class QComboBox;
class QListWidget;

// 複数キーソート（整列）: keys are appended one at a time ("追加↓" or a double
// tap on an item) from the chosen order and item; the mark "[マーク]" follows
// the items. Keys are only appended. The caller reads Keys() after exec().
class CMultiSortDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CMultiSortDialog(const CCardStore& store, QWidget* parent = nullptr);
  CMultiSortDialog(const CMultiSortDialog&) = delete;
  CMultiSortDialog& operator=(const CMultiSortDialog&) = delete;

  const CVelumSortArray& Keys() const { return m_keys; }

 private:
  void AddKey();

  const CCardStore& m_store;
  CVelumSortArray m_keys;
  QComboBox* m_order;
  QListWidget* m_items;
  QListWidget* m_keyList;
};
