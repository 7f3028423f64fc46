#pragma once

#include <QString>
#include <QStringView>

class CSettingsStore;

// Folding of the ways Japanese text can be typed, for searches that should not
// care how the kana were entered:
// - katakana become hiragana (カトウ -> かとう; ヴ -> ゔ, ヶ -> ゖ);
// - half-width katakana become full-width hiragana, a following ﾞ or ﾟ joined
//   to the kana it marks (ｶﾞ -> が, ﾊﾟ -> ぱ); ｰ and the half-width signs
//   become their full-width forms;
// - full-width Latin letters, digits and signs become ASCII (ＡＢＣ -> ABC,
//   １２３ -> 123), the ideographic space a space.
// Case is left alone (the callers fold case as they always have). The result
// may be shorter than the text (ｶﾞ is two units, が one).
QString FoldKana(QStringView text);

// Whether FoldKana would change the text; most texts are left as they are,
// and callers skip the copy for them.
bool NeedsKanaFold(QStringView text);

// Hiragana become katakana (the reverse of FoldKana's first rule, for a
// reading kept in katakana); everything else stays.
QString HiraganaToKatakana(QStringView text);
// Katakana and half-width katakana become hiragana; everything else stays.
QString ToHiragana(QStringView text);

// Whether every character is a kana (either kind, either width), the long
// vowel mark, the iteration marks or a voiced mark: the kind of text an input
// method shows before a conversion. False for an empty text.
bool IsKanaText(QStringView text);

// Whether searches fold kana (System/KanaFold, on by default).
bool KanaFoldOn(const CSettingsStore& settings);
