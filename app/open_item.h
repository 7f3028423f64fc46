#pragma once

#include <QString>

class CVelumDoc;

// ファイル名として開く: what the desktop is asked to open for the text of an item
// of the current card.
struct COpenRequest {
  QString file;        // a path, or a URL ("mailto:...", "http://...")
  QString parameters;  // empty, or what follows the file part
  QString message;     // set when nothing may be opened and the user is told why
  bool Empty() const { return file.isEmpty() && message.isEmpty(); }
};

// A mail address: an "@", a "." after it, the local part of letters, digits and
// "_!#$%&'()*+-/=?^{|}~.", the domain of letters, digits, "-" and ".".
bool IsMailAddress(const QString& text);

// The request for item of the current card: line breaks removed; a mail address
// gets "mailto:"; another text without "://" is taken relative to the
// document's folder when it names no folder. A text of the form
// "FILE" PARAMETERS (or FILE PARAMETERS) is split at the first blank after the
// file; "%[NAME]" in either part is replaced by that item's text on the card,
// and in the parameters "%[NAME]" or "%NAME" must name an item with a text.
COpenRequest BuildOpenRequest(const CVelumDoc& doc, int item);
