#include "core/linked_store.h"

#include "core/card_file.h"
#include "core/card_store.h"
#include "platform/input_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <map>
#include <mutex>

namespace {

// The longest chain of linked files followed; a longer one is taken as a loop
// that the path comparison could not see (links, bind mounts).
constexpr int kMaxChain = 16;

// A store read for a linked item: the path it was asked for (resolved), and
// the files that led to it.
class CLinkedCardStore final : public CCardStore {
 public:
  CLinkedCardStore(const CServices& services, QString source, QStringList chain)
      : CCardStore(services), m_source(std::move(source)), m_chain(std::move(chain)) {}
  const QString& Source() const { return m_source; }
  const QStringList& Chain() const { return m_chain; }

 private:
  QString m_source;
  QStringList m_chain;
};

QString Canonical(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// A relative reference names a file beside the card file that holds it.
QString Resolve(const QString& path, const CCardStore& owner) {
  if (path.isEmpty() || !QDir::isRelativePath(path) || owner.FilePath().isEmpty()) return path;
  return QDir::cleanPath(QFileInfo(owner.FilePath()).absoluteDir().filePath(path));
}

// Every record that links to the same file (from the same chain) shares one
// store: sixty linked items over one file hold one copy. A store is shared
// while some record holds it and the file's size and time are unchanged.
class CSharedStores {
 public:
  std::shared_ptr<CCardStore> Get(const CServices& services, const QString& path, QStringList chain) {
    const QFileInfo info(path);
    const QString canonical = Canonical(path);
    const CKey key{&services, canonical + u'\n' + chain.join(u'\n')};
    const CStamp stamp{info.exists() ? info.size() : -1, info.lastModified().toMSecsSinceEpoch()};
    {
      std::lock_guard lock(m_mutex);
      const auto it = m_stores.find(key);
      if (it != m_stores.end() && it->second.stamp == stamp)
        if (auto shared = it->second.store.lock(); shared && shared->Source() == path) return shared;
    }
    auto store = std::make_shared<CLinkedCardStore>(services, path, chain);
    store->SetFilePath(path);
    const bool loop = chain.size() >= kMaxChain || chain.contains(canonical);
    // A file that cannot be read gives an empty store, remembered like any
    // other, so that it is not tried again on every look-up.
    // A file that is not there is an ordinary link not yet filled: no message.
    // Any other reason (a loop of symbolic links, no permission) is said once.
    if (path.isEmpty() || loop || ReadCardFile(*store, path, kMaxLinkedFile, true) == 0) {
      store->Clear();
      store->SetFilePath(path);
    }
    std::lock_guard lock(m_mutex);
    for (auto it = m_stores.begin(); it != m_stores.end();) it = it->second.store.expired() ? m_stores.erase(it) : ++it;
    m_stores[key] = {store, stamp};
    return store;
  }

 private:
  struct CKey {
    const CServices* services;
    QString path;
    bool operator<(const CKey& o) const { return services != o.services ? services < o.services : path < o.path; }
  };
  struct CStamp {
    qint64 size;
    qint64 time;
    bool operator==(const CStamp&) const = default;
  };
  struct CEntry {
    std::weak_ptr<CLinkedCardStore> store;
    CStamp stamp;
  };
  std::mutex m_mutex;
  std::map<CKey, CEntry> m_stores;
};

CSharedStores& SharedStores() {
  static CSharedStores stores;
  return stores;
}

}  // namespace

const CCardStore& LinkedStore(const CItemProperty& record, const CCardStore& owner) {
  const QString path = Resolve(record.ReferencedPath(), owner);
  if (const auto* store = static_cast<const CLinkedCardStore*>(record.m_linked.Get());
      store && store->Source() == path)
    return *store;
  QStringList chain;
  if (const auto* linked = dynamic_cast<const CLinkedCardStore*>(&owner)) chain = linked->Chain();
  if (!owner.FilePath().isEmpty()) chain << Canonical(owner.FilePath());
  record.m_linked.Reset(SharedStores().Get(owner.Services(), path, std::move(chain)));
  return *record.m_linked.Get();
}
