#pragma once

#include "print/print_request.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <utility>
#include <vector>

// The geometry of a print run, free of fonts and painters: which cards go on
// which page, where the columns, rows, cards and labels stand. Lengths are in
// 0.1 mm, the unit the painter works in, with the origin at the paper's
// top-left corner. Text is measured through ITextMeasure, so that the layout
// can be checked with a fixed-width measure.

// Measures text of one font at one size.
class ITextMeasure {
 public:
  virtual ~ITextMeasure() = default;
  // The advance of one character.
  virtual double CharWidth(char32_t c) const = 0;
  // The distance from one line's top to the next.
  virtual double LineHeight() const = 0;
};

// A line of a wrapped text: a piece of the text it was cut from.
struct CTextLine {
  qsizetype start = 0;
  qsizetype length = 0;
};

// The width of a text on one line.
double TextWidth(const ITextMeasure& measure, QStringView text);
// Cuts a text into the lines it is printed in: at its line breaks (CR LF, LF
// or CR), and where a line would pass width: after the last blank when the
// line has one, else before or after a CJK character, else before the
// character that does not fit. A number, date, time, postal code or telephone
// number (a run of digits with their signs and separators, such as 12,000,
// 1979/2/14, 〒100-0005 or 03-1234-5678, up to 40 characters) is never cut:
// it moves to the next line whole, and one that is wider than a whole line
// stands alone on a line wider than width. Every line holds at least one
// character, so a width narrower than one character still ends. Blanks at a
// cut are dropped. An empty text is one empty line.
std::vector<CTextLine> WrapText(const ITextMeasure& measure, QStringView text, double width);
// The width of the widest line a text has at its own line breaks.
double WidestLine(const ITextMeasure& measure, QStringView text);
// The width of the widest part of a text that WrapText never cuts (a number,
// a date; see there), 0 when it has none.
double WidestUnbroken(const ITextMeasure& measure, QStringView text);
// Whether a text reads as a number (blanks around it and digit-grouping
// commas allowed): such columns stand right-aligned.
bool IsNumberText(QStringView text);

// The texts of the printed cells: card is an index into the request's cards.
using PrintCellText = std::function<QString(int card, int item)>;

class CPrintPagination {
 public:
  // Inner padding of a cell, and the gap between two cards.
  static constexpr double kPadX = 10;
  static constexpr double kPadY = 5;
  static constexpr double kCardGap = 40;
  static constexpr double kFooterHeight = 50;  // the footer line and its gap
  // At most this many cards are measured to size the columns.
  static constexpr int kColumnSamples = 400;

  // names: every item's name (the headings); the request's items index it.
  CPrintPagination(const CPrintRequest& request, QSizeF paperMM, const ITextMeasure& measure, PrintCellText text,
                   QStringList names);

  QSizeF Paper() const { return m_paper; }  // 0.1 mm
  // The area inside the margins, and within it the body above the footer.
  QRectF Printable() const { return m_printable; }
  QRectF Body() const;
  QRectF Footer() const;

  // Lays pages out up to this one (from 0); false when there are fewer.
  bool LayOutTo(int page);
  // Every page laid out; at least 1 (an empty deck prints an empty page).
  int PageCount();

  // List: the x of every column's left edge and, last, the right edge of the
  // last column; the height of the heading row.
  const std::vector<double>& ColumnEdges() const { return m_columns; }
  // Whether a column holds numbers only (in the cards sampled): printed
  // right-aligned.
  bool RightAligned(std::size_t column) const { return column < m_rightAligned.size() && m_rightAligned[column]; }
  double HeadingHeight() const { return m_headingHeight; }
  // Cards: the width of the item-name column.
  double NameWidth() const { return m_nameWidth; }

  // A printed list row or card on its page: index into the request's cards;
  // top and height as printed (height after scale); scale below 1 for a card
  // shrunk to fit the page.
  struct CBlock {
    int index = 0;
    double top = 0;
    double height = 0;
    double scale = 1;
  };
  // The rows (list) or cards (cards) on a page laid out before.
  std::vector<CBlock> Blocks(int page) const;

  // A card is shrunk to fit its page down to this scale; past it, its
  // tallest item lines are cut to one height, so that what is printed stays
  // readable (the painter marks the cut).
  static constexpr double kMinCardScale = 0.25;

  // The height of one list row, of one item line of a card as its text
  // needs, of the item lines of a card as printed (cut as kMinCardScale
  // says), of a whole card as printed (unscaled).
  double RowHeight(int index) const;
  double CardLineHeight(int index, int item) const;
  std::vector<double> CardLineHeights(int index) const;
  double CardHeight(int index) const;

  // Labels: the usable sheet (counts at least 1, sizes positive) and the
  // rectangle of label position p (from 0, counted across then down over
  // every sheet) on its page.
  struct CSheet {
    int across = 2;
    int down = 6;
    double width = 840, height = 330, xGap = 40, yGap = 50, top = 100, left = 100;
    int PerPage() const { return across * down; }
  };
  const CSheet& Sheet() const { return m_sheet; }
  int LabelPage(int index) const;
  QRectF LabelRect(int index) const;
  // The rectangle of position p of a sheet (from 0, across then down).
  QRectF PositionRect(int p) const;
  // The labels (indices into the request's cards) on a page.
  std::vector<int> LabelsOn(int page) const;
  // The printed lines of one card's label: empty ones left out.
  QStringList LabelLines(int index) const;
  // The scale (at most 1) at which lines fit a label inside its padding.
  double LabelScale(const QStringList& lines, const QRectF& rect) const;

 private:
  void LayOutColumns();
  void LayOutNameColumn();

  const CPrintRequest& m_request;
  const ITextMeasure& m_measure;
  PrintCellText m_text;
  QStringList m_names;
  QSizeF m_paper;
  QRectF m_printable;
  CSheet m_sheet;
  std::vector<double> m_columns;
  std::vector<bool> m_rightAligned;
  double m_headingHeight = 0;
  double m_nameWidth = 0;
  // The first index of every page laid out, and where the next page begins.
  std::vector<int> m_pageStarts;
  int m_next = 0;
  bool m_done = false;
};
