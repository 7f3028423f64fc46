#pragma once

#include <QString>
#include <QStringView>

// A postal code as a card holds it: "123-4567", "1234567", full-width
// "１２３－４５６７", with or without a leading 〒 and blanks around.
struct CPostcardCode {
  QString digits;  // the seven ASCII digits when ok, else empty
  QString text;    // the text as it stands, blanks around it removed
  bool ok = false;
};

// Reads a postal code: seven digits, with at most one hyphen after the third.
// Anything else (too short or long, letters, empty) is not ok and keeps its
// text, to be printed as it stands and named to the user.
CPostcardCode ParsePostcardCode(QStringView text);

// Whether c is a hyphen or a dash a card may hold between numbers: - ‐ ‑ ‒ –
// − － ｰ ー.
bool IsPostcardHyphen(QChar c);
// The ASCII digit of a half- or full-width digit, else -1.
int PostcardDigit(QChar c);
