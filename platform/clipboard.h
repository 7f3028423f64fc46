#pragma once

#include <QString>

// The clipboard holds Unicode text. The application uses the desktop clipboard;
// tests and velum-cli use the in-memory one.
class IClipboard {
 public:
  virtual ~IClipboard() = default;
  virtual QString Text() const = 0;
  virtual void SetText(const QString& text) = 0;
};

class CMemoryClipboard final : public IClipboard {
 public:
  QString Text() const override { return m_text; }
  void SetText(const QString& text) override { m_text = text; }

 private:
  QString m_text;
};
