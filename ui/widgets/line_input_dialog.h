#pragma once

#include <QDialog>

class QLineEdit;

// A one-line input: the caller's caption, one field holding the initial text,
// OK and キャンセル. The text is read through Text() after exec().
class CLineInputDialog final : public QDialog {
  Q_OBJECT

 public:
  CLineInputDialog(const QString& caption, const QString& text, QWidget* parent = nullptr);
  CLineInputDialog(const CLineInputDialog&) = delete;
  CLineInputDialog& operator=(const CLineInputDialog&) = delete;

  QString Text() const;

 private:
  QLineEdit* m_edit;
};
