#include "core/property_file.h"

#include "core/card_store.h"

#include <QFileInfo>

QString PropertyFilePath(const QString& cardPath) {
  const qsizetype dot = cardPath.lastIndexOf(u'.');
  const qsizetype slash = cardPath.lastIndexOf(u'/');
  if (dot < 0 || dot < slash) return cardPath + QStringLiteral("vcv");
  if (cardPath.mid(dot + 1) == u"vcv") return cardPath;
  return cardPath.left(dot + 1) + QStringLiteral("vcv");
}

bool LoadPropertyFile(CCardStore& store, const QString& cardPath) {
  // The archive reader comes with the property records; until then an existing
  // property file is left alone and the defaults hold.
  return false;
}

void ApplyItemProperties(CCardStore& store) {
  const auto& copies = store.FileProperty().m_itemCopies;
  const int n = std::min<int>(store.ItemCount(), int(copies.size()));
  for (int i = 0; i < n; ++i) {
    store.Property(i) = copies[i];
    store.Property(i).m_set = 1;
  }
}

bool SavePropertyFile(CCardStore& store, const QString& cardPath) {
  auto& copies = store.FileProperty().m_itemCopies;
  copies.clear();
  for (int i = 0; i < store.ItemCount(); ++i) copies.push_back(store.Property(i));
  return true;
}
