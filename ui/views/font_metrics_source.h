#pragma once

#include "app/card_layout.h"

#include <QFontMetrics>
#include <QStringView>

#include <cstddef>
#include <utility>
#include <vector>

// The widths and heights the card layout measures with (ILayoutMetrics), from
// the fonts the view shows; a font number outside the list reads the first.
class CFontMetricsSource final : public ILayoutMetrics {
 public:
  explicit CFontMetricsSource(std::vector<QFontMetrics> metrics) : m_metrics(std::move(metrics)) {}
  int TextWidth(int font, QStringView text) const override {
    return At(font).horizontalAdvance(text.toString());
  }
  int AverageCharWidth(int font) const override { return At(font).averageCharWidth(); }
  int MaxCharWidth(int font) const override { return At(font).maxWidth(); }
  // The height of a line as an edit shows it: the font's line spacing.
  int Height(int font) const override { return At(font).lineSpacing(); }

 private:
  const QFontMetrics& At(int font) const {
    return m_metrics[std::size_t(font) < m_metrics.size() ? std::size_t(font) : 0];
  }
  std::vector<QFontMetrics> m_metrics;
};
