#pragma once

#include <QString>

// The texts the card document shows, exactly as the user sees them.
namespace msg {

inline const QString kCannotOpen = QStringLiteral("ファイルが開けません");
inline const QString kReadIncomplete = QStringLiteral("データを最後まで読み込めません");
inline const QString kMemoryOverflow = QStringLiteral("メモリーオーバーフロー");
inline const QString kNotInAllCards = QStringLiteral("AllCardにありません");
inline const QString kNewFileError = QStringLiteral("エラー：新規ファイルです");
inline const QString kReloadQuestion = QStringLiteral("ファイルを再読み込みしますか？");
inline const QString kSyncQuestion = QStringLiteral("同期によりファイルが更新されています。更新しますか？");
inline const QString kNoMemory = QStringLiteral("エラー：メモリが確保できません");
inline const QString kCannotWrite = QStringLiteral("書き込みできません");
// Between a message and the "PATH: reason" of a failed file operation.
inline const QString kReasonSeparator = QStringLiteral(" - ");

// Where going on silently would misread or lose data (damaged or cut input,
// limits, a text the code page cannot hold), the user is told what and where.
// %1: line number from 1.
inline const QString kTooManyItems = QStringLiteral("エラー：%1行目の項目数が200を超えています");
// %1: code page, %2: count, %3: byte offset from 1.
inline const QString kUndecodable =
    QStringLiteral("%1として読めない文字が%2か所あります（最初は%3バイト目）。「\uFFFD」に置き換えて表示します");
// %1: "項目名" or "カード n", %2: item name, %3: the character, %4: code page.
inline const QString kUnencodable =
    QStringLiteral("%1の項目「%2」の文字「%3」は%4で保存できません。UTF-8で保存しますか？");
inline const QString kItemNamesRow = QStringLiteral("項目名");
inline const QString kCardN = QStringLiteral("カード%1");
inline const QString kPartialOverwrite = QStringLiteral(
    "このファイルは最後まで読み込めなかったため、上書き保存できません。名前を付けて保存してください");
// %1: the file's name.
inline const QString kChangedOnDisk = QStringLiteral(
    "「%1」は読み込んだ後にほかのプログラムで変更されています。上書き保存すると、その変更は失われます");
// %1: the file's name.
inline const QString kReplacedBytesOverwrite = QStringLiteral(
    "「%1」には読めなかった文字があり、「\uFFFD」に置き換えて表示しています。上書き保存すると、元のバイトは失われます。"
    "上書き保存しますか？");
// %1: line number from 1.
inline const QString kUnclosedQuote =
    QStringLiteral("%1行目から始まる引用符の項目がファイルの最後まで閉じられていません。最後のカードとして読み込みました");
// %1: the line end written ("CR LF", "LF" or "CR").
inline const QString kMixedLineEnds = QStringLiteral(
    "このファイルの行末は改行の種類が混在していました。最も多かった%1にそろえて保存しました");

}  // namespace msg
