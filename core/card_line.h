#pragma once

#include "core/card_row.h"
#include "core/line_ends.h"

#include <QString>
#include <QStringView>

#include <vector>

// One record of a card file: items separated by commas, each item bare or
// between double quotes, with the escape characters of the own style:
//   0x01 0x02  a line break (CR LF) inside an item
//   0x03 0x03  a double quote inside a bare item
//   0x04       a comma inside a bare item

namespace card_char {
constexpr char16_t kQuote = u'"';
constexpr char16_t kComma = u',';
constexpr char16_t kLf = u'\n';
constexpr char16_t kCr = u'\r';
constexpr char16_t kBreak1 = 0x01;  // 0x01 0x02: a line break
constexpr char16_t kBreak2 = 0x02;
constexpr char16_t kEsc3 = 0x03;  // 0x03 0x03: a quote; 0x03 0x04: quote + comma
constexpr char16_t kEsc4 = 0x04;  // 0x04: a comma; 0x04 0x03: comma + quote
constexpr char16_t kEndOfFile = 0x1A;
}  // namespace card_char

enum class ParseStatus { kOk, kTooManyItems };

// Fills row from one record. The line may end with its line feed; one is assumed
// when it does not. Fails (row left empty) when the record has more than 200 items.
ParseStatus ParseLine(CCardRow& row, QStringView line);

// How a record is written: in the Microsoft-CSV form (multiLine) or the own
// form, with its line end and, in the Microsoft form, the line end that
// stands for a line break inside an item.
struct CLineForm {
  bool multiLine = false;
  LineEnd record = LineEnd::kCrLf;
  LineEnd inner = LineEnd::kLf;
};

// Appends the record of one card for the file, ended by CR LF. In the
// Microsoft-CSV style (multiLine) an item with a line break, a comma or a
// double quote is written quoted, and its quote flag is set in the row.
void AppendLine(QString& out, CCardRow& row, bool multiLine);
// The same in any form, without changing the row: the items whose quote flag
// is to be set are appended to quote. A line break inside an item is CR LF or
// a lone LF, and with CR record ends a lone CR too (a reader of such a file
// ends a line at each of them).
void AppendLine(QString& out, const CCardRow& row, const CLineForm& form, std::vector<int>* quote);
QString FormatLine(CCardRow& row, bool multiLine);

// The record of one card for the clipboard and for moving a card into the item
// names, ended by a lone line feed; ParseLine reads every text back unchanged.
QString FormatInternalLine(const CCardRow& row);
