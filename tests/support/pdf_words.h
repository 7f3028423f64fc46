#pragma once
// Reading printed PDFs back through poppler-utils: the words of every page
// with their boxes (points from the page's top left), and the tools' output.

#include <QPointF>
#include <QString>
#include <QStringList>

#include <vector>

struct CPdfWord {
  QString text;
  double x0, y0, x1, y1;
  QPointF Centre() const { return QPointF((x0 + x1) / 2, (y0 + y1) / 2); }
};
using CPdfPage = std::vector<CPdfWord>;

// The path of a tool on PATH; empty when it is not installed.
QString PdfTool(const QString& name);
// What the tool printed on standard output (UTF-8), waiting a minute at most.
QString RunPdfTool(const QString& name, const QStringList& args);
// Every page's words as pdftotext -bbox gives them, entities decoded.
std::vector<CPdfPage> ReadPdfWords(const QString& pdf);
// The first word of the page whose text is text; null when there is none.
const CPdfWord* FindPdfWord(const CPdfPage& page, const QString& text);
