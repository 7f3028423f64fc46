#pragma once

#include <QString>
#include <QStringView>

#include <functional>

class CCardStore;

// What the formula editor shows under a formula as it is typed: the value it
// has on a card, and a plain sentence when that value is no result at all.
struct CFormulaTrial {
  QString value;
  QString advice;  // empty when the value looks like a result
};

// The formula's value on visible card `card` (as an unnamed item, as
// `velum-cli formula` computes it) and the advice for it. An empty formula or
// a card outside the store gives an empty trial.
CFormulaTrial TryFormula(const CCardStore& store, int card, const QString& formula);

// The advice alone, from the formula, its value and the texts its item
// references read on the card (`valueOf` answers the stored text of an item
// name, or a null text for an unknown name):
//  - the formula could not be computed (計算式が誤っています, an unknown item);
//  - the value is the formula's own text: a function name that is none;
//  - a date or time text given where a serial number is read (YEAR, MONTH, DAY,
//    DATESTR, HOUR, MINUTE, SECOND, TIMESTR): the function reads a number,
//    and names the function that turns the text into one.
QString FormulaAdvice(QStringView formula, QStringView value, const std::function<QString(const QString&)>& valueOf);

namespace advice_msg {
inline const QString kCannotCompute =
    QStringLiteral("計算できません。括弧の対応、関数名、%[項目名] の項目名を確かめてください");
inline const QString kNoSuchItem = QStringLiteral("「%1」という項目はありません");
inline const QString kOwnText =
    QStringLiteral("計算されず、式がそのまま表示されます。関数名のつづりを確かめてください");
inline const QString kDateText =
    QStringLiteral("%1 は日付シリアル値を読みます。日付「%2」はそのままでは読めません。%1(DAYS(%2)) のように DAYS で数値にしてください");
inline const QString kDateStrText =
    QStringLiteral("DATESTR は日付シリアル値を日付にします。「%1」はすでに日付なので、DATESTR は要りません");
inline const QString kTimeText =
    QStringLiteral("%1 は時間シリアル値を読みます。時刻「%2」はそのままでは読めません。%1(TIME(%2)) のように TIME で数値にしてください");
inline const QString kCircular = QStringLiteral("この項目自身を参照しています");
}  // namespace advice_msg
