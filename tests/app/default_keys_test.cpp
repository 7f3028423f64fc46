#include "app/default_keys.h"
#include "app/frame_command_table.h"
#include "keys/key_map.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

// The menus show the key that reaches a command: a binding of the key map
// first, then a built-in key, unless the key map gave that key to another
// command, which then runs instead.
TEST(DefaultKeys, MenusShowTheKeyThatReachesTheCommand) {
  CKeyMap keys;
  EXPECT_EQ(ShortcutLabel(keys, cmd::kSave), u"Ctrl+S"_s);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kFind), u"Ctrl+F"_s);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kFindPrev), u"Shift+F3"_s);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kFirstCard), u"Alt+Home"_s);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kSort), std::nullopt);
  EXPECT_EQ(DefaultShortcut('F', false, false, true), cmd::kFind);
  EXPECT_EQ(DefaultShortcut(0x72, false, true, false), cmd::kFindPrev);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kFilter), u"Shift+Ctrl+F"_s);
  EXPECT_EQ(DefaultShortcut('F', false, true, true), cmd::kFilter);
  EXPECT_EQ(DefaultShortcut('F', true, false, true), 0u);

  keys.Append(CKeycust('F', 0, 1, 0, cmd::kSort));   // Ctrl+F sorts
  keys.Append(CKeycust(0x71, 0, 0, 0, cmd::kSave));  // F2 saves
  EXPECT_EQ(ShortcutLabel(keys, cmd::kSort), u"Ctrl+F"_s);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kFind), std::nullopt);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kSave), u"F2"_s);
  EXPECT_EQ(ShortcutLabel(keys, cmd::kFindNext), u"F3"_s);
}
