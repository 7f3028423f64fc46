#include "app/frame_command_table.h"

#include <algorithm>

namespace {

using R = EnableRule;
using C = CheckRule;

std::vector<CFrameCommand> MakeCommands() {
  return {
      {cmd::kNew, QStringLiteral("新規作成(&N)")},
      {cmd::kOpen, QStringLiteral("開く(&O)...")},
      {cmd::kSave, QStringLiteral("上書き保存(&S)")},
      {cmd::kSaveAs, QStringLiteral("名前を付けて保存(&A)...")},
      {cmd::kOpenServerDeck, QStringLiteral("サーバーのデッキを開く(&D)..."), {}, R::kLater},
      {cmd::kSaveOrder, QStringLiteral("並び順を保存(&Q)"), {}, R::kLater},
      {cmd::kReload, QStringLiteral("再読込(&L)...")},
      {cmd::kFileProperties, QStringLiteral("このファイルのプロパティ(&P)..."), {}, R::kLater},
      {cmd::kPrintSettings, QStringLiteral("印刷の設定(&U)..."), {}, R::kLater},
      {cmd::kPrintPreview, QStringLiteral("印刷プレビュー(&V)..."), {}, R::kLater},
      {cmd::kPrint, QStringLiteral("印刷(&R)..."), {}, R::kLater},
      {cmd::kLabelSettings, QStringLiteral("ラベルの設定(&B)..."), {}, R::kLater},
      {cmd::kPrintLabels, QStringLiteral("ラベル印刷(&E)..."), {}, R::kLater},
      {cmd::kPostcardSettings, QStringLiteral("はがきの設定(&G)..."), {}, R::kLater},
      {cmd::kPostcardPrint, QStringLiteral("はがき宛名印刷(&H)..."), {}, R::kLater},
      {cmd::kImport, QStringLiteral("読み込み(&I)..."), {}, R::kLater},
      {cmd::kExport, QStringLiteral("書き出し(&W)..."), {}, R::kLater},
      {cmd::kExit, QStringLiteral("アプリケーションの終了(&X)"), QStringLiteral("終了(&X)")},
      {cmd::kUndo, QStringLiteral("アンドゥ(&U)")},
      {cmd::kUndoCommand, QStringLiteral("元に戻す(&Z)")},
      {cmd::kRedoCommand, QStringLiteral("やり直し(&Y)")},
      {cmd::kCut, QStringLiteral("切り取り(&T)")},
      {cmd::kCopy, QStringLiteral("コピー(&C)")},
      {cmd::kPaste, QStringLiteral("貼り付け(&P)")},
      {cmd::kFind, QStringLiteral("検索(&F)..."), {}, R::kLater},
      {cmd::kFindNext, QStringLiteral("次検索(&N)")},
      {cmd::kFindPrev, QStringLiteral("前検索(&B)")},
      {cmd::kIncrementalSearch, QStringLiteral("ｲﾝｸﾘﾝﾒﾝﾀﾙｻｰﾁ(&I)"), {}, R::kLater},
      {cmd::kLineBreak, QStringLiteral("改行の挿入(&N)")},
      {cmd::kInsertDate, QStringLiteral("日時の挿入(&D)..."), {}, R::kLater},
      {cmd::kInsertDateNow, QStringLiteral("現在の設定で日時挿入(&C)")},
      {cmd::kEditHistory, QStringLiteral("編集履歴(&W)..."), {}, R::kLater},
      {cmd::kPostalCheck, QStringLiteral("郵便番号の照合(&M)"), {}, R::kLater},
      {cmd::kAddressToCode, QStringLiteral("住所から郵便番号(&J)"), {}, R::kLater},
      {cmd::kAddCard, QStringLiteral("カードの追加(&A)")},
      {cmd::kInsertCard, QStringLiteral("カードの挿入(&I)")},
      {cmd::kDeleteCard, QStringLiteral("カードの削除(&D)")},
      {cmd::kCutCard, QStringLiteral("カードの切り取り(&T)")},
      {cmd::kCopyCard, QStringLiteral("カードのコピー(&C)")},
      {cmd::kPasteCard, QStringLiteral("カードの貼り付け(&P)")},
      {cmd::kAppendPaste, QStringLiteral("追加貼り付け(&Q)")},
      {cmd::kItemProperties, QStringLiteral("項目のプロパティ(&Y)..."), {}, R::kLater},
      {cmd::kEditItems, QStringLiteral("項目の編集(&I)..."), {}, R::kLater},
      {cmd::kSort, QStringLiteral("整列(&S)..."), {}, R::kLater},
      {cmd::kMultiSort, QStringLiteral("複数キー整列(&R)..."), {}, R::kLater},
      {cmd::kFilter, QStringLiteral("絞り込み(&E)..."), {}, R::kLater},
      {cmd::kReleaseFilter, QStringLiteral("絞り込み解除(&K)..."), {}, R::kFiltered},
      {cmd::kHideCard, QStringLiteral("このカードのみ絞り込み解除(&J)"), {}, R::kTwoVisible},
      {cmd::kComplement, QStringLiteral("補集合(&H)..."), {}, R::kFiltered},
      {cmd::kCount, QStringLiteral("件数集計(&Y)"), {}, R::kLater},
      {cmd::kTotals, QStringLiteral("合計と平均(&G)"), {}, R::kLater},
      {cmd::kDiscard, QStringLiteral("廃棄(&D)...")},
      {cmd::kUnify, QStringLiteral("項目内容の統一(&Q)"), {}, R::kLater},
      {cmd::kOpenAsFile, QStringLiteral("ファイル名として開く(&O)")},
      {cmd::kSwitchList, QStringLiteral("一覧/ｶｰﾄﾞの切替(&M)")},
      {cmd::kStandard, QStringLiteral("標準色・フォントで表示(&F)"), {}, R::kAlways, C::kStandard},
      {cmd::kNextCard, QStringLiteral("次のカードへ(&N)")},
      {cmd::kPrevCard, QStringLiteral("前のカードへ(&O)")},
      {cmd::kFirstCard, QStringLiteral("先頭のカードへ(&P)")},
      {cmd::kLastCard, QStringLiteral("最後のカードへ(&E)")},
      {cmd::kScrollUp, QStringLiteral("上スクロール(&U)")},
      {cmd::kScrollDown, QStringLiteral("下スクロール(&D)")},
      {cmd::kFont, QStringLiteral("フォント(&F)...")},
      {cmd::kNameFont, QStringLiteral("項目名のフォント(&G)...")},
      {cmd::kAdjustLengths, QStringLiteral("項目の長さを再設定(&I)")},
      {cmd::kSingleLine, QStringLiteral("編集エリアの一行・複数行切替(&E)"), {}, R::kAlways, C::kSingleLine},
      {cmd::kSplitSide, QStringLiteral("左右に分割(&U)"), {}, R::kAlways, C::kSplitSide},
      {cmd::kSplitStacked, QStringLiteral("上下に分割(&L)"), {}, R::kAlways, C::kSplitStacked},
      {cmd::kSplitAuto, QStringLiteral("自動(&A)"), {}, R::kAlways, C::kSplitAuto},
      {cmd::kShowItemList, QStringLiteral("項目リストを表示する(&L)"), {}, R::kAlways, C::kItemListShown},
      {cmd::kNoList, QStringLiteral("一覧表を使わない(&N)"), {}, R::kNever},
      {cmd::kKeyNames, QStringLiteral("メニューにキー表示(&K)"), {}, R::kAlways, C::kKeyNames},
      {cmd::kInitDir, QStringLiteral("初期フォルダ(&D)...")},
      {cmd::kAssociate, QStringLiteral("関連づけ(&R)...")},
      {cmd::kSettings, QStringLiteral("その他の設定(&S)..."), {}, R::kLater},
      {cmd::kKeyCustomize, QStringLiteral("キーカスタマイズ(&K)..."), {}, R::kLater},
      {cmd::kHelp, QStringLiteral("ヘルプ(&H)")},
      {cmd::kAbout, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)...")},
      {cmd::kSoftKeyMenu, QStringLiteral("ソフトキーメニュー(&S)"), {}, R::kAlways, C::kSoftKeyMenu},
      {cmd::kPreview, QStringLiteral("ブラウザ表示(&B)"), {}, R::kLater},
      {cmd::kPreviewSettings, QStringLiteral("ブラウザ表示設定(&S)"), {}, R::kLater},
      {cmd::kSelectedItemsOnly, QStringLiteral("指定項目のみ(&I)...")},
      {cmd::kCardScreen, QStringLiteral("カード画面(&L)"), {}, R::kListActive},
      {cmd::kListScreen, QStringLiteral("一覧表(&L)")},
      {cmd::kStoreItem, QStringLiteral("アイテムを格納")},
      {cmd::kFocusMove, QStringLiteral("FOCUSMOVE ON")},
      {cmd::kSyncNotice, QStringLiteral("通知（同期完了）")},
      {cmd::kMenu, QStringLiteral("MENU")},
      {cmd::kNextItem, QStringLiteral("次の項目へ")},
      {cmd::kPrevItem, QStringLiteral("前の項目へ")},
      {cmd::kNextItemAdd, QStringLiteral("次の項目へ")},
      {cmd::kSwitchItemList, QStringLiteral("項目一覧/ｶｰﾄﾞの切替(&D)")},
      {cmd::kFocusChooser, QStringLiteral("項目選択(&I)")},
      {cmd::kFocusItemList, QStringLiteral("項目一覧(&L)")},
      {cmd::kFocusCard, QStringLiteral("カード(&C)")},
      {cmd::kExitConfirm, QStringLiteral("VELUMの終了")},
      {cmd::kTest, QStringLiteral("TEST")},
      {cmd::kHandOver, QString()},
  };
}

CMenuEntry Cmd(std::uint32_t id) { return {CMenuEntry::kCommand, id, {}, {}}; }
CMenuEntry Sep() { return {CMenuEntry::kSeparator, 0, {}, {}}; }
CMenuEntry Popup(const QString& text, std::vector<CMenuEntry> children) {
  return {CMenuEntry::kPopup, 0, text, std::move(children)};
}

std::vector<CMenuEntry> FileEntries() {
  return {Cmd(cmd::kNew),
          Cmd(cmd::kOpen),
          Cmd(cmd::kSave),
          Cmd(cmd::kSaveAs),
          Cmd(cmd::kOpenServerDeck),
          Cmd(cmd::kSaveOrder),
          Cmd(cmd::kReload),
          Cmd(cmd::kFileProperties),
          Sep(),
          Cmd(cmd::kPrintSettings),
          Cmd(cmd::kPrintPreview),
          Cmd(cmd::kPrint),
          Cmd(cmd::kLabelSettings),
          Cmd(cmd::kPrintLabels),
          Cmd(cmd::kPostcardSettings),
          Cmd(cmd::kPostcardPrint),
          Sep(),
          Cmd(cmd::kImport),
          Cmd(cmd::kExport),
          Sep(),
          {CMenuEntry::kRecentFiles, 0, {}, {}},
          Sep(),
          Cmd(cmd::kExit)};
}
std::vector<CMenuEntry> EditEntries() {
  return {Cmd(cmd::kUndo),       Cmd(cmd::kUndoCommand),
          Cmd(cmd::kRedoCommand), Sep(),
          Cmd(cmd::kCut),        Cmd(cmd::kCopy),
          Cmd(cmd::kPaste),      Sep(),
          Cmd(cmd::kFind),       Cmd(cmd::kFindNext),
          Cmd(cmd::kFindPrev),   Cmd(cmd::kIncrementalSearch),
          Sep(),                 Cmd(cmd::kLineBreak),
          Cmd(cmd::kInsertDate), Cmd(cmd::kInsertDateNow),
          Cmd(cmd::kEditHistory), Sep(),
          Cmd(cmd::kPostalCheck), Cmd(cmd::kAddressToCode)};
}
std::vector<CMenuEntry> CardEntries() {
  return {Cmd(cmd::kAddCard),     Cmd(cmd::kInsertCard),    Cmd(cmd::kDeleteCard),     Sep(),
          Cmd(cmd::kCutCard),     Cmd(cmd::kCopyCard),      Cmd(cmd::kPasteCard),      Cmd(cmd::kAppendPaste),
          Sep(),                  Cmd(cmd::kItemProperties), Cmd(cmd::kEditItems),     Cmd(cmd::kUnify),
          Cmd(cmd::kOpenAsFile)};
}
std::vector<CMenuEntry> DataEntries() {
  return {Cmd(cmd::kSort),       Cmd(cmd::kMultiSort), Sep(),
          Cmd(cmd::kFilter),     Cmd(cmd::kReleaseFilter), Cmd(cmd::kHideCard),
          Cmd(cmd::kComplement), Cmd(cmd::kDiscard),   Sep(),
          Cmd(cmd::kCount),      Cmd(cmd::kTotals)};
}
std::vector<CMenuEntry> ViewEntries() {
  return {Cmd(cmd::kSwitchList), Cmd(cmd::kStandard),  Sep(),
          Cmd(cmd::kNextCard),   Cmd(cmd::kPrevCard),  Cmd(cmd::kFirstCard),
          Cmd(cmd::kLastCard),   Sep(),                Cmd(cmd::kScrollUp),
          Cmd(cmd::kScrollDown)};
}
std::vector<CMenuEntry> SettingEntries() {
  return {Cmd(cmd::kFont),         Cmd(cmd::kNameFont),     Cmd(cmd::kAdjustLengths), Cmd(cmd::kSingleLine),
          Sep(),                   Cmd(cmd::kSplitSide),    Cmd(cmd::kSplitStacked),  Cmd(cmd::kSplitAuto),
          Cmd(cmd::kShowItemList), Cmd(cmd::kNoList),       Sep(),                    Cmd(cmd::kKeyNames),
          Cmd(cmd::kInitDir),      Cmd(cmd::kAssociate),    Cmd(cmd::kSettings),      Cmd(cmd::kKeyCustomize)};
}

}  // namespace

