#pragma once

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "platform/shell.h"
#include "settings/settings_store.h"

#include <optional>

// The services of the platform that the logic uses, handed to the document and
// the store by whoever runs them (the application, velum-cli, a test). They
// outlive everything that refers to them.
struct CServices {
  IPrompt& prompt;
  IClock& clock;
  IClipboard& clipboard;
  IShell& shell;
  CSettingsStore& settings;
  // The code page of files without a byte-order mark; when unset, the setting
  // System/CodePage decides.
  std::optional<CodePage> codePage;
  // Where long opens, saves, recalculations and sorts report progress; none when null.
  IProgress* progress = nullptr;

  CodePage FileCodePage() const;
  // Whether the code page was chosen for good (the command line, or a value of
  // System/CodePage in the settings), so that files without a byte-order mark
  // are read in it even when their text looks like another.
  bool CodePageForced() const;
  IProgress& Progress() const;
};
