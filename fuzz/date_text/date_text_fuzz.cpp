// Date texts: any text normalises without failing; a text read as a date is a
// valid one, and its normal forms read back as the same date and stay as they
// are when normalised again.
#include "datetime/date_text.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "date_text_fuzz: %s\n", what);
    std::abort();
  }
}

void CheckText(QStringView text) {
  for (const int form : {kDateFormSlash, kDateFormKanji, 2}) NormalizeDateText(text, form);
  int y = 0, m = 0, d = 0;
  if (!ParseDateText(text, &y, &m, &d)) return;
  Check(IsValidDate(y, m, d), "a date read that is not valid");
  for (const int form : {kDateFormSlash, kDateFormKanji}) {
    const QString normal = NormalizeDateText(text, form);
    int y2 = 0, m2 = 0, d2 = 0;
    Check(ParseDateText(NormalizeDateText(normal, kDateFormSlash), &y2, &m2, &d2), "a normal form does not read");
    Check(y2 == y && m2 == m && d2 == d, "a normal form reads as another date");
    Check(NormalizeDateText(normal, form) == normal, "a normal form changes again");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
  CheckText(QStringView(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2)));
  return 0;
}
