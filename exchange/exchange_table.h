#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A deck on its way in from another format or out to one: the item names and
// one row of texts per card. A line break inside a text is CR LF, as in a card.
struct CExchangeTable {
  QStringList names;
  std::vector<QStringList> rows;
};

// What a reader or writer has to tell the user. ok false: nothing usable came
// of it and error says why, naming the file and the line or cell. notes: what
// was read in part, skipped or not mapped; the rest of the work stands.
struct CExchangeReport {
  bool ok = true;
  QString error;
  QStringList notes;

  void Fail(const QString& reason) {
    ok = false;
    error = reason;
  }
  // The notes as one message, or the error; empty when there is nothing to say.
  QString Message() const;
};

// The first row of a sheet or of pasted rows holds item names when every cell
// of it has a text, no two alike, and none is a number or a date: a row of data
// almost always has a number, a date or an empty cell somewhere.
bool LooksLikeItemNames(const QStringList& row);

// "項目1", "項目2", ...: the names a file without a header line gives its items.
QStringList NumberedItemNames(int count);

// A table from rows as read: the first row as the names when firstRowNames
// (else numbered names), every row padded with empty texts to the widest
// one. Columns beyond maxItems are dropped with a note in report.
CExchangeTable TableFromRows(std::vector<QStringList> rows, bool firstRowNames, int maxItems,
                             CExchangeReport* report);

// Texts from elsewhere carry LF or CR line breaks; cards carry CR LF.
QString ToCardLineBreaks(QStringView text);
// And back: CR LF as LF, for formats that break lines with LF.
QString ToLfLineBreaks(QStringView text);
