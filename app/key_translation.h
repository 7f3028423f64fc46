#pragma once

#include <QString>
#include <Qt>

#include <cstdint>

// Between Qt's key events and the virtual-key codes of the key map (the 78
// keys of keys/key_names.h).

// The key map's code of a Qt key; 0 when it is none of the key map's keys.
// Digits with Qt::KeypadModifier are NUMPAD0-9; Return and the keypad's Enter
// are both Enter; Backtab (Shift+Tab) is Tab. "*", "+", "-" and "/" are the
// keypad's codes, the only ones the key map has for them, wherever typed.
// Other modifiers are ignored: they are the caller's Alt, Shift and Ctrl.
std::uint32_t KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// The Qt key (and Qt::KeypadModifier for the keypad's keys) of a key map code;
// {0, {}} for a code the key map does not have.
struct CQtKey {
  int key;
  Qt::KeyboardModifiers modifiers;
};
CQtKey QtKeyFromKeyCode(std::uint32_t keyCode);

// A key press as the key map looks it up: the code, and Alt, Shift and Ctrl
// from the event's modifiers. False when the key is none of the key map's.
struct CKeyPress {
  std::uint32_t keyCode = 0;
  bool alt = false;
  bool shift = false;
  bool ctrl = false;
};
bool KeyPressFromQt(int qtKey, Qt::KeyboardModifiers modifiers, CKeyPress* press);

// A key label as key files spell it ("Ctrl+F", "Shift+Down", "Enter", "F1",
// "Alt+Shift+Ctrl+A", "Ctrl++") -> code and modifiers. The prefixes may come
// in any order; names compare without regard to case. False when the key is
// unknown; the outputs are then left alone.
bool ParseKeyLabel(const QString& label, std::uint32_t* keyCode, bool* alt, bool* shift, bool* ctrl);
