#pragma once

#include "datetime/date_serial.h"

#include <QString>

// A date in the Japanese era it falls in, in the forms of WAREKI(DATE,FORM):
//   0  昭和50年4月12日
//   1  S50.4.12          (the era's letter, year, month and day)
//   2  昭和50年
//   3  昭和五十年四月十二日 (kanji numerals, for vertical printing)
// FORM + 10 writes the first year of an era 元年 (昭和元年12月25日) in forms
// 0, 2 and 3; form 1 keeps its digits (S1.12.25). The eras are the program's
// (明治 from 1868-01-01 to 令和 from 2019-05-01). Empty for a date before the
// first era or a form that is none of these.
QString WarekiText(DateSerial date, int form);

// A number from 0 to 99 in kanji numerals as dates write them: 十, 十二,
// 二十, 五十一. Larger numbers digit by digit (百二十 is not needed by any era).
QString KanjiNumber(int n);
