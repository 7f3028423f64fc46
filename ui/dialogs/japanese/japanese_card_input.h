#pragma once

#include "japanese/reading_capture.h"

#include <QObject>
#include <QString>
#include <QPointer>

#include <vector>

class CCardRow;
class IViewHost;
class QPlainTextEdit;

// What the card view does for Japanese typing beyond storing the text:
// - the reading of a name: the kana typed through the input method into a
//   name item (System/ReadingItems) fill its empty reading item when the
//   name is stored;
// - the address of a postal code: a code of seven digits stored into the
//   code item fills the empty address item, with a choice when the code has
//   several addresses.
// Each fill is one undo step and happens after the store that caused it has
// finished, on the card that was stored (found again by identity).
class CJapaneseCardInput final : public QObject {
  Q_OBJECT

 public:
  CJapaneseCardInput(IViewHost& host, QWidget* dialogParent);

  // Watches an item's edit for input-method compositions.
  void Watch(QPlainTextEdit* edit, int item);
  // The card view stored these items of the visible card.
  void Stored(int card, const std::vector<int>& items);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Fill(const CCardRow* row, int stored, int item, const QString& reading);
  void FillReading(int card, int item, const QString& reading);
  void FillAddress(int card, int item);

  IViewHost& m_app;
  QWidget* m_parent;
  CReadingCapture m_capture;
  QPointer<QPlainTextEdit> m_capturing;  // the edit the capture belongs to
  int m_capturingItem = -1;
};
