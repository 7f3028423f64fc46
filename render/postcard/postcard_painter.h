#pragma once

#include "print/postcard/postcard_layout.h"
#include "print/postcard/postcard_settings.h"
#include "render/postcard/pdf_text_map.h"
#include "render/postcard/vertical_shaper.h"

#include <QHash>

#include <memory>
#include <vector>

class QPainter;

// Paints postcards: the layout's columns set vertically in the settings'
// face, the codes' digits and any horizontal text in a Gothic face, moved by
// the printer offsets. The painter's unit is 0.1 mm with the origin at the
// card's top-left corner. It notes every glyph it draws, with the text it
// stands for, so that a PDF of what it painted reads back as that text
// (TextMaps).
class CPostcardPainter {
 public:
  explicit CPostcardPainter(const CPostcardSettings& settings);
  ~CPostcardPainter();
  CPostcardPainter(const CPostcardPainter&) = delete;
  CPostcardPainter& operator=(const CPostcardPainter&) = delete;

  // What the layout measures with: the vertical face.
  const IPostcardMeasure& Measure() const { return *m_vertical; }
  const CPostcardSettings& Settings() const { return m_settings; }

  // The card's own printing that no printer prints: the edge and the red
  // code boxes (and the sender's boxes when a sender is printed), for the
  // preview. Unmoved by the offsets.
  void PaintCardFace(QPainter& painter) const;
  void PaintCard(QPainter& painter, const CPostcardLayout& layout);
  // The calibration page: the card's edge, every box outlined and a cross at
  // the centre, where the printer will put them with the offsets set, and
  // the offsets written in the middle.
  void PaintCalibration(QPainter& painter);

  // The text maps of the faces painted with so far (see FixPdfTextMaps).
  std::vector<CPdfFontText> TextMaps() const;

 private:
  struct CFace;
  void DrawColumn(QPainter& painter, const CPostcardColumn& column);
  void DrawLine(QPainter& painter, const QString& text, QPointF topLeft, double em);
  void DrawDigit(QPainter& painter, const CPostcardDigit& digit);
  void Draw(QPainter& painter, CFace& face, double em, const std::vector<quint32>& glyphs,
            const std::vector<QPointF>& at, const std::vector<QString>& text);

  CPostcardSettings m_settings;
  std::unique_ptr<CVerticalShaper> m_vertical;
  std::unique_ptr<CVerticalShaper> m_horizontal;
  std::unique_ptr<CFace> m_verticalFace;
  std::unique_ptr<CFace> m_horizontalFace;  // null when the two faces are one
};
