#include "render/postcard/postcard_painter.h"

#include "print/postcard/postcard_geometry.h"

#include <QGlyphRun>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Digits and horizontal text: a Gothic face reads best in the boxes (and a
// second face keeps them out of the vertical face's writing mode in a PDF).
const QString kGothic = u"Noto Sans CJK JP"_s;
const QString kMincho = u"Noto Serif CJK JP"_s;
// The baseline of a horizontal line below the top of its em box.
constexpr double kAscent = 0.88;
const QColor kBoxRed(220, 40, 40);

}  // namespace

// The glyphs drawn with one face, each noted the first time with its text.
struct CPostcardPainter::CFace {
  CFace(CVerticalShaper* s, bool v) : shaper(s), vertical(v) {}
  CVerticalShaper* shaper;
  bool vertical;
  QHash<quint32, int> number;        // glyph -> its number in the PDF's font
  std::vector<quint32> glyphs{0};    // 0 is .notdef
  std::vector<QString> text{QString()};

  void Note(quint32 glyph, const QString& t) {
    if (number.contains(glyph)) return;
    number.insert(glyph, int(glyphs.size()));
    glyphs.push_back(glyph);
    text.push_back(t);
  }
};

CPostcardPainter::CPostcardPainter(const CPostcardSettings& settings)
    : m_settings(settings),
      m_vertical(std::make_unique<CVerticalShaper>(settings.face)),
      m_horizontal(std::make_unique<CVerticalShaper>(kGothic)) {
  if (m_horizontal->PostscriptName() == m_vertical->PostscriptName())
    m_horizontal = std::make_unique<CVerticalShaper>(kMincho);
  m_verticalFace = std::make_unique<CFace>(m_vertical.get(), true);
  // Should both be one face (neither Noto face installed), its text is
  // mapped, horizontally.
  if (m_horizontal->PostscriptName() == m_vertical->PostscriptName()) {
    m_verticalFace->vertical = false;
    m_horizontal = nullptr;
  } else {
    m_horizontalFace = std::make_unique<CFace>(m_horizontal.get(), false);
  }
}

CPostcardPainter::~CPostcardPainter() = default;

void CPostcardPainter::Draw(QPainter& painter, CFace& face, double em, const std::vector<quint32>& glyphs,
                            const std::vector<QPointF>& at, const std::vector<QString>& text) {
  if (glyphs.empty()) return;
  QVector<quint32> indexes;
  QVector<QPointF> positions;
  indexes.reserve(qsizetype(glyphs.size()));
  positions.reserve(qsizetype(glyphs.size()));
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    face.Note(glyphs[i], text[i]);
    indexes << glyphs[i];
    positions << at[i];
  }
  QGlyphRun run;
  run.setRawFont(face.shaper->Font(em));
  run.setGlyphIndexes(indexes);
  run.setPositions(positions);
  painter.drawGlyphRun(QPointF(0, 0), run);
}

void CPostcardPainter::DrawColumn(QPainter& painter, const CPostcardColumn& c) {
  const CShapedRun run = m_vertical->Shape(c.text, true);
  std::vector<quint32> glyphs;
  std::vector<QPointF> at;
  std::vector<QString> text;
  for (const CShapedGlyph& g : run.glyphs) {
    const QPointF offset = g.origin - g.pen;
    glyphs.push_back(g.glyph);
    at.emplace_back(c.x + (g.pen.x() * c.pitch + offset.x()) * c.em, c.top + (g.pen.y() * c.pitch + offset.y()) * c.em);
    text.push_back(g.text);
  }
  Draw(painter, *m_verticalFace, c.em, glyphs, at, text);
}

void CPostcardPainter::DrawLine(QPainter& painter, const QString& line, QPointF topLeft, double em) {
  CVerticalShaper& shaper = m_horizontal ? *m_horizontal : *m_vertical;
  CFace& face = m_horizontalFace ? *m_horizontalFace : *m_verticalFace;
  const CShapedRun run = shaper.Shape(line, false);
  std::vector<quint32> glyphs;
  std::vector<QPointF> at;
  std::vector<QString> text;
  for (const CShapedGlyph& g : run.glyphs) {
    glyphs.push_back(g.glyph);
    at.emplace_back(topLeft.x() + g.origin.x() * em, topLeft.y() + (kAscent + g.origin.y()) * em);
    text.push_back(g.text);
  }
  Draw(painter, face, em, glyphs, at, text);
}

