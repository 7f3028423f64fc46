#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// The main window's command table: every command number with its menu text,
// where the menus and the toolbar place it, and the rule that enables or checks
// it. Menus, toolbar, key map, context menus, the second start and automation
// all dispatch through these numbers.

namespace cmd {
inline constexpr std::uint32_t kHandOver = 700;
inline constexpr std::uint32_t kNew = 57600;
inline constexpr std::uint32_t kOpen = 57601;
inline constexpr std::uint32_t kSave = 57603;
inline constexpr std::uint32_t kSaveAs = 57604;
inline constexpr std::uint32_t kReload = 32868;
inline constexpr std::uint32_t kFileProperties = 33092;
inline constexpr std::uint32_t kRecentFirst = 57616;
inline constexpr std::uint32_t kRecentLast = 57631;
inline constexpr std::uint32_t kExit = 57665;
inline constexpr std::uint32_t kUndo = 57643;
// 元に戻す and やり直し of card and item commands (the document's undo stack).
inline constexpr std::uint32_t kUndoCommand = 33200;
inline constexpr std::uint32_t kRedoCommand = 33201;
// Printing: the cards as a list or as forms, address labels, and the two layouts.
inline constexpr std::uint32_t kPrint = 33210;
inline constexpr std::uint32_t kPrintPreview = 33211;
inline constexpr std::uint32_t kPrintLabels = 33212;
inline constexpr std::uint32_t kPrintSettings = 33213;
inline constexpr std::uint32_t kLabelSettings = 33214;
// New Year postcards: addresses set vertically, and their settings.
inline constexpr std::uint32_t kPostcardPrint = 33215;
inline constexpr std::uint32_t kPostcardSettings = 33216;
// Other formats in and out: vCard, spreadsheet files, delimited text.
inline constexpr std::uint32_t kImport = 33217;
inline constexpr std::uint32_t kExport = 33218;
// Postal codes: the cards whose code and address disagree, and the code from the address.
inline constexpr std::uint32_t kPostalCheck = 33219;
inline constexpr std::uint32_t kAddressToCode = 33220;
// Decks on a server: open one, and make the window's order the deck's.
inline constexpr std::uint32_t kOpenServerDeck = 33221;
inline constexpr std::uint32_t kSaveOrder = 33222;
inline constexpr std::uint32_t kCut = 57635;
inline constexpr std::uint32_t kCopy = 57634;
inline constexpr std::uint32_t kPaste = 57637;
inline constexpr std::uint32_t kFind = 32774;
inline constexpr std::uint32_t kFindNext = 32782;
inline constexpr std::uint32_t kFindPrev = 32784;
inline constexpr std::uint32_t kIncrementalSearch = 33002;
inline constexpr std::uint32_t kLineBreak = 32839;
inline constexpr std::uint32_t kInsertDate = 32851;
inline constexpr std::uint32_t kInsertDateNow = 33080;
inline constexpr std::uint32_t kEditHistory = 32838;
inline constexpr std::uint32_t kAddCard = 32776;
inline constexpr std::uint32_t kInsertCard = 33083;
inline constexpr std::uint32_t kDeleteCard = 32777;
inline constexpr std::uint32_t kCutCard = 32824;
inline constexpr std::uint32_t kCopyCard = 32825;
inline constexpr std::uint32_t kPasteCard = 32826;
inline constexpr std::uint32_t kAppendPaste = 32842;
inline constexpr std::uint32_t kItemProperties = 33091;
inline constexpr std::uint32_t kEditItems = 32781;
inline constexpr std::uint32_t kSort = 32778;
inline constexpr std::uint32_t kMultiSort = 32875;
inline constexpr std::uint32_t kFilter = 32785;
inline constexpr std::uint32_t kReleaseFilter = 32786;
inline constexpr std::uint32_t kHideCard = 33104;
inline constexpr std::uint32_t kComplement = 33103;
inline constexpr std::uint32_t kCount = 32794;
inline constexpr std::uint32_t kTotals = 32858;
inline constexpr std::uint32_t kDiscard = 33105;
inline constexpr std::uint32_t kUnify = 33106;
inline constexpr std::uint32_t kOpenAsFile = 33102;
inline constexpr std::uint32_t kSwitchList = 32837;
inline constexpr std::uint32_t kStandard = 33095;
inline constexpr std::uint32_t kNextCard = 32769;
inline constexpr std::uint32_t kPrevCard = 32773;
inline constexpr std::uint32_t kFirstCard = 32779;
inline constexpr std::uint32_t kLastCard = 32780;
inline constexpr std::uint32_t kScrollUp = 32872;
inline constexpr std::uint32_t kScrollDown = 32870;
inline constexpr std::uint32_t kFont = 32840;
inline constexpr std::uint32_t kNameFont = 33097;
inline constexpr std::uint32_t kAdjustLengths = 32820;
inline constexpr std::uint32_t kSingleLine = 32833;
inline constexpr std::uint32_t kSplitSide = 32828;
inline constexpr std::uint32_t kSplitStacked = 32809;
inline constexpr std::uint32_t kSplitAuto = 33084;
inline constexpr std::uint32_t kShowItemList = 32770;
inline constexpr std::uint32_t kNoList = 32882;
inline constexpr std::uint32_t kKeyNames = 33085;
inline constexpr std::uint32_t kInitDir = 32850;
inline constexpr std::uint32_t kAssociate = 32867;
inline constexpr std::uint32_t kSettings = 32883;
inline constexpr std::uint32_t kKeyCustomize = 32869;
inline constexpr std::uint32_t kHelp = 57670;
inline constexpr std::uint32_t kHelpIndex = 57666;
inline constexpr std::uint32_t kAbout = 57664;
inline constexpr std::uint32_t kSoftKeyMenu = 33094;
inline constexpr std::uint32_t kPreview = 33086;
inline constexpr std::uint32_t kPreviewSettings = 33087;
inline constexpr std::uint32_t kSelectedItemsOnly = 33090;
inline constexpr std::uint32_t kCardScreen = 33088;
inline constexpr std::uint32_t kListScreen = 33089;
inline constexpr std::uint32_t kStoreItem = 32881;
inline constexpr std::uint32_t kFocusMove = 33053;
inline constexpr std::uint32_t kSyncNotice = 32886;
inline constexpr std::uint32_t kMenu = 32888;
inline constexpr std::uint32_t kNextItem = 33081;
inline constexpr std::uint32_t kPrevItem = 33082;
inline constexpr std::uint32_t kNextItemAdd = 32775;
inline constexpr std::uint32_t kSwitchItemList = 32844;
inline constexpr std::uint32_t kFocusChooser = 32873;
inline constexpr std::uint32_t kFocusItemList = 32871;
inline constexpr std::uint32_t kFocusCard = 32874;
inline constexpr std::uint32_t kExitConfirm = 32866;
inline constexpr std::uint32_t kTest = 32885;
inline constexpr std::uint32_t kRefreshListLine = 32864;
inline constexpr std::uint32_t kRefreshListFirst = 32865;
}  // namespace cmd

