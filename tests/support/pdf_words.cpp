#include "support/pdf_words.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString PdfTool(const QString& name) { return QStandardPaths::findExecutable(name); }

QString RunPdfTool(const QString& name, const QStringList& args) {
  QProcess p;
  p.start(PdfTool(name), args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

std::vector<CPdfPage> ReadPdfWords(const QString& pdf) {
  const QString xhtml = RunPdfTool(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
  std::vector<CPdfPage> pages;
  static const QRegularExpression word(
      uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"_s);
  for (const QString& chunk : xhtml.split(u"<page "_s).mid(1)) {
    CPdfPage page;
    for (auto it = word.globalMatch(chunk); it.hasNext();) {
      const auto m = it.next();
      QString text = m.captured(5);
      text.replace(u"&amp;"_s, u"&"_s).replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s).replace(u"&quot;"_s, u"\""_s);
      page.push_back({text, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                      m.captured(4).toDouble()});
    }
    pages.push_back(page);
  }
  return pages;
}

const CPdfWord* FindPdfWord(const CPdfPage& page, const QString& text) {
  for (const CPdfWord& w : page)
    if (w.text == text) return &w;
  return nullptr;
}
