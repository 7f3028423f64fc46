#pragma once

#include <memory>

class CCardStore;

// The card store of the file a linked item refers to, created on first use and
// held by the item record (LinkedStore fills it); records that link to the
// same file share it. It is no part of the
// record's value: a copy of a record starts with an empty cache, moving a
// record takes the cache along, and two caches always compare equal.
class CLinkedCache {
 public:
  CLinkedCache();
  ~CLinkedCache();
  CLinkedCache(const CLinkedCache&);
  CLinkedCache& operator=(const CLinkedCache&);
  CLinkedCache(CLinkedCache&&) noexcept;
  CLinkedCache& operator=(CLinkedCache&&) noexcept;

  bool operator==(const CLinkedCache&) const { return true; }

  CCardStore* Get() const { return m_store.get(); }
  void Reset(std::shared_ptr<CCardStore> store) const;

 private:
  // Filled through const records: the cache does not change the record's value.
  mutable std::shared_ptr<CCardStore> m_store;
};
