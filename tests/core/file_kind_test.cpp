#include "core/file_kind.h"
#include "core/velum_doc.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray Utf16(const QString& text, bool bigEndian) {
  QByteArray out = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
  for (QChar c : text) {
    const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
    out += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
  }
  return out;
}

}  // namespace

// What the first bytes (and for containers the name) say a file is; every
// kind of text a card file may be stays text.
TEST(FileKind, SniffedFromTheFirstBytes) {
  const QByteArray zipHead = QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10);
  const struct {
    const char* what;
    QByteArray head;
    QString name;
    FileKind kind;
  } rows[] = {
      {"Shift-JIS card file", Sjis(u"名前,住所\r\n山田,東京\r\n"_s), u"a.csv"_s, FileKind::kText},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + u"名前\r\n"_s.toUtf8(), u"a.csv"_s, FileKind::kText},
      {"UTF-16LE", Utf16(u"名前\r\n山田\r\n"_s, false), u"a.csv"_s, FileKind::kText},
      {"UTF-16BE", Utf16(u"名前\r\n"_s, true), u"a.csv"_s, FileKind::kText},
      {"empty", {}, u"a.csv"_s, FileKind::kText},
      {"a name that begins like an image", "BMW,GIF89,PK\r\n", u"a.csv"_s, FileKind::kText},
      {"vCard", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田\r\nEND:VCARD\r\n", u"a.vcf"_s, FileKind::kVCard},
      {"vCard, BOM, blank line, lower case", "\xEF\xBB\xBF\r\nbegin:vcard\r\n", u"x.txt"_s, FileKind::kVCard},
      {"vCard in UTF-16", Utf16(u"BEGIN:VCARD\r\n"_s, false), u"a.vcf"_s, FileKind::kVCard},
      {"xlsx", zipHead + "[Content_Types].xml....xl/workbook.xml", u"book.bin"_s, FileKind::kSpreadsheet},
      {"ods", zipHead + "mimetypeapplication/vnd.oasis.opendocument.spreadsheet", u"b"_s, FileKind::kSpreadsheet},
      {"zip named as a spreadsheet", zipHead + "data", u"b.XLSX"_s, FileKind::kSpreadsheet},
      {"zip", zipHead + "readme.txt", u"a.zip"_s, FileKind::kZip},
      {"xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), u"a.xls"_s, FileKind::kSpreadsheet},
      {"other compound file", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), u"a.doc"_s, FileKind::kBinary},
      {"PNG", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), u"a.png"_s, FileKind::kImage},
      {"JPEG", "\xFF\xD8\xFF\xE0", u"a.csv"_s, FileKind::kImage},
      {"GIF", "GIF89a\x01\x01", u"a.gif"_s, FileKind::kImage},
      {"PDF", "%PDF-1.7\n", u"a.pdf"_s, FileKind::kPdf},
      {"ELF", QByteArray("\x7F" "ELF\x02\x01\x01\0\0\0", 10), u"velum"_s, FileKind::kBinary},
      {"NUL inside text", QByteArray("a,b\r\n1,\0\r\n", 10), u"a.csv"_s, FileKind::kBinary},
  };
  for (const auto& r : rows) EXPECT_EQ(SniffFileKind(r.head, r.name), r.kind) << r.what;
}

// The document refuses such a file with what it seems to be: the open
// document stays, and the file never becomes a recent file.
TEST(FileKind, TheDocumentRefusesAndKeepsWhatItHeld) {
  CTestWorld w;
  w.WriteFile(u"a.csv"_s, Sjis(u"名前\r\n一\r\n"_s));
  w.WriteFile(u"b.vcf"_s, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\nEND:VCARD\r\n");
  w.WriteFile(u"c.xlsx"_s, QByteArray("PK\x03\x04\x14\0\0\0", 8) + "xl/workbook.xml");
  CVelumDoc doc(*w.services);
  QStringList recent;
  doc.onRecentFile = [&](const QString& path) { recent << path; };
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"a.csv"_s)));
  doc.Store().SetItemText(0, 0, u"changed"_s);
  doc.SetModifiedFlag();
  const std::pair<QString, QString> rows[] = {{u"b.vcf"_s, msg::kKindVCard}, {u"c.xlsx"_s, msg::kKindSpreadsheet}};
  for (const auto& [name, kind] : rows) {
    w.prompt.ClearHistory();
    EXPECT_FALSE(doc.OnOpenDocument(w.Path(name))) << name;
    EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kCannotOpenPath.arg(w.Path(name), msg::kNotCardFile.arg(kind))});
    EXPECT_EQ(doc.PathName(), w.Path(u"a.csv"_s));
    EXPECT_EQ(doc.Store().GetItemText(0, 0).toString(), u"changed"_s);
    EXPECT_TRUE(doc.IsModified());
  }
  EXPECT_EQ(recent, QStringList{w.Path(u"a.csv"_s)});
}
