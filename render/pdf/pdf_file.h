#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <vector>

// Appends a number as a PDF writes it: at most decimals digits after the
// point, no trailing zeros, no exponent.
void AppendPdfNumber(QByteArray& out, double value, int decimals);

// Writes a PDF file front to back through a sink, in pieces of a megabyte:
// numbered objects, streams (compressed with zlib), the cross-reference
// table and the trailer. Objects are written in any order once numbered;
// every number handed out must be written before Finish.
class CPdfFile {
 public:
  // zlib's levels: fast for page contents, smallest for what is written once.
  static constexpr int kFast = 1;
  static constexpr int kSmallest = 9;
  // sink: takes the bytes in order; false stops the writing (Ok() is false).
  explicit CPdfFile(std::function<bool(QByteArrayView)> sink);

  int NewObject();
  void Object(int id, QByteArrayView body);
  // A stream object: entries go into its dictionary besides /Length and
  // /Filter.
  void Stream(int id, QByteArrayView entries, QByteArrayView data, int level);
  // The cross-reference table and the trailer naming the catalog and the
  // document's information; false when anything failed.
  bool Finish(int catalog, int info);
  bool Ok() const { return m_ok; }

 private:
  void Write(QByteArrayView bytes);
  void Flush();

  std::function<bool(QByteArrayView)> m_sink;
  std::vector<qint64> m_offsets;  // by object number, from 1; -1 until written
  qint64 m_written = 0;
  bool m_ok = true;
  QByteArray m_packed;
  QByteArray m_pending;  // written, not yet handed to the sink
};
