#include "print/postcard/kanji_numerals.h"

#include "print/postcard/postcard_code.h"

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kKanjiDigits[] = u"〇一二三四五六七八九";
constexpr qsizetype kMaxPlaceDigits = 8;

bool IsKanjiDigit(QChar c) {
  return QStringView(u"〇一二三四五六七八九十百千万").contains(c);
}

// The numeral of 1..9999 by place: 千 百 十 without a leading 一.
QString Below10000(int n) {
  static constexpr char16_t kPlaces[] = u"千百十";
  static constexpr int kValues[] = {1000, 100, 10};
  QString out;
  for (int i = 0; i < 3; ++i) {
    const int d = n / kValues[i];
    n %= kValues[i];
    if (d == 0) continue;
    if (d > 1) out += QChar(kKanjiDigits[d]);
    out += QChar(kPlaces[i]);
  }
  if (n > 0) out += QChar(kKanjiDigits[n]);
  return out;
}

bool IsHalfWidthKana(QChar c) { return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F; }

}  // namespace

QString KanjiNumber(QStringView digits, NumeralStyle style) {
  const bool byPlace = style == NumeralStyle::kPlace && !digits.isEmpty() && digits.size() <= kMaxPlaceDigits &&
                       (digits.front() != u'0' || digits.size() == 1);
  if (!byPlace) {
    QString out;
    out.reserve(digits.size());
    for (QChar c : digits) {
      const int d = PostcardDigit(c);
      out += d >= 0 ? QChar(kKanjiDigits[d]) : c;
    }
    return out;
  }
  const long value = digits.toLong();
  if (value == 0) return u"〇"_s;
  const int high = int(value / 10000), low = int(value % 10000);
  QString out;
  if (high > 0) out = (high == 1 ? u"一"_s : Below10000(high)) + u"万"_s;
  // 一千 after 万 reads better than a bare 千 (一万一千).
  if (high > 0 && low >= 1000 && low < 2000) out += u"一"_s;
  return out + Below10000(low);
}

CVerticalText VerticalAddressText(QStringView text, NumeralStyle numerals, HyphenStyle hyphen) {
  CVerticalText out;
  out.text.reserve(text.size());
  out.inNumber.reserve(text.size());
  const auto isNumberChar = [&](qsizetype i) {
    return i >= 0 && i < text.size() && (PostcardDigit(text[i]) >= 0 || IsKanjiDigit(text[i]));
  };
  qsizetype i = 0;
  while (i < text.size()) {
    const QChar c = text[i];
    if (PostcardDigit(c) >= 0) {
      QString digits;
      while (i < text.size() && PostcardDigit(text[i]) >= 0) digits += QChar(u'0' + PostcardDigit(text[i++]));
      const QString numeral = KanjiNumber(digits, numerals);
      out.text += numeral;
      out.inNumber.insert(out.inNumber.end(), numeral.size(), true);
      continue;
    }
    if (IsPostcardHyphen(c) && isNumberChar(i - 1) && isNumberChar(i + 1)) {
      out.text += hyphen == HyphenStyle::kNo ? u'の' : u'ー';
      out.inNumber.push_back(true);
      ++i;
      continue;
    }
    if (IsHalfWidthKana(c)) {
      qsizetype end = i;
      while (end < text.size() && IsHalfWidthKana(text[end])) ++end;
      const QString wide = text.sliced(i, end - i).toString().normalized(QString::NormalizationForm_KC);
      out.text += wide;
      out.inNumber.insert(out.inNumber.end(), wide.size(), false);
      i = end;
      continue;
    }
    // A comma set vertically is the ideographic one.
    out.text += c == u',' || c == u'，' ? QChar(u'、') : c;
    out.inNumber.push_back(IsKanjiDigit(c));
    ++i;
  }
  return out;
}
