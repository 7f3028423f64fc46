#include "exchange/exchange_table.h"

#include <QDate>
#include <QSet>

#include <algorithm>

QString CExchangeReport::Message() const {
  if (!ok) return error;
  return notes.join(u'\n');
}

namespace {

bool IsNumberText(const QString& text) {
  bool number = false;
  QString plain = text.trimmed();
  plain.remove(u',');
  plain.toDouble(&number);
  return number;
}

bool IsDateText(const QString& text) {
  const QString t = text.trimmed();
  for (const QString& form : {QStringLiteral("yyyy/M/d"), QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy.M.d")})
    if (QDate::fromString(t, form).isValid()) return true;
  return false;
}

}  // namespace

bool LooksLikeItemNames(const QStringList& row) {
  if (row.isEmpty()) return false;
  QSet<QString> seen;
  for (const QString& cell : row) {
    if (cell.trimmed().isEmpty() || IsNumberText(cell) || IsDateText(cell)) return false;
    if (seen.contains(cell)) return false;
    seen.insert(cell);
  }
  return true;
}

QStringList NumberedItemNames(int count) {
  QStringList names;
  for (int i = 0; i < count; ++i) names << QStringLiteral("項目%1").arg(i + 1);
  return names;
}

CExchangeTable TableFromRows(std::vector<QStringList> rows, bool firstRowNames, int maxItems,
                             CExchangeReport* report) {
  int width = 0;
  for (const QStringList& row : rows) width = std::max(width, int(row.size()));
  if (width > maxItems) {
    report->notes << QStringLiteral("%1 列のうち、項目にできる %2 列までを読み込みました").arg(width).arg(maxItems);
    width = maxItems;
  }
  CExchangeTable table;
  std::size_t first = 0;
  if (firstRowNames && !rows.empty()) {
    table.names = rows[0].mid(0, width);
    first = 1;
  }
  const QStringList numbered = NumberedItemNames(width);
  while (table.names.size() < width) table.names << numbered[table.names.size()];
  // An empty or repeated header cell gets the numbered name of its column, so
  // that every item can be told by its name.
  QSet<QString> seen;
  for (int i = 0; i < width; ++i) {
    if (table.names[i].trimmed().isEmpty() || seen.contains(table.names[i])) table.names[i] = numbered[i];
    seen.insert(table.names[i]);
  }
  table.rows.reserve(rows.size() - first);
  for (std::size_t r = first; r < rows.size(); ++r) {
    QStringList& row = rows[r];
    if (row.size() > width) row.erase(row.begin() + width, row.end());
    while (row.size() < width) row << QString();
    table.rows.push_back(std::move(row));
  }
  return table;
}

QString ToCardLineBreaks(QStringView text) {
  if (!text.contains(u'\n') && !text.contains(u'\r')) return text.toString();
  QString out;
  out.reserve(text.size() + 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += QStringLiteral("\r\n");
    } else if (c == u'\n') {
      out += QStringLiteral("\r\n");
    } else {
      out += c;
    }
  }
  return out;
}

QString ToLfLineBreaks(QStringView text) {
  QString out = text.toString();
  out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  out.replace(u'\r', u'\n');
  return out;
}
