#include "core/property_file.h"

#include "core/card_store.h"
#include "core/input_file.h"
#include "core/velum_property.h"
#include "platform/file_io.h"
#include "print/print_prop.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

// After the record, the names of the items its copies were written for: a
// marker, then the names as a string list. Readers of the record alone stop
// before it. With it, copies go to their items by name, so that a card file
// and a property file of different saves (one cut off between its two
// renames, or a card file edited elsewhere) never put a formula on another
// item, which the next save would store as that item's text.
const QString kItemNamesMarker = QStringLiteral("Velum:ItemNames");

QStringList ItemNames(const CCardStore& store) {
  QStringList names;
  for (int i = 0; i < store.ItemCount(); ++i) names << store.Item(i).toString();
  return names;
}

// The first of NAME.bak, NAME.bak2, NAME.bak3 ... that does not exist, so that
// an earlier backup is never overwritten.
QString FreeBackupPath(const QString& path) {
  QString candidate = path + QStringLiteral(".bak");
  for (int n = 2; QFileInfo::exists(candidate); ++n) candidate = path + QStringLiteral(".bak%1").arg(n);
  return candidate;
}

}  // namespace

QString PropertyFilePath(const QString& cardPath) {
  const qsizetype dot = cardPath.lastIndexOf(u'.');
  const qsizetype slash = cardPath.lastIndexOf(u'/');
  if (dot < 0 || dot < slash) return cardPath + QStringLiteral("vcv");
  if (cardPath.mid(dot + 1) == u"vcv") return cardPath;
  return cardPath.left(dot + 1) + QStringLiteral("vcv");
}

QString ReadPropertyBytes(QByteArrayView bytes, CVelumProperty* record, qsizetype* offset) {
  CArchiveReader ar(bytes, CreatePropertyObject);
  if (record->Load(ar) && ar.Left() > 0) {
    // A record that ends before the bytes do was not read as it was
    // written, unless what follows is the list of its items' names.
    CArchiveReader tail(bytes.sliced(ar.Offset()), CreatePropertyObject);
    QString marker;
    QStringList names;
    if (tail.ReadString(&marker) && marker == kItemNamesMarker && tail.ReadStringList(&names) && tail.Left() == 0)
      record->m_itemNames = names;
    else
      ar.Fail(archive_msg::kTrailing);
  }
  if (offset) *offset = ar.ErrorOffset();
  return ar.Error();
}

QByteArray WritePropertyBytes(const CVelumProperty& record) {
  CArchiveWriter ar;
  record.Store(ar);
  if (!record.m_itemNames.isEmpty()) {
    ar.WriteString(kItemNamesMarker);
    ar.WriteStringList(record.m_itemNames);
  }
  return ar.Bytes();
}

std::vector<int> CopyForEachItem(const QStringList& items, const QStringList& copyNames, int copies) {
  std::vector<int> from(std::size_t(items.size()), -1);
  if (copyNames.size() != copies) {
    for (int i = 0; i < int(items.size()) && i < copies; ++i) from[std::size_t(i)] = i;
    return from;
  }
  QHash<QString, QList<int>> byName;
  for (int j = 0; j < copies; ++j) byName[copyNames[j]] << j;
  QHash<QString, int> seen;
  std::vector<bool> taken(std::size_t(copies), false);
  for (int i = 0; i < int(items.size()); ++i) {
    const int k = seen[items[i]]++;
    const auto it = byName.constFind(items[i]);
    if (it == byName.constEnd() || k >= it->size()) continue;
    from[std::size_t(i)] = it->at(k);
    taken[std::size_t(it->at(k))] = true;
  }
  // An item no copy names was renamed when the copy at its place went to no
  // other item.
  for (int i = 0; i < int(items.size()) && i < copies; ++i)
    if (from[std::size_t(i)] < 0 && !taken[std::size_t(i)] && !byName.contains(items[i])) from[std::size_t(i)] = i;
  return from;
}

QString PropertyFileOf(const QString& cardPath) { return PropertyFilePath(ResolvedPath(cardPath)); }

