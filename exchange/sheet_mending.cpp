#include "exchange/sheet_mending.h"

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <QFile>
#include <QRegularExpression>

#include <array>
#include <vector>

namespace {

std::uint32_t Crc32(const QByteArray& data) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char b : data) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Put16(QByteArray& out, std::uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
void Put32(QByteArray& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A zip of stored (uncompressed) entries: local headers with their data, the
// central directory, its end record.
QByteArray StoredZip(const std::vector<std::pair<QByteArray, QByteArray>>& entries) {
  QByteArray out, directory;
  for (const auto& [name, data] : entries) {
    const std::uint32_t crc = Crc32(data);
    const std::uint32_t offset = std::uint32_t(out.size());
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, 0);  // flags
    Put16(out, 0);  // stored
    Put32(out, 0);  // time and date
    Put32(out, crc);
    Put32(out, std::uint32_t(data.size()));
    Put32(out, std::uint32_t(data.size()));
    Put16(out, std::uint32_t(name.size()));
    Put16(out, 0);
    out += name;
    out += data;
    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, crc);
    Put32(directory, std::uint32_t(data.size()));
    Put32(directory, std::uint32_t(data.size()));
    Put16(directory, std::uint32_t(name.size()));
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, offset);
    directory += name;
  }
  const std::uint32_t directoryAt = std::uint32_t(out.size());
  out += directory;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, std::uint32_t(entries.size()));
  Put16(out, std::uint32_t(entries.size()));
  Put32(out, std::uint32_t(directory.size()));
  Put32(out, directoryAt);
  Put16(out, 0);
  return out;
}

}  // namespace

QByteArray MendOdsContent(const QByteArray& contentXml) {
  QString xml = QString::fromUtf8(contentXml);
  static const QRegularExpression coveredEmpty(QStringLiteral("<table:covered-table-cell([^>]*)/>"));
  static const QRegularExpression coveredOpen(QStringLiteral("<table:covered-table-cell([^>]*)>"));
  static const QRegularExpression emptyPara(QStringLiteral("<text:p(\\s[^>]*)?/>"));
  static const QRegularExpression paraBreak(QStringLiteral("</text:p>\\s*<text:p(\\s[^>]*)?>"));
  static const QRegularExpression lineBreak(QStringLiteral("<text:line-break\\s*/>"));
  xml.replace(coveredEmpty, QStringLiteral("<table:table-cell\\1/>"));
  xml.replace(coveredOpen, QStringLiteral("<table:table-cell\\1>"));
  xml.replace(QStringLiteral("</table:covered-table-cell>"), QStringLiteral("</table:table-cell>"));
  xml.replace(emptyPara, QStringLiteral("<text:p></text:p>"));
  xml.replace(paraBreak, QStringLiteral("\n"));
  xml.replace(lineBreak, QStringLiteral("\n"));
  return xml.toUtf8();
}

QByteArray MendXlsxSheet(const QByteArray& sheetXml) {
  QString xml = QString::fromUtf8(sheetXml);
  static const QRegularExpression cell(
      QStringLiteral("<c([^>]*?)\\st=\"inlineStr\"([^>]*)>\\s*<is>(.*?)</is>\\s*</c>"),
      QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression text(QStringLiteral("<t(\\s[^>]*)?>(.*?)</t>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression phonetic(QStringLiteral("<rPh\\b.*?</rPh>"),
                                           QRegularExpression::DotMatchesEverythingOption);
  QString out;
  out.reserve(xml.size());
  qsizetype from = 0;
  for (QRegularExpressionMatchIterator it = cell.globalMatch(xml); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    out += QStringView(xml).mid(from, m.capturedStart() - from);
    QString inner = m.captured(3);
    inner.remove(phonetic);  // the reading of the text, not its text
    QString joined;
    for (QRegularExpressionMatchIterator t = text.globalMatch(inner); t.hasNext();) joined += t.next().captured(2);
    out += QStringLiteral("<c%1 t=\"str\"%2><f>0</f><v xml:space=\"preserve\">%3</v></c>")
               .arg(m.captured(1), m.captured(2), joined);
    from = m.capturedEnd();
  }
  if (from == 0) return sheetXml;
  out += QStringView(xml).mid(from);
  return out.toUtf8();
}

QByteArray MendedSheetFile(const QString& path, bool ods, QString* error) {
  error->clear();
  try {
    const QByteArray name = QFile::encodeName(path);
    orcus::zip_archive_stream_fd stream(name.constData());
    orcus::zip_archive archive(&stream);
    archive.load();
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    bool mended = false, content = false;
    for (std::size_t i = 0; i < archive.get_file_entry_count(); ++i) {
      const std::string_view entry = archive.get_file_entry_name(i);
      const QByteArray part(entry.data(), qsizetype(entry.size()));
      if (ods && part != "mimetype" && part != "META-INF/manifest.xml" && part != "styles.xml" && part != "content.xml")
        continue;
      std::vector<unsigned char> buffer;
      if (!archive.read_file_entry(entry, buffer)) continue;
      QByteArray data(reinterpret_cast<const char*>(buffer.data()), qsizetype(buffer.size()));
      if (ods && part == "content.xml") {
        data = MendOdsContent(data);
        mended = content = true;
      } else if (!ods && part.startsWith("xl/worksheets/") && part.endsWith(".xml") && data.contains("inlineStr")) {
        data = MendXlsxSheet(data);
        mended = true;
      }
      // The mimetype stays the first entry, as readers look for it there.
      if (part == "mimetype") entries.insert(entries.begin(), {part, std::move(data)});
      else entries.emplace_back(part, std::move(data));
    }
    if (ods && !content) {
      *error = QStringLiteral("content.xml がありません");
      return {};
    }
    return mended ? StoredZip(entries) : QByteArray();
  } catch (const std::exception& e) {
    *error = QString::fromUtf8(e.what());
    return {};
  }
}
