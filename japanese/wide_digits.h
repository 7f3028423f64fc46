#pragma once

#include <QString>
#include <QStringView>

class CSettingsStore;

// Text typed through an input method often holds full-width digits and signs
// (１２３, －５, １，２３４．５, ２０２６／１２／７). Where the program reads a
// number or a date from a text it reads them as their ASCII forms; the stored
// text is never changed.

// Whether the text holds a character that NarrowNumberText changes.
bool HasWideNumberChars(QStringView text);
// The text with full-width ASCII (U+FF01 to U+FF5E) in its ASCII form, the
// minus sign U+2212 as '-', the full-width yen sign as '\' and the
// ideographic space as a space; everything else stays.
QString NarrowNumberText(QStringView text);

// Whether numbers and dates are read through NarrowNumberText: the setting
// System/WideDigits (on by default). It is one switch for the whole process,
// set from the settings when the program starts and when the settings sheet
// changes it; files that rely on the old reading turn it off.
bool WideDigitsAsNumbers();
void SetWideDigitsAsNumbers(bool on);
// Sets the switch from System/WideDigits.
void ApplyWideDigitsSetting(const CSettingsStore& settings);
