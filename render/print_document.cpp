#include "render/print_document.h"

#include "core/card_store.h"
#include "platform/file_io.h"
#include "render/page_canvas.h"
#include "render/pdf/print_pdf.h"

#include <QIODevice>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr double kThinLine = 1.5;   // 0.15 mm
constexpr double kThickLine = 5;    // 0.5 mm
constexpr double kDoubleGap = 6;    // between the two lines of a double frame
constexpr int kFooterEm = 30;       // 3 mm
// Ends a text that did not fit; the footer counts what was left out.
constexpr QChar kCut = u'…';
const QString kLeftOut = u"… %1文字を省略"_s;
const QColor kHeadingShade(235, 235, 235);

QPen RulePen(std::uint32_t style) {
  QPen pen(Qt::black, kThinLine);
  pen.setCapStyle(Qt::FlatCap);
  if (style == kRuledDotted) pen.setStyle(Qt::DotLine);
  if (style == kRuledDashed) pen.setStyle(Qt::DashLine);
  if (style == kRuledNone) pen.setStyle(Qt::NoPen);
  return pen;
}

void PaintFrame(IPageCanvas& canvas, const QRectF& rect, std::uint32_t style) {
  if (style == kFrameNone || style > kFrameThick) return;
  QPen pen(Qt::black, style == kFrameThick ? kThickLine : kThinLine);
  pen.setJoinStyle(Qt::MiterJoin);
  if (style == kFrameDotted) pen.setStyle(Qt::DotLine);
  if (style == kFrameDashed) pen.setStyle(Qt::DashLine);
  canvas.SetPen(pen);
  canvas.DrawRect(rect);
  if (style == kFrameDouble) canvas.DrawRect(rect.adjusted(-kDoubleGap, -kDoubleGap, kDoubleGap, kDoubleGap));
}

// Hands what the PDF writer writes to a file commit, which renames its
// temporary file over the target only when every write went through. On the
// way, the text maps of the fonts (CMaps, written uncompressed as "<XXXX>"
// code points) name the characters that were drawn where the font shares
// their glyph with a lower code point (SharedGlyphFixes); the replacement is
// as long as what it replaces, so no offset of the file moves. Only what the
// glyphs stand for is rewritten: Qt writes the map as ranges, a line each,
// whose first two codes are glyph numbers (as are the code space's two),
// and a glyph number equal to a character with a fix must stay.
class CCommitDevice final : public QIODevice {
 public:
  // fixes: what SharedGlyphFixes answers, asked when the first map comes,
  // that is once every page was painted.
  CCommitDevice(CFileCommit& commit, std::function<QHash<char16_t, char16_t>()> fixes)
      : m_commit(commit), m_makeFixes(std::move(fixes)) {}
  bool isSequential() const override { return true; }
  // Writes what is held back; false when a write failed.
  bool Finish() { return Pass(true); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    m_held.append(data, size);
    return Pass(false) ? size : -1;
  }

 private:
  // Rewrites and writes what is known; keeps back a tail a token may run into.
  bool Pass(bool all) {
    static constexpr qsizetype kTail = 16;
    const qsizetype limit = all ? m_held.size() : std::max<qsizetype>(0, m_held.size() - kTail);
    while (m_scan < limit) {
      if (!m_inMap) {
        const qsizetype begin = m_held.indexOf("begincmap", m_scan);
        if (begin < 0 || begin >= limit) {
          m_scan = limit;
          break;
        }
        m_inMap = true;
        m_codesInLine = 0;
        m_scan = begin + 9;
        if (m_makeFixes) {
          m_fixes = m_makeFixes();
          m_makeFixes = nullptr;
        }
        continue;
      }
      const qsizetype end = m_held.indexOf("endcmap", m_scan);
      const qsizetype stop = end < 0 ? limit : std::min(end, limit);
      qsizetype p = m_scan;
      for (; p < stop; ++p) {
        if (m_held[p] == '\n') m_codesInLine = 0;
        if (m_held[p] != '<') continue;
        if (p + 6 > stop) {
          if (end >= 0 && end < limit) continue;  // the map ends before a code point could
          break;                                  // wait for the rest
        }
        if (m_held[p + 5] != '>') continue;
        if (m_codesInLine++ < 2) continue;  // a glyph number
        bool ok = false;
        const uint code = QByteArrayView(m_held).sliced(p + 1, 4).toUInt(&ok, 16);
        const auto it = ok ? m_fixes.constFind(char16_t(code)) : m_fixes.constEnd();
        if (it != m_fixes.constEnd())
          m_held.replace(p + 1, 4, QByteArray::number(uint(*it), 16).toUpper().rightJustified(4, '0'));
      }
      m_scan = p;
      if (end >= 0 && end < limit && p >= end) {
        m_inMap = false;
        m_scan = end + 7;
      } else {
        break;
      }
    }
    const bool ok = m_commit.Write(QByteArrayView(m_held).first(m_scan));
    m_held.remove(0, m_scan);
    m_scan = 0;
    return ok;
  }

