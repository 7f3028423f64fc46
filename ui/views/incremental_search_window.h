#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

// インクリメンタルサーチ: a modeless window over the bottom of the main window,
// the search text filling its width, then "次候補(&N)" and "閉じる". Every change
// of the text asks the owner to search again (again 0); "次候補" asks for the next
// candidate (again 1). "閉じる" (or Esc) closes and destroys the window.
class CIncrementalSearchWindow final : public QDialog {
  Q_OBJECT

 public:
  using SearchRequest = std::function<void(const QString& text, int again)>;
  CIncrementalSearchWindow(SearchRequest request, QWidget* mainWindow);
  CIncrementalSearchWindow(const CIncrementalSearchWindow&) = delete;
  CIncrementalSearchWindow& operator=(const CIncrementalSearchWindow&) = delete;

  QString Text() const;
  // Appends typed text and puts the caret at the end (the search follows).
  void Append(const QString& text);
  // Lays the window over the bottom of its main window, across its width.
  void PlaceOverBottom();

 private:
  SearchRequest m_request;
  QLineEdit* m_text;
};
