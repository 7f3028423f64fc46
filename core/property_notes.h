#pragma once

#include <QByteArrayView>
#include <QJsonArray>
#include <QString>
#include <QStringList>

#include <optional>

class CSettingsStore;

// What the program keeps in its settings about each property file it writes,
// beside the file rather than in it, so that the file stays in its stored form
// for the other programs that read it:
// - the names of the items its records were written for, keyed by a digest of
//   its bytes, so that a card file of another save, or one whose columns were
//   renamed or replaced elsewhere, is told apart from the file's own;
// - the label lines chosen for the file, which its label record has no place
//   for, keyed by its path.
//
// Section PropertyFiles holds kSlots values "0" ... and "Next", the slot the
// next new file takes; a file written again keeps its slot, so the files
// written longest ago are forgotten first. A slot is one JSON object:
//   {"path": "/home/u/a.vcv", "sha1": "<hex digest of the bytes>",
//    "items": ["名前", ...], "labels": [[prefix, item, suffix, join], ...]}
// "items" is left out when the names are longer than kMaxItemsText.
struct CPropertyNote {
  std::optional<QStringList> items;  // the items the records were written for
  QJsonArray labelLines;             // empty: none chosen
};

inline constexpr int kPropertyNoteSlots = 128;

// After the property file at path (absolute, links resolved) was written with
// bytes. Answers false when the settings could not be written (their store
// has told why).
bool RememberPropertyFile(CSettingsStore& settings, const QString& path, QByteArrayView bytes,
                          const QStringList& items, const QJsonArray& labelLines);

// The note for the property file at path holding bytes: the item names of the
// note written for these bytes (this path's, else any path's: a pair copied
// elsewhere), and the label lines of this path's note, else of the bytes'.
CPropertyNote RecallPropertyFile(const CSettingsStore& settings, const QString& path, QByteArrayView bytes);
