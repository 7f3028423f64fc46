#pragma once

#include <QString>
#include <QStringView>

// The page-body attributes of the HTML export, kept in the file record as one
// text: the body tag. Colours are hexadecimal RRGGBB without "#".
struct CBodyAttributes {
  bool set = false;
  QString background;  // image
  bool fixed = false;  // the background does not scroll
  QString bgColor;
  QString textColor;
  QString linkColor;
  QString vlinkColor;
  QString alinkColor;
  bool operator==(const CBodyAttributes&) const = default;
};

// "<BODY" with every attribute that is not empty, in the order background,
// BGPROPERTIES=FIXED, BGCOLOR, TEXT, LINK, VLINK, ALINK, values in double quotes
// and colours after "#"; ended by ">\r\n".
QString FormatBodyTag(const CBodyAttributes& a);

// Reads the attributes of a body tag, names in any case. A value in double
// quotes runs to the closing quote; a bare value to the next blank or ">".
// A colour longer than six characters keeps its last six ("#FF0000" gives
// "FF0000"). The set flag is always on in the answer.
CBodyAttributes ParseBodyTag(QStringView text);
