#pragma once

#include "app/file_association.h"
#include "app/recent_files.h"
#include "core/services.h"
#include "core/velum_doc.h"
#include "keys/key_map.h"
#include "platform/clock.h"
#include "settings/settings_store.h"
#include "ui/views/start_settings.h"

#include <QApplication>
#include <QSize>
#include <QString>
#include <QTextStream>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

// The application: the services, the one document, the key map and the recent
// files. The main window is made by the caller (main, a test) on top of it and
// opens the start file (CMainWindow::Start). Under automation (a script given)
// message boxes, the shell and the screen size are the script's.
class CVelumApp {
 public:
  struct Options {
    QString file;                // the card file named on the command line
    QString settingsPath;        // empty: the default place
    QSize screen;                // empty: the primary screen's available size
    QTextStream* script = nullptr;  // the transcript stream under automation
  };
  explicit CVelumApp(const Options& options);
  ~CVelumApp();
  CVelumApp(const CVelumApp&) = delete;
  CVelumApp& operator=(const CVelumApp&) = delete;

  // Start steps after the running-copy check: recent files, file types, key
  // map, the settings cache, the catalog. The window comes next, then the
  // file (CMainWindow::Start).
  bool Start();
  // The card file named on the command line; empty when none was.
  const QString& StartFile() const { return m_options.file; }
  // What registering the file types at start answered.
  const CAssociationResult& Association() const { return m_association; }
  // The window that message boxes and the progress dialog are shown over;
  // null when it is gone.
  void SetDialogParent(QWidget* parent);

  const CServices& Services() const { return *m_services; }
  CSettingsStore& Settings() { return m_settings; }
  CVelumDoc& Doc() { return *m_doc; }
  CKeyMap& KeyMap() { return m_keyMap; }
  CRecentFileList& Recent() { return *m_recent; }
  CStartSettings& Cache() { return m_cache; }
  IPrompt& Prompt() { return *m_prompt; }
  // The prompt of automation; null in a normal run.
  class CTranscriptPrompt* ScriptPrompt() { return m_scriptPrompt; }
  bool Scripted() const { return m_scripted; }
  // The screen size the layout and menu rules read.
  QSize Screen() const;

 private:
  Options m_options;
  bool m_scripted;
  CSettingsStore m_settings;
  std::unique_ptr<IPrompt> m_promptOwner;
  IPrompt* m_prompt;
  class CTranscriptPrompt* m_scriptPrompt = nullptr;
  std::unique_ptr<IShell> m_shell;
  std::unique_ptr<IClipboard> m_clipboard;
  std::unique_ptr<IProgress> m_progress;
  CSystemClock m_clock;
  std::unique_ptr<CServices> m_services;
  std::unique_ptr<CVelumDoc> m_doc;
  CKeyMap m_keyMap;
  std::unique_ptr<CRecentFileList> m_recent;
  CStartSettings m_cache;
  CAssociationResult m_association;
};

// The QApplication of the window. A failed allocation in an event handler
// (a huge text laid out or shaped, a large paste) ends that event instead of
// the program: onOutOfMemory says so, and the window goes on.
class CVelumQApplication final : public QApplication {
 public:
  CVelumQApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
  std::function<void()> onOutOfMemory;

 private:
  bool m_reporting = false;
};
