#include "exchange/xlsx_writer.h"

#include <xlsxwriter.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cstdio>

namespace {

constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxCellText = 32767;
// Column widths are measured over the first rows only, as a spreadsheet's
// own fitting would take too long over a large deck.
constexpr int kWidthSampleRows = 1000;
constexpr double kMinWidth = 6, kMaxWidth = 60;

bool ParseNumber(const QString& text, double* value) {
  static const QRegularExpression number(QStringLiteral("^-?(\\d{1,3}(,\\d{3})+|\\d+)(\\.\\d+)?$"));
  const QString t = text.trimmed();
  if (!number.match(t).hasMatch()) return false;
  // A leading zero (an account or member number) keeps its text.
  const QString digits = t.startsWith(u'-') ? t.mid(1) : t;
  if (digits.size() > 1 && digits[0] == u'0' && digits[1] != u'.') return false;
  bool ok = false;
  *value = QString(t).remove(u',').toDouble(&ok);
  return ok && digits.size() <= 15;
}

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

bool ParseCardDate(const QString& text, int* year, int* month, int* day) {
  static const QRegularExpression date(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
  const QRegularExpressionMatch m = date.match(text.trimmed());
  if (!m.hasMatch()) return false;
  const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  // Spreadsheet dates start in 1900.
  if (!d.isValid() || d.year() < 1900) return false;
  *year = d.year();
  *month = d.month();
  *day = d.day();
  return true;
}

int SheetTextWidth(QStringView text) {
  int best = 0, width = 0;
  for (char32_t c : text.toUcs4()) {
    if (c == u'\n' || c == u'\r') {
      best = std::max(best, width);
      width = 0;
      continue;
    }
    width += IsWide(c) ? 2 : 1;
  }
  return std::max(best, width);
}

bool WriteXlsx(const QString& path, const CExchangeTable& table, const std::vector<CColumnKind>& kinds,
               CExchangeReport* report, const QString& sheetName) {
  const QString name = QFileInfo(path).fileName();
  if (qint64(table.rows.size()) + 1 > kMaxSheetRows) {
    report->Fail(QStringLiteral("%1: カードが %2 枚あり、シートに入る %3 枚を超えています")
                     .arg(name)
                     .arg(table.rows.size())
                     .arg(kMaxSheetRows - 1));
    return false;
  }
  for (std::size_t r = 0; r < table.rows.size(); ++r)
    for (qsizetype c = 0; c < table.rows[r].size(); ++c)
      if (table.rows[r][c].size() > kMaxCellText) {
        report->Fail(QStringLiteral("%1: カード %2 の %3 が %4 文字あり、セルに入る %5 文字を超えています")
                         .arg(name)
                         .arg(r + 1)
                         .arg(table.names.value(c))
                         .arg(table.rows[r][c].size())
                         .arg(kMaxCellText));
        return false;
      }

  // Written beside the file and renamed over it once complete.
  QString temp;
  {
    QTemporaryFile file(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".velum-XXXXXX.xlsx")));
    file.setAutoRemove(false);
    if (!file.open()) {
      report->Fail(QStringLiteral("%1: 書き込めません (%2)").arg(path, file.errorString()));
      return false;
    }
    temp = file.fileName();
  }
  const QByteArray tempName = QFile::encodeName(temp);
  lxw_workbook_options options{};
  // Shared strings (not the constant-memory mode, which writes inline
  // strings) keep a deck of repeated texts small.
  options.constant_memory = 0;
  lxw_workbook* book = workbook_new_opt(tempName.constData(), &options);
  if (!book) {
    QFile::remove(temp);
    report->Fail(QStringLiteral("%1: 書き込めません").arg(path));
    return false;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
  lxw_format* header = workbook_add_format(book);
  format_set_bold(header);
  format_set_num_format(header, "@");
  lxw_format* text = workbook_add_format(book);
  format_set_num_format(text, "@");
  lxw_format* wrapped = workbook_add_format(book);
  format_set_num_format(wrapped, "@");
  format_set_text_wrap(wrapped);
  lxw_format* number = workbook_add_format(book);
  lxw_format* grouped = workbook_add_format(book);
  format_set_num_format(grouped, "#,##0");
  lxw_format* date = workbook_add_format(book);
  format_set_num_format(date, "yyyy/mm/dd");

  const int columns = int(table.names.size());
  std::vector<int> widths(columns, 0);
  for (int c = 0; c < columns; ++c) widths[c] = SheetTextWidth(table.names[c]);
  for (std::size_t r = 0; r < table.rows.size() && r < std::size_t(kWidthSampleRows); ++r)
    for (int c = 0; c < columns && c < table.rows[r].size(); ++c)
      widths[c] = std::max(widths[c], SheetTextWidth(table.rows[r][c]));
  for (int c = 0; c < columns; ++c)
    worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c),
                         std::clamp(double(widths[c]) + 2, kMinWidth, kMaxWidth), nullptr);
  worksheet_freeze_panes(sheet, 1, 0);

  lxw_error error = LXW_NO_ERROR;
  for (int c = 0; c < columns && !error; ++c)
    error = worksheet_write_string(sheet, 0, lxw_col_t(c), table.names[c].toUtf8().constData(), header);
  for (std::size_t r = 0; r < table.rows.size() && !error; ++r) {
    const QStringList& row = table.rows[r];
    const lxw_row_t at = lxw_row_t(r + 1);
    for (int c = 0; c < columns && c < row.size() && !error; ++c) {
      const QString& cell = row[c];
      if (cell.isEmpty()) continue;
      const CColumnKind kind = std::size_t(c) < kinds.size() ? kinds[c] : CColumnKind::kText;
      double value = 0;
      int y = 0, m = 0, d = 0;
      if (kind == CColumnKind::kNumber && ParseNumber(cell, &value)) {
        error = worksheet_write_number(sheet, at, lxw_col_t(c), value, cell.contains(u',') ? grouped : number);
      } else if (kind == CColumnKind::kDate && ParseCardDate(cell, &y, &m, &d)) {
        lxw_datetime dt{y, m, d, 0, 0, 0};
        error = worksheet_write_datetime(sheet, at, lxw_col_t(c), &dt, date);
      } else {
        const bool lines = cell.contains(u'\n') || cell.contains(u'\r');
        error = worksheet_write_string(sheet, at, lxw_col_t(c), ToLfLineBreaks(cell).toUtf8().constData(),
                                       lines ? wrapped : text);
      }
    }
  }
  const lxw_error closed = workbook_close(book);
  if (!error) error = closed;
  if (error) {
    QFile::remove(temp);
    report->Fail(QStringLiteral("%1: 書き込めませんでした (%2)").arg(path, QString::fromUtf8(lxw_strerror(error))));
    return false;
  }
  if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
    QFile::remove(temp);
    report->Fail(QStringLiteral("%1: 書き込めませんでした (%2)").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    return false;
  }
  // The temporary file was made for the owner alone; the sheet gets the
  // permissions a new file gets.
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
  return true;
}
