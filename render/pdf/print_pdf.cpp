#include "render/pdf/print_pdf.h"

#include "platform/file_io.h"
#include "render/pdf/pdf_canvas.h"
#include "render/pdf/pdf_file.h"
#include "render/pdf/pdf_font.h"
#include "render/print_document.h"

#include <QPageSize>

using namespace Qt::StringLiterals;

namespace {

// A text string of the document's information: UTF-16 with its byte order mark.
QByteArray TextString(const QString& text) {
  QByteArray out = "<FEFF";
  for (QChar c : text) out += QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
  return out + '>';
}

QByteArray Ref(int id) { return QByteArray::number(id) + " 0 R"; }

}  // namespace

PdfWriteResult WritePrintPdf(CPrintDocument& doc, CFileCommit& commit, const QString& path, int from, int to,
                             QString* error) {
  const int count = doc.PageCount();
  if (to < 0 || to >= count) to = count - 1;
  from = std::max(from, 0);
  if (from > to) {
    if (error) *error = path + u": 印刷するページがありません (%1 - %2 / %3)"_s.arg(from + 1).arg(to + 1).arg(count);
    return PdfWriteResult::kFailed;
  }
  CPdfFonts fonts;
  // A face that cannot be embedded leaves the whole document to Qt's writer.
  if (!fonts.Find(doc.Font()).face) return PdfWriteResult::kNotMine;
  if (doc.Request().kind != PrintKind::kLabels && !fonts.Find(doc.FooterFont()).face) return PdfWriteResult::kNotMine;

  // The paper in whole points, as Qt's writer sizes it.
  const QSizeF paper = doc.PaperSize();
  const bool wide = paper.width() > paper.height();
  QSizeF points = QPageSize(wide ? paper.transposed() : paper, QPageSize::Millimeter).sizePoints();
  if (wide) points.transpose();
  QByteArray mediaBox = "[0 0 ";
  AppendPdfNumber(mediaBox, points.width(), 3);
  mediaBox += ' ';
  AppendPdfNumber(mediaBox, points.height(), 3);
  mediaBox += ']';

  CPdfFile file([&commit](QByteArrayView bytes) { return commit.Write(bytes); });
  const int catalog = file.NewObject(), pages = file.NewObject(), info = file.NewObject(),
            resources = file.NewObject();
  QByteArray kids;
  CPdfCanvas canvas(fonts, points.height());
  for (int page = from; page <= to && file.Ok(); ++page) {
    canvas.Begin();
    doc.PaintPage(canvas, page);
    if (canvas.Failed()) return PdfWriteResult::kNotMine;
    const int contents = file.NewObject(), id = file.NewObject();
    file.Stream(contents, {}, canvas.Content(), CPdfFile::kFast);
    file.Object(id, "<</Type/Page/Parent " + Ref(pages) + "/MediaBox" + mediaBox + "/Resources " + Ref(resources) +
                        "/Contents " + Ref(contents) + ">>");
    kids += Ref(id) + ' ';
  }
  QByteArray fontNames;
  for (std::size_t k = 0; k < fonts.FaceCount() && file.Ok(); ++k) {
    if (!fonts.Face(k)) continue;  // cannot be embedded: nothing was drawn with it
    const int id = file.NewObject();
    if (!fonts.Face(k)->Embed(file, id)) return PdfWriteResult::kNotMine;
    fontNames += "/F" + QByteArray::number(qsizetype(k)) + ' ' + Ref(id);
  }
  file.Object(resources, "<</Font<<" + fontNames + ">>/ProcSet[/PDF/Text]>>");
  file.Object(pages, "<</Type/Pages/Kids[" + kids.trimmed() + "]/Count " + QByteArray::number(to - from + 1) + ">>");
  file.Object(info, "<</Title" + TextString(doc.Request().title) + "/Creator" + TextString(u"Velum"_s) +
                        "/Producer" + TextString(u"Velum"_s) + ">>");
  file.Object(catalog, "<</Type/Catalog/Pages " + Ref(pages) + ">>");
  if (!file.Finish(catalog, info)) {
    if (error) *error = commit.Error();
    commit.Discard();
    return PdfWriteResult::kFailed;
  }
  if (!commit.Commit()) {
    if (error) *error = commit.Error();
    return PdfWriteResult::kFailed;
  }
  return PdfWriteResult::kWritten;
}
