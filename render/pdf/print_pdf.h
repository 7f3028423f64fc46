#pragma once

#include <QString>

class CFileCommit;
class CPrintDocument;

enum class PdfWriteResult {
  kWritten,   // committed
  kFailed,    // *error says why; the target is untouched
  kNotMine,   // a font or character this writer cannot write: nothing committed
};

// Writes pages from..to (from 0, inclusive; -1 = last) of a list, cards or
// labels into an open file commit as a PDF of the document's paper: text as
// glyphs of the fonts' own faces, embedded cut down to the glyphs drawn, page
// contents compressed. Commits the file when all went well; errors name path.
PdfWriteResult WritePrintPdf(CPrintDocument& doc, CFileCommit& commit, const QString& path, int from, int to,
                             QString* error);
