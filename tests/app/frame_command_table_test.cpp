#include "app/command_prompts.h"
#include "app/frame_command_table.h"
#include "support/test_support.h"

#include <set>

using namespace Qt::StringLiterals;

namespace {

void Collect(const std::vector<CMenuEntry>& entries, std::vector<std::uint32_t>* ids) {
  for (const CMenuEntry& e : entries) {
    if (e.kind == CMenuEntry::kCommand) ids->push_back(e.id);
    if (e.kind == CMenuEntry::kPopup) Collect(e.children, ids);
  }
}

}  // namespace

TEST(FrameCommandTable, MenuShapeFollowsTheScreen) {
  const struct {
    int w, h;
    bool softKeys;
    bool wide;
  } rows[] = {{800, 600, false, true}, {481, 481, false, true}, {480, 300, false, false},
              {600, 800, false, false}, {800, 600, true, false}, {240, 320, false, false}};
  for (const auto& r : rows) EXPECT_EQ(UseWideMenu(r.w, r.h, r.softKeys), r.wide) << r.w << "x" << r.h;
}

TEST(FrameCommandTable, ToolbarButtons) {
  const std::vector<std::uint32_t> wide{0,     57601, 57603, 0,     32776, 0,     32779, 32773, 32769, 32780,
                                        0,     32774, 32782, 32784, 0,     57635, 57634, 57637, 0};
  const std::vector<std::uint32_t> narrow{0, 32776, 0, 32773, 32769, 0, 32774, 32782, 32784, 0, 57601, 0};
  EXPECT_EQ(ToolbarButtons(800), wide);
  EXPECT_EQ(ToolbarButtons(241), wide);
  EXPECT_EQ(ToolbarButtons(240), narrow);
}

// Every number appears once in the table; every menu names known commands,
// each once; the soft-key switch is in the two-menu form only.
TEST(FrameCommandTable, MenusNameKnownCommandsOnce) {
  std::set<std::uint32_t> known;
  for (const CFrameCommand& c : FrameCommands()) {
    EXPECT_TRUE(known.insert(c.id).second) << c.id;
    EXPECT_EQ(FindFrameCommand(c.id), &c);
  }
  EXPECT_EQ(FindFrameCommand(1), nullptr);
  for (const auto* menu : {&MenuBarWide(), &MenuBarNarrow(), &ContextMenu(0).children, &ContextMenu(1).children}) {
    std::vector<std::uint32_t> ids;
    Collect(*menu, &ids);
    std::set<std::uint32_t> once;
    for (std::uint32_t id : ids) {
      EXPECT_TRUE(known.count(id)) << id;
      EXPECT_TRUE(once.insert(id).second) << id;
    }
  }
  std::vector<std::uint32_t> wide, narrow;
  Collect(MenuBarWide(), &wide);
  Collect(MenuBarNarrow(), &narrow);
  EXPECT_EQ(std::count(wide.begin(), wide.end(), cmd::kSoftKeyMenu), 0);
  EXPECT_EQ(std::count(narrow.begin(), narrow.end(), cmd::kSoftKeyMenu), 1);
  EXPECT_EQ(FindFrameCommand(cmd::kExit)->text129, u"終了(&X)"_s);
  EXPECT_EQ(PlainMenuText(u"開く(&O)...\tCtrl+O"_s), u"開く(O)..."_s);
  EXPECT_EQ(PlainMenuText(u"A&&B"_s), u"A&B"_s);
}

TEST(CommandTable, ToolTipsDropMnemonicsAndEllipses) {
  const std::pair<QString, QString> rows[] = {
      {u"切り取り(&T)"_s, u"切り取り"_s},
      {u"検索(&F)..."_s, u"検索"_s},
      {u"開く(&O)...\tCtrl+O"_s, u"開く"_s},
      {u"&24時間表記"_s, u"24時間表記"_s},
  };
  for (const auto& [menu, tip] : rows) EXPECT_EQ(ToolTipText(menu), tip) << menu.toStdString();
}

// Every command a menu or the toolbar shows has a prompt of its own for the
// status line: one line, no mnemonic; the recent files share theirs.
TEST(CommandTable, EveryShownCommandHasItsPrompt) {
  std::vector<std::uint32_t> shown;
  Collect(MenuBarWide(), &shown);
  Collect(MenuBarNarrow(), &shown);
  for (std::uint32_t id : ToolbarButtons(800))
    if (id != 0) shown.push_back(id);
  for (std::uint32_t id : shown) {
    const QString prompt = CommandPrompt(id);
    const CFrameCommand* c = FindFrameCommand(id);
    ASSERT_TRUE(c) << id;
    EXPECT_FALSE(prompt.isEmpty()) << id;
    EXPECT_FALSE(prompt.contains(u'&') || prompt.contains(u'\n')) << id;
    // A prompt says more than the menu entry's name.
    EXPECT_NE(prompt, ToolTipText(c->text)) << id;
  }
  EXPECT_EQ(CommandPrompt(cmd::kSwitchList), u"一覧表とカードを切り替えます"_s);
  EXPECT_EQ(CommandPrompt(cmd::kRecentFirst), u"指定のﾌｧｲﾙを開く"_s);
  EXPECT_EQ(CommandPrompt(cmd::kRecentLast), u"指定のﾌｧｲﾙを開く"_s);
  EXPECT_TRUE(CommandPrompt(12345).isEmpty());
}
