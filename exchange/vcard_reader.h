#pragma once

#include "exchange/exchange_table.h"

#include <QByteArray>
#include <QString>

// Contacts of a vCard file (versions 2.1, 3.0 and 4.0, as phones and mail
// programs write them) as a table: one row per contact, one column per item
// of vcard_items.h that some contact fills, in that order, then the items
// that came as X-VELUM-ITEM.
//
// The text is UTF-8 when it begins with a byte-order mark or reads as UTF-8,
// else CP932; a property's CHARSET decides for its own value. Folded lines
// (a line beginning with a blank continues the one before; a
// quoted-printable value ending in "=" continues on the next line) are
// joined; quoted-printable and the escapes \n \, \; \\ are decoded.
// Binary values (photos, logos, sounds, keys) are skipped and counted.
// report->notes names what was not mapped (by property, with its count),
// damage (by line: broken quoted-printable, bytes of no character, an
// unknown charset, a card without its end) and the photos skipped; fileName
// is named in them. The read fails only when the bytes hold no contact.
struct CVCardStats {
  int contacts = 0;
  int photos = 0;
};
CExchangeTable ReadVCard(const QByteArray& bytes, const QString& fileName, CExchangeReport* report,
                         CVCardStats* stats = nullptr);
