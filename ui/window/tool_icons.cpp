#include "ui/window/tool_icons.h"

#include "app/frame_command_table.h"

#include <QPainter>
#include <QPolygonF>
#include <QPixmap>

namespace {

const QColor kInk(0x30, 0x3a, 0x48);
const QColor kPaper(0xfa, 0xfa, 0xf6);
const QColor kArrow(0x2a, 0x62, 0xb8);

// Each picture is drawn on a 16 by 16 grid and scaled to the size asked for.
using Painter = void (*)(QPainter&);

void Page(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(r);
}

void Lines(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk.lighter(170), 1));
  for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Triangle(QPainter& p, qreal x, bool left) {
  p.setPen(Qt::NoPen);
  p.setBrush(kArrow);
  if (left)
    p.drawPolygon(QPolygonF{{x, 8}, {x + 6, 3}, {x + 6, 13}});
  else
    p.drawPolygon(QPolygonF{{x + 6, 8}, {x, 3}, {x, 13}});
}

void Magnifier(QPainter& p) {
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(QColor(0xd8, 0xe8, 0xf8));
  p.drawEllipse(QPointF(6.5, 6.5), 4.2, 4.2);
  p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(9.6, 9.6), QPointF(14, 14));
}

void SmallArrow(QPainter& p, bool down) {
  const qreal tip = down ? 15.5 : 9.5, base = down ? 11.5 : 13.5;
  p.setPen(Qt::NoPen);
  p.setBrush(kArrow);
  p.drawPolygon(QPolygonF{{12.5, tip}, {9.5, base}, {15.5, base}});
}

void DrawOpen(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(0xe8, 0xb8, 0x48));
  p.drawPolygon(QPolygonF{{1.5, 13.5}, {1.5, 3.5}, {6, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}});
  p.setBrush(QColor(0xf6, 0xd2, 0x70));
  p.drawPolygon(QPolygonF{{1.5, 13.5}, {4, 7.5}, {15.5, 7.5}, {13.5, 13.5}});
}

void DrawSave(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(0x3c, 0x6e, 0xc0));
  p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
  p.setBrush(kPaper);
  p.drawRect(QRectF(4, 1.5, 8, 5));
  p.setBrush(QColor(0xd0, 0xd4, 0xdc));
  p.drawRect(QRectF(4, 9.5, 8, 5));
}

void DrawAddCard(QPainter& p) {
  const QRectF card(1.5, 3.5, 11, 9);
  Page(p, card);
  Lines(p, card);
  p.setPen(QPen(QColor(0x2a, 0x9a, 0x3a), 2.2));
  p.drawLine(QPointF(12.5, 8.5), QPointF(12.5, 15));
  p.drawLine(QPointF(9.25, 11.75), QPointF(15.75, 11.75));
}

void DrawFirst(QPainter& p) {
  p.fillRect(QRectF(2.5, 3, 2, 10), kArrow);
  Triangle(p, 5.5, true);
  Triangle(p, 10, true);
}
void DrawPrevious(QPainter& p) { Triangle(p, 5, true); }
void DrawNext(QPainter& p) { Triangle(p, 5, false); }
void DrawLast(QPainter& p) {
  Triangle(p, 1, false);
  Triangle(p, 5.5, false);
  p.fillRect(QRectF(11.5, 3, 2, 10), kArrow);
}

void DrawFind(QPainter& p) { Magnifier(p); }
// A smaller glass with an arrow: find the next card (down) or the previous one.
void FindAgain(QPainter& p, bool next) {
  const QTransform grid = p.transform();
  p.scale(0.8, 0.8);
  Magnifier(p);
  p.setTransform(grid);
  SmallArrow(p, next);
}
void DrawFindNext(QPainter& p) { FindAgain(p, true); }
void DrawFindPrevious(QPainter& p) { FindAgain(p, false); }

void DrawCut(QPainter& p) {
  p.setPen(QPen(kInk, 1.4));
  p.drawLine(QPointF(4, 1.5), QPointF(10.5, 11));
  p.drawLine(QPointF(12, 1.5), QPointF(5.5, 11));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xc0, 0x30, 0x30), 1.6));
  p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
  p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}

void DrawCopy(QPainter& p) {
  Page(p, QRectF(1.5, 1.5, 8, 10));
  const QRectF front(6.5, 4.5, 8, 10);
  Page(p, front);
  Lines(p, front);
}

void DrawPaste(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(0xb0, 0x80, 0x50));
  p.drawRoundedRect(QRectF(1.5, 2.5, 11, 12.5), 1, 1);
  p.setBrush(QColor(0xc8, 0xc8, 0xc8));
  p.drawRect(QRectF(4.5, 1, 5, 3));
  const QRectF paper(6.5, 6.5, 8.5, 9);
  Page(p, paper);
  Lines(p, paper);
}

struct CToolPicture {
  std::uint32_t command;
  const char* themeName;
  Painter paint;
};

const CToolPicture kPictures[] = {
    {cmd::kOpen, "document-open", DrawOpen},          {cmd::kSave, "document-save", DrawSave},
    {cmd::kAddCard, "list-add", DrawAddCard},         {cmd::kFirstCard, "go-first", DrawFirst},
    {cmd::kPrevCard, "go-previous", DrawPrevious},    {cmd::kNextCard, "go-next", DrawNext},
    {cmd::kLastCard, "go-last", DrawLast},            {cmd::kFind, "edit-find", DrawFind},
    {cmd::kFindNext, "go-down", DrawFindNext},        {cmd::kFindPrev, "go-up", DrawFindPrevious},
    {cmd::kCut, "edit-cut", DrawCut},                 {cmd::kCopy, "edit-copy", DrawCopy},
    {cmd::kPaste, "edit-paste", DrawPaste},
};

const CToolPicture* Find(std::uint32_t command) {
  for (const CToolPicture& p : kPictures)
    if (p.command == command) return &p;
  return nullptr;
}

QIcon Drawn(Painter paint) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QString ToolIconName(std::uint32_t command) {
  const CToolPicture* p = Find(command);
  return p ? QString::fromLatin1(p->themeName) : QString();
}

QIcon ToolIcon(std::uint32_t command) {
  const CToolPicture* p = Find(command);
  if (!p) return {};
  const QString name = QString::fromLatin1(p->themeName);
  if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  return Drawn(p->paint);
}
