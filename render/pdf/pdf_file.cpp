#include "render/pdf/pdf_file.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

void AppendPdfNumber(QByteArray& out, double value, int decimals) {
  static constexpr long long kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  decimals = std::clamp(decimals, 0, 6);
  if (!std::isfinite(value) || std::abs(value) > 1e12) value = 0;
  long long v = std::llround(value * double(kScale[decimals]));
  if (v < 0) {
    out.append('-');
    v = -v;
  }
  long long whole = v / kScale[decimals], part = v % kScale[decimals];
  char digits[24];
  int n = 0;
  do {
    digits[n++] = char('0' + whole % 10);
    whole /= 10;
  } while (whole > 0);
  while (n > 0) out.append(digits[--n]);
  if (part == 0) return;
  int width = decimals;
  while (part % 10 == 0) {
    part /= 10;
    --width;
  }
  out.append('.');
  char frac[8];
  for (int k = width - 1; k >= 0; --k, part /= 10) frac[k] = char('0' + part % 10);
  out.append(frac, width);
}

CPdfFile::CPdfFile(std::function<bool(QByteArrayView)> sink) : m_sink(std::move(sink)) {
  // The second line's bytes above 127 tell transfer programs the file is binary.
  Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

void CPdfFile::Write(QByteArrayView bytes) {
  if (!m_ok) return;
  m_pending.append(bytes);
  m_written += bytes.size();
  if (m_pending.size() >= (1 << 20)) Flush();
}

void CPdfFile::Flush() {
  if (m_ok && !m_pending.isEmpty()) m_ok = m_sink(m_pending);
  m_pending.resize(0);  // keeps the buffer
}

int CPdfFile::NewObject() {
  m_offsets.push_back(-1);
  return int(m_offsets.size());
}

void CPdfFile::Object(int id, QByteArrayView body) {
  if (id < 1 || id > int(m_offsets.size())) {
    m_ok = false;
    return;
  }
  m_offsets[std::size_t(id - 1)] = m_written;
  Write(QByteArray::number(id) + " 0 obj\n");
  Write(body);
  Write("\nendobj\n");
}

void CPdfFile::Stream(int id, QByteArrayView entries, QByteArrayView data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  m_packed.resize(qsizetype(size));
  if (compress2(reinterpret_cast<Bytef*>(m_packed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                uLong(data.size()), level) != Z_OK) {
    m_ok = false;
    return;
  }
  QByteArray head = "<<";
  head.append(entries);
  head += "/Filter/FlateDecode/Length " + QByteArray::number(qint64(size)) + ">>\nstream\n";
  if (id < 1 || id > int(m_offsets.size())) {
    m_ok = false;
    return;
  }
  m_offsets[std::size_t(id - 1)] = m_written;
  Write(QByteArray::number(id) + " 0 obj\n" + head);
  Write(QByteArrayView(m_packed.constData(), qsizetype(size)));
  Write("\nendstream\nendobj\n");
}

bool CPdfFile::Finish(int catalog, int info) {
  const qint64 xref = m_written;
  QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size()) + 1) + "\n0000000000 65535 f \n";
  for (qint64 offset : m_offsets) {
    if (offset < 0) m_ok = false;
    char line[32];
    std::snprintf(line, sizeof line, "%010lld 00000 n \n", static_cast<long long>(std::max<qint64>(offset, 0)));
    table.append(line, 20);
  }
  table += "trailer\n<</Size " + QByteArray::number(qsizetype(m_offsets.size()) + 1) + "/Root " +
           QByteArray::number(catalog) + " 0 R/Info " + QByteArray::number(info) + " 0 R>>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
  Write(table);
  Flush();
  return m_ok;
}
