#pragma once

#include "core/save_form.h"

#include <QWidget>

class QComboBox;
class QLabel;

// The part of 名前を付けて保存 beside the name: the encoding (UTF-8 (BOM付き),
// UTF-8, シフトJIS), the line ends and the form of the card file, each with
// the document's own form chosen first, and a line that says what the chosen
// form is for.
class CSaveFormBox final : public QWidget {
  Q_OBJECT

 public:
  CSaveFormBox(const CSaveForm& form, QWidget* parent = nullptr);
  CSaveFormBox(const CSaveFormBox&) = delete;
  CSaveFormBox& operator=(const CSaveFormBox&) = delete;

  // The form chosen.
  CSaveForm Form() const;

 private:
  void ShowExplanation();

  CSaveForm m_form;
  QComboBox* m_encoding;
  QComboBox* m_lineEnd;
  QComboBox* m_style;
  QLabel* m_explanation;
};

// The one-line explanation of a form, as the box shows it, and the longer one
// of its tip.
QString SaveStyleExplanation(bool multiLine);
QString SaveStyleDetail(bool multiLine);
