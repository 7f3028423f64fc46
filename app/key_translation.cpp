#include "app/key_translation.h"

#include "keys/key_names.h"

#include <iterator>

namespace {

// Virtual-key codes the key map uses.
constexpr std::uint32_t kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkNumpad0 = 96, kVkOem3 = 192;

// The keys whose code and Qt key do not follow from a range. Where two Qt keys
// give one code, the first is the one the code turns back into.
struct CPair {
  int qtKey;
  std::uint32_t code;
  bool keypad;
};
constexpr CPair kPairs[] = {
    {Qt::Key_At, kVkOem3, false},      {Qt::Key_Insert, 45, false},   {Qt::Key_Delete, 46, false},
    {Qt::Key_Backspace, kVkBack, false}, {Qt::Key_Return, kVkReturn, false},
    {Qt::Key_Enter, kVkReturn, true},  {Qt::Key_Space, 32, false},    {Qt::Key_PageUp, 33, false},
    {Qt::Key_PageDown, 34, false},     {Qt::Key_End, 35, false},      {Qt::Key_Home, 36, false},
    {Qt::Key_Asterisk, 106, true},     {Qt::Key_Plus, 107, true},     {Qt::Key_Minus, 109, true},
    {Qt::Key_Slash, 111, true},        {Qt::Key_Up, 38, false},       {Qt::Key_Down, 40, false},
    {Qt::Key_Left, 37, false},         {Qt::Key_Right, 39, false},    {Qt::Key_Escape, 27, false},
    {Qt::Key_Tab, kVkTab, false},      {Qt::Key_Backtab, kVkTab, false},
};

}  // namespace

std::uint32_t KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return std::uint32_t(112 + (qtKey - Qt::Key_F1));
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return std::uint32_t(qtKey);  // the same codes
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return modifiers.testFlag(Qt::KeypadModifier) ? kVkNumpad0 + std::uint32_t(qtKey - Qt::Key_0)
                                                  : std::uint32_t(qtKey);
  for (const CPair& p : kPairs)
    if (p.qtKey == qtKey) return p.code;
  return 0;
}

CQtKey QtKeyFromKeyCode(std::uint32_t keyCode) {
  if (keyCode >= 112 && keyCode <= 123) return {int(Qt::Key_F1 + (keyCode - 112)), {}};
  if (keyCode >= 'A' && keyCode <= 'Z') return {int(keyCode), {}};
  if (keyCode >= '0' && keyCode <= '9') return {int(keyCode), {}};
  if (keyCode >= kVkNumpad0 && keyCode <= kVkNumpad0 + 9)
    return {int(Qt::Key_0 + (keyCode - kVkNumpad0)), Qt::KeypadModifier};
  for (const CPair& p : kPairs)
    if (p.code == keyCode && p.qtKey != Qt::Key_Enter)
      return {p.qtKey, p.keypad ? Qt::KeyboardModifiers(Qt::KeypadModifier) : Qt::KeyboardModifiers()};
  return {0, {}};
}

bool KeyPressFromQt(int qtKey, Qt::KeyboardModifiers modifiers, CKeyPress* press) {
  const std::uint32_t code = KeyCodeFromQt(qtKey, modifiers);
  if (code == 0) return false;
  *press = {code, modifiers.testFlag(Qt::AltModifier), modifiers.testFlag(Qt::ShiftModifier),
            modifiers.testFlag(Qt::ControlModifier)};
  return true;
}

bool ParseKeyLabel(const QString& label, std::uint32_t* keyCode, bool* alt, bool* shift, bool* ctrl) {
  static constexpr QStringView kPrefixes[] = {u"Alt+", u"Shift+", u"Ctrl+"};
  bool held[std::size(kPrefixes)] = {};
  QStringView rest(label);
  // A prefix counts only when a key name follows it, so "Ctrl++" is Ctrl and "+".
  for (bool found = true; found;) {
    found = false;
    for (std::size_t i = 0; i < std::size(kPrefixes); ++i) {
      if (rest.size() > kPrefixes[i].size() && rest.startsWith(kPrefixes[i], Qt::CaseInsensitive)) {
        held[i] = true;
        rest = rest.mid(kPrefixes[i].size());
        found = true;
      }
    }
  }
  for (const CKeyName& k : KeyNames()) {
    if (k.name.compare(rest, Qt::CaseInsensitive) == 0) {
      *keyCode = k.keyCode;
      *alt = held[0];
      *shift = held[1];
      *ctrl = held[2];
      return true;
    }
  }
  return false;
}
