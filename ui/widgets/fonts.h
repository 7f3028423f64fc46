#pragma once

#include "records/archive.h"
#include "settings/settings.h"

#include <QColor>
#include <QFont>

// Fonts and colours as the settings and property records store them. A face
// the machine lacks falls back through Qt's font matching; the stored name is
// kept in the record.
QFont FontFromRecord(const settings::CFontRecord& record, int pixelsPerInchY);
QFont FontFromArchive(const CArchiveFont& font);
// The installed family that draws a stored face (itself when installed).
QString DrawingFamily(const QString& face);
// A colour reference 0x00BBGGRR.
QColor ColorFromRef(std::uint32_t ref);
// The screen's vertical dots per inch that font heights are made with.
int ScreenDpiY();
