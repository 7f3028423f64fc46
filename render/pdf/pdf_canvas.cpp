#include "render/pdf/pdf_canvas.h"

#include "render/pdf/pdf_file.h"

#include <QGlyphRun>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPointsPerUnit = 72 / 254.0;  // a unit is 0.1 mm

}  // namespace

CPdfCanvas::CPdfCanvas(CPdfFonts& fonts, double pageHeight) : m_fonts(fonts), m_pageHeight(pageHeight) {}

void CPdfCanvas::Begin() {
  m_out.clear();
  m_state = CState();
  m_saved.clear();
  m_inText = false;
  m_face = -1;
  m_stroke.clear();
  m_fill.clear();
  m_strokeColour.clear();
  m_fillColour.clear();
  // User space becomes the painter's: 0.1 mm, y downward from the top.
  AppendPdfNumber(m_out, kPointsPerUnit, 8);
  m_out += " 0 0 ";
  AppendPdfNumber(m_out, -kPointsPerUnit, 8);
  m_out += " 0 ";
  AppendPdfNumber(m_out, m_pageHeight, 4);
  m_out += " cm\n";
}

const QByteArray& CPdfCanvas::Content() {
  EndText();
  return m_out;
}

void CPdfCanvas::Save() { m_saved.push_back(m_state); }

void CPdfCanvas::Restore() {
  if (m_saved.empty()) return;
  m_state = m_saved.back();
  m_saved.pop_back();
}

void CPdfCanvas::Translate(double dx, double dy) { m_state.transform.translate(dx, dy); }

void CPdfCanvas::Scale(double sx, double sy) { m_state.transform.scale(sx, sy); }

void CPdfCanvas::SetFont(const QFont& font) { m_state.font = &m_fonts.Find(font); }

void CPdfCanvas::SetPen(const QPen& pen) { m_state.pen = pen; }

void CPdfCanvas::EndText() {
  if (!m_inText) return;
  m_out += "ET\n";
  m_inText = false;
}

void CPdfCanvas::Point(const QPointF& p) {
  const QPointF q = m_state.transform.map(p);
  AppendPdfNumber(m_out, q.x(), 2);
  m_out += ' ';
  AppendPdfNumber(m_out, q.y(), 2);
  m_out += ' ';
}

void CPdfCanvas::Colour(const QColor& color, bool stroke) {
  QByteArray set;
  if (color.red() == color.green() && color.green() == color.blue()) {
    AppendPdfNumber(set, color.redF(), 4);
    set += stroke ? " G\n" : " g\n";
  } else {
    AppendPdfNumber(set, color.redF(), 4);
    set += ' ';
    AppendPdfNumber(set, color.greenF(), 4);
    set += ' ';
    AppendPdfNumber(set, color.blueF(), 4);
    set += stroke ? " RG\n" : " rg\n";
  }
  QByteArray& last = stroke ? m_strokeColour : m_fillColour;
  if (set == last) return;
  last = set;
  m_out += set;
}

void CPdfCanvas::ApplyPen() {
  const QPen& pen = m_state.pen;
  const QTransform& t = m_state.transform;
  const double width = pen.widthF() * std::sqrt(std::abs(t.determinant()));
  QByteArray set;
  AppendPdfNumber(set, width, 3);
  set += " w ";
  set += pen.capStyle() == Qt::FlatCap ? "0 J " : pen.capStyle() == Qt::RoundCap ? "1 J " : "2 J ";
  set += pen.joinStyle() == Qt::MiterJoin ? "0 j " : pen.joinStyle() == Qt::RoundJoin ? "1 j " : "2 j ";
  set += '[';
  if (pen.style() != Qt::SolidLine) {
    const double unit = width > 0.001 ? width : 1;
    for (double dash : pen.dashPattern()) {
      AppendPdfNumber(set, std::max(dash * unit, 0.0001), 3);
      set += ' ';
    }
  }
  set += "] 0 d\n";
  if (set != m_stroke) {
    m_stroke = set;
    m_out += set;
  }
  Colour(pen.color(), true);
}

void CPdfCanvas::FillRect(const QRectF& rect, const QColor& color) {
  EndText();
  Colour(color, false);
  const QRectF r = m_state.transform.mapRect(rect);
  AppendPdfNumber(m_out, r.x(), 2);
  m_out += ' ';
  AppendPdfNumber(m_out, r.y(), 2);
  m_out += ' ';
  AppendPdfNumber(m_out, r.width(), 2);
  m_out += ' ';
  AppendPdfNumber(m_out, r.height(), 2);
  m_out += " re f\n";
}

