#pragma once

#include "core/services.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A large card file for the benchmarks: a header line and `cards` cards of 12
// items (番号 氏名 ふりがな 郵便番号 住所 電話 日付 金額 数量 区分 メール メモ) in
// CP932, own style, with quoted and bare items, commas, quotes and line breaks.
// The same count always gives the same bytes.
QByteArray GenerateCardFile(int cards);

// Writes GenerateCardFile(cards) to path; false when it cannot.
bool WriteGeneratedCardFile(const QString& path, int cards);

// The process's peak resident size so far, in KiB.
long PeakRssKb();

// What a benchmark runs with: silent prompts, the system clock, and a settings
// file and the generated card file in a temporary folder.
struct CBenchServices {
  CBenchServices() : settings(dir.filePath(QStringLiteral("velum.reg"))) {}
  // Writes the generated file of `cards` cards into the folder; answers its path.
  QString GeneratedFile(int cards) {
    const QString path = dir.filePath(QStringLiteral("bench.csv"));
    WriteGeneratedCardFile(path, cards);
    return path;
  }

  QTemporaryDir dir;
  CSilentPrompt prompt;
  CSystemClock clock;
  CMemoryClipboard clipboard;
  CRecordingShell shell;
  CSettingsStore settings;
  CServices services{prompt, clock, clipboard, shell, settings, CodePage::Cp932};
};
