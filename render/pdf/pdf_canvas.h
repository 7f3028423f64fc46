#pragma once

#include "render/page_canvas.h"
#include "render/pdf/pdf_font.h"

#include <QByteArray>
#include <QTransform>

#include <vector>

// Draws a page as the content of a PDF page: text through the fonts' own
// faces (one operator a line of text), lines and fills as paths. Units are
// 0.1 mm from the paper's top-left corner.
class CPdfCanvas final : public IPageCanvas {
 public:
  // pageHeight: the page's height in points.
  CPdfCanvas(CPdfFonts& fonts, double pageHeight);

  // Starts the content of a new page.
  void Begin();
  // The page's content so far.
  const QByteArray& Content();
  // Whether something was drawn that this writer cannot write as Qt's
  // writer would: a font it cannot embed, a character no face it can embed
  // has.
  bool Failed() const { return m_failed; }

  void Save() override;
  void Restore() override;
  void Translate(double dx, double dy) override;
  void Scale(double sx, double sy) override;
  void SetFont(const QFont& font) override;
  void SetPen(const QPen& pen) override;
  void FillRect(const QRectF& rect, const QColor& color) override;
  void DrawLine(const QPointF& from, const QPointF& to) override;
  void DrawRect(const QRectF& rect) override;
  void DrawText(const QPointF& baseline, const QString& text) override;

 private:
  struct CState {
    QTransform transform;
    QPen pen;
    const CPdfFonts::CEntry* font = nullptr;
  };
  void EndText();
  // Opens a text object when none is, and selects face number face.
  void BeginText(int face);
  // Places the next glyphs at origin, at a size.
  void TextMatrix(const QPointF& origin, double size);
  // Draws text as Qt lays it out, with glyphs from other faces where the
  // font's face lacks them. Answers the advance in ems of the font, or a
  // negative number when a glyph cannot be written.
  double DrawWithFallback(const CPdfFonts::CEntry& font, const QPointF& baseline, const QString& text);
  // Sets the stroke's width, ends, joins, dashes and colour from the pen.
  void ApplyPen();
  void Point(const QPointF& p);
  void Colour(const QColor& color, bool stroke);

  CPdfFonts& m_fonts;
  double m_pageHeight;
  CState m_state;
  std::vector<CState> m_saved;
  QByteArray m_out;
  bool m_failed = false;
  // What the content set last: -1 or empty when nothing yet.
  bool m_inText = false;
  int m_face = -1;
  QByteArray m_stroke, m_fill, m_strokeColour, m_fillColour;
};
