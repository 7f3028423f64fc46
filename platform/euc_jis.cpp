#include "platform/euc_jis.h"

#include <iconv.h>

#include <cerrno>

QString DecodeEucJis2004(const QByteArray& bytes, qsizetype* badCount) {
  qsizetype bad = 0;
  QString out;
  iconv_t cd = iconv_open("UTF-16LE", "EUC-JISX0213");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (badCount) *badCount = bytes.size();
    return out;
  }
  // Every byte makes at most one UTF-16 unit pair (two for a character outside the BMP, made of 4 bytes).
  QByteArray buffer(bytes.size() * 2 + 16, Qt::Uninitialized);
  char* in = const_cast<char*>(bytes.constData());
  size_t inLeft = size_t(bytes.size());
  char* o = buffer.data();
  size_t outLeft = size_t(buffer.size());
  const auto put = [&](char16_t unit) {
    if (outLeft < 2) return;
    o[0] = char(unit & 0xFF);
    o[1] = char(unit >> 8);
    o += 2;
    outLeft -= 2;
  };
  while (inLeft > 0) {
    const size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    if (rc != size_t(-1)) break;
    if (errno == EILSEQ || errno == EINVAL) {
      ++bad;
      put(0xFFFD);
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      break;  // E2BIG cannot happen with the buffer above
    }
  }
  // A combining sequence held back at the end.
  iconv(cd, nullptr, nullptr, &o, &outLeft);
  iconv_close(cd);
  out = QString(reinterpret_cast<const QChar*>(buffer.constData()), (o - buffer.constData()) / 2);
  if (badCount) *badCount = bad;
  return out;
}