void CPdfCanvas::DrawLine(const QPointF& from, const QPointF& to) {
  if (m_state.pen.style() == Qt::NoPen) return;
  EndText();
  ApplyPen();
  Point(from);
  m_out += "m ";
  Point(to);
  m_out += "l S\n";
}

void CPdfCanvas::DrawRect(const QRectF& rect) {
  if (m_state.pen.style() == Qt::NoPen) return;
  EndText();
  ApplyPen();
  Point(rect.topLeft());
  m_out += "m ";
  Point(rect.topRight());
  m_out += "l ";
  Point(rect.bottomRight());
  m_out += "l ";
  Point(rect.bottomLeft());
  m_out += "l h S\n";
}

void CPdfCanvas::BeginText(int face) {
  if (!m_inText) {
    m_out += "BT\n";
    m_inText = true;
    m_face = -1;
    Colour(Qt::black, false);
  }
  if (m_face != face) {
    m_face = face;
    m_out += "/F" + QByteArray::number(face) + " 1 Tf\n";
  }
}

void CPdfCanvas::TextMatrix(const QPointF& origin, double size) {
  // The text matrix turns the page's downward y up again and carries the
  // font's size, so that glyphs are shown at a size of 1.
  const QTransform& t = m_state.transform;
  const QPointF at = t.map(origin);
  AppendPdfNumber(m_out, t.m11() * size, 4);
  m_out += ' ';
  AppendPdfNumber(m_out, t.m12() * size, 4);
  m_out += ' ';
  AppendPdfNumber(m_out, -t.m21() * size, 4);
  m_out += ' ';
  AppendPdfNumber(m_out, -t.m22() * size, 4);
  m_out += ' ';
  AppendPdfNumber(m_out, at.x(), 2);
  m_out += ' ';
  AppendPdfNumber(m_out, at.y(), 2);
  m_out += " Tm ";
}

double CPdfCanvas::DrawWithFallback(const CPdfFonts::CEntry& font, const QPointF& baseline, const QString& text) {
  // Laid out by Qt, which takes each character the face lacks from another
  // face, as its painter does; every glyph is placed where Qt puts it.
  QTextLayout layout(text, font.font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return -1;
  const QList<uint> chars = text.toUcs4();
  for (const QGlyphRun& run : line.glyphRuns()) {
    const QRawFont raw = run.rawFont();
    int index = -1;
    CPdfFont* face = m_fonts.FaceOf(raw, &index);
    if (!face || raw.pixelSize() <= 0) return -1;
    // What each glyph stands for: the first character the face maps to it.
    QHash<quint32, QString> names;
    for (uint c : chars) {
      const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
      const QList<quint32> g = raw.glyphIndexesForString(one);
      if (g.size() == 1 && !names.contains(g[0])) names.insert(g[0], one);
    }
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (qsizetype k = 0; k < glyphs.size() && k < positions.size(); ++k) {
      BeginText(index);
      TextMatrix(baseline + QPointF(positions[k].x(), positions[k].y() - line.ascent()), raw.pixelSize());
      if (!face->ShowGlyph(glyphs[k], names.value(glyphs[k]), m_out)) return -1;
      m_out += '\n';
    }
  }
  return line.naturalTextWidth() / font.size;
}

void CPdfCanvas::DrawText(const QPointF& baseline, const QString& text) {
  const CPdfFonts::CEntry* font = m_state.font;
  if (!font || !font->face) {
    m_failed = true;
    return;
  }
  if (text.isEmpty()) return;
  BeginText(font->index);
  const qsizetype mark = m_out.size();
  TextMatrix(baseline, font->size);
  double advance = font->face->ShowText(text, m_out);
  if (advance < 0) {
    // A character the face lacks.
    m_out.truncate(mark);
    advance = DrawWithFallback(*font, baseline, text);
    if (advance < 0) {
      m_failed = true;
      return;
    }
  } else {
    m_out += '\n';
  }
  const double size = font->size;
  if (font->font.underline()) {
    const CState kept = m_state;
    QPen pen(Qt::black, font->lineWidth);
    pen.setCapStyle(Qt::FlatCap);
    m_state.pen = pen;
    // Where Qt's painter puts it: half a unit below the offset rounded up,
    // kept inside the descent, from whole units.
    double offset = std::ceil(font->underlinePos) + 0.5;
    if (font->underlinePos <= font->descent) offset = std::min(offset, font->descent - 0.5);
    const double y = baseline.y() + offset;
    DrawLine(QPointF(std::floor(baseline.x()), y), QPointF(std::floor(baseline.x() + advance * size), y));
    m_state = kept;
  }
}
