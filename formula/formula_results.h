#pragma once

#include <QStringView>

// What item formulas give besides their values. Errors are values, never
// messages:
inline constexpr QStringView kCircularReference = u"循環参照：計算式中に式項目の参照が含まれています";
inline constexpr QStringView kFormulaError = u"計算式が誤っています";
inline constexpr QStringView kNoSuchItem = u"Err:計算式が誤っています（該当する項目なし）";  // + the formula
inline constexpr QStringView kLinkedToItself = u"Err:連動項目で自分自身を参照";

// Whether a text counts as a number for statistics: not empty, every
// character a digit, '.' or ',', the first may also be '-', '+' or '\'.
bool IsNumericText(QStringView text);

struct CColumnStatistics {
  int count = 0;  // numeric values over the visible cards
  double sum = 0;
  double max = 0;
  double min = 0;
  double variance = 0;  // population variance; 0 without values
};
