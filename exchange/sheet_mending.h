#pragma once

#include <QByteArray>
#include <QString>

// What the spreadsheet library (liborcus 0.17) misreads, mended before it
// reads a file:
// - .ods: a cell of several paragraphs comes as its last paragraph alone, and
//   the cells a merged cell covers are not counted, so that the cells after
//   them move left. The paragraphs of a cell (and its line breaks) are joined
//   by line feeds, and a covered cell becomes an empty cell.
// - .xlsx: cells of inline strings (as streaming writers make them) are
//   dropped. They become cells of a string result, which it reads.
// MendedSheetFile answers the file's zip again with those parts mended, every
// entry stored uncompressed; empty with *error empty when nothing needs
// mending (the file is read as it is), empty with *error set when the file is
// no zip or lacks the part (the library's words).
QByteArray MendedSheetFile(const QString& path, bool ods, QString* error);

QByteArray MendOdsContent(const QByteArray& contentXml);
QByteArray MendXlsxSheet(const QByteArray& sheetXml);
