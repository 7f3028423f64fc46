#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// What the text of one embedded font stands for, to rewrite the text map
// (ToUnicode) that Qt's PDF writer made for it. Qt numbers a font's glyphs in
// the order they were first drawn (0 is .notdef) and names each by the lowest
// character the font maps to it: a vertical form (ー set vertically), which
// no character maps to, is left unnamed and reads back as nothing, and a
// glyph shared with a radical (田 and ⽥) reads back as the radical.
struct CPdfFontText {
  QByteArray postscriptName;       // the font's /BaseFont, without a subset tag
  bool vertical = false;           // set the font in vertical writing mode
  std::vector<quint32> glyphs;     // the face's glyph of each PDF glyph number
  std::vector<QString> text;       // what each stands for (empty: nothing)
  // The face's glyph of a character: checks that Qt numbered the glyphs as
  // expected before its map is replaced.
  std::function<quint32(char32_t)> glyphOf;
};

// Rewrites a PDF made by Qt's PDF writer in place: for every font named in
// fonts, the text map becomes the one given, and a vertical font is written
// in vertical writing mode (Identity-V, with the glyphs' origins where Qt put
// them: nothing moves on the page), so that readers take its columns as lines
// read top to bottom. The cross-reference table is rebuilt. A font whose map
// does not agree with the glyph numbers given, or a file laid out otherwise
// than Qt lays it out, is left as it is. Answers how many fonts were rewritten.
int FixPdfTextMaps(QByteArray& pdf, const std::vector<CPdfFontText>& fonts);
