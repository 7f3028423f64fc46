#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <set>
#include <vector>

class QRawFont;

// One OpenType file made of the tables of a face as Qt reads them (whichever
// file or collection member the face is), with only the tables a PDF's
// embedded font needs: metrics and outlines (CFF, or TrueType glyf and loca),
// no layout tables, names or hinting. Empty when the face has no outlines
// (a bitmap face) or its tables cannot be read.
QByteArray EmbeddableTables(const QRawFont& raw);

// The outlines of a CFF table: whether they are keyed by CID (charset maps
// glyphs to CIDs) and the CID (or, keyed by name, the glyph index) of every
// glyph. Empty glyphs when the table is damaged.
struct CCffCharset {
  bool cidKeyed = false;
  std::vector<std::uint16_t> codeOfGlyph;
};
CCffCharset ReadCffCharset(QByteArrayView cff);

// The part of a font program a PDF embeds, cut down to some glyphs by
// HarfBuzz's subsetter.
struct CFontSubset {
  bool cff = false;      // the CFF table alone (FontFile3, CIDFontType0C)
  QByteArray program;    // else a whole TrueType file (FontFile2)
};
// Subsets sfnt (what EmbeddableTables made) to glyphs (indices of the whole
// face; .notdef is always kept). Glyphs keep the codes a PDF names them by:
// their CID in a CFF keyed by CID (ReadCffCharset of the whole face), else
// their index. False when the subsetter fails or the result is not what a
// PDF can embed.
bool SubsetFont(const QByteArray& sfnt, const std::set<std::uint32_t>& glyphs, CFontSubset* subset);

// The table of an OpenType file; empty when it has none.
QByteArrayView SfntTable(QByteArrayView sfnt, const char tag[4]);
