#include "japanese/kana_fold.h"

#include "japanese/japanese_settings.h"

namespace {

// U+FF66 to U+FF9D, the half-width katakana, in their full-width forms.
constexpr char16_t kHalfWidthKana[] =
    u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";
constexpr char16_t kFirstHalfWidthKana = 0xFF66;
constexpr char16_t kLastHalfWidthKana = 0xFF9D;
constexpr char16_t kHalfWidthVoiced = 0xFF9E;
constexpr char16_t kHalfWidthSemiVoiced = 0xFF9F;

bool IsKatakana(char16_t c) { return (c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE; }
bool IsHiragana(char16_t c) { return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E; }
bool IsHalfWidthKana(char16_t c) { return c >= 0xFF61 && c <= 0xFF9F; }
bool IsFullWidthAscii(char16_t c) { return c >= 0xFF01 && c <= 0xFF5E; }

char16_t KatakanaToHiragana(char16_t c) { return IsKatakana(c) ? char16_t(c - 0x60) : c; }

// The full-width katakana of a half-width one (U+FF61 to U+FF9F).
char16_t WidenHalfWidthKana(char16_t c) {
  switch (c) {
    case 0xFF61: return u'。';
    case 0xFF62: return u'「';
    case 0xFF63: return u'」';
    case 0xFF64: return u'、';
    case 0xFF65: return u'・';
    case kHalfWidthVoiced: return 0x309B;      // ゛
    case kHalfWidthSemiVoiced: return 0x309C;  // ゜
    default: return kHalfWidthKana[c - kFirstHalfWidthKana];
  }
}

// The kana with a voiced (0x3099) or semi-voiced (0x309A) mark joined, or 0
// when Unicode has no such character.
char16_t JoinMark(char16_t kana, char16_t mark) {
  const QChar pair[2] = {QChar(kana), QChar(mark)};
  const QString joined = QString(pair, 2).normalized(QString::NormalizationForm_C);
  return joined.size() == 1 ? joined.front().unicode() : 0;
}

}  // namespace

bool NeedsKanaFold(QStringView text) {
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c >= 0x30A1 && (IsKatakana(c) || IsHalfWidthKana(c) || IsFullWidthAscii(c) || c == 0x3000)) return true;
  }
  return false;
}

namespace {

// Katakana of either width to hiragana; with latin, full-width ASCII and the
// ideographic space to their ASCII forms too.
QString Fold(QStringView text, bool latin) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (IsKatakana(c)) {
      out += QChar(KatakanaToHiragana(c));
    } else if (latin && IsFullWidthAscii(c)) {
      out += QChar(c - 0xFF01 + 0x21);
    } else if (latin && c == 0x3000) {
      out += u' ';
    } else if (IsHalfWidthKana(c)) {
      char16_t wide = WidenHalfWidthKana(c);
      if (c >= kFirstHalfWidthKana && c <= kLastHalfWidthKana && i + 1 < text.size()) {
        const char16_t next = text[i + 1].unicode();
        if (next == kHalfWidthVoiced || next == kHalfWidthSemiVoiced) {
          if (const char16_t joined = JoinMark(wide, next == kHalfWidthVoiced ? 0x3099 : 0x309A)) {
            wide = joined;
            ++i;
          }
        }
      }
      out += QChar(KatakanaToHiragana(wide));
    } else {
      out += QChar(c);
    }
  }
  return out;
}

}  // namespace

QString FoldKana(QStringView text) { return Fold(text, true); }

QString ToHiragana(QStringView text) { return Fold(text, false); }

QString HiraganaToKatakana(QStringView text) {
  QString out = text.toString();
  for (QChar& ch : out)
    if (IsHiragana(ch.unicode())) ch = QChar(ch.unicode() + 0x60);
  return out;
}

bool IsKanaText(QStringView text) {
  if (text.isEmpty()) return false;
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    const bool kana = IsHiragana(c) || IsKatakana(c) || (c >= 0xFF66 && c <= 0xFF9F) || c == 0x30FC ||
                      (c >= 0x3099 && c <= 0x309C) || c == 0x30F7 || c == 0x30F8 || c == 0x30F9 || c == 0x30FA;
    if (!kana) return false;
  }
  return true;
}

bool KanaFoldOn(const CSettingsStore& settings) { return ReadSetting(settings, settings::kKanaFold) != 0; }