bool LoadPropertyFile(CCardStore& store, const QString& cardPath) {
  const QString path = PropertyFileOf(cardPath);
  if (path == ResolvedPath(cardPath)) return false;
  if (!QFileInfo(path).isFile()) return false;
  CVelumProperty& record = store.FileProperty();
  QString message;
  QByteArray bytes;
  QString reason;
  if (ReadInputFile(path, kMaxPropertyFile, &bytes, &reason) != InputStatus::kOk) {
    record.m_backupPath = FreeBackupPath(path);
    message = msg::kPropertyUnreadable.arg(QFileInfo(path).fileName(), reason,
                                           QFileInfo(record.m_backupPath).fileName());
  } else {
    qsizetype offset = -1;
    const QString error = ReadPropertyBytes(bytes, &record, &offset);
    if (!error.isEmpty()) {
      record.m_backupPath = FreeBackupPath(path);
      message = msg::kPropertyDamaged.arg(QFileInfo(path).fileName(), QString::number(offset + 1), error,
                                          QFileInfo(record.m_backupPath).fileName());
    }
  }
  if (record.m_printLayouts.Empty()) record.m_printLayouts.Append(std::make_unique<CPrintProp>(store.Services().settings));
  if (!message.isEmpty()) {
    record.m_damagedPath = path;
    store.Services().prompt.Notice(message);
  }
  return true;
}

void ApplyItemProperties(CCardStore& store) {
  const CObArray& copies = store.FileProperty().m_itemCopies;
  const std::vector<int> from = CopyForEachItem(ItemNames(store), store.FileProperty().m_itemNames, copies.Size());
  for (int i = 0; i < store.ItemCount(); ++i) {
    const auto* copy = copies.As<CItemProperty>(from[std::size_t(i)]);
    if (!copy) continue;  // none, a null element or another class: the item keeps its defaults
    store.Property(i) = *copy;
    store.Property(i).m_set = 1;
  }
}

bool CPropertyFileSave::Prepare(CCardStore& store, const QString& cardPath, mode_t newMode) {
  const QString path = PropertyFileOf(cardPath);
  if (path == ResolvedPath(cardPath)) return true;
  CVelumProperty& record = store.FileProperty();
  record.m_itemCopies.Clear();
  for (int i = 0; i < store.ItemCount(); ++i) record.m_itemCopies.Append(store.Property(i).Clone());
  record.m_itemNames = ItemNames(store);

  const bool overDamaged = !record.m_damagedPath.isEmpty() && record.m_damagedPath == path;
  if (!overDamaged && !record.AnySet()) return true;
  // Never a file that the reader would refuse: the save stops and names the limit.
  const QByteArray bytes = WritePropertyBytes(record);
  if (bytes.size() > kMaxPropertyFile) {
    m_error = path + QStringLiteral(": ") + input_msg::kTooLarge.arg(kMaxPropertyFile >> 20);
    return false;
  }

  if (overDamaged && !record.m_backupPath.isEmpty() && QFileInfo::exists(path)) {
    // Keep what could not be read: the user may need it, or another program may read it.
    if (QFileInfo::exists(record.m_backupPath)) record.m_backupPath = FreeBackupPath(path);
    QFile damaged(path);
    if (!damaged.copy(record.m_backupPath)) {
      m_error = record.m_backupPath + QStringLiteral(": ") + damaged.errorString();
      return false;
    }
    record.m_backupPath.clear();
  }

  m_file.emplace(path);
  if (newMode != mode_t(-1)) m_file->SetNewFileMode(newMode);
  if (!(m_file->Open() && m_file->Write(bytes) && m_file->Prepare())) {
    m_error = m_file->Error();
    m_file.reset();
    return false;
  }
  return true;
}

bool CPropertyFileSave::Commit(CCardStore& store) {
  if (!m_file) return true;
  if (!m_file->Commit()) {
    m_error = m_file->Error();
    return false;
  }
  store.FileProperty().m_damagedPath.clear();
  return true;
}
