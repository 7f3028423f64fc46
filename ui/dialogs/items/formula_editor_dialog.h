#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

// 計算式エディタ: the formula with the document's item names, the item
// reference, operator and function insertions. Formula() after OK.
class CFormulaEditorDialog final : public QDialog {
  Q_OBJECT

 public:
  CFormulaEditorDialog(const QString& formula, const QStringList& itemNames, QWidget* parent = nullptr);
  CFormulaEditorDialog(const CFormulaEditorDialog&) = delete;
  CFormulaEditorDialog& operator=(const CFormulaEditorDialog&) = delete;

  QString Formula() const;

 private:
  // The text replaces the field's selection (it goes in at the caret), and
  // the field has the focus again.
  void Insert(const QString& text);
  void InsertItem();
  void InsertFunction();

  QLineEdit* m_formula;
  QListWidget* m_items;
};
