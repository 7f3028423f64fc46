// The property-file reader over any bytes: it must never crash, hang or
// allocate from a count it has not checked, and whatever it reads without
// complaint must write back to bytes that read again to the same record.
#include "core/property_file.h"
#include "records/velum_property.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  CVelumProperty record;
  if (!ReadPropertyBytes(bytes, &record).isEmpty()) return 0;
  const QByteArray written = WritePropertyBytes(record);
  CVelumProperty back;
  if (!ReadPropertyBytes(written, &back).isEmpty() || WritePropertyBytes(back) != written) std::abort();
  return 0;
}
