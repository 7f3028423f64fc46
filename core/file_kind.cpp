#include "core/file_kind.h"

#include "platform/input_file.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool StartsWith(QByteArrayView bytes, QByteArrayView prefix, qsizetype at = 0) {
  return bytes.size() >= at + prefix.size() && bytes.sliced(at, prefix.size()) == prefix;
}

// The text at the start, as far as ASCII goes, from UTF-16 in either byte
// order or from single bytes; BOM and leading blanks left out.
QByteArray LeadingAscii(QByteArrayView head) {
  qsizetype step = 1, offset = 0, at = 0;
  if (StartsWith(head, "\xFF\xFE")) {
    step = 2, at = 2;
  } else if (StartsWith(head, "\xFE\xFF")) {
    step = 2, offset = 1, at = 2;
  } else if (StartsWith(head, "\xEF\xBB\xBF")) {
    at = 3;
  }
  QByteArray out;
  for (; at + step <= head.size() && out.size() < 32; at += step) {
    const char c = head[at + offset];
    if (step == 2 && head[at + 1 - offset] != 0) break;
    if (out.isEmpty() && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) continue;
    out += c;
  }
  return out;
}

bool IsImage(QByteArrayView head) {
  return StartsWith(head, "\x89PNG\r\n\x1A\n") || StartsWith(head, "\xFF\xD8\xFF") || StartsWith(head, "GIF87a") ||
         StartsWith(head, "GIF89a") || (StartsWith(head, "RIFF") && StartsWith(head, "WEBP", 8)) ||
         StartsWith(head, QByteArrayView("II*\0", 4)) || StartsWith(head, QByteArrayView("MM\0*", 4)) ||
         (StartsWith(head, "BM") && StartsWith(head, QByteArrayView("\0\0\0\0", 4), 6)) ||
         (StartsWith(head, "ftyp", 4) && (StartsWith(head, "heic", 8) || StartsWith(head, "avif", 8)));
}

}  // namespace

FileKind SniffFileKind(QByteArrayView head, const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (StartsWith(head, "PK\x03\x04") || StartsWith(head, "PK\x05\x06")) {
    // An .xlsx names its parts under xl/; an .ods says what it is in its first entry.
    const bool sheet = head.toByteArray().contains("xl/") ||
                       head.toByteArray().contains("application/vnd.oasis.opendocument.spreadsheet") ||
                       suffix == u"xlsx" || suffix == u"xlsm" || suffix == u"ods";
    return sheet ? FileKind::kSpreadsheet : FileKind::kZip;
  }
  if (StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
    return suffix == u"xls" ? FileKind::kSpreadsheet : FileKind::kBinary;
  if (StartsWith(head, "%PDF-")) return FileKind::kPdf;
  if (IsImage(head)) return FileKind::kImage;
  if (LeadingAscii(head).toUpper().startsWith("BEGIN:VCARD")) return FileKind::kVCard;
  const bool utf16 = StartsWith(head, "\xFF\xFE") || StartsWith(head, "\xFE\xFF");
  if (!utf16 && head.toByteArray().contains('\0')) return FileKind::kBinary;
  return FileKind::kText;
}

QString NotCardFileReason(const QString& path) {
  QFile file;
  if (OpenInputFile(file, path, -1) != InputStatus::kOk) return {};
  const QByteArray head = file.read(kSniffBytes);
  switch (SniffFileKind(head, path)) {
    case FileKind::kText:
      return {};
    case FileKind::kVCard:
      return msg::kNotCardFile.arg(msg::kKindVCard);
    case FileKind::kSpreadsheet:
      return msg::kNotCardFile.arg(msg::kKindSpreadsheet);
    case FileKind::kZip:
      return msg::kNotCardFile.arg(msg::kKindZip);
    case FileKind::kImage:
      return msg::kNotCardFile.arg(msg::kKindImage);
    case FileKind::kPdf:
      return msg::kNotCardFile.arg(msg::kKindPdf);
    case FileKind::kBinary:
      return msg::kNotCardFile.arg(msg::kKindBinary);
  }
  return {};
}
