#include "render/postcard/postcard_document.h"

#include "core/card_store.h"
#include "print/postcard/postcard_code.h"
#include "platform/file_io.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QStringList ItemNames(const CCardStore& store) {
  QStringList names;
  for (int i = 0; i < store.ItemCount(); ++i) names << store.Item(i).toString();
  return names;
}

// Paints pages onto a fresh PDF writer, rewrites its text maps and commits it.
bool WritePdf(const QString& path, const QString& title, int pages, CPostcardPainter& painter,
              const std::function<void(QPainter&, int)>& paint, QString* error) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(kPostcardWidthMm, kPostcardHeightMm), QPageSize::Millimeter,
                                               u"はがき"_s),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(title);
    writer.setCreator(u"Velum"_s);
    QPainter p;
    if (!p.begin(&writer)) {
      if (error) *error = path + u": 印刷を始められません"_s;
      return false;
    }
    const double sx = writer.logicalDpiX() / 254.0, sy = writer.logicalDpiY() / 254.0;
    for (int page = 0; page < pages; ++page) {
      if (page > 0 && !writer.newPage()) {
        p.end();
        if (error) *error = path + u": 次のページに進めません"_s;
        return false;
      }
      p.resetTransform();
      p.scale(sx, sy);
      paint(p, page);
    }
    if (!p.end()) {
      if (error) *error = path + u": 印刷を終えられません"_s;
      return false;
    }
  }
  FixPdfTextMaps(bytes, painter.TextMaps());
  CFileCommit commit(path);
  if (!commit.Open() || !commit.Write(bytes) || !commit.Commit()) {
    if (error) *error = commit.Error();
    return false;
  }
  return true;
}

}  // namespace

CPostcardDocument::CPostcardDocument(const CCardStore& store, std::vector<int> cards,
                                     const CPostcardSettings& settings)
    : m_store(store),
      m_cards(std::move(cards)),
      m_items(ResolvePostcardItems(ItemNames(store), settings)),
      m_painter(settings) {}

CPostcardAddress CPostcardDocument::Address(int page) const {
  const int card = page >= 0 && page < PageCount() ? m_cards[page] : -1;
  return ReadPostcardAddress([&](int item) { return m_store.GetItemValue(card, item); }, m_items, Settings());
}

CPostcardLayout CPostcardDocument::Layout(int page) const {
  return LayOutPostcard(Address(page), Settings(), m_painter.Measure());
}

void CPostcardDocument::PaintPage(QPainter& painter, int page, bool face) {
  if (face) m_painter.PaintCardFace(painter);
  m_painter.PaintCard(painter, Layout(page));
}

QStringList CPostcardDocument::Problems(int from, int to) const {
  QStringList out;
  if (to < 0 || to >= PageCount()) to = PageCount() - 1;
  for (int page = std::max(0, from); page <= to; ++page) {
    const CPostcardAddress a = Address(page);
    const QString where = u"%1枚目 (カード%2)"_s.arg(page + 1).arg(m_cards[page] + 1);
    if (a.code.isEmpty())
      out << where + u": 郵便番号がありません"_s;
    else if (!ParsePostcardCode(a.code).ok)
      out << where + u": 郵便番号「%1」は7桁の数字ではないので、枠の上にそのまま印刷しました"_s.arg(a.code);
    if (!a.droppedJoint.isEmpty())
      out << where + u": 連名は3人までです。印刷しなかった名前: %1"_s.arg(a.droppedJoint.join(u'、'));
  }
  const CPostcardCode sender = ParsePostcardCode(Settings().senderCode);
  if (Settings().sender && !sender.ok && !sender.text.isEmpty() && from <= to)
    out << u"差出人の郵便番号「%1」は7桁の数字ではないので、枠の上にそのまま印刷しました"_s.arg(sender.text);
  return out;
}

bool WritePostcardPdf(CPostcardDocument& doc, const QString& path, QString* error, int from, int to) {
  const int count = doc.PageCount();
  if (to < 0 || to >= count) to = count - 1;
  from = std::max(from, 0);
  if (from > to) {
    if (error) *error = u"印刷するはがきがありません"_s;
    return false;
  }
  return WritePdf(path, u"はがき宛名"_s, to - from + 1, doc.Painter(),
                  [&](QPainter& p, int page) { doc.PaintPage(p, from + page); }, error);
}

bool WritePostcardCalibrationPdf(const CPostcardSettings& settings, const QString& path, QString* error) {
  CPostcardPainter painter(settings);
  return WritePdf(path, u"はがき位置合わせ"_s, 1, painter, [&](QPainter& p, int) { painter.PaintCalibration(p); },
                  error);
}
