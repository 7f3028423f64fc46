#include "keys/keycust.h"

void CKeycust::Store(CArchiveWriter& ar) const {
  ar.WriteWord(std::uint16_t(m_keyCode));
  ar.WriteWord(std::uint16_t(m_alt));
  ar.WriteWord(std::uint16_t(m_shift));
  ar.WriteWord(std::uint16_t(m_ctrl));
  ar.WriteWord(std::uint16_t(m_command));
}

bool CKeycust::Load(CArchiveReader& ar) {
  std::uint16_t v[5];
  for (auto& w : v)
    if (!ar.ReadWord(&w)) return false;
  m_keyCode = v[0];
  m_alt = v[1];
  m_shift = v[2];
  m_ctrl = v[3];
  m_command = v[4];
  return true;
}

QJsonObject CKeycust::ToJson() const {
  return QJsonObject{{QStringLiteral("keyCode"), int(m_keyCode)}, {QStringLiteral("alt"), int(m_alt)},
                     {QStringLiteral("ctrl"), int(m_ctrl)},       {QStringLiteral("shift"), int(m_shift)},
                     {QStringLiteral("command"), int(m_command)}};
}
