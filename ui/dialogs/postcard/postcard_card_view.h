#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// One postcard drawn as large as the widget allows, its proportions kept, on
// a shadow: paint draws it in 0.1 mm from the card's top-left corner.
class CPostcardCardView final : public QWidget {
 public:
  using Paint = std::function<void(QPainter&)>;
  explicit CPostcardCardView(QWidget* parent = nullptr);
  void Show(Paint paint);
  QSize sizeHint() const override { return {200, 296}; }
  QSize minimumSizeHint() const override { return {80, 118}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Paint m_paint;
};
