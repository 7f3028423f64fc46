#include "ui/dialogs/postcard/postcard_card_view.h"

#include "print/postcard/postcard_geometry.h"

#include <QPainter>

namespace {

constexpr int kMargin = 6;
constexpr int kShadow = 3;

}  // namespace

CPostcardCardView::CPostcardCardView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CPostcardCardView::Show(Paint paint) {
  m_paint = std::move(paint);
  update();
}

void CPostcardCardView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Dark));
  const QRect area = rect().adjusted(kMargin, kMargin, -kMargin - kShadow, -kMargin - kShadow);
  const double scale = std::min(area.width() / double(kCardWidth), area.height() / double(kCardHeight));
  if (scale <= 0) return;
  const QSizeF card(kCardWidth * scale, kCardHeight * scale);
  const QRectF page(area.left() + (area.width() - card.width()) / 2, area.top() + (area.height() - card.height()) / 2,
                    card.width(), card.height());
  p.fillRect(page.translated(kShadow, kShadow), QColor(0, 0, 0, 90));
  p.fillRect(page, Qt::white);
  if (!m_paint) return;
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.translate(page.topLeft());
  p.scale(scale, scale);
  p.setClipRect(QRectF(0, 0, kCardWidth, kCardHeight));
  m_paint(p);
}
