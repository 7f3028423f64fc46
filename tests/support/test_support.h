#pragma once

#include "core/services.h"
#include "core/velum_doc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A private world for one test: a temporary folder, a settings file inside it,
// a scripted prompt, a fixed clock and an in-memory clipboard.
class CTestWorld {
 public:
  CTestWorld();

  QString Path(const QString& name) const { return m_dir.filePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes) const;
  QByteArray ReadFile(const QString& name) const;

  CScriptedPrompt prompt;
  CFixedClock clock;
  CMemoryClipboard clipboard;
  CRecordingShell shell;
  std::unique_ptr<CSettingsStore> settings;
  std::unique_ptr<CServices> services;

 private:
  QTemporaryDir m_dir;
};

// A view that records the hints it hears and the edits it was asked to store,
// and offers a list selection.
class CRecordingView final : public IDocView {
 public:
  void OnUpdate(IDocView*, std::uint32_t hint) override { hints.push_back(hint); }
  void StoreCard() override { ++stores; }
  std::vector<int> SelectedCards() const override { return selected; }
  std::vector<std::uint32_t> hints;
  std::vector<int> selected;
  int stores = 0;
};

// CP932 bytes of a text (the test fails when the text has no CP932 form).
QByteArray Sjis(const QString& text);

// Runs velum-cli with the arguments and standard input; answers the exit code.
struct CCliRun {
  int exitCode = -1;
  QString out;
  QString err;
};
CCliRun RunCli(const QStringList& args, const QByteArray& input = {}, const QString& settingsPath = {});

// Runs fn in a child process whose files may not grow beyond limit bytes, with
// SIGXFSZ ignored so that a write past the limit fails (EFBIG) as on a full
// disk. Answers the text fn answered; "child died" when it did not end.
QString RunWithFileSizeLimit(qint64 limit, const std::function<QString()>& fn);

// The item texts of every card of the all-cards list.
std::vector<QStringList> CardTexts(const CCardStore& store);

std::ostream& operator<<(std::ostream& os, const QString& s);
