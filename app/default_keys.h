#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class CKeyMap;

// The keys desktop users expect, in force wherever the key map leaves them
// free: new, open and save, undo and redo, finding and filtering, and moving
// between cards.
// Key codes are those of the key map (virtual-key codes).

// The command a free key runs, 0 when it is none of them.
std::uint32_t DefaultShortcut(std::uint32_t keyCode, bool alt, bool shift, bool ctrl);

// The label of the key that runs command as the menus show it: the key map's
// binding, else the first built-in key the key map leaves free; none when
// neither reaches the command.
std::optional<QString> ShortcutLabel(const CKeyMap& keys, std::uint32_t command);
