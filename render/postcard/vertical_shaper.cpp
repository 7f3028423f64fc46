#include "render/postcard/vertical_shaper.h"

#include "render/raw_font_face.h"

#include <QFont>
#include <QFontDatabase>

#include <hb-ot.h>
#include <hb.h>

#include <cmath>

namespace {

constexpr std::size_t kSizesKept = 32;

}  // namespace

CVerticalShaper::CVerticalShaper(const QString& family) {
  QFont font(family);
  font.setPixelSize(100);
  font.setHintingPreference(QFont::PreferNoHinting);
  m_raw = QRawFont::fromFont(font, QFontDatabase::Japanese);
  if (!m_raw.isValid()) m_raw = QRawFont::fromFont(font);
  m_valid = m_raw.isValid();
  if (!m_valid) return;
  hb_face_t* face = CreateFaceOf(m_raw);
  m_upem = hb_face_get_upem(face);
  if (m_upem <= 0) m_upem = 1000;
  char name[256];
  unsigned size = sizeof name;
  if (hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name) > 0)
    m_postscriptName = QByteArray(name);
  m_font = hb_font_create(face);
  hb_face_destroy(face);
  hb_ot_font_set_funcs(m_font);
  hb_font_set_scale(m_font, int(m_upem), int(m_upem));
}

CVerticalShaper::~CVerticalShaper() {
  if (m_font) hb_font_destroy(m_font);
}

QRawFont CVerticalShaper::Font(double pixelSize) const {
  for (const auto& [size, font] : m_sized)
    if (size == pixelSize) return font;
  QRawFont font = m_raw;
  font.setPixelSize(pixelSize);
  if (m_sized.size() >= kSizesKept) m_sized.erase(m_sized.begin());
  m_sized.emplace_back(pixelSize, font);
  return font;
}

CShapedRun CVerticalShaper::Shape(QStringView text, bool vertical) const {
  CShapedRun run;
  if (!m_font || text.isEmpty()) return run;
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()), 0,
                      int(text.size()));
  hb_buffer_guess_segment_properties(buffer);
  hb_buffer_set_direction(buffer, vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
  hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
  // vert, not vrt2: vrt2 would also turn Latin letters on their side.
  hb_feature_t feature;
  hb_feature_from_string("vert", -1, &feature);
  hb_shape(m_font, buffer, vertical ? &feature : nullptr, vertical ? 1 : 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
  run.glyphs.reserve(count);
  double penX = 0, penY = 0;
  for (unsigned i = 0; i < count; ++i) {
    CShapedGlyph g;
    g.glyph = info[i].codepoint;
    g.origin = QPointF((penX + pos[i].x_offset) / m_upem, -(penY + pos[i].y_offset) / m_upem);
    g.pen = QPointF(penX / m_upem, -penY / m_upem);
    if (i == 0 || info[i].cluster != info[i - 1].cluster) {
      unsigned end = unsigned(text.size());
      for (unsigned k = i + 1; k < count; ++k)
        if (info[k].cluster != info[i].cluster) {
          end = info[k].cluster;
          break;
        }
      if (end > info[i].cluster) g.text = text.sliced(info[i].cluster, end - info[i].cluster).toString();
    }
    penX += pos[i].x_advance;
    penY += pos[i].y_advance;
    run.glyphs.push_back(std::move(g));
  }
  run.length = vertical ? -penY / m_upem : penX / m_upem;
  hb_buffer_destroy(buffer);
  return run;
}

double CVerticalShaper::VerticalLength(QStringView text) const { return Shape(text, true).length; }

double CVerticalShaper::HorizontalWidth(QStringView text) const { return Shape(text, false).length; }
