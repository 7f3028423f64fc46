#pragma once

#include "print/postcard/postcard_address.h"
#include "print/postcard/postcard_layout.h"
#include "print/postcard/postcard_settings.h"
#include "render/postcard/postcard_painter.h"

#include <QString>
#include <QStringList>

#include <vector>

class CCardStore;
class QPainter;

// The postcards of one print run: one card of the deck per page, in the order
// given, laid out with the settings and painted by CPostcardPainter.
class CPostcardDocument {
 public:
  // cards: visible card numbers of the store, in print order. The store must
  // outlive this.
  CPostcardDocument(const CCardStore& store, std::vector<int> cards, const CPostcardSettings& settings);

  int PageCount() const { return int(m_cards.size()); }
  const std::vector<int>& Cards() const { return m_cards; }
  const CPostcardSettings& Settings() const { return m_painter.Settings(); }
  CPostcardPainter& Painter() { return m_painter; }

  // The address a page prints and where it stands.
  CPostcardAddress Address(int page) const;
  CPostcardLayout Layout(int page) const;
  // Paints one page (see CPostcardPainter for the unit); face: the card's
  // edge and boxes too, as the preview shows them.
  void PaintPage(QPainter& painter, int page, bool face = false);

  // What the user is told after printing pages from..to (from 0, inclusive):
  // a line for every card whose code went into no boxes (the page, the card
  // and the text), for joint names beyond the third, and for a sender's code
  // that fits no boxes. Empty when all went well.
  QStringList Problems(int from, int to) const;

 private:
  const CCardStore& m_store;
  std::vector<int> m_cards;
  CPostcardItems m_items;
  CPostcardPainter m_painter;
};

// The page of a postcard, for a print dialog or a PDF.
inline constexpr double kPostcardWidthMm = 100;
inline constexpr double kPostcardHeightMm = 148;

// Writes pages from..to (every page by default; from 0, inclusive) as a PDF
// of postcard pages, whose text reads back as the characters printed, vertical
// forms included; atomically (the target is untouched on failure). False with
// "PATH: reason" in *error.
bool WritePostcardPdf(CPostcardDocument& doc, const QString& path, QString* error, int from = 0, int to = -1);
// Writes the calibration page alone.
bool WritePostcardCalibrationPdf(const CPostcardSettings& settings, const QString& path, QString* error);
