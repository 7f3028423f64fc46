#pragma once

#include "platform/clipboard.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "platform/shell.h"

#include <QElapsedTimer>
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
  Choice OverwriteOrSaveAs(const QString& text) override;
  bool QuestionWithCheck(const QString& text, const QString& check, bool* checked) override;
  void BeginWait() override;
  void EndWait() override;

 private:
  QPointer<QWidget> m_parent;
};

// A progress dialog once a task has run for half a second; the outer task of
// nested ones is shown.
class CProgressDialogProgress final : public IProgress {
 public:
  void SetParent(QWidget* parent) { m_parent = parent; }
  void Begin(const QString& what, qint64 total) override;
  void Step(qint64 done) override;
  void End() override;

 private:
  QPointer<QWidget> m_parent;
  class QProgressDialog* m_dialog = nullptr;
  QElapsedTimer m_clock;
  QString m_what;
  qint64 m_total = 0;
  int m_depth = 0;
};

// Copied cards go as two forms: the tab-separated rows as the text other
// programs paste, their own form under kCardsMime for Velum's paste.
class CQtClipboard final : public IClipboard {
 public:
  static inline const QString kCardsMime = QStringLiteral("application/x-velum-cards");

  QString Text() const override;
  void SetText(const QString& text) override;
  void SetCards(const QString& cards, const QString& sheetRows) override;
  QString Cards() const override;
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