  CFileCommit& m_commit;
  std::function<QHash<char16_t, char16_t>()> m_makeFixes;
  QHash<char16_t, char16_t> m_fixes;
  QByteArray m_held;
  qsizetype m_scan = 0;
  bool m_inMap = false;
  int m_codesInLine = 0;
};

}  // namespace

CPrintDocument::CPrintDocument(const CCardStore& store, CPrintRequest request, QSizeF paperMM)
    : m_store(store),
      m_request(std::move(request)),
      m_paperMM(paperMM),
      m_font(PrintFont(m_request.layout.m_font)),
      m_footerFont(PrintFontOfHeight(m_request.layout.m_font, kFooterEm)),
      m_measure(m_font) {
  // The layout's orientation turns the paper; label sheets are measured on it as given.
  if (m_request.kind != PrintKind::kLabels && m_request.extras.landscape && m_paperMM.width() < m_paperMM.height())
    m_paperMM.transpose();
  m_footerFont.setUnderline(false);
  m_footerFont.setItalic(false);
  m_footerFont.setWeight(QFont::Normal);
  QStringList names;
  for (int i = 0; i < std::max(m_store.ItemCount(), 0); ++i) names << m_store.Item(i).toString();
  m_pages = std::make_unique<CPrintPagination>(
      m_request, m_paperMM, m_measure, [this](int index, int item) { return CellText(index, item); }, names);
  m_paperMM = m_pages->Paper() / 10;
}

CPrintDocument::~CPrintDocument() = default;

QString CPrintDocument::CellText(int index, int item) const {
  if (index < 0 || index >= int(m_request.cards.size())) return {};
  return m_store.GetItemValue(m_request.cards[std::size_t(index)], item);
}

bool CPrintDocument::LayOutTo(int page) { return m_pages->LayOutTo(page); }

int CPrintDocument::PageCount() { return m_pages->PageCount(); }

void CPrintDocument::PaintPage(QPainter& painter, int page) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  CPainterCanvas canvas(painter);
  PaintPage(canvas, page);
  painter.restore();
}

void CPrintDocument::PaintPage(IPageCanvas& painter, int page) {
  if (!m_pages->LayOutTo(page)) return;
  painter.Save();
  painter.SetFont(m_font);
  m_leftOut = 0;
  switch (m_request.kind) {
    case PrintKind::kList:
      PaintList(painter, page);
      break;
    case PrintKind::kCards:
      PaintCards(painter, page);
      break;
    case PrintKind::kLabels:
      PaintLabels(painter, page);
      break;
  }
  if (m_request.kind != PrintKind::kLabels) PaintFooter(painter, page);
  painter.Restore();
}

qsizetype CPrintDocument::PaintText(IPageCanvas& painter, const QString& text, double x, double y, double width,
                                    double bottom, bool right) {
  const double lh = m_measure.LineHeight();
  const std::vector<CTextLine> lines = WrapText(m_measure, text, width);
  // A row cut at the page's foot shows the lines that fit whole.
  std::size_t fit = 0;
  while (fit < lines.size() && y + double(fit + 1) * lh <= bottom + 0.5) ++fit;
  qsizetype shownEnd = fit == 0 ? 0 : lines[fit - 1].start + lines[fit - 1].length;
  qsizetype left = text.size() - shownEnd;
  // Only line ends and blanks after the last line shown: nothing is missing.
  if (QStringView(text).sliced(shownEnd).trimmed().isEmpty()) left = 0;
  double base = y + m_measure.Ascent();
  for (std::size_t k = 0; k < fit; ++k, base += lh) {
    QString line = text.mid(lines[k].start, lines[k].length);
    const bool mark = k + 1 == fit && left > 0;
    if (mark) {
      // The last line shown ends in "…" where the text goes on unprinted.
      const double room = width - m_measure.CharWidth(kCut.unicode());
      qsizetype keep = line.size();
      while (keep > 0 && TextWidth(m_measure, QStringView(line).first(keep)) > room) {
        --keep;
        if (keep > 0 && line[keep - 1].isHighSurrogate()) --keep;
      }
      left += line.size() - keep;
      line.truncate(keep);
    }
    const double w = TextWidth(m_measure, line) + (mark ? m_measure.CharWidth(kCut.unicode()) : 0);
    const double scale = w > width && width > 0 ? width / w : 1;
    painter.Save();
    // A number or date wider than its column is printed narrower, never cut.
    painter.Translate(right && scale == 1 ? x + width - w : x, base);
    painter.Scale(scale, 1);
    if (!line.isEmpty()) DrawLine(painter, QPointF(0, 0), line);
    // Apart from the text, so that it keeps the glyph its code names in the
    // PDF (after Latin letters, shaping would pick a variant no text maps).
    if (mark) DrawLine(painter, QPointF(TextWidth(m_measure, line), 0), QString(kCut));
    painter.Restore();
  }
  return left;
}

