#pragma once

#include "core/card_row.h"

#include <array>
#include <cstddef>

// A pass over many cards waits on memory at every card: the rows lie apart
// from each other and from their texts. Ask(at(k + n)) for each card k asks
// the processor, a few cards ahead of use, for the row, then its offsets,
// then the texts of the items the pass reads, so that they arrive in time.
// at(k) gives the row of card k, or nullptr past the end.
class CRowPrefetch {
 public:
  static constexpr int kAhead = 4;
  static constexpr std::size_t kMaxItems = 16;

  // The items whose texts are read (the first kMaxItems of them).
  template <typename Items>
  explicit CRowPrefetch(const Items& items) {
    for (const int item : items)
      if (item >= 0 && m_count < kMaxItems) m_items[m_count++] = item;
  }

  // Before card k is read; at(k) is the row of card k or nullptr.
  template <typename At>
  void Before(int k, At&& at) const {
    if (const CCardRow* row = at(k + 3 * kAhead)) __builtin_prefetch(row);
    if (const CCardRow* row = at(k + 2 * kAhead)) __builtin_prefetch(row->Buffer());
    if (const CCardRow* row = at(k + kAhead))
      for (std::size_t i = 0; i < m_count; ++i) __builtin_prefetch(row->Item(m_items[i]).data());
  }

 private:
  std::array<int, kMaxItems> m_items{};
  std::size_t m_count = 0;
};