const std::vector<CFrameCommand>& FrameCommands() {
  static const std::vector<CFrameCommand> commands = MakeCommands();
  return commands;
}

const CFrameCommand* FindFrameCommand(std::uint32_t id) {
  const auto& all = FrameCommands();
  const auto it = std::find_if(all.begin(), all.end(), [id](const CFrameCommand& c) { return c.id == id; });
  return it == all.end() ? nullptr : &*it;
}

const std::vector<CMenuEntry>& MenuBarWide() {
  static const std::vector<CMenuEntry> bar = {
      Popup(QStringLiteral("ﾌｧｲﾙ(&F)"), FileEntries()),
      Popup(QStringLiteral("編集(&E)"), EditEntries()),
      Popup(QStringLiteral("ｶｰﾄﾞ(&C)"), CardEntries()),
      Popup(QStringLiteral("ﾃﾞｰﾀ(&D)"), DataEntries()),
      Popup(QStringLiteral("表示(&V)"), ViewEntries()),
      Popup(QStringLiteral("設定(&S)"), SettingEntries()),
      Popup(QStringLiteral("ﾍﾙﾌﾟ(&H)"), {Cmd(cmd::kHelp), Cmd(cmd::kAbout)}),
  };
  return bar;
}

const std::vector<CMenuEntry>& MenuBarNarrow() {
  static const std::vector<CMenuEntry> bar = [] {
    std::vector<CMenuEntry> settings = SettingEntries();
    settings.push_back(Cmd(cmd::kSoftKeyMenu));
    settings.push_back(Sep());
    settings.push_back(Cmd(cmd::kHelp));
    settings.push_back(Cmd(cmd::kAbout));
    return std::vector<CMenuEntry>{
        Popup(QStringLiteral("ﾌｧｲﾙ"), FileEntries()),
        Popup(QStringLiteral("ﾒﾆｭｰ"),
              {Popup(QStringLiteral("編集"), EditEntries()), Popup(QStringLiteral("ｶｰﾄﾞ"), CardEntries()),
               Popup(QStringLiteral("ﾃﾞｰﾀ"), DataEntries()), Popup(QStringLiteral("表示"), ViewEntries()),
               Popup(QStringLiteral("設定"), std::move(settings))}),
    };
  }();
  return bar;
}