void CPrintDocument::DrawLine(IPageCanvas& painter, const QPointF& at, const QString& text) {
  for (QChar c : text) m_drawn[c.unicode()] = true;
  painter.DrawText(at, text);
}

void CPrintDocument::PaintList(IPageCanvas& painter, int page) {
  const std::vector<double>& cols = m_pages->ColumnEdges();
  const std::vector<int>& items = m_request.items;
  if (items.empty()) return;
  const QRectF body = m_pages->Body();
  const double padX = CPrintPagination::kPadX, padY = CPrintPagination::kPadY;
  const double headTop = body.top(), headBottom = body.top() + m_pages->HeadingHeight();
  const std::vector<CPrintPagination::CBlock> rows = m_pages->Blocks(page);
  const double tableBottom = rows.empty() ? headBottom : rows.back().top + rows.back().height;

  painter.FillRect(QRectF(cols.front(), headTop, cols.back() - cols.front(), headBottom - headTop), kHeadingShade);
  painter.SetPen(QPen(Qt::black));
  for (std::size_t c = 0; c < items.size(); ++c)
    m_leftOut += PaintText(painter, m_store.Item(items[c]).toString(), cols[c] + padX, headTop + padY,
                           cols[c + 1] - cols[c] - 2 * padX, headBottom - padY);
  for (const CPrintPagination::CBlock& row : rows)
    for (std::size_t c = 0; c < items.size(); ++c)
      m_leftOut += PaintText(painter, CellText(row.index, items[c]), cols[c] + padX, row.top + padY,
                             cols[c + 1] - cols[c] - 2 * padX, row.top + row.height - padY, m_pages->RightAligned(c));

  const std::uint32_t keisen = m_request.layout.m_keisen;
  QPen solid(Qt::black, kThinLine);
  painter.SetPen(keisen == kRuledNone ? QPen(Qt::NoPen) : solid);
  painter.DrawLine(QPointF(cols.front(), headBottom), QPointF(cols.back(), headBottom));
  painter.SetPen(RulePen(keisen));
  for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
    const double y = rows[k].top + rows[k].height;
    painter.DrawLine(QPointF(cols.front(), y), QPointF(cols.back(), y));
  }
  for (std::size_t c = 1; c + 1 < cols.size(); ++c)
    painter.DrawLine(QPointF(cols[c], headTop), QPointF(cols[c], tableBottom));
  PaintFrame(painter, QRectF(cols.front(), headTop, cols.back() - cols.front(), tableBottom - headTop),
             m_request.layout.m_sotowaku);
}

void CPrintDocument::PaintCards(IPageCanvas& painter, int page) {
  const QRectF body = m_pages->Body();
  const double padX = CPrintPagination::kPadX, padY = CPrintPagination::kPadY;
  const double nameWidth = m_pages->NameWidth();
  const double width = body.width();
  for (const CPrintPagination::CBlock& card : m_pages->Blocks(page)) {
    painter.Save();
    painter.Translate(body.left(), card.top);
    painter.Scale(card.scale, card.scale);
    const double height = card.height / card.scale;
    double y = 0;
    std::vector<double> rules;
    painter.SetPen(QPen(Qt::black));
    const std::vector<double> heights = m_pages->CardLineHeights(card.index);
    for (std::size_t k = 0; k < m_request.items.size(); ++k) {
      const int item = m_request.items[k];
      const double h = heights[k];
      painter.FillRect(QRectF(0, y, nameWidth, h), kHeadingShade);
      m_leftOut += PaintText(painter, m_store.Item(item).toString(), padX, y + padY, nameWidth - 2 * padX, y + h);
      m_leftOut += PaintText(painter, CellText(card.index, item), nameWidth + padX, y + padY,
                             width - nameWidth - 2 * padX, y + h);
      y += h;
      rules.push_back(y);
    }
    painter.SetPen(RulePen(m_request.layout.m_keisen));
    for (std::size_t k = 0; k + 1 < rules.size(); ++k) painter.DrawLine(QPointF(0, rules[k]), QPointF(width, rules[k]));
    painter.DrawLine(QPointF(nameWidth, 0), QPointF(nameWidth, height));
    PaintFrame(painter, QRectF(0, 0, width, height), m_request.layout.m_sotowaku);
    painter.Restore();
  }
}

