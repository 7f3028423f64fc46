#include "core/property_file.h"

#include "core/card_store.h"
#include "core/property_notes.h"
#include "core/services.h"
#include "platform/file_io.h"
#include "platform/input_file.h"
#include "records/print_label.h"
#include "records/print_layout_edit.h"
#include "records/print_prop.h"
#include "records/velum_property.h"
#include "settings/settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

// Files written by earlier versions carry, after the record, the names of the
// items its copies were written for: this marker, then the names as a string
// list. They are read; files are written without them (the record alone, as
// other programs read it), the names kept in the settings instead
// (core/property_notes.h).
const QString kItemNamesMarker = QStringLiteral("Velum:ItemNames");

QStringList ItemNames(const CCardStore& store) {
  QStringList names;
  for (int i = 0; i < store.ItemCount(); ++i) names << store.Item(i).toString();
  return names;
}

QByteArray Stored(const CArchiveObject& record) {
  CArchiveWriter ar;
  record.Store(ar);
  return ar.Bytes();
}

// Whether an item record carries anything beyond a new record's defaults
// (its set flag aside).
bool CarriesSettings(const CItemProperty& copy) {
  CItemProperty plain = copy;
  plain.m_set = 0;
  return Stored(plain) != Stored(CItemProperty());
}

// Whether the file record, with its item copies, differs from that of a new
// document with as many items.
bool DiffersFromDefaults(const CVelumProperty& record, const CSettingsStore& settings, int itemCount) {
  CVelumProperty defaults = CVelumProperty::Defaults(settings);
  for (int i = 0; i < itemCount; ++i) defaults.m_itemCopies.Append(std::make_unique<CItemProperty>());
  return Stored(record) != Stored(defaults);
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

QByteArray WritePropertyBytes(const CVelumProperty& record) { return Stored(record); }

std::vector<int> CopyForEachItem(const QStringList& items, const QStringList& copyNames,
                                 const std::vector<bool>& computes) {
  const int copies = int(computes.size());
  std::vector<int> from(std::size_t(items.size()), -1);
  if (copyNames.size() != copies) {
    const bool sameCount = items.size() == copies;
    for (int i = 0; i < int(items.size()) && i < copies; ++i)
      if (sameCount || !computes[std::size_t(i)]) from[std::size_t(i)] = i;
    return from;
  }
  QHash<QString, QList<int>> byName;
  for (int j = 0; j < copies; ++j) byName[copyNames[j]] << j;
  QHash<QString, int> seen;
  for (int i = 0; i < int(items.size()); ++i) {
    const int k = seen[items[i]]++;
    const auto it = byName.constFind(items[i]);
    if (it != byName.constEnd() && k < it->size()) from[std::size_t(i)] = it->at(k);
  }
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
    // What the program noted when it wrote these bytes: the items the copies
    // were written for (unless the file names them itself), the label lines.
    const CPropertyNote note = RecallPropertyFile(store.Services().settings, path, bytes);
    if (record.m_itemNames.isEmpty() && note.items) record.m_itemNames = *note.items;
    if (const auto lines = LabelLinesFromJson(note.labelLines); !lines.empty())
      LabelRecord(record, CPrintLabel(store.Services().settings)).m_lines = lines;
  }
  if (record.m_printLayouts.Empty()) record.m_printLayouts.Append(std::make_unique<CPrintProp>(store.Services().settings));
  if (!message.isEmpty()) {
    record.m_damagedPath = path;
    store.Services().prompt.Notice(message);
  }
  return true;
}

namespace {

// What a copy that went to no item carried, for the message: 「合計」の計算式.
QString DescribeCopy(const CItemProperty& copy, int index, const QStringList& names) {
  const QString item = index < names.size() ? msg::kNamedItem.arg(names[index]) : msg::kNthItem.arg(index + 1);
  if (copy.HasFormula()) return item + msg::kItsFormula;
  if (copy.m_type == kItemLinked) return item + msg::kItsLink;
  return item + msg::kItsSettings;
}

}  // namespace

void ApplyItemProperties(CCardStore& store) {
  CVelumProperty& record = store.FileProperty();
  const CObArray& copies = record.m_itemCopies;
  const QStringList items = ItemNames(store);
  std::vector<bool> computes(std::size_t(copies.Size()), false);
  for (int j = 0; j < copies.Size(); ++j)
    if (const auto* copy = copies.As<CItemProperty>(j)) computes[std::size_t(j)] = IsFormulaOrLinked(*copy);
  const std::vector<int> from = CopyForEachItem(items, record.m_itemNames, computes);
  std::vector<bool> applied(std::size_t(copies.Size()), false);
  for (int i = 0; i < store.ItemCount(); ++i) {
    const auto* copy = copies.As<CItemProperty>(from[std::size_t(i)]);
    if (!copy) continue;  // none, a null element or another class: the item keeps its defaults
    store.Property(i) = *copy;
    store.Property(i).m_set = 1;
    applied[std::size_t(from[std::size_t(i)])] = true;
  }

  // A record that is not applied is lost at the next save: the user hears
  // which, and the file as it was is kept beside it when it is saved over.
  const bool named = record.m_itemNames.size() == copies.Size();
  QStringList left;
  for (int j = 0; j < copies.Size(); ++j) {
    const auto* copy = copies.As<CItemProperty>(j);
    if (copy && !applied[std::size_t(j)] && CarriesSettings(*copy))
      left << DescribeCopy(*copy, j, named ? record.m_itemNames : QStringList());
  }
  if (left.isEmpty()) return;
  const QString path = PropertyFileOf(store.FilePath());
  if (record.m_damagedPath.isEmpty() || record.m_backupPath.isEmpty()) record.m_backupPath = FreeBackupPath(path);
  record.m_damagedPath = path;
  const QString why = named ? msg::kItemsGone
                          : msg::kItemCountDiffers.arg(items.size()).arg(copies.Size());
  store.Services().prompt.Notice(msg::kRecordsNotApplied.arg(QFileInfo(path).fileName(), why,
                                                             left.join(msg::kListSeparator),
                                                             QFileInfo(record.m_backupPath).fileName()));
}

bool CPropertyFileSave::Prepare(CCardStore& store, const QString& cardPath, mode_t newMode) {
  const QString path = PropertyFileOf(cardPath);
  if (path == ResolvedPath(cardPath)) return true;
  CVelumProperty& record = store.FileProperty();
  record.m_itemCopies.Clear();
  for (int i = 0; i < store.ItemCount(); ++i) record.m_itemCopies.Append(store.Property(i).Clone());
  record.m_itemNames = ItemNames(store);

  // Written when there is something to keep: a record that was set, or one
  // that differs from a new document's (a print or label layout chosen).
  const bool overDamaged = !record.m_damagedPath.isEmpty() && record.m_damagedPath == path;
  CSettingsStore& settings = store.Services().settings;
  if (!overDamaged && !record.AnySet() && !DiffersFromDefaults(record, settings, store.ItemCount())) return true;
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
  m_path = path;
  m_bytes = bytes;
  return true;
}

bool CPropertyFileSave::Commit(CCardStore& store) {
  if (!m_file) return true;
  if (!m_file->Commit()) {
    m_error = m_file->Error();
    return false;
  }
  CVelumProperty& record = store.FileProperty();
  record.m_damagedPath.clear();
  const CPrintLabel* label = FindPrintLabel(record);
  RememberPropertyFile(store.Services().settings, m_path, m_bytes, record.m_itemNames,
                       LabelLinesToJson(label ? label->m_lines : std::vector<CLabelLineChoice>()));
  return true;
}
