#include "exchange/delimited_text.h"

std::vector<QStringList> ParseDelimited(QStringView text, QChar separator) {
  std::vector<QStringList> rows;
  QStringList row;
  QString cell;
  bool rowStarted = false;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto endCell = [&] {
    row << cell;
    cell.clear();
  };
  auto endRow = [&] {
    endCell();
    rows.push_back(std::move(row));
    row = QStringList();
    rowStarted = false;
  };
  while (i < n) {
    rowStarted = true;
    if (text[i] == u'"') {
      // A quoted cell: up to the lone quote; what follows it up to the next
      // separator is kept as a spreadsheet keeps it.
      ++i;
      QString quoted;
      while (i < n) {
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') {
            quoted += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        quoted += text[i++];
      }
      cell += ToCardLineBreaks(quoted);
    }
    while (i < n && text[i] != separator && text[i] != u'\n' && text[i] != u'\r') cell += text[i++];
    if (i >= n) break;
    if (text[i] == separator) {
      endCell();
      ++i;
      if (i >= n) rowStarted = true;
      continue;
    }
    if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    ++i;
    endRow();
  }
  if (rowStarted) endRow();
  return rows;
}

bool LooksLikeTabRows(QStringView text) {
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'"') quoted = !quoted;
    else if (c == u'\t' && !quoted) return true;
  }
  return false;
}

namespace {

QString TabCell(QStringView text) {
  const bool quote = text.contains(u'\t') || text.contains(u'\n') || text.contains(u'\r') || text.contains(u'"') ||
                     (!text.isEmpty() && text[0].isSpace());
  QString plain = ToLfLineBreaks(text);
  if (!quote) return plain;
  plain.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return u'"' + plain + u'"';
}

void AppendRow(QString& out, const QStringList& cells) {
  for (qsizetype i = 0; i < cells.size(); ++i) {
    if (i > 0) out += u'\t';
    out += TabCell(cells[i]);
  }
  out += u'\n';
}

}  // namespace

QString FormatTabRows(const CExchangeTable& table, bool withNames) {
  QString out;
  if (withNames) AppendRow(out, table.names);
  for (const QStringList& row : table.rows) AppendRow(out, row);
  return out;
}