void CPrintDocument::PaintLabels(IPageCanvas& painter, int page) {
  painter.SetPen(QPen(Qt::black));
  for (int index : m_pages->LabelsOn(page)) {
    const QRectF rect = m_pages->LabelRect(index);
    const QStringList lines = m_pages->LabelLines(index);
    const double scale = m_pages->LabelScale(lines, rect);
    painter.Save();
    painter.Translate(rect.left() + CPrintPagination::kPadX, rect.top() + CPrintPagination::kPadY);
    painter.Scale(scale, scale);
    double base = m_measure.Ascent();
    for (const QString& line : lines) {
      DrawLine(painter, QPointF(0, base), line);
      base += m_measure.LineHeight();
    }
    painter.Restore();
  }
}

void CPrintDocument::PaintFooter(IPageCanvas& painter, int page) {
  const QRectF footer = m_pages->Footer();
  painter.SetFont(m_footerFont);
  painter.SetPen(QPen(Qt::black));
  const QString number = u"%1 / %2"_s.arg(page + 1).arg(PageCount());
  const QString cut = m_leftOut > 0 ? kLeftOut.arg(QLocale(QLocale::English).toString(qint64(m_leftOut))) : QString();
  const QFontMetricsF fm(m_footerFont);
  const double gap = 2 * CPrintPagination::kPadX;
  const double room = footer.width() - fm.horizontalAdvance(number) - gap -
                      (cut.isEmpty() ? 0 : fm.horizontalAdvance(cut) + gap);
  const QString title = fm.elidedText(m_request.title, Qt::ElideMiddle, std::max(room, 0.0));
  for (QChar c : number + title + cut) m_drawn[c.unicode()] = true;
  // On one line at the footer's top: the title from the left, the page
  // number against the right, the note of what was left out before it.
  const double base = footer.top() + fm.ascent();
  const double numberX = footer.right() - fm.horizontalAdvance(number);
  painter.DrawText(QPointF(numberX, base), number);
  if (!title.isEmpty()) painter.DrawText(QPointF(footer.left(), base), title);
  if (!cut.isEmpty()) painter.DrawText(QPointF(numberX - gap - fm.horizontalAdvance(cut), base), cut);
  painter.SetFont(m_font);
}

bool PaintPages(CPrintDocument& doc, QPagedPaintDevice& device, int from, int to, QString* error) {
  const int count = doc.PageCount();
  if (to < 0 || to >= count) to = count - 1;
  from = std::max(from, 0);
  if (from > to) {
    if (error) *error = u"印刷するページがありません (%1 - %2 / %3)"_s.arg(from + 1).arg(to + 1).arg(count);
    return false;
  }
  QPainter painter;
  if (!painter.begin(&device)) {
    if (error) *error = u"印刷を始められません"_s;
    return false;
  }
  // The painter's unit becomes 0.1 mm.
  const double sx = device.logicalDpiX() / 254.0, sy = device.logicalDpiY() / 254.0;
  for (int page = from; page <= to; ++page) {
    if (page > from && !device.newPage()) {
      painter.end();
      if (error) *error = u"次のページに進めません"_s;
      return false;
    }
    painter.resetTransform();
    painter.scale(sx, sy);
    doc.PaintPage(painter, page);
  }
  if (!painter.end()) {
    if (error) *error = u"印刷を終えられません"_s;
    return false;
  }
  return true;
}

bool WritePdf(CPrintDocument& doc, const QString& path, QString* error, int from, int to) {
  {
    CFileCommit commit(path);
    if (!commit.Open()) {
      if (error) *error = commit.Error();
      return false;
    }
    const PdfWriteResult own = WritePrintPdf(doc, commit, path, from, to, error);
    if (own != PdfWriteResult::kNotMine) return own == PdfWriteResult::kWritten;
    commit.Discard();
  }
  // What Velum's own writer cannot write (a bitmap face, a style Qt makes up,
  // a character the face lacks), Qt's writer does.
  CFileCommit commit(path);
  if (!commit.Open()) {
    if (error) *error = commit.Error();
    return false;
  }
  CCommitDevice device(commit, [&doc] { return SharedGlyphFixes(doc.Font(), doc.Drawn()); });
  device.open(QIODevice::WriteOnly);
  QString paintError;
  bool painted;
  {
    QPdfWriter writer(&device);
    const QSizeF paper = doc.PaperSize();
    const bool wide = paper.width() > paper.height();
    writer.setPageLayout(QPageLayout(QPageSize(wide ? paper.transposed() : paper, QPageSize::Millimeter),
                                     wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    writer.setTitle(doc.Request().title);
    writer.setCreator(u"Velum"_s);
    painted = PaintPages(doc, writer, from, to, &paintError);
  }
  const bool written = device.Finish();
  device.close();
  if (!painted || !written) {
    if (error) *error = painted ? commit.Error() : path + u": "_s + paintError;
    commit.Discard();
    return false;
  }
  if (!commit.Commit()) {
    if (error) *error = commit.Error();
    return false;
  }
  return true;
}
