// Feeds any bytes to the vCard reader, then checks that every contact row is
// as wide as the item names, and that the contacts written again as vCard 3.0
// and 4.0 read back as as many contacts with the same texts. The bytes are
// also read as rows pasted from a spreadsheet, which must come back the same
// from their own clipboard form.
#include "exchange/delimited_text.h"
#include "exchange/vcard_reader.h"
#include "exchange/vcard_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "vcard_fuzz: %s\n", what);
    std::abort();
  }
}

void CheckVCard(const QByteArray& bytes) {
  CExchangeReport report;
  const CExchangeTable table = ReadVCard(bytes, QStringLiteral("fuzz.vcf"), &report);
  Check(report.ok == !table.rows.empty(), "a read without contacts must fail, one with contacts succeed");
  if (!report.ok) Check(!report.error.isEmpty(), "a failed read says why");
  for (const QStringList& row : table.rows) Check(row.size() == table.names.size(), "row width");
  if (table.rows.empty()) return;
  for (VCardVersion version : {VCardVersion::k30, VCardVersion::k40}) {
    const QByteArray written = WriteVCard(table, version);
    CExchangeReport again;
    const CExchangeTable back = ReadVCard(written, QStringLiteral("again.vcf"), &again);
    Check(again.ok, "written contacts read back");
    Check(back.rows.size() == table.rows.size(), "contact count after writing");
  }
}

void CheckTabRows(const QByteArray& bytes) {
  const QString text = QString::fromUtf8(bytes);
  CExchangeTable table;
  table.rows = ParseDelimited(text, u'\t');
  // Rows of no cell but an empty one have no clipboard form of their own.
  for (const QStringList& row : table.rows)
    if (row.size() == 1 && row[0].isEmpty()) return;
  Check(ParseDelimited(FormatTabRows(table, false), u'\t') == table.rows, "tab rows come back from their own form");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  CheckVCard(bytes);
  CheckTabRows(bytes);
  return 0;
}