const CMenuEntry& ContextMenu(int index) {
  static const CMenuEntry itemList =
      Popup(QStringLiteral("項目リスト"),
            {Cmd(cmd::kNextCard), Cmd(cmd::kPrevCard), Sep(), Cmd(cmd::kCutCard), Cmd(cmd::kCopyCard),
             Cmd(cmd::kPasteCard), Sep(), Cmd(cmd::kIncrementalSearch), Cmd(cmd::kFont)});
  static const CMenuEntry edit =
      Popup(QStringLiteral("Edit"),
            {Cmd(cmd::kUndo), Sep(), Cmd(cmd::kCut), Cmd(cmd::kCopy), Cmd(cmd::kPaste), Sep(), Cmd(cmd::kLineBreak),
             Cmd(cmd::kInsertDate), Cmd(cmd::kInsertDateNow), Cmd(cmd::kEditHistory), Sep(), Cmd(cmd::kOpenAsFile),
             Cmd(cmd::kItemProperties)});
  return index == 0 ? itemList : edit;
}

bool UseWideMenu(int screenWidth, int screenHeight, bool softKeyMenu) {
  return screenWidth >= screenHeight && !softKeyMenu && screenWidth > 480;
}

std::vector<std::uint32_t> ToolbarButtons(int screenWidth) {
  if (screenWidth >= 241)
    return {0,           cmd::kOpen,     cmd::kSave,     0,          cmd::kAddCard,  0,
            cmd::kFirstCard, cmd::kPrevCard, cmd::kNextCard, cmd::kLastCard, 0,      cmd::kFind,
            cmd::kFindNext,  cmd::kFindPrev, 0,              cmd::kCut,      cmd::kCopy, cmd::kPaste,
            0};
  return {0, cmd::kAddCard, 0, cmd::kPrevCard, cmd::kNextCard, 0, cmd::kFind, cmd::kFindNext, cmd::kFindPrev,
          0, cmd::kOpen,    0};
}

