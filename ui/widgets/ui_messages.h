#pragma once

#include "core/file_kind.h"

#include <QString>

// The texts the window shows, exactly as the user sees them.
namespace ui_msg {
inline const QString kCardOutOfRange = QStringLiteral("Error:カードの範囲を超えています");
inline const QString kLengthsAdjusted = QStringLiteral("長さを調節しました");
inline const QString kSplitFailed = QStringLiteral("分割切り替え失敗");
inline const QString kAssociate = QStringLiteral("拡張子CSV、VCSVをVELUMに関連づけます");
inline const QString kInitDirPrompt = QStringLiteral("初期フォルダを設定してください");
inline const QString kSoftKeyNextStart =
    QStringLiteral("この設定は次回起動時から反映されます。[ファイル]-[終了]でいったん終了してください");
inline const QString kExitTitle = QStringLiteral("VELUMの終了");
inline const QString kExitText = QStringLiteral("VELUMを終了しますか？");
inline const QString kYes = QStringLiteral("はい");
inline const QString kNo = QStringLiteral("いいえ");
inline const QString kOpenTitle = QStringLiteral("開く");
inline const QString kSaveAsTitle = QStringLiteral("名前を付けて保存");
inline const QString kOpenFilter =
    QStringLiteral("VELUMﾌｧｲﾙ(*.vcsv;*.csv) |*.vcsv;*.csv|VCSVﾌｧｲﾙ(*.vcsv) |*.vcsv|CSVﾌｧｲﾙ(*.csv) |*.csv|全てのﾌｧｲﾙ(*.*) |*.*||");
inline const QString kSaveFilter =
    QStringLiteral("CSVﾌｧｲﾙ(*.csv) |*.csv|VCSVﾌｧｲﾙ(*.vcsv) |*.vcsv|Textﾌｧｲﾙ(*.txt) |*.txt||");
// The own save dialog's filter; the standard dialog has kSaveFilter.
inline const QString kSaveFilterOwn = QStringLiteral("CSVﾌｧｲﾙ(*.csv;*.vcsv) |*.csv;*.vcsv|Textﾌｧｲﾙ(*.txt) |*.txt||");
inline const QString kOpenPattern = QStringLiteral("*.csv;*.vcsv");
// %1: the path, %2: the system's reason.
inline const QString& kCannotOpenPath = msg::kCannotOpenPath;
inline const QString kCannotOpenRecent =
    QStringLiteral("ファイルが開けません\n%1: %2\n\n最近使ったファイルの一覧から外しますか？");
// The status bar while filtered: %1 visible of %2 cards.
inline const QString kFilteredCount = QStringLiteral("絞り込み %1 / %2");
inline const QString kNoHelpPage = QStringLiteral("ヘルプのページが見つかりません");
// %1: the help page's path.
inline const QString kNoBrowser =
    QStringLiteral("ヘルプを表示するブラウザが見つかりません。\nヘルプのページ：%1");
inline const QString kBadItemReference = QStringLiteral("項目名が無効 または項目内容がありません");
inline const QString kFontDialogTitle = QStringLiteral("フォントの設定");
// %1: the stored face the machine lacks, %2: the installed family that draws it.
inline const QString kFontDrawnBy = QStringLiteral("「%1」はこのコンピュータにないため「%2」で表示します");
inline const QString kDocumentFilterName = QStringLiteral("VELUM ﾌｧｲﾙ (*.csv)");
// The association failed; %1 says why.
inline const QString kAssociateFailed = QStringLiteral("関連づけできませんでした：%1");
}  // namespace ui_msg
