#pragma once

#include <QRectF>

#include <array>

// The card (はがき, 100 × 148 mm, portrait) and what Japan Post's standard
// prints on every card: seven boxes for the postal code, 5.7 × 8.0 mm, their
// tops 12.0 mm below the top edge. Lengths in 0.1 mm from the card's top-left
// corner.
inline constexpr int kCardWidth = 1000;
inline constexpr int kCardHeight = 1480;
inline constexpr std::array<int, 7> kCodeBoxLeft{443, 513, 583, 659, 727, 795, 863};
inline constexpr int kCodeBoxTop = 120;
inline constexpr int kCodeBoxWidth = 57;
inline constexpr int kCodeBoxHeight = 80;

// The code box of digit i (0 to 6).
inline QRectF CodeBox(int i) { return QRectF(kCodeBoxLeft[i], kCodeBoxTop, kCodeBoxWidth, kCodeBoxHeight); }
