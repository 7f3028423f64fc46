#pragma once

#include "exchange/exchange_table.h"

#include <QString>
#include <QStringList>

#include <vector>

// Reading .xlsx and .ods files (through liborcus): one sheet as rows of the
// texts its cells show. Dates come as yyyy/mm/dd (with the time when the cell
// shows one), numbers without a stray ".0" and with the decimals, percent
// sign and digit grouping of their format, text cells as written (0012 stays
// 0012), booleans as TRUE and FALSE, formulas as their stored results; a line
// break inside a cell becomes CR LF; merged and empty cells are empty texts.
struct CSpreadsheetRead {
  std::vector<QStringList> rows;
  QStringList sheetNames;  // every sheet of the file, in order
  QString sheet;           // the one read
};

// The sheet named sheetName, or the first when it is empty. Stops with a
// message (naming the file, and the row where it stopped) when the texts read
// would take more than memoryBudget bytes; on damage (no zip, no sheet, a
// broken part) report fails with the library's reason and the file's name.
inline constexpr qint64 kSheetMemoryBudget = qint64(1) << 30;
CSpreadsheetRead ReadSpreadsheet(const QString& path, const QString& sheetName, CExchangeReport* report,
                                 qint64 memoryBudget = kSheetMemoryBudget);

// Whether a file is one ReadSpreadsheet reads, by its name.
bool IsSpreadsheetPath(const QString& path);

// The text a spreadsheet shows for a number of the given format code
// ("General", "0.00", "#,##0", "0%", "yyyy/mm/dd", ...), counting dates from
// the serial base (1899-12-30, or 1904-01-01 for the 1904 system).
QString FormatSheetNumber(double value, const QString& formatCode, bool base1904 = false);
// Whether a format code shows a date or a time: one of the built-in date and
// time formats (identifier), or a code with date or time letters outside
// quotes and brackets.
bool IsDateFormat(int identifier, const QString& code);
