#pragma once

#include "core/line_ends.h"
#include "platform/code_page.h"

#include <QString>

class CCardStore;
class CVelumDoc;

// What 名前を付けて保存 offers beside the name: the encoding, the line ends
// and the form of the card file. A file that was read keeps what it was read
// with; a new file is UTF-8 with a byte-order mark, CR LF and the form the
// settings choose.
struct CSaveForm {
  FileEncoding encoding;
  LineEnd lineEnd = LineEnd::kCrLf;
  bool multiLine = true;  // the Microsoft-CSV form; else the own form
  bool operator==(const CSaveForm&) const = default;
};

// The form the document's next save writes.
CSaveForm SaveFormOf(const CCardStore& store);
// Makes the next save write that form. A line end other than the one the file
// was read with is the user's choice: no word about mixed line ends follows.
void ApplySaveForm(CCardStore& store, const CSaveForm& form);
// Saves under path in that form; when the save fails the document keeps the
// form it had.
bool SaveAsInForm(CVelumDoc& doc, const QString& path, const CSaveForm& form);
