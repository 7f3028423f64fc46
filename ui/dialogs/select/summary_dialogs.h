#pragma once

#include "select/totals.h"

#include <QDialog>

#include <array>

// 集計結果: "総数" and one line per distinct text, the first selected. "OK" closes.
class CCountResultDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CCountResultDialog(const CTextCounts& counts, QWidget* parent = nullptr);
  CCountResultDialog(const CCountResultDialog&) = delete;
  CCountResultDialog& operator=(const CCountResultDialog&) = delete;
};

// 合計と平均: the summary's fields, each read-only, in TotalsDialogLabels order.
class CTotalsDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CTotalsDialog(const std::array<QString, kTotalsFieldCount>& fields, QWidget* parent = nullptr);
  CTotalsDialog(const CTotalsDialog&) = delete;
  CTotalsDialog& operator=(const CTotalsDialog&) = delete;
};
