#include "render/page_canvas.h"

#include <QPainter>

void CPainterCanvas::Save() { m_painter.save(); }

void CPainterCanvas::Restore() { m_painter.restore(); }

void CPainterCanvas::Translate(double dx, double dy) { m_painter.translate(dx, dy); }

void CPainterCanvas::Scale(double sx, double sy) { m_painter.scale(sx, sy); }

void CPainterCanvas::SetFont(const QFont& font) { m_painter.setFont(font); }

void CPainterCanvas::SetPen(const QPen& pen) { m_painter.setPen(pen); }

void CPainterCanvas::FillRect(const QRectF& rect, const QColor& color) { m_painter.fillRect(rect, color); }

void CPainterCanvas::DrawLine(const QPointF& from, const QPointF& to) { m_painter.drawLine(from, to); }

void CPainterCanvas::DrawRect(const QRectF& rect) {
  m_painter.setBrush(Qt::NoBrush);
  m_painter.drawRect(rect);
}

void CPainterCanvas::DrawText(const QPointF& baseline, const QString& text) { m_painter.drawText(baseline, text); }
