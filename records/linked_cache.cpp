#include "records/linked_cache.h"

CLinkedCache::CLinkedCache() = default;
CLinkedCache::~CLinkedCache() = default;
CLinkedCache::CLinkedCache(const CLinkedCache&) {}
CLinkedCache& CLinkedCache::operator=(const CLinkedCache& other) {
  if (this != &other) m_store.reset();
  return *this;
}
CLinkedCache::CLinkedCache(CLinkedCache&&) noexcept = default;
CLinkedCache& CLinkedCache::operator=(CLinkedCache&&) noexcept = default;
void CLinkedCache::Reset(std::shared_ptr<CCardStore> store) const { m_store = std::move(store); }
