#pragma once

#include <QDialog>

class QLabel;
class QListWidget;

// 関数: the catalog's categories and functions; a selected function shows its
// call with the argument hint and its description. FunctionName() after OK.
class CFunctionDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CFunctionDialog(QWidget* parent = nullptr);
  CFunctionDialog(const CFunctionDialog&) = delete;
  CFunctionDialog& operator=(const CFunctionDialog&) = delete;

  // The selected function's name; empty with none.
  QString FunctionName() const;

 private:
  void FillFunctions();
  void ShowFunction();

  QListWidget* m_categories;
  QListWidget* m_functions;
  QLabel* m_call;
  QLabel* m_description;
};
