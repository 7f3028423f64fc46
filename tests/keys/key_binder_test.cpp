#include "keys/command_table.h"
#include "keys/key_binder.h"
#include "keys/key_map.h"
#include "keys/key_names.h"
#include "keys/menu_label.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::uint32_t kFind = 32774;
constexpr std::uint32_t kCount = 32794;

int KeyIndex(const QString& name) {
  for (std::size_t i = 0; i < KeyNames().size(); ++i)
    if (KeyNames()[i].name == name) return int(i);
  return -1;
}

}  // namespace

TEST(KeyNames, TheTableAndTheLabels) {
  const auto& names = KeyNames();
  ASSERT_EQ(names.size(), 78u);
  const std::tuple<int, std::uint32_t, QString> entries[] = {
      {0, 112, u"F1"_s},    {11, 123, u"F12"_s},   {12, 192, u"@"_s},    {13, 65, u"A"_s},
      {38, 90, u"Z"_s},     {39, 45, u"Insert"_s}, {41, 8, u"BackSpace"_s}, {48, 106, u"*"_s},
      {52, 38, u"Up"_s},    {57, 9, u"Tab"_s},     {58, 48, u"0"_s},     {67, 57, u"9"_s},
      {68, 96, u"NUMPAD0"_s}, {77, 105, u"NUMPAD9"_s},
  };
  for (const auto& [at, code, name] : entries) {
    EXPECT_EQ(names[std::size_t(at)].keyCode, code) << at;
    EXPECT_EQ(names[std::size_t(at)].name, name) << at;
  }
  QSet<std::uint32_t> codes;
  for (const CKeyName& k : names) codes.insert(k.keyCode);
  EXPECT_EQ(codes.size(), 78);  // every key once

  const std::tuple<std::uint32_t, bool, bool, bool, QString> labels[] = {
      {70, true, false, true, u"Alt+Ctrl+F"_s},
      {70, true, true, true, u"Alt+Shift+Ctrl+F"_s},
      {112, false, true, false, u"Shift+F1"_s},
      {13, false, false, false, u"Enter"_s},
      {190, false, false, true, u"Ctrl+"_s},  // a code without a name
  };
  for (const auto& [code, alt, shift, ctrl, label] : labels) EXPECT_EQ(KeyLabel(code, alt, shift, ctrl), label);
  EXPECT_TRUE(KeyNameOf(0).isEmpty());
}

TEST(CommandTable, TheEntriesTheDialogLists) {
  const auto& table = CommandTable();
  ASSERT_EQ(table.size(), 65u);
  EXPECT_EQ(table.front().command, 57600u);
  EXPECT_EQ(table.front().name, u"[ﾌｧｲﾙ]新規作成..."_s);
  EXPECT_EQ(table.back().name, u"[ﾍﾙﾌﾟ]バージョン情報..."_s);
  EXPECT_EQ(table[std::size_t(CommandIndex(32778))].name, u"[表示]整列（&S)..."_s);
  EXPECT_EQ(table[std::size_t(CommandIndex(33002))].name, u"[編集]ｲﾝｸﾘﾒﾝﾀﾙｻｰﾁ"_s);
  EXPECT_EQ(table[std::size_t(CommandIndex(33210))].name, u"[ﾌｧｲﾙ]印刷..."_s);
  EXPECT_EQ(table[std::size_t(CommandIndex(33215))].name, u"[ﾌｧｲﾙ]はがき宛名印刷..."_s);
  EXPECT_EQ(CommandIndex(12345), -1);
  QSet<std::uint32_t> commands;
  for (const CCommandName& c : table) commands.insert(c.command);
  EXPECT_EQ(commands.size(), 65);
  EXPECT_EQ(CKeyBinder::CommandList().size(), 66);
  EXPECT_EQ(CKeyBinder::CommandList().front(), u"（なし）"_s);
}

