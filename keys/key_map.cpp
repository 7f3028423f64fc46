#include "keys/key_map.h"

#include "keys/key_names.h"
#include "platform/file_io.h"
#include "platform/input_file.h"
#include "settings/settings.h"

#include <QFile>
#include <QFileInfo>

namespace {

void RecordKeycust(CSettingsStore* settings, const QString& path) {
  if (settings) settings::WriteKeycust(*settings, path);
}

CKeyFileStatus CannotOpen(const QString& reason) {
  CKeyFileStatus s;
  s.result = CKeyFileStatus::kCannotOpen;
  s.reason = reason;
  return s;
}

}  // namespace

std::uint32_t CKeyMap::FindCommand(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) const {
  const int i = FindBinding(keyCode, alt, shift, ctrl);
  return i < 0 ? 0 : At(i).m_command;
}

int CKeyMap::FindBinding(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) const {
  for (int i = 0; i < Count(); ++i)
    if (At(i).Matches(keyCode, alt, shift, ctrl)) return i;
  return -1;
}

int CKeyMap::FindKeyForCommand(std::uint32_t command) const {
  for (int i = 0; i < Count(); ++i)
    if (At(i).m_command == command) return i;
  return -1;
}

QString CKeyMap::LabelOf(int i) const {
  const CKeycust& k = At(i);
  return KeyLabel(k.m_keyCode, k.m_alt != 0, k.m_shift != 0, k.m_ctrl != 0);
}

std::optional<QString> CKeyMap::LabelForCommand(std::uint32_t command) const {
  const int i = FindKeyForCommand(command);
  if (i < 0) return std::nullopt;
  return LabelOf(i);
}

QByteArray CKeyMap::Encode(const std::vector<CKeycust>& bindings) {
  CArchiveWriter ar;
  ar.WriteCount(std::uint32_t(bindings.size()));
  for (const CKeycust& k : bindings) ar.WriteObject(&k);
  return ar.Bytes();
}

CKeyFileStatus CKeyMap::Decode(QByteArrayView bytes, std::vector<CKeycust>* bindings) {
  bindings->clear();
  CArchiveReader ar(bytes, [](QByteArrayView name) -> std::unique_ptr<CArchiveObject> {
    if (name == CKeycust::kClassName) return std::make_unique<CKeycust>();
    return nullptr;
  });
  // The count is never used to allocate: the loop stops at the first binding
  // that is not whole, so that a truncated file keeps the bindings before the
  // cut and a count beyond the bytes ends where the bytes end.
  std::uint32_t count = 0;
  if (ar.ReadCount(&count, 0)) {
    for (std::uint32_t i = 0; i < count; ++i) {
      std::unique_ptr<CArchiveObject> object;
      if (!ar.ReadObject(&object)) break;
      if (const auto* k = dynamic_cast<const CKeycust*>(object.get())) bindings->push_back(*k);
    }
  }
  if (ar.Ok() && ar.Left() > 0) ar.Fail(archive_msg::kTrailing);
  CKeyFileStatus status;
  status.kept = int(bindings->size());
  if (!ar.Ok()) {
    status.result = CKeyFileStatus::kDamaged;
    status.reason = ar.Error();
    status.offset = ar.ErrorOffset();
  }
  return status;
}

CKeyFileStatus CKeyMap::Load(const QString& path) {
  if (!path.isEmpty()) m_path = path;
  // Only a regular file of a sensible size: a device such as /dev/zero would
  // otherwise be read until memory runs out.
  QByteArray bytes;
  QString reason;
  if (ReadInputFile(m_path, kMaxKeyFile, &bytes, &reason) != InputStatus::kOk) return CannotOpen(reason);
  const CKeyFileStatus status = Decode(bytes, &m_bindings);
  RecordKeycust(m_settings, m_path);
  return status;
}

bool CKeyMap::Save(const QString& path, QString* error) {
  if (!path.isEmpty()) m_path = path;
  const QString failure = WriteFileSafely(m_path, Encode(m_bindings));
  if (error) *error = failure;
  if (!failure.isEmpty()) return false;
  RecordKeycust(m_settings, m_path);
  return true;
}

CKeyFileStatus CKeyMap::Start(const QString& programFolder) {
  m_bindings.clear();
  QString path;
  if (m_settings) {
    path = settings::ReadKeycust(*m_settings, programFolder);
  } else {
    path = programFolder;
    if (!path.endsWith(u'/')) path += u'/';
    path += QStringLiteral("velum.key");
  }
  return Load(path);
}

void CKeyMap::RecordPath() const { RecordKeycust(m_settings, m_path); }

QString DamageMessage(const CKeyFileStatus& status, const QString& path) {
  if (status.result != CKeyFileStatus::kDamaged) return {};
  return keys_msg::kDamaged.arg(QFileInfo(path).absoluteFilePath(), QString::number(status.offset + 1),
                                status.reason, QString::number(status.kept));
}

QString CannotLoadMessage(const CKeyFileStatus& status, const QString& path) {
  if (status.result != CKeyFileStatus::kCannotOpen) return {};
  return keys_msg::kCannotLoadFile.arg(QFileInfo(path).absoluteFilePath(), status.reason);
}
