#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// How the lines of a card file end. A file is written with the ends it was
// read with, so that a save changes only the lines whose cards changed.
enum class LineEnd : std::uint8_t { kCrLf, kLf, kCr };

// The characters of a line end.
QStringView LineEndText(LineEnd end);
// "CR LF", "LF" or "CR", for messages and dialogs.
QString LineEndName(LineEnd end);
// "crlf", "lf" or "cr" (any case), as velum-cli takes them.
bool ParseLineEndName(QStringView name, LineEnd* out);

// Line ends counted by kind.
struct CLineEndCount {
  qint64 crLf = 0, lf = 0, cr = 0;

  void Add(LineEnd end) { ++(end == LineEnd::kCrLf ? crLf : end == LineEnd::kLf ? lf : cr); }
  CLineEndCount& operator+=(const CLineEndCount& o) {
    crLf += o.crLf, lf += o.lf, cr += o.cr;
    return *this;
  }
  CLineEndCount& operator-=(const CLineEndCount& o) {
    crLf -= o.crLf, lf -= o.lf, cr -= o.cr;
    return *this;
  }
  qint64 Total() const { return crLf + lf + cr; }
  // The kind counted most (a tie goes to CR LF, then LF); none counted: def.
  LineEnd Most(LineEnd def) const;
  // More than one kind was counted.
  bool Mixed() const { return (crLf > 0) + (lf > 0) + (cr > 0) > 1; }
};

// What one pass over a piece of a card file's text finds: its line ends (CR
// LF and a lone LF; with loneCr, a CR not followed by LF too; a CR that ends
// the piece counts as a lone CR) and whether it holds one of the own form's
// escape units 0x01-0x04.
struct CTextScan {
  CLineEndCount ends;
  bool escapes = false;
};
CTextScan ScanText(QStringView text, bool loneCr);

// The line ends of a card file as read, and as the next save writes them.
struct CLineEnds {
  LineEnd record = LineEnd::kCrLf;  // after each record
  LineEnd inner = LineEnd::kLf;     // a line break inside a quoted item (Microsoft form)
  bool finalEnd = true;             // the last record is ended too
  bool mixed = false;               // the records were read with more than one kind of end
  bool operator==(const CLineEnds&) const = default;
};
