#pragma once

#include "exchange/exchange_file.h"

#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

// 読み込み: where a file's rows go (a new card file or the open one), the
// sheet, separator and encoding that read it, and which item each of its
// columns fills, shown with the column's first value; the user may change
// each before OK. The dialog reads nothing itself: read gives the table for
// the options chosen.
class CImportDialog final : public QDialog {
  Q_OBJECT

 public:
  using Reader = std::function<CExchangeTable(const CImportOptions&, CExchangeReport*)>;
  // items: the open deck's item names (empty: nothing to append to).
  CImportDialog(const QString& fileName, CExchangeFormat format, const QStringList& sheets, const QStringList& items,
                Reader read, QWidget* parent);
  CImportDialog(const CImportDialog&) = delete;
  CImportDialog& operator=(const CImportDialog&) = delete;

  bool Append() const;
  const CExchangeTable& Table() const { return m_table; }
  const CExchangeReport& Report() const { return m_report; }
  // For each column: the item of the open deck it fills (append), or its own
  // new item (any value >= 0, new deck); -1 leaves it out.
  std::vector<int> ColumnTargets() const;

 private:
  void Reread();
  void FillMapping(bool append);
  CImportOptions Options() const;

  CExchangeFormat m_format;
  QStringList m_items;
  Reader m_read;
  CExchangeTable m_table;
  CExchangeReport m_report;
  QButtonGroup* m_target = nullptr;
  QComboBox* m_sheet = nullptr;
  QComboBox* m_separator = nullptr;
  QComboBox* m_encoding = nullptr;
  QCheckBox* m_firstRow = nullptr;
  QTableWidget* m_mapping = nullptr;
  QLabel* m_summary = nullptr;
  bool m_firstRowDecided = false;  // until then the reader decides by the first row
};
