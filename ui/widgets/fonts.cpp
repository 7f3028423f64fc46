#include "ui/widgets/fonts.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>

namespace {

// A face the machine lacks falls back to a Japanese face, so that the metrics
// the layout measures are those of the glyphs drawn.
QFont Face(const QString& name) {
  QFont f;
  f.setFamilies({name, QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans CJK")});
  return f;
}

}  // namespace

QFont FontFromRecord(const settings::CFontRecord& record, int pixelsPerInchY) {
  QFont f = Face(record.faceName);
  const int height = std::abs(settings::FontHeight(record.point, pixelsPerInchY));
  f.setPixelSize(std::max(height, 1));
  f.setBold(record.weight >= 600);
  f.setItalic(record.italic != 0);
  f.setUnderline(record.underline != 0);
  return f;
}

QFont FontFromArchive(const CArchiveFont& font) {
  QFont f = Face(font.faceName);
  if (font.height != 0) f.setPixelSize(std::max(std::abs(font.height), 1));
  f.setBold(font.weight >= 600);
  f.setItalic(font.italic != 0);
  f.setUnderline(font.underline != 0);
  return f;
}

QString DrawingFamily(const QString& face) { return QFontInfo(Face(face)).family(); }

QColor ColorFromRef(std::uint32_t ref) { return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF)); }

int ScreenDpiY() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? int(screen->logicalDotsPerInchY()) : 96;
}
