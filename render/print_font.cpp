#include "render/print_font.h"

#include "records/archive.h"

#include <QRawFont>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultHeight = 64;
// Heights outside 1 mm to 10 cm come from damaged records.
constexpr int kMinEm = 10;
constexpr int kMaxEm = 1000;
constexpr double kMmPerPoint = 25.4 / 72;

QFont BaseFont(const CArchiveFont& f) {
  QFont font;
  const bool serif = f.faceName.contains(u"明朝"_s) || f.faceName.contains(u"Mincho"_s, Qt::CaseInsensitive);
  QStringList families;
  if (!f.faceName.trimmed().isEmpty()) families << f.faceName.trimmed();
  if (serif) families << u"Noto Serif CJK JP"_s;
  families << u"Noto Sans CJK JP"_s << u"Noto Sans Mono CJK JP"_s << u"IPAGothic"_s << u"VL Gothic"_s;
  font.setFamilies(families);
  font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
  font.setHintingPreference(QFont::PreferNoHinting);
  if (f.weight > 0) font.setWeight(QFont::Weight(std::clamp<int>(int(f.weight), 100, 900)));
  font.setItalic(f.italic != 0);
  font.setUnderline(f.underline != 0);
  return font;
}

}  // namespace

QFont PrintFontOfHeight(const CArchiveFont& f, int emHeight) {
  QFont font = BaseFont(f);
  font.setPixelSize(std::clamp(emHeight, kMinEm, kMaxEm));
  return font;
}

QFont PrintFont(const CArchiveFont& f) {
  const int height = f.height == 0 ? kDefaultHeight : f.height;
  if (height < 0) return PrintFontOfHeight(f, height == INT32_MIN ? kMaxEm : -height);
  // A line height: the character height whose ascent and descent make it, as
  // the face measures at a large size.
  QFont probe = BaseFont(f);
  probe.setPixelSize(1000);
  const QFontMetricsF m(probe);
  const double perEm = m.height() > 0 ? m.height() / 1000 : 1;
  return PrintFontOfHeight(f, int(std::lround(std::min<double>(height, 1e6) / perEm)));
}

CFontMeasure::CFontMeasure(const QFont& font)
    : m_metrics(font), m_lineHeight(m_metrics.height()), m_ascent(m_metrics.ascent()), m_bmp(0x10000, -1.0f) {}

double CFontMeasure::CharWidth(char32_t c) const {
  if (c < 0x10000) {
    float& w = m_bmp[c];
    if (w < 0) w = float(m_metrics.horizontalAdvance(QChar(char16_t(c))));
    return w;
  }
  auto it = m_other.constFind(c);
  if (it != m_other.constEnd()) return *it;
  const double w = m_metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
  m_other.insert(c, w);
  return w;
}

QHash<char16_t, char16_t> SharedGlyphFixes(const QFont& font, const std::vector<bool>& drawn) {
  QHash<char16_t, char16_t> fixes;
  const QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid() || drawn.size() < 0x10000) return fixes;
  std::vector<QChar> chars;
  chars.reserve(0x10000);
  for (char32_t c = 0; c < 0x10000; ++c)
    chars.push_back(QChar::isSurrogate(c) ? QChar(u' ') : QChar(char16_t(c)));
  std::vector<quint32> glyphs(chars.size());
  int count = int(chars.size());
  if (!raw.glyphIndexesForChars(chars.data(), count, glyphs.data(), &count)) return fixes;
  QHash<quint32, char16_t> byGlyph;
  for (char32_t c = 0x21; c < 0x10000; ++c)
    if (drawn[c] && glyphs[c] != 0 && !QChar::isSurrogate(c) && !byGlyph.contains(glyphs[c]))
      byGlyph.insert(glyphs[c], char16_t(c));
  if (byGlyph.isEmpty()) return fixes;
  for (char32_t c = 0x21; c < 0x10000; ++c) {
    if (drawn[c] || glyphs[c] == 0 || QChar::isSurrogate(c)) continue;
    const auto it = byGlyph.constFind(glyphs[c]);
    if (it != byGlyph.constEnd()) fixes.insert(char16_t(c), *it);
  }
  return fixes;
}

int PrintFontPoints(const CArchiveFont& font) {
  // The font's pixel size is its character height in 0.1 mm.
  const QFont f = PrintFont(font);
  const double em = (f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF()) / 10.0;
  return std::max(1, int(std::lround(em / kMmPerPoint)));
}

std::int32_t PrintFontHeight(int points) { return -std::int32_t(std::lround(points * kMmPerPoint * 10)); }
