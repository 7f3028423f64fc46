#pragma once

#include <QString>

// The texts the sort, filter, search and summary commands show, exactly as the
// user sees them.
namespace select_msg {

inline const QString kNotFound = QStringLiteral("カードが見つかりません");
inline const QString kNotFoundFiltered = QStringLiteral("カードが見つかりません（絞り込みで %1 枚が隠れています）");
inline const QString kAllCardsMatch = QStringLiteral("全カードが対象です");
inline const QString kReleaseQuestion = QStringLiteral("絞り込みを解除します");
inline const QString kComplementQuestion = QStringLiteral("絞り込みされていないカードを表示します。よろしいですか？");
inline const QString kDiscardQuestion = QStringLiteral("表示中のカードを全て廃棄します");
inline const QString kDiscardFilteredQuestion =
    QStringLiteral("絞り込み中のカードを全て廃棄して、絞り込みモードを終了します");

}  // namespace select_msg