CCommandStatus StatusOf(const CFrameCommand& c, const CFrameState& s) {
  CCommandStatus out;
  const bool filtered = s.filtered;
  switch (c.enable) {
    case R::kAlways:
      break;
    case R::kNever:
    case R::kLater:
      out.enabled = false;
      break;
    case R::kFiltered:
      out.enabled = filtered;
      break;
    case R::kTwoVisible:
      out.enabled = s.visibleCount >= 2;
      break;
    case R::kListActive:
      out.enabled = s.listActive;
      break;
  }
  out.checkable = c.check != C::kNone;
  switch (c.check) {
    case C::kNone:
      break;
    case C::kItemListShown:
      out.checked = s.itemListShown;
      break;
    case C::kSingleLine:
      out.checked = s.singleLine;
      break;
    case C::kKeyNames:
      out.checked = s.keyNames;
      break;
    case C::kSoftKeyMenu:
      out.checked = s.softKeyMenu;
      break;
    case C::kStandard:
      out.checked = s.standard;
      break;
    case C::kSplitSide:
      out.checked = s.splitMode == 0;
      break;
    case C::kSplitStacked:
      out.checked = s.splitMode == 1;
      break;
    case C::kSplitAuto:
      out.checked = s.splitMode == 2;
      break;
  }
  return out;
}

QString PlainMenuText(const QString& text) {
  QString t = text.left(text.indexOf(u'\t'));
  QString out;
  for (qsizetype i = 0; i < t.size(); ++i) {
    if (t[i] == u'&' && i + 1 < t.size()) {
      out += t[++i];
      continue;
    }
    out += t[i];
  }
  return out;
}

QString ToolTipText(const QString& text) {
  QString t = text.left(text.indexOf(u'\t'));
  if (t.endsWith(QStringLiteral("..."))) t.chop(3);
  // "切り取り(&T)": the bracketed mnemonic goes with its brackets.
  const qsizetype amp = t.indexOf(u'&');
  if (amp > 0 && t[amp - 1] == u'(' && amp + 2 < t.size() && t[amp + 2] == u')') t.remove(amp - 1, 4);
  return PlainMenuText(t);
}
