#include "app/default_keys.h"

#include "app/frame_command_table.h"
#include "keys/key_map.h"
#include "keys/key_names.h"

namespace {

struct CDefaultKey {
  std::uint32_t keyCode;
  bool alt, shift, ctrl;
  std::uint32_t command;
};

constexpr std::uint32_t kEnter = 13, kPageUp = 33, kPageDown = 34, kEnd = 35, kHome = 36, kF3 = 0x72;

constexpr CDefaultKey kDefaultKeys[] = {
    {'N', false, false, true, cmd::kNew},
    {'O', false, false, true, cmd::kOpen},
    {'S', false, false, true, cmd::kSave},
    {'Z', false, false, true, cmd::kUndoCommand},
    {'Y', false, false, true, cmd::kRedoCommand},
    {'F', false, false, true, cmd::kFind},
    {'P', false, false, true, cmd::kPrint},
    {kF3, false, false, false, cmd::kFindNext},
    {kF3, false, true, false, cmd::kFindPrev},
    {kPageDown, false, false, true, cmd::kNextCard},
    {kPageUp, false, false, true, cmd::kPrevCard},
    {kHome, true, false, false, cmd::kFirstCard},
    {kEnd, true, false, false, cmd::kLastCard},
    // Typing cards one after another: a new card at the end with the cursor in
    // its first item, and the list and the card in turn.
    {kEnter, false, false, true, cmd::kAddCard},
    {'L', false, false, true, cmd::kSwitchList},
    // Filtering on the item the cursor is in: the key, a word and Enter.
    {'F', false, true, true, cmd::kFilter},
};

}  // namespace

std::uint32_t DefaultShortcut(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) {
  for (const CDefaultKey& k : kDefaultKeys)
    if (k.keyCode == keyCode && k.alt == alt && k.shift == shift && k.ctrl == ctrl) return k.command;
  return 0;
}

std::optional<QString> ShortcutLabel(const CKeyMap& keys, std::uint32_t command) {
  if (auto bound = keys.LabelForCommand(command)) return bound;
  for (const CDefaultKey& k : kDefaultKeys)
    if (k.command == command && !keys.FindCommand(k.keyCode, k.alt, k.shift, k.ctrl))
      return KeyLabel(k.keyCode, k.alt, k.shift, k.ctrl);
  return std::nullopt;
}
