#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// The keys the key map offers, in the order the customisation dialog lists
// them (78 entries): F1-F12, "@", A-Z, the editing and cursor keys, 0-9 and
// NUMPAD0-NUMPAD9, each with its virtual-key code.
struct CKeyName {
  std::uint32_t keyCode;
  QString name;
};
const std::vector<CKeyName>& KeyNames();

// The name of a key code; empty for a code not in the table.
QString KeyNameOf(std::uint32_t keyCode);

// "Alt+", "Shift+" and "Ctrl+" for the modifiers held (always in this order),
// then the key's name: Alt+Ctrl+F.
QString KeyLabel(std::uint32_t keyCode, bool alt, bool shift, bool ctrl);
