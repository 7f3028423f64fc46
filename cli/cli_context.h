#pragma once

#include "cli/terminal_progress.h"
#include "core/services.h"
#include "core/velum_doc.h"
#include "platform/prompt.h"
#include "server/server_deck.h"

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

// Prints every text: in batch runs to standard output as the transcript, else
// to stderr. Questions take the queued answers; without one, batch answers OK
// (the script says otherwise with "answer"), while a one-shot command answers
// Cancel unless --yes was given, because a question there changes or may lose
// data and nobody is asked.
class CCliPrompt final : public CScriptedPrompt {
 public:
  explicit CCliPrompt(QTextStream& out) : m_out(&out) {}
  void SetStream(QTextStream& out) { m_out = &out; }
  // The progress line to take away before a text is printed.
  void SetProgress(CTerminalProgress* progress) { m_progress = progress; }

 protected:
  void OnShown(const Shown& s) override;

 private:
  QTextStream* m_out;
  CTerminalProgress* m_progress = nullptr;
};

// What every command shares: the services, the streams and the document.
class CCliContext {
 public:
  // assumeYes: --yes, questions of one-shot commands are answered OK.
  CCliContext(const QString& settingsPath, std::optional<CodePage> codePage, bool assumeYes = false);

  QTextStream& Out() { return m_out; }
  QTextStream& Err() { return m_err; }
  CCliPrompt& Prompt() { return m_prompt; }
  const CServices& Services() const { return m_services; }
  CVelumDoc& Doc() { return *m_doc; }

  // Opens a card file for a one-shot command: false (with the path and the
  // system's reason on stderr) when it cannot be read.
  bool OpenForCommand(const QString& path);
  // A server deck (a postgresql:// URI) read into the document for a command
  // or a batch run; false with the reason on stderr. Deck() is then set, and
  // CommitDeck writes the document's changes to the server.
  bool OpenDeck(const QString& uri);
  CServerDeck* Deck() { return m_deck.get(); }
  // The document leaves the server (another file or a new document is opened).
  void DropDeck() { m_deck.reset(); }
  // Commits the changes since the last commit, as the window does when a
  // change is stored: a conflict prints "conflict: CARD ITEM" on stderr and
  // keeps the server's text, or this run's text with --yes. False when the
  // commit failed (the reason on stderr).
  bool CommitDeck();
  // Whether a command may write the card file path: not while another
  // process holds its lock (a window has it open), unless --yes. The holder
  // is named on stderr.
  bool MayWrite(const QString& path);
  // Whether a settings write failed (it was reported on stderr); the run then
  // ends with kExitFailed.
  bool SettingsFailed() const { return m_settingsFailed; }
  bool AssumeYes() const { return m_assumeYes; }
  // Leaves the document to the end of the process instead of freeing it: the
  // system takes a large deck back at once, where freeing it card by card
  // takes long. It stays reachable, so leak checkers do not count it. The
  // context is not used after this.
  void AbandonDocument();
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
  CTerminalProgress m_progress;
  CSettingsStore m_settings;
  bool m_settingsFailed = false;
  bool m_assumeYes;
  CServices m_services;
  std::unique_ptr<CVelumDoc> m_doc;
  std::unique_ptr<CServerDeck> m_deck;
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
// A text on one output line: a line break as \n, a tab as \t, a lone carriage
// return as \r and a backslash as \\.
QString EscapeCell(QStringView text);
