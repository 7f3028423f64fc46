#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// Numbers in an address written vertically: Arabic digits become kanji
// numerals, hyphens between numbers ー or の.

// 0: digit by digit (101 → 一〇一, 12 → 一二); 1: by place (12 → 十二, 101 → 百一).
enum class NumeralStyle : int { kDigits = 0, kPlace = 1 };
// 0: ー (1-2-3 → 一ー二ー三); 1: の (一の二の三).
enum class HyphenStyle : int { kBar = 0, kNo = 1 };

// The kanji numeral of a run of ASCII digits. By place it writes up to eight
// digits with 千 百 十 and 万 (1000 → 千, 20001 → 二万一, 0 → 〇); a run with
// a leading zero (a room 0101) or longer than eight digits is written digit
// by digit in either style.
QString KanjiNumber(QStringView digits, NumeralStyle style);

// A text made ready for vertical printing, with the characters that belong to
// a number (its digits and the hyphens joining numbers), where a column must
// not break.
struct CVerticalText {
  QString text;
  std::vector<bool> inNumber;  // one per character of text
};

// Half- and full-width digits become kanji numerals, a hyphen (see
// IsPostcardHyphen) between two numbers becomes ー or の, half-width katakana
// become full-width, commas 、; everything else stands as it is (Latin
// letters stay Latin and are printed upright).
CVerticalText VerticalAddressText(QStringView text, NumeralStyle numerals, HyphenStyle hyphen);
