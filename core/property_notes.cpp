#include "core/property_notes.h"

#include "settings/settings_store.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kSection = QStringLiteral("PropertyFiles");
const QString kNext = QStringLiteral("Next");
const QString kPath = QStringLiteral("path");
const QString kDigest = QStringLiteral("sha1");
const QString kItems = QStringLiteral("items");
const QString kLabels = QStringLiteral("labels");
// Names longer than this in all are not kept, so that the settings stay small.
constexpr qsizetype kMaxItemsText = 16 * 1024;

QString Digest(QByteArrayView bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

QString SlotName(int slot) { return QString::number(slot); }

QJsonObject Slot(const CSettingsStore& settings, int slot) {
  const QString text = settings.GetProfileString(kSection, SlotName(slot), QString());
  if (text.isEmpty()) return {};
  return QJsonDocument::fromJson(text.toUtf8()).object();
}

std::optional<QStringList> Items(const QJsonObject& note) {
  const auto it = note.constFind(kItems);
  if (it == note.constEnd() || !it->isArray()) return std::nullopt;
  QStringList items;
  for (const QJsonValue& v : it->toArray()) {
    if (!v.isString()) return std::nullopt;
    items << v.toString();
  }
  return items;
}

}  // namespace

bool RememberPropertyFile(CSettingsStore& settings, const QString& path, QByteArrayView bytes,
                          const QStringList& items, const QJsonArray& labelLines) {
  QJsonObject note{{kPath, path}, {kDigest, Digest(bytes)}};
  const QJsonArray names = QJsonArray::fromStringList(items);
  if (QJsonDocument(names).toJson(QJsonDocument::Compact).size() <= kMaxItemsText) note.insert(kItems, names);
  if (!labelLines.isEmpty()) note.insert(kLabels, labelLines);
  const QString text = QString::fromUtf8(QJsonDocument(note).toJson(QJsonDocument::Compact));
  return settings.Update([&] {
    int slot = -1;
    for (int i = 0; i < kPropertyNoteSlots && slot < 0; ++i)
      if (Slot(settings, i).value(kPath).toString() == path) slot = i;
    if (slot < 0) {
      slot = int(settings.GetProfileInt(kSection, kNext, 0) % kPropertyNoteSlots);
      settings.WriteProfileInt(kSection, kNext, std::uint32_t((slot + 1) % kPropertyNoteSlots));
    }
    settings.WriteProfileString(kSection, SlotName(slot), text);
  });
}

CPropertyNote RecallPropertyFile(const CSettingsStore& settings, const QString& path, QByteArrayView bytes) {
  const QString digest = Digest(bytes);
  std::optional<QJsonObject> own, same;
  for (int i = 0; i < kPropertyNoteSlots; ++i) {
    const QJsonObject note = Slot(settings, i);
    if (note.isEmpty()) continue;
    const bool ownPath = note.value(kPath).toString() == path;
    if (ownPath) own = note;
    if (note.value(kDigest).toString() == digest && (!same || ownPath)) same = note;
  }
  CPropertyNote out;
  if (same) out.items = Items(*same);
  if (own || same) out.labelLines = (own ? *own : *same).value(kLabels).toArray();
  return out;
}
