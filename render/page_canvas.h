#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

// What a printed page is drawn with: the few things lists, cards and labels
// need, so that one painting code serves the preview and printers (through a
// QPainter) and Velum's own PDF writer. Units are the caller's; Save and
// Restore keep the transformation, the pen and the font.
class IPageCanvas {
 public:
  virtual ~IPageCanvas() = default;
  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(double dx, double dy) = 0;
  virtual void Scale(double sx, double sy) = 0;
  virtual void SetFont(const QFont& font) = 0;
  virtual void SetPen(const QPen& pen) = 0;
  // Fills a rectangle without outlining it.
  virtual void FillRect(const QRectF& rect, const QColor& color) = 0;
  // A line and a rectangle's outline with the pen.
  virtual void DrawLine(const QPointF& from, const QPointF& to) = 0;
  virtual void DrawRect(const QRectF& rect) = 0;
  // One line of text in the font, its baseline starting at baseline.
  virtual void DrawText(const QPointF& baseline, const QString& text) = 0;
};

// Draws through a QPainter (a widget, an image, a printer, Qt's PDF writer).
class CPainterCanvas final : public IPageCanvas {
 public:
  explicit CPainterCanvas(QPainter& painter) : m_painter(painter) {}
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
  QPainter& m_painter;
};
