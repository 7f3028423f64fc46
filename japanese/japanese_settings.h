#pragma once

#include "settings/settings.h"

// The settings of Japanese text handling (section System), with their
// defaults, read and written through ReadSetting and WriteSetting.
namespace settings {

// Searches that ignore how kana and letters were typed (hiragana, katakana,
// half-width katakana, full-width letters and digits alike).
inline constexpr IntSetting kKanaFold{u"System", u"KanaFold", 1};
// Full-width digits and signs read as numbers and dates.
inline constexpr IntSetting kWideDigits{u"System", u"WideDigits", 1};
// A list from Japan Post (KEN_ALL.CSV or utf_ken_all.csv) that replaces the
// dictionaries of skkdic-extra; empty for those.
inline constexpr StringSetting kPostalFile{u"System", u"PostalFile", u""};
// The items that hold a postal code and the items an address goes into:
// comma-separated names, the first the deck has is taken.
inline constexpr StringSetting kPostalCodeItems{u"System", u"PostalCodeItems", u"郵便番号,〒"};
inline constexpr StringSetting kAddressItems{u"System", u"AddressItems", u"住所,住所1"};
// Readings kept from the input method: NAME=READING pairs, comma-separated;
// ReadingKatakana 1 keeps a reading in katakana rather than hiragana.
inline constexpr StringSetting kReadingItems{u"System", u"ReadingItems",
                                             u"氏名=ふりがな,名前=ふりがな,姓=せい,名=めい"};
inline constexpr IntSetting kReadingKatakana{u"System", u"ReadingKatakana", 0};

}  // namespace settings
