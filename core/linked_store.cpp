#include "core/linked_store.h"

#include "core/card_store.h"

#include <QFileInfo>

namespace {

// The longest chain of linked files followed; a longer one is taken as a loop
// that the path comparison could not see (links, bind mounts).
constexpr int kMaxChain = 16;

// A store read for a linked item, with the files that led to it.
class CLinkedCardStore final : public CCardStore {
 public:
  CLinkedCardStore(const CServices& services, QStringList chain)
      : CCardStore(services), m_chain(std::move(chain)) {}
  const QStringList& Chain() const { return m_chain; }

 private:
  QStringList m_chain;
};

QString Canonical(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

void MakeEmpty(CCardStore& store, const QString& path) {
  store.Clear();
  store.SetFilePath(path);
}

}  // namespace

CLinkedCache::CLinkedCache() = default;
CLinkedCache::~CLinkedCache() = default;
CLinkedCache::CLinkedCache(const CLinkedCache&) {}
CLinkedCache& CLinkedCache::operator=(const CLinkedCache& other) {
  if (this != &other) m_store.reset();
  return *this;
}
CLinkedCache::CLinkedCache(CLinkedCache&&) noexcept = default;
CLinkedCache& CLinkedCache::operator=(CLinkedCache&&) noexcept = default;
void CLinkedCache::Reset(std::unique_ptr<CCardStore> store) const { m_store = std::move(store); }

const CCardStore& LinkedStore(const CItemProperty& record, const CCardStore& owner) {
  const QString path = record.ReferencedPath();
  CCardStore* store = record.m_linked.Get();
  if (!store) {
    QStringList chain;
    if (const auto* linked = dynamic_cast<const CLinkedCardStore*>(&owner)) chain = linked->Chain();
    if (!owner.FilePath().isEmpty()) chain << Canonical(owner.FilePath());
    record.m_linked.Reset(std::make_unique<CLinkedCardStore>(owner.Services(), std::move(chain)));
    store = record.m_linked.Get();
  }
  if (store->AllCount() > 0 && store->FilePath() == path) return *store;
  const QStringList& chain = static_cast<CLinkedCardStore*>(store)->Chain();
  if (path.isEmpty() || chain.size() >= kMaxChain || chain.contains(Canonical(path))) {
    MakeEmpty(*store, path);
    return *store;
  }
  if (store->Read(path) == 0) MakeEmpty(*store, path);
  return *store;
}
