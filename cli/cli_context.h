#pragma once

#include "core/services.h"
#include "core/velum_doc.h"
#include "platform/prompt.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>

// Exit codes of velum-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Answers questions from the queued answers (OK by default) and prints every
// text: in batch runs to standard output as the transcript, else to stderr.
class CCliPrompt final : public CScriptedPrompt {
 public:
  explicit CCliPrompt(QTextStream& out) : m_out(&out) {}
  void SetStream(QTextStream& out) { m_out = &out; }

 protected:
  void OnShown(const Shown& s) override;

 private:
  QTextStream* m_out;
};

// What every command shares: the services, the streams and the document.
class CCliContext {
 public:
  CCliContext(const QString& settingsPath, std::optional<CodePage> codePage);

  QTextStream& Out() { return m_out; }
  QTextStream& Err() { return m_err; }
  CCliPrompt& Prompt() { return m_prompt; }
  const CServices& Services() const { return m_services; }
  CVelumDoc& Doc() { return *m_doc; }

  // Opens a card file for a one-shot command: false (with the message on
  // stderr) when it cannot be read.
  bool OpenForCommand(const QString& path);
  // Prints a usage error; answers kExitUsage.
  int Usage(const QString& text);
  // Prints a failure; answers kExitFailed.
  int Fail(const QString& text);

 private:
  QTextStream m_out;
  QTextStream m_err;
  CCliPrompt m_prompt;
  CSystemClock m_clock;
  CMemoryClipboard m_clipboard;
  CRecordingShell m_shell;
  CSettingsStore m_settings;
  CServices m_services;
  std::unique_ptr<CVelumDoc> m_doc;
};

// A command's arguments: options with their values and the other words.
struct CParsedArgs {
  QStringList positional;
  QHash<QString, QString> options;  // flag options map to an empty text
  QString error;                    // set when an option lacks its value
  bool Has(const QString& name) const { return options.contains(name); }
  QString Value(const QString& name) const { return options.value(name); }
};

// valueOptions take the next word as their value, flagOptions stand alone. A
// word that begins with '-' but is neither is an ordinary argument; "--" ends
// the options.
CParsedArgs ParseArgs(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions);

// An item given as its name or as "#N"; -1 when there is none such.
int ResolveItem(const CCardStore& store, const QString& word);
// A card number from 0; -1 when the word is no number.
int ParseCardNumber(const QString& word);

// Printing the cards of a document, as `show` and the batch command do.
void PrintCards(CCliContext& ctx, bool stored, bool json, bool visibleOnly);
