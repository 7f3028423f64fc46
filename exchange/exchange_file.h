#pragma once

#include "exchange/exchange_table.h"
#include "exchange/vcard_writer.h"
#include "exchange/xlsx_writer.h"
#include "platform/code_page.h"

#include <QString>

#include <optional>
#include <vector>

// Files of other formats, by their names: what import and export read and
// write.
enum class CExchangeFormat { kUnknown, kVCard, kXlsx, kOds, kDelimited };

// .vcf and .vcard; .xlsx and .xlsm; .ods; .csv, .tsv and .txt.
CExchangeFormat ExchangeFormatOf(const QString& path);
// The formats export writes: vCard and .xlsx.
bool CanExportTo(CExchangeFormat format);

struct CImportOptions {
  QString sheet;                        // a spreadsheet's sheet; empty: the first
  QChar separator;                      // delimited text: null tells it from the first line
  std::optional<CodePage> codePage;     // delimited text: unset tells it from the bytes
  std::optional<bool> firstRowNames;    // sheets and delimited text: unset decides by LooksLikeItemNames
};

// The largest file import reads whole (vCard and delimited text).
inline constexpr qint64 kMaxImportFile = qint64(512) << 20;

// Reads a file of one of the formats as a table; report fails (naming the
// file, and the line or cell) when nothing could be read, and notes what was
// read in part or left out. sheetNames, when given, gets a spreadsheet's
// sheets.
CExchangeTable ReadExchangeFile(const QString& path, const CImportOptions& options, CExchangeReport* report,
                                QStringList* sheetNames = nullptr);

// The separator of delimited text, told from its first line: a tab, else the
// most frequent of ';' and ',' (',' when neither).
QChar GuessSeparator(QStringView firstLine);

struct CExportOptions {
  VCardVersion vcardVersion = VCardVersion::k30;
  std::vector<CColumnKind> kinds;  // .xlsx: how each column goes in
};

// Writes the table to path in the format of its name (vCard or .xlsx); the
// file is replaced only when written whole.
bool WriteExchangeFile(const QString& path, const CExchangeTable& table, const CExportOptions& options,
                       CExchangeReport* report);
