#pragma once

#include "exchange/exchange_table.h"

#include <QByteArray>

enum class VCardVersion { k30, k40 };

// The rows of a table as vCard contacts, in UTF-8 with CR LF line ends, lines
// folded at 75 octets (never inside a character), texts escaped. The items of
// vcard_items.h go to their properties: 姓 and 名 to N (氏名 split at its
// first blank when the deck has neither), ふりがな to X-PHONETIC-LAST-NAME
// and -FIRST-NAME (split the same way) and, in 3.0, to SORT-STRING, so that
// phones sort by reading; each line of 電話, 携帯, メール and 住所 (with the
// line of 郵便番号 beside it) to a property of its own. Every other item goes
// to X-VELUM-ITEM (vcard_items.h); *otherItems counts those items.
QByteArray WriteVCard(const CExchangeTable& table, VCardVersion version, int* otherItems = nullptr);

// Folds one unfolded line as the vCard formats ask: at most 75 octets a line,
// each continuation line beginning with a blank; a character's bytes stay on
// one line. Ends with CR LF.
QByteArray FoldVCardLine(const QByteArray& line);
