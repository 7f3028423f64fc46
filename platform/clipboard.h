#pragma once

#include <QString>

// The clipboard holds Unicode text. The application uses the desktop clipboard;
// tests and velum-cli use the in-memory one.
class IClipboard {
 public:
  virtual ~IClipboard() = default;
  virtual QString Text() const = 0;
  virtual void SetText(const QString& text) = 0;
  // Copied cards: their own form (one card a line, the internal line form)
  // and the same cards as rows a spreadsheet pastes (tab-separated, the item
  // names first). A clipboard of one text keeps the own form; the desktop's
  // holds both, the rows as its text.
  virtual void SetCards(const QString& cards, const QString& sheetRows) { SetText(cards); }
  // The cards a copy put there in their own form, else the clipboard's text.
  virtual QString Cards() const { return Text(); }
};

// Holds one text: copied cards in their own form. The spreadsheet rows of the
// last copy are kept beside it for those who look (tests).
class CMemoryClipboard final : public IClipboard {
 public:
  QString Text() const override { return m_text; }
  void SetText(const QString& text) override {
    m_text = text;
    m_sheetRows.clear();
  }
  void SetCards(const QString& cards, const QString& sheetRows) override {
    SetText(cards);
    m_sheetRows = sheetRows;
  }
  const QString& SheetRows() const { return m_sheetRows; }

 private:
  QString m_text;
  QString m_sheetRows;
};
