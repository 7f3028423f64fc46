// Feeds any bytes to the key-file reader, then checks that what it kept is a
// usable map: every binding answers the lookups, and writing the bindings and
// reading them back gives the same bindings without damage.
#include "keys/key_map.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "key_file_fuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<CKeycust> bindings;
  const CKeyFileStatus status =
      CKeyMap::Decode(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), &bindings);
  Check(status.result != CKeyFileStatus::kCannotOpen, "bytes always open");
  Check(status.kept == int(bindings.size()), "kept count");
  Check((status.result == CKeyFileStatus::kDamaged) == !status.reason.isEmpty(), "reason");
  Check(status.result != CKeyFileStatus::kDamaged || (status.offset >= 0 && status.offset <= qsizetype(size)),
        "damage offset");

  CKeyMap map;
  for (const CKeycust& k : bindings) map.Append(k);
  for (int i = 0; i < map.Count(); ++i) {
    const CKeycust& k = map.At(i);
    const int first = map.FindBinding(k.m_keyCode, k.m_alt != 0, k.m_shift != 0, k.m_ctrl != 0);
    // Flags other than 0 and 1 match no key press.
    if (k.m_alt <= 1 && k.m_shift <= 1 && k.m_ctrl <= 1) Check(first >= 0 && first <= i, "binding not found");
    Check(map.FindKeyForCommand(k.m_command) <= i, "command not found");
    (void)map.LabelOf(i);
  }

  const QByteArray again = CKeyMap::Encode(bindings);
  Check(again.size() == (bindings.empty() ? 2 : 2 + (bindings.size() >= 0xFFFF ? 4 : 0) + 24 +
                                                     qsizetype(bindings.size() - 1) * 12),
        "encoded size");
  std::vector<CKeycust> back;
  Check(CKeyMap::Decode(again, &back).result == CKeyFileStatus::kLoaded, "own file damaged");
  Check(back == bindings, "own file read back");
  return 0;
}
