#pragma once

#include "print/print_pagination.h"
#include "print/print_request.h"
#include "render/print_font.h"

#include <QFont>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class CCardStore;
class IPageCanvas;
class QPagedPaintDevice;
class QPainter;

// The pages of one print run: a list, cards or address labels, laid out by
// CPrintPagination and painted with the layout's font, ruled lines and frame,
// a footer of the title and the page number on every page, and of how many
// characters did not fit on the page when some did not.
class CPrintDocument {
 public:
  // Pages of a paper of paperMM millimetres (portrait A4 by default), turned
  // when the request's layout asks for landscape. The store must outlive this.
  CPrintDocument(const CCardStore& store, CPrintRequest request, QSizeF paperMM = QSizeF(210, 297));
  ~CPrintDocument();
  CPrintDocument(const CPrintDocument&) = delete;
  CPrintDocument& operator=(const CPrintDocument&) = delete;

  QSizeF PaperSize() const { return m_paperMM; }  // mm
  const CPrintRequest& Request() const { return m_request; }
  const QFont& Font() const { return m_font; }
  const QFont& FooterFont() const { return m_footerFont; }
  // Where the rows, cards and labels of the pages laid out so far stand.
  const CPrintPagination& Pagination() const { return *m_pages; }
  // Which characters of the BMP were painted so far (see SharedGlyphFixes).
  const std::vector<bool>& Drawn() const { return m_drawn; }
  // Lays pages out up to this one (from 0); false when there are fewer. Cheap
  // when done.
  bool LayOutTo(int page);
  // Lays out every page (no painting); at least 1.
  int PageCount();
  // Paints one page. The painter's logical unit is 0.1 mm with the origin at
  // the paper's top-left corner (the caller sets that up, see PaintPages).
  // Painting a page needs no page before it painted.
  void PaintPage(QPainter& painter, int page);
  // The same on any canvas (in 0.1 mm from the paper's top-left corner).
  void PaintPage(IPageCanvas& canvas, int page);

 private:
  QString CellText(int index, int item) const;
  void PaintList(IPageCanvas& painter, int page);
  void PaintCards(IPageCanvas& painter, int page);
  void PaintLabels(IPageCanvas& painter, int page);
  void PaintFooter(IPageCanvas& painter, int page);
  // The lines of text inside a box of width, from its top-left corner, down to
  // bottom; right: each line against the box's right edge. A line wider than
  // the box (a number or date that is never cut) is drawn narrower to fit.
  // When lines are left out, the last one shown ends in "…". Answers how many
  // characters were not printed.
  qsizetype PaintText(IPageCanvas& painter, const QString& text, double x, double y, double width, double bottom,
                      bool right = false);
  // Draws one line of text and notes its characters.
  void DrawLine(IPageCanvas& painter, const QPointF& at, const QString& text);

  const CCardStore& m_store;
  CPrintRequest m_request;
  QSizeF m_paperMM;
  QFont m_font;
  QFont m_footerFont;
  CFontMeasure m_measure;
  std::unique_ptr<CPrintPagination> m_pages;
  std::vector<bool> m_drawn = std::vector<bool>(0x10000);
  // Characters left out on the page being painted; the footer says how many.
  qsizetype m_leftOut = 0;
};

// Paints pages from..to (from 0, inclusive; -1 = last) onto a printer or PDF
// writer (a QPrinter set up with fullPage): sets the painter's scale from the
// device's resolution and starts a new page between pages. False with a
// message in *error on failure.
bool PaintPages(CPrintDocument& doc, QPagedPaintDevice& device, int from, int to, QString* error);

// Writes pages from..to (every page by default) as a PDF file of the
// document's paper, atomically: a temporary file beside the target is renamed
// over it only when complete. Velum's own writer writes it (see
// render/pdf/print_pdf.h); Qt's where a font or character needs it. False
// with "PATH: reason" in *error; the target is then untouched.
bool WritePdf(CPrintDocument& doc, const QString& path, QString* error, int from = 0, int to = -1);
