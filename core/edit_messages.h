#pragma once

#include <QString>

// The texts the card and item editing commands show, exactly as the user sees them.
namespace edit_msg {

inline const QString kCommaQuestion =
    QStringLiteral("項目内容にカンマが含まれています。\n項目をダブルクォーテーションで囲みますか？");
inline const QString kLastCardQuestion = QStringLiteral("最後のカードです。カードを追加しますか？");
inline const QString kDontAskAgain = QStringLiteral("次回から確認しない");
inline const QString kDeleteCards = QStringLiteral("カードを削除します");
inline const QString kNothingToPaste = QStringLiteral("貼りつけるデータがありません");
inline const QString kSelectItem = QStringLiteral("項目を選択してください");
inline const QString kNoBreakInChoice = QStringLiteral("選択項目に改行挿入は出来ません");
inline const QString kAddItemPrompt = QStringLiteral("追加する項目名を入力してください");
inline const QString kInsertItemPrompt = QStringLiteral("挿入する項目名を入力してください");
inline const QString kRenameItemPrompt = QStringLiteral("変更する項目名を入力してください");
inline const QString kNameRequired = QStringLiteral("項目名は必ず入力してください");
// Preceded by the item's name.
inline const QString kDeleteItemSuffix = QStringLiteral("を削除します。よろしいですか？");
inline const QString kNameDialogTitle = QStringLiteral("Velum");
inline const QString kItemNameFormat = QStringLiteral("項目%1");

// Edits that would break the card file's limits (200 items, at least one item)
// are refused with a message rather than ignored.
inline const QString kTooManyItems = QStringLiteral("項目は200個までです。これ以上追加できません");
inline const QString kLastItem = QStringLiteral("最後の項目は削除できません");

}  // namespace edit_msg
