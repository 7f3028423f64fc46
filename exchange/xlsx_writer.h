#pragma once

#include "exchange/exchange_table.h"

#include <QString>

#include <vector>

// How a column of a table goes into a spreadsheet: as text (postal codes and
// telephone numbers keep their leading zeros and hyphens), as numbers, or as
// dates. A cell of a number or date column whose text is no number or date
// goes in as text.
enum class CColumnKind { kText, kNumber, kDate };

// Writes the table as an .xlsx file (through libxlsxwriter): one sheet named
// sheetName, the item names as a bold header row frozen at the top, then one
// row per card, column widths from the texts. kinds holds one entry per
// column (missing ones are text). The file is written beside path and renamed
// over it only when complete. Fails (report says why, naming the card) when
// the cards do not fit a sheet: more than 1,048,575 cards, or a text longer
// than 32,767 characters.
bool WriteXlsx(const QString& path, const CExchangeTable& table, const std::vector<CColumnKind>& kinds,
               CExchangeReport* report, const QString& sheetName = QStringLiteral("Sheet1"));

// The date a text of the program's date form (yyyy/m/d) names, for date
// columns; false for any other text.
bool ParseCardDate(const QString& text, int* year, int* month, int* day);

// The width in characters a text takes in a sheet's column: two for a wide
// (East Asian) character, one for others; the longest line of the text.
int SheetTextWidth(QStringView text);