// How a command's menu entry is enabled. Commands whose dialogs are not part
// of the window yet are kLater: present with their texts, shown disabled.
enum class EnableRule {
  kAlways,
  kNever,            // 一覧表を使わない: no handler
  kLater,            // the dialog comes later
  kFiltered,         // 絞り込み解除, 補集合
  kTwoVisible,       // このカードのみ絞り込み解除: at least two visible cards
  kListActive,       // カード画面: only while the list is shown
};

// How a command's menu entry is checked.
enum class CheckRule {
  kNone,
  kItemListShown,
  kSingleLine,
  kKeyNames,
  kSoftKeyMenu,
  kStandard,
  kSplitSide,     // radio: split mode 0
  kSplitStacked,  // radio: split mode 1
  kSplitAuto,     // radio: split mode 2
};

struct CFrameCommand {
  std::uint32_t id;
  QString text;     // the menu text with its "&" mnemonic
  QString text129;  // the text in the two-menu form when it differs, else empty
  EnableRule enable = EnableRule::kAlways;
  CheckRule check = CheckRule::kNone;
};

// Every command of the main window, the recent-file entries excepted.
const std::vector<CFrameCommand>& FrameCommands();
// The entry of a command; null for a number the window does not know.
const CFrameCommand* FindFrameCommand(std::uint32_t id);

// One entry of a menu: a command, a separator, the place of the recent files,
// or a popup with its entries.
struct CMenuEntry {
  enum Kind { kCommand, kSeparator, kRecentFiles, kPopup };
  Kind kind = kCommand;
  std::uint32_t id = 0;
  QString text;  // popups
  std::vector<CMenuEntry> children;
};

// The full menu bar of a wide screen.
const std::vector<CMenuEntry>& MenuBarWide();
// The two menus ("ﾌｧｲﾙ" and "ﾒﾆｭｰ") of a narrow screen or the soft-key mode.
const std::vector<CMenuEntry>& MenuBarNarrow();
// The context menus: 0 the item list's ("項目リスト"), 1 the item edits' ("Edit").
const CMenuEntry& ContextMenu(int index);
// Whether the full menu bar is used: a screen at least as wide as high, wider
// than 480 pixels, and SoftKeyMenu off.
bool UseWideMenu(int screenWidth, int screenHeight, bool softKeyMenu);

// The toolbar: command numbers, 0 for a separator. 19 buttons from 241 pixels
// of screen width, else 12.
std::vector<std::uint32_t> ToolbarButtons(int screenWidth);

// What the enable and check rules read.
struct CFrameState {
  bool filtered = false;
  int visibleCount = 0;
  bool listActive = false;
  bool itemListShown = true;
  bool singleLine = false;
  bool keyNames = true;
  bool softKeyMenu = false;
  bool standard = false;
  int splitMode = 2;
};
struct CCommandStatus {
  bool enabled = true;
  bool checked = false;
  bool checkable = false;
};
CCommandStatus StatusOf(const CFrameCommand& command, const CFrameState& state);

// The menu text without its "&" mnemonic and key label: "開く(&O)..." -> "開く(O)...".
QString PlainMenuText(const QString& text);
// A toolbar button's tip: the menu text without its mnemonic ("(&T)") and "...".
QString ToolTipText(const QString& text);
