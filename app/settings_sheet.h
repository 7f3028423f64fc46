#pragma once

#include "settings/settings_store.h"

#include <QString>

#include <cstdint>

// The values the settings sheet (設定) edits, read from the store and written
// back value by value: only what the user changed is written.
struct CSettingsSheetValues {
  std::uint32_t mru = 10;
  std::uint32_t maxTate = 4;
  std::uint32_t cursorMove = 1;
  std::uint32_t cursorRightMove = 0;
  std::uint32_t itemPosMode = 1;
  std::uint32_t itemWidthMode = 0;
  std::uint32_t increSearch = 1;
  std::uint32_t cardMargin = 1;
  std::uint32_t labelEditZero = 0;
  std::uint32_t okFrame = 0;
  std::uint32_t ppcOpenDlg = 1;
  std::uint32_t ppcSaveDlg = 0;
  std::uint32_t holidayRules = 0;
  std::uint32_t newFileForm = 1;  // 1 the Microsoft-CSV form, 0 the own form
  bool operator==(const CSettingsSheetValues&) const = default;
};

// Every value from the store with its default; the MRU default follows the
// screen's orientation. The caller puts the values it keeps cached in place
// of MaxTate, CursorMove, CursorRightMove, ItemPosMode and ItemWidthMode.
CSettingsSheetValues ReadSettingsSheet(const CSettingsStore& store, int screenWidth, int screenHeight);

// Writes, in one update of the file, each value that differs between before
// and after; nothing when they are equal. False when the file was not written.
bool WriteSettingsSheetChanges(CSettingsStore& store, const CSettingsSheetValues& before,
                               const CSettingsSheetValues& after);

// A number field's text checked against its range: true with the value, or
// false with the message "%1 から %2 までの整数を入力してください。".
bool CheckRange(const QString& text, int low, int high, std::uint32_t* value, QString* message);
