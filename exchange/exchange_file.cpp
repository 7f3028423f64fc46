#include "exchange/exchange_file.h"

#include "exchange/delimited_text.h"
#include "exchange/spreadsheet_reader.h"
#include "exchange/vcard_reader.h"
#include "records/item_property.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

CExchangeFormat ExchangeFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == u"vcf" || suffix == u"vcard") return CExchangeFormat::kVCard;
  if (suffix == u"xlsx" || suffix == u"xlsm") return CExchangeFormat::kXlsx;
  if (suffix == u"ods") return CExchangeFormat::kOds;
  if (suffix == u"csv" || suffix == u"tsv" || suffix == u"txt") return CExchangeFormat::kDelimited;
  return CExchangeFormat::kUnknown;
}

bool CanExportTo(CExchangeFormat format) {
  return format == CExchangeFormat::kVCard || format == CExchangeFormat::kXlsx;
}

QChar GuessSeparator(QStringView firstLine) {
  if (firstLine.contains(u'\t')) return u'\t';
  return firstLine.count(u';') > firstLine.count(u',') ? u';' : u',';
}

namespace {

bool ReadWhole(const QString& path, QByteArray* bytes, CExchangeReport* report) {
  const QFileInfo info(path);
  if (!info.exists()) {
    report->Fail(QStringLiteral("%1: ファイルがありません").arg(path));
    return false;
  }
  if (!info.isFile()) {
    report->Fail(QStringLiteral("%1: 読めるファイルではありません").arg(path));
    return false;
  }
  if (info.size() > kMaxImportFile) {
    report->Fail(QStringLiteral("%1: %2 MB を超えるファイルは読み込めません").arg(path).arg(kMaxImportFile >> 20));
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    report->Fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return false;
  }
  *bytes = file.readAll();
  return true;
}

CExchangeTable TableOfRows(std::vector<QStringList> rows, const CImportOptions& options, CExchangeReport* report) {
  const bool names = options.firstRowNames.value_or(!rows.empty() && LooksLikeItemNames(rows[0]));
  return TableFromRows(std::move(rows), names, kMaxItems, report);
}

}  // namespace

CExchangeTable ReadExchangeFile(const QString& path, const CImportOptions& options, CExchangeReport* report,
                                QStringList* sheetNames) {
  const QString name = QFileInfo(path).fileName();
  switch (ExchangeFormatOf(path)) {
    case CExchangeFormat::kVCard: {
      QByteArray bytes;
      if (!ReadWhole(path, &bytes, report)) return {};
      return ReadVCard(bytes, name, report);
    }
    case CExchangeFormat::kXlsx:
    case CExchangeFormat::kOds: {
      CSpreadsheetRead read = ReadSpreadsheet(path, options.sheet, report);
      if (sheetNames) *sheetNames = read.sheetNames;
      if (!report->ok) return {};
      if (read.rows.empty()) {
        report->Fail(QStringLiteral("%1: シート「%2」は空です").arg(name, read.sheet));
        return {};
      }
      return TableOfRows(std::move(read.rows), options, report);
    }
    case CExchangeFormat::kDelimited: {
      QByteArray bytes;
      if (!ReadWhole(path, &bytes, report)) return {};
      qsizetype body = 0;
      FileEncoding encoding = DetectEncoding(bytes, options.codePage.value_or(CodePage::Cp932),
                                             options.codePage.has_value(), &body);
      const DecodeResult decoded = DecodeBytes(bytes.mid(body), encoding.codePage);
      if (decoded.badCount > 0)
        report->notes << QStringLiteral("%1: %2 バイト目から、%3 で読めないバイトを \uFFFD にしました (%4 か所)")
                             .arg(name)
                             .arg(decoded.firstBadOffset + body)
                             .arg(CodePageName(encoding.codePage))
                             .arg(decoded.badCount);
      const QChar separator = options.separator.isNull()
                                  ? GuessSeparator(QStringView(decoded.text).left(decoded.text.indexOf(u'\n')))
                                  : options.separator;
      std::vector<QStringList> rows = ParseDelimited(decoded.text, separator);
      if (rows.empty()) {
        report->Fail(QStringLiteral("%1: 読み込む行がありません").arg(name));
        return {};
      }
      return TableOfRows(std::move(rows), options, report);
    }
    case CExchangeFormat::kUnknown: break;
  }
  report->Fail(QStringLiteral("%1: 読み込めない種類のファイルです (.vcf, .xlsx, .ods, .csv, .tsv, .txt)").arg(name));
  return {};
}

bool WriteExchangeFile(const QString& path, const CExchangeTable& table, const CExportOptions& options,
                       CExchangeReport* report) {
  switch (ExchangeFormatOf(path)) {
    case CExchangeFormat::kVCard: {
      int others = 0;
      const QByteArray bytes = WriteVCard(table, options.vcardVersion, &others);
      QSaveFile file(path);
      if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        report->Fail(QStringLiteral("%1: 書き込めませんでした (%2)").arg(path, file.errorString()));
        return false;
      }
      if (others > 0)
        report->notes << QStringLiteral("vCard に当たる欄のない %1 項目は X-VELUM-ITEM として書き出しました").arg(others);
      return true;
    }
    case CExchangeFormat::kXlsx: return WriteXlsx(path, table, options.kinds, report);
    default: break;
  }
  report->Fail(QStringLiteral("%1: 書き出せるのは vCard (.vcf) と .xlsx です").arg(QFileInfo(path).fileName()));
  return false;
}
