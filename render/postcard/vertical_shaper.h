#pragma once

#include "print/postcard/postcard_layout.h"

#include <QByteArray>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <memory>
#include <vector>

struct hb_font_t;

// One glyph of a shaped run: its index in the face, where its origin stands
// (in ems, y downward, from the run's start: the top of the first em box for
// a vertical run, the left end of the baseline for a horizontal one) and the
// text it stands for (empty for the second and later glyphs of a cluster).
struct CShapedGlyph {
  quint32 glyph = 0;
  QPointF origin;
  QPointF pen;  // the pen before this glyph: origin less the glyph's own offset
  QString text;
};

struct CShapedRun {
  std::vector<CShapedGlyph> glyphs;
  double length = 0;  // the advance of the whole run, in ems
};

// Shapes text with HarfBuzz in one face: vertically (top to bottom, with the
// face's vertical forms of ー「」、。（） and the like from its `vert`
// feature; Latin letters stay upright) or horizontally. The face is asked
// for by family name and found as Qt finds fonts (a missing family falls back
// to another installed face).
class CVerticalShaper final : public IPostcardMeasure {
 public:
  explicit CVerticalShaper(const QString& family);
  ~CVerticalShaper() override;
  CVerticalShaper(const CVerticalShaper&) = delete;
  CVerticalShaper& operator=(const CVerticalShaper&) = delete;

  // The face at a pixel size (the painter's unit), kept per size.
  QRawFont Font(double pixelSize) const;
  // The PostScript name of the face, as a PDF names it.
  const QByteArray& PostscriptName() const { return m_postscriptName; }
  bool IsValid() const { return m_valid; }

  CShapedRun Shape(QStringView text, bool vertical) const;
  double VerticalLength(QStringView text) const override;
  double HorizontalWidth(QStringView text) const override;

 private:
  QRawFont m_raw;
  QByteArray m_postscriptName;
  hb_font_t* m_font = nullptr;
  double m_upem = 1000;
  bool m_valid = false;
  mutable std::vector<std::pair<double, QRawFont>> m_sized;
};
