#pragma once

#include <QMap>
#include <QString>

class CSettingsStore;

// What a print layout holds beyond its stored record: the paper's orientation
// and a width for printed items. The layout record of the property file has
// no field for them (its further fields carry values of files written
// elsewhere, kept unchanged), so they are kept in the settings beside it,
// keyed by the card file: section PrintLayout, the value named by the card
// file's absolute path, a text such as
//
//   file=%2Fhome%2Fu%2Fa.csv;landscape=1;width:%E9%87%91%E9%A1%8D=30
//
// (percent-encoded path and item names, widths in millimetres). A property
// file is never changed by them, and a file without them prints as before.
struct CPrintExtras {
  bool landscape = false;
  // Printed item name -> column width in mm; an item not listed is sized by
  // its contents.
  QMap<QString, double> widths;

  bool IsSet() const { return landscape || !widths.isEmpty(); }
  // The width of an item's column in mm, 0 for automatic.
  double WidthOf(const QString& item) const { return widths.value(item, 0); }
  bool operator==(const CPrintExtras&) const = default;
};

// The widest column a width may ask for, in mm.
inline constexpr double kMaxPrintWidthMM = 500;

// The extras kept for a card file; none for an empty path or a value that does
// not name exactly this path (two paths differing only in case share a value
// name) or cannot be read.
CPrintExtras ReadPrintExtras(const CSettingsStore& settings, const QString& cardPath);
// Keeps them for the card file (unset ones clear what was kept). False when
// the path is empty or the settings were not written; nothing is written when
// nothing changes.
bool WritePrintExtras(CSettingsStore& settings, const QString& cardPath, const CPrintExtras& extras);

// The text of the value, and back (false for a text that is not one).
QString PrintExtrasText(const QString& cardPath, const CPrintExtras& extras);
bool ParsePrintExtras(const QString& text, QString* cardPath, CPrintExtras* extras);
