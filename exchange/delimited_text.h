#pragma once

#include "exchange/exchange_table.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// Rows of cells as spreadsheets put them on the clipboard (cells split by
// tabs) and as CSV files with other separators hold them. A cell that begins
// with a double quote is quoted: it runs to the next lone quote, "" stands for
// one, and separators and line breaks inside it belong to the cell. Rows end
// at LF, CR LF or CR; a last line break ends the last row rather than starting
// an empty one. Line breaks inside cells come back as CR LF.
std::vector<QStringList> ParseDelimited(QStringView text, QChar separator);

// Whether clipboard text is rows from a spreadsheet rather than one text:
// some line holds a tab outside quotes.
bool LooksLikeTabRows(QStringView text);

// The rows of a table as a spreadsheet takes them from the clipboard: the
// names first when withNames, cells split by tabs, rows ended by LF (as the
// desktop's clipboard carries them), a cell quoted when it holds a tab, a line
// break or a double quote, or begins with a blank.
QString FormatTabRows(const CExchangeTable& table, bool withNames);