TEST(MenuLabel, TextRules) {
  const std::tuple<QString, std::optional<QString>, QString> cases[] = {
      {u"検索(&F)..."_s, u"Ctrl+F"_s, u"検索(&F)...\tCtrl+F"_s},
      {u"検索(&F)...\tCtrl+F"_s, u"Ctrl+F"_s, u"検索(&F)...\tCtrl+F"_s},
      {u"検索(&F)...\tCtrl+G"_s, u"Alt+F1"_s, u"検索(&F)...\tAlt+F1"_s},
      {u"検索(&F)...\tCtrl+F"_s, std::nullopt, u"検索(&F)..."_s},
      {u"検索(&F)..."_s, std::nullopt, u"検索(&F)..."_s},
      {u"a\tb\tc"_s, u"X"_s, u"a\tX"_s},
      {QString(300, u'x'), u"F1"_s, QString(255, u'x') + u"\tF1"_s},
  };
  for (const auto& [text, label, result] : cases) EXPECT_EQ(SetMenuLabelText(text, label), result) << text;
  EXPECT_EQ(UnlabelMenuText(u"件数集計(&Y)\tCtrl+Y"_s), u"件数集計(&Y)"_s);
  EXPECT_EQ(UnlabelMenuText(u"a\tb\tc"_s), u"a"_s);
  EXPECT_EQ(UnlabelMenuText(u"終了(&X)"_s), u"終了(&X)"_s);
}

TEST(KeyBinder, BindingAndUnbindingFromTheDialog) {
  CKeyMap map;
  CKeyBinder binder(map);
  const int f = KeyIndex(u"F"_s);
  const int g = KeyIndex(u"G"_s);
  const int find = CommandIndex(kFind) + 1;
  const int count = CommandIndex(kCount) + 1;

  binder.SetModifiers(true, false, false);
  EXPECT_EQ(binder.KeyList()[0], u"Ctrl+F1"_s);
  EXPECT_EQ(binder.SelectedKey(), 0);
  binder.SelectKey(f);
  EXPECT_EQ(binder.CommandSelection(), 0);

  // Ctrl+F to 検索: a new binding, and the menu entry shows the key.
  EXPECT_EQ(binder.ChooseCommand(find), (std::vector<CMenuLabelChange>{{kFind, u"Ctrl+F"_s}}));
  EXPECT_EQ(map.FindCommand(70, false, false, true), kFind);
  EXPECT_EQ(binder.CommandSelection(), find);

  // The same key with Shift is another binding.
  binder.SetModifiers(true, true, false);
  binder.SelectKey(f);
  EXPECT_EQ(binder.CommandSelection(), 0);
  EXPECT_EQ(binder.ChooseCommand(count), (std::vector<CMenuLabelChange>{{kCount, u"Shift+Ctrl+F"_s}}));
  EXPECT_EQ(map.Count(), 2);

  // Ctrl+G to 検索 as well: the menu follows the key chosen last, the map's
  // first key stays the one labels are rebuilt from.
  binder.SetModifiers(true, false, false);
  binder.SelectKey(g);
  EXPECT_EQ(binder.ChooseCommand(find), (std::vector<CMenuLabelChange>{{kFind, u"Ctrl+G"_s}}));
  EXPECT_EQ(map.LabelForCommand(kFind), u"Ctrl+F"_s);

  // Rebinding Ctrl+F: 検索 keeps Ctrl+G in its label; one binding for the key.
  binder.SelectKey(f);
  EXPECT_EQ(binder.ChooseCommand(count),
            (std::vector<CMenuLabelChange>{{kFind, u"Ctrl+G"_s}, {kCount, u"Ctrl+F"_s}}));
  EXPECT_EQ(map.Count(), 3);
  EXPECT_EQ(map.FindCommand(70, false, false, true), kCount);

  // "（なし）" removes the binding; 件数集計 falls back to Shift+Ctrl+F.
  EXPECT_EQ(binder.ChooseCommand(0), (std::vector<CMenuLabelChange>{{kCount, u"Shift+Ctrl+F"_s}}));
  EXPECT_EQ(map.FindBinding(70, false, false, true), -1);
  // ... and removing the last key of a command removes its label.
  binder.SelectKey(g);
  EXPECT_EQ(binder.ChooseCommand(0), (std::vector<CMenuLabelChange>{{kFind, std::nullopt}}));
  // "（なし）" on an unbound key, a choice out of range, no key: nothing.
  EXPECT_TRUE(binder.ChooseCommand(0).empty());
  EXPECT_TRUE(binder.ChooseCommand(66).empty());
  binder.SelectKey(-1);
  EXPECT_TRUE(binder.ChooseCommand(find).empty());
  EXPECT_EQ(binder.CommandSelection(), 0);
  EXPECT_EQ(map.Count(), 1);
}
