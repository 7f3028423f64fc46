#include "app/command_prompts.h"

#include "app/frame_command_table.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

// A prompt may carry, after a line feed, the command's short name.
const QHash<std::uint32_t, QString>& Prompts() {
  static const QHash<std::uint32_t, QString> prompts{
      {cmd::kNew, u"新しいカードファイルを作成します"_s},
      {cmd::kOpen, u"既存のカードファイルを開きます"_s},
      {cmd::kOpenServerDeck, u"PostgreSQL サーバーにあるデッキを開きます"_s},
      {cmd::kSaveOrder, u"このウィンドウのカードの並び順をデッキの並び順にします"_s},
      {cmd::kSave, u"カードファイルを上書き保存します"_s},
      {cmd::kSaveAs, u"カードファイルに名前を付けて保存します"_s},
      {cmd::kReload, u"カードファイルを読み込み直します"_s},
      {cmd::kFileProperties, u"このファイルの情報と設定を表示します"_s},
      {cmd::kPrintSettings, u"印刷する項目と形式を設定します"_s},
      {cmd::kPrintPreview, u"印刷されるページを画面に表示します"_s},
      {cmd::kPrint, u"カードを印刷します"_s},
      {cmd::kLabelSettings, u"宛名ラベルの用紙と印刷する項目を設定します"_s},
      {cmd::kPrintLabels, u"宛名ラベルを印刷します"_s},
      {cmd::kPostcardSettings, u"はがきの宛名面の項目・書式・差出人・印刷位置を設定します"_s},
      {cmd::kPostcardPrint, u"はがきの宛名面を縦書きで印刷します"_s},
      {cmd::kImport, u"vCard・表計算・CSV のファイルをカードにします"_s},
      {cmd::kExport, u"カードを vCard か表計算 (.xlsx) のファイルに書き出します"_s},
      {cmd::kExit, u"アプリケーションを終了します"_s},
      {cmd::kUndo, u"編集中の項目で直前の操作を元に戻します"_s},
      {cmd::kUndoCommand, u"カードや項目に対する直前の操作を元に戻します"_s},
      {cmd::kRedoCommand, u"元に戻した操作をやり直します"_s},
      {cmd::kCut, u"選択範囲を切り取ってクリップボードに移します"_s},
      {cmd::kCopy, u"選択範囲をクリップボードにコピーします"_s},
      {cmd::kPaste, u"クリップボードの内容を貼り付けます"_s},
      {cmd::kFind, u"条件に合うカードを検索します"_s},
      {cmd::kFindNext, u"条件に合う次のカードを検索します"_s},
      {cmd::kFindPrev, u"条件に合う前のカードを検索します"_s},
      {cmd::kIncrementalSearch, u"入力するたびにカードを検索します"_s},
      {cmd::kLineBreak, u"項目に改行を挿入します"_s},
      {cmd::kInsertDate, u"書式を選んで日時を挿入します"_s},
      {cmd::kInsertDateNow, u"現在の書式で日時を挿入します"_s},
      {cmd::kEditHistory, u"以前に入力した内容から選んで入力します"_s},
      {cmd::kPostalCheck, u"郵便番号と住所の合わないカードだけを表示します"_s},
      {cmd::kAddressToCode, u"住所から郵便番号を入力します"_s},
      {cmd::kAddCard, u"新しいカードを最後に追加します"_s},
      {cmd::kInsertCard, u"新しいカードを現在の位置に挿入します"_s},
      {cmd::kDeleteCard, u"カードを削除します"_s},
      {cmd::kCutCard, u"カードを切り取ってクリップボードに移します"_s},
      {cmd::kCopyCard, u"カードをクリップボードにコピーします"_s},
      {cmd::kPasteCard, u"クリップボードのカードを貼り付けます"_s},
      {cmd::kAppendPaste, u"クリップボードのカードを最後に追加します"_s},
      {cmd::kItemProperties, u"項目の種類、書式、計算式などを設定します"_s},
      {cmd::kEditItems, u"項目の追加、削除、名前の変更、並べ替えをします"_s},
      {cmd::kSort, u"カードを並べ替えます"_s},
      {cmd::kMultiSort, u"複数の項目をキーにしてカードを並べ替えます"_s},
      {cmd::kFilter, u"条件に合うカードだけを表示します"_s},
      {cmd::kReleaseFilter, u"絞り込みを解除してすべてのカードを表示します"_s},
      {cmd::kHideCard, u"このカードを絞り込みの結果から外します"_s},
      {cmd::kComplement, u"絞り込まれなかったカードを表示します"_s},
      {cmd::kCount, u"項目の内容ごとに件数を集計します"_s},
      {cmd::kTotals, u"項目の合計と平均を求めます"_s},
      {cmd::kDiscard, u"表示されているカードを削除します"_s},
      {cmd::kUnify, u"項目の内容を一つの値にそろえます"_s},
      {cmd::kOpenAsFile, u"項目の内容をファイル名やアドレスとして開きます"_s},
      {cmd::kSwitchList, u"一覧表とカードを切り替えます\n一覧/ｶｰﾄﾞの切替"_s},
      {cmd::kStandard, u"標準の色とフォントで表示します"_s},
      {cmd::kNextCard, u"次のカードを表示します"_s},
      {cmd::kPrevCard, u"前のカードを表示します"_s},
      {cmd::kFirstCard, u"先頭のカードを表示します"_s},
      {cmd::kLastCard, u"最後のカードを表示します"_s},
      {cmd::kScrollUp, u"カードを上にスクロールします"_s},
      {cmd::kScrollDown, u"カードを下にスクロールします"_s},
      {cmd::kFont, u"項目内容のフォントを変更します"_s},
      {cmd::kNameFont, u"項目名のフォントを変更します"_s},
      {cmd::kAdjustLengths, u"項目の長さを内容に合わせて設定し直します"_s},
      {cmd::kSingleLine, u"編集エリアの一行表示と複数行表示を切り替えます"_s},
      {cmd::kSplitSide, u"項目リストとカードを左右に並べます"_s},
      {cmd::kSplitStacked, u"項目リストとカードを上下に並べます"_s},
      {cmd::kSplitAuto, u"画面の向きに合わせて項目リストとカードを並べます"_s},
      {cmd::kShowItemList, u"項目リストを表示するかどうかを切り替えます"_s},
      {cmd::kNoList, u"一覧表を使いません"_s},
      {cmd::kKeyNames, u"メニューにキーの名前を表示するかどうかを切り替えます"_s},
      {cmd::kInitDir, u"ファイルを開くときに最初に表示するフォルダを設定します"_s},
      {cmd::kAssociate, u"CSVファイルとVCSVファイルをVELUMで開くように設定します"_s},
      {cmd::kSettings, u"動作と表示の設定を変更します"_s},
      {cmd::kKeyCustomize, u"キーに割り当てるコマンドを変更します"_s},
      {cmd::kHelp, u"ヘルプを表示します"_s},
      {cmd::kAbout, u"プログラムの名前とバージョンを表示します"_s},
      {cmd::kSoftKeyMenu, u"メニューをソフトキーの形に切り替えます"_s},
      {cmd::kPreview, u"カードをHTMLにしてブラウザで表示します"_s},
      {cmd::kPreviewSettings, u"ブラウザ表示のテンプレートを設定します"_s},
      {cmd::kCardScreen, u"カード画面を表示します"_s},
      {cmd::kListScreen, u"一覧表を表示します"_s},
      {cmd::kSwitchItemList, u"項目一覧とカードの間でフォーカスを移します"_s},
      {cmd::kFocusChooser, u"項目選択にフォーカスを移します"_s},
      {cmd::kFocusItemList, u"項目一覧にフォーカスを移します"_s},
      {cmd::kFocusCard, u"カードにフォーカスを移します"_s},
      {cmd::kNextItem, u"次の項目に移ります"_s},
      {cmd::kPrevItem, u"前の項目に移ります"_s},
      {cmd::kNextItemAdd, u"次の項目に移ります。最後の項目ではカードを追加します"_s},
      {cmd::kExitConfirm, u"確認してからVELUMを終了します"_s},
  };
  return prompts;
}

const QString kRecentPrompt = u"指定のﾌｧｲﾙを開く"_s;

}  // namespace

QString CommandPrompt(std::uint32_t id) {
  if (id >= cmd::kRecentFirst && id <= cmd::kRecentLast) return kRecentPrompt;
  const auto it = Prompts().constFind(id);
  if (it != Prompts().constEnd()) return it->section(u'\n', 0, 0);
  const CFrameCommand* c = FindFrameCommand(id);
  return c ? ToolTipText(c->text) : QString();
}
