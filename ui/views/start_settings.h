#pragma once

#include <cstdint>

class CSettingsStore;

// The settings the window reads once at start; the settings sheet replaces them.
struct CStartSettings {
  std::uint32_t maxTate = 4;
  std::uint32_t defaultIme = 0;
  std::uint32_t cursorMove = 1;
  std::uint32_t cursorRightMove = 0;
  std::uint32_t itemPosMode = 1;
  std::uint32_t itemWidthMode = 0;
  std::uint32_t comboInit = 1;
  std::uint32_t focusSkip = 1;
  std::uint32_t softKeyMenu = 0;
  void Read(const CSettingsStore& store);
};
