#pragma once

#include "print/print_pagination.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

#include <cstdint>
#include <vector>

struct CArchiveFont;

// The font a layout prints with, sized in the painter's unit (0.1 mm). The
// face is asked for first; one the machine lacks (a Windows face such as
// "ＭＳ ゴシック") falls back to an installed Japanese face, Mincho-like
// names to a serif one. The height is the record's: positive the line height
// (ascent + descent), negative the character height, 0 the default 6.4 mm.
QFont PrintFont(const CArchiveFont& font);
// The point size a layout's stored height stands for, and the stored height
// (the character height in 0.1 mm, negative) of a point size: what the
// layout dialog shows and stores.
int PrintFontPoints(const CArchiveFont& font);
std::int32_t PrintFontHeight(int points);
// A font of the same face with a character height of emHeight (0.1 mm).
QFont PrintFontOfHeight(const CArchiveFont& font, int emHeight);

// The characters a PDF's text map should name instead of others: Qt's PDF
// writer names a glyph by the lowest code point the font maps to it, so where
// a font shares one glyph among several characters (Noto CJK draws 氏 and the
// radical ⽒ U+2F52 alike, ・ and ‧ U+2027), text drawn as 氏 would read back
// as ⽒. For every BMP character not drawn (drawn[c] false) whose glyph a drawn
// character has, the drawn one: 0x2F52 -> 0x6C0F.
QHash<char16_t, char16_t> SharedGlyphFixes(const QFont& font, const std::vector<bool>& drawn);

// Measures with a font's metrics; every character's advance is asked once.
class CFontMeasure final : public ITextMeasure {
 public:
  explicit CFontMeasure(const QFont& font);
  double CharWidth(char32_t c) const override;
  double LineHeight() const override { return m_lineHeight; }
  double Ascent() const { return m_ascent; }

 private:
  QFontMetricsF m_metrics;
  double m_lineHeight;
  double m_ascent;
  mutable std::vector<float> m_bmp;  // -1 until asked
  mutable QHash<char32_t, double> m_other;
};
