#pragma once

#include "platform/clipboard.h"
#include "platform/prompt.h"
#include "platform/shell.h"

#include <QPointer>
#include <QTextStream>
#include <QWidget>

// The window's forms of the platform services: message boxes, the desktop
// clipboard and the desktop's opener. Under automation the scripted forms
// below take their place.

class CMessageBoxPrompt final : public IPrompt {
 public:
  void SetParent(QWidget* parent) { m_parent = parent; }
  void Notice(const QString& text) override;
  bool Question(const QString& text) override;
  bool YesNo(const QString& text) override;
  Choice YesNoCancel(const QString& text) override;
  void BeginWait() override;
  void EndWait() override;

 private:
  QPointer<QWidget> m_parent;
};

class CQtClipboard final : public IClipboard {
 public:
  QString Text() const override;
  void SetText(const QString& text) override;
};

// Opens through QDesktopServices: a URL as it is, anything else as a local file.
class CDesktopShell final : public IShell {
 public:
  bool Open(const QString& pathOrUrl) override;
  // The program started directly with the parameters split as words; never a shell.
  bool Run(const QString& program, const QString& parameters) override;
};

// Automation: answers from the queue, prints the transcript line of every box.
class CTranscriptPrompt final : public CScriptedPrompt {
 public:
  explicit CTranscriptPrompt(QTextStream& out) : m_out(out) {}

 protected:
  void OnShown(const Shown& shown) override;

 private:
  QTextStream& m_out;
};

// Automation: records and prints "opened: URL".
class CTranscriptShell final : public IShell {
 public:
  explicit CTranscriptShell(QTextStream& out) : m_out(out) {}
  bool Open(const QString& pathOrUrl) override;

 private:
  QTextStream& m_out;
};
