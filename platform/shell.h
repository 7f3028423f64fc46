#pragma once

#include <QString>
#include <QStringList>

// Hands a file or an address to the desktop (the browser for a preview, the
// viewer for an item that names a file). Never goes through a command shell.
class IShell {
 public:
  virtual ~IShell() = default;
  // true when the desktop accepted the request.
  virtual bool Open(const QString& pathOrUrl) = 0;
  // A program started with parameters (an item that names one); by default
  // the two handed over as one text.
  virtual bool Run(const QString& program, const QString& parameters) {
    return Open(parameters.isEmpty() ? program : program + u' ' + parameters);
  }
};

// Records what it was asked to open; for tests and velum-cli.
class CRecordingShell final : public IShell {
 public:
  bool Open(const QString& pathOrUrl) override {
    m_opened << pathOrUrl;
    return true;
  }
  const QStringList& Opened() const { return m_opened; }

 private:
  QStringList m_opened;
};