void CPostcardPainter::DrawDigit(QPainter& painter, const CPostcardDigit& d) {
  CVerticalShaper& shaper = m_horizontal ? *m_horizontal : *m_vertical;
  CFace& face = m_horizontalFace ? *m_horizontalFace : *m_verticalFace;
  const CShapedRun run = shaper.Shape(QString(d.digit), false);
  if (run.glyphs.empty()) return;
  const quint32 glyph = run.glyphs[0].glyph;
  // The digit's ink, not its advance, is centred in the box.
  const QRectF ink = shaper.Font(d.em).boundingRect(glyph);
  const QPointF origin = d.box.center() - ink.center();
  Draw(painter, face, d.em, {glyph}, {origin}, {QString(d.digit)});
}

void CPostcardPainter::PaintCard(QPainter& painter, const CPostcardLayout& layout) {
  painter.save();
  painter.translate(m_settings.offsetX, m_settings.offsetY);
  painter.setPen(Qt::black);
  for (const CPostcardColumn& c : layout.columns) DrawColumn(painter, c);
  for (const CPostcardDigit& d : layout.digits) DrawDigit(painter, d);
  for (const CPostcardLine& l : layout.lines) DrawLine(painter, l.text, l.topLeft, l.em);
  painter.restore();
}

namespace {

void OutlineBoxes(QPainter& painter, const CPostcardSettings& s, bool sender) {
  for (int i = 0; i < 7; ++i) painter.drawRect(CodeBox(i));
  if (!sender) return;
  const CSenderBoxes& b = s.senderBoxes;
  for (int left : b.left) painter.drawRect(QRectF(left, b.top, b.width, b.height));
}

}  // namespace

void CPostcardPainter::PaintCardFace(QPainter& painter) const {
  painter.save();
  painter.setBrush(Qt::white);
  painter.setPen(QPen(Qt::gray, 3));
  painter.drawRect(QRectF(0, 0, kCardWidth, kCardHeight));
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kBoxRed, 4));
  OutlineBoxes(painter, m_settings, m_settings.sender);
  painter.restore();
}

void CPostcardPainter::PaintCalibration(QPainter& painter) {
  painter.save();
  painter.translate(m_settings.offsetX, m_settings.offsetY);
  painter.setBrush(Qt::NoBrush);
  QPen pen(Qt::black, 2);
  painter.setPen(pen);
  painter.drawRect(QRectF(0, 0, kCardWidth, kCardHeight));
  OutlineBoxes(painter, m_settings, true);
  const QPointF centre(kCardWidth / 2.0, kCardHeight / 2.0);
  painter.drawLine(centre - QPointF(100, 0), centre + QPointF(100, 0));
  painter.drawLine(centre - QPointF(0, 100), centre + QPointF(0, 100));
  painter.drawEllipse(centre, 30, 30);
  painter.setPen(Qt::black);
  const auto mm = [](int tenths) {
    return (tenths < 0 ? u"-"_s : u"+"_s) + QString::number(std::abs(tenths) / 10.0, 'f', 1) + u" mm"_s;
  };
  DrawLine(painter, u"はがき 位置合わせ"_s, centre + QPointF(-300, 180), 45);
  DrawLine(painter, u"横 "_s + mm(m_settings.offsetX) + u"  縦 "_s + mm(m_settings.offsetY), centre + QPointF(-300, 250),
           40);
  DrawLine(painter, u"はがきに重ねて光に透かし、枠と十字のずれを測ります"_s, centre + QPointF(-420, 330), 28);
  painter.restore();
}

std::vector<CPdfFontText> CPostcardPainter::TextMaps() const {
  std::vector<CPdfFontText> maps;
  for (const CFace* face : {m_verticalFace.get(), m_horizontalFace.get()}) {
    if (!face || face->glyphs.size() <= 1) continue;
    CVerticalShaper* shaper = face->shaper;
    const QRawFont raw = shaper->Font(100);
    maps.push_back({shaper->PostscriptName(), face->vertical, face->glyphs, face->text, [raw](char32_t c) {
                      const QChar chars[2] = {QChar(char16_t(c)), QChar()};
                      quint32 glyph = 0;
                      int count = 1;
                      return c < 0x10000 && raw.glyphIndexesForChars(chars, 1, &glyph, &count) ? glyph : 0u;
                    }});
  }
  return maps;
}
