#pragma once

#include <QDialog>

#include "formula/formula_advice.h"

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;

// 計算式エディタ: the formula with the document's item names, the item
// reference, operator and function insertions. Formula() after OK. With a
// trial function, the value of the formula on the current card shows under
// it as it is typed, with a plain sentence when that is no result.
class CFormulaEditorDialog final : public QDialog {
  Q_OBJECT

 public:
  using Trial = std::function<CFormulaTrial(const QString& formula)>;
  CFormulaEditorDialog(const QString& formula, const QStringList& itemNames, QWidget* parent = nullptr,
                       Trial trial = {});
  CFormulaEditorDialog(const CFormulaEditorDialog&) = delete;
  CFormulaEditorDialog& operator=(const CFormulaEditorDialog&) = delete;

  QString Formula() const;

 private:
  // The text replaces the field's selection (it goes in at the caret), and
  // the field has the focus again.
  void Insert(const QString& text);
  void InsertItem();
  void InsertFunction();
  void ShowTrial();

  Trial m_trial;
  QLineEdit* m_formula;
  QListWidget* m_items;
  QLabel* m_result = nullptr;
  QLabel* m_advice = nullptr;
};
