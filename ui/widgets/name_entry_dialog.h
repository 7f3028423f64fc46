#pragma once

#include <QDialog>

class QLineEdit;

// The name entry dialog, titled with the program's name: a message line with the
// question, one edit field holding the initial text, OK and キャンセル. The
// caller reads the entered text through Name() after exec().
class CNameEntryDialog final : public QDialog {
  Q_OBJECT

 public:
  CNameEntryDialog(const QString& message, const QString& initial, QWidget* parent = nullptr);
  CNameEntryDialog(const CNameEntryDialog&) = delete;
  CNameEntryDialog& operator=(const CNameEntryDialog&) = delete;

  QString Name() const;

 private:
  QLineEdit* m_name;
};
