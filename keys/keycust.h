#pragma once

#include "records/archive.h"

#include <cstdint>

// One key binding: a key with the modifiers that must be held, and the command
// it sends to the main window. A key file stores each value as a WORD, in the
// order key code, Alt, Shift, Ctrl, command; the record has no version.
class CKeycust final : public CArchiveRecord<CKeycust> {
 public:
  CKeycust() = default;
  CKeycust(std::uint32_t keyCode, std::uint32_t alt, std::uint32_t ctrl, std::uint32_t shift, std::uint32_t command)
      : m_keyCode(keyCode), m_alt(alt), m_ctrl(ctrl), m_shift(shift), m_command(command) {}

  std::uint32_t m_keyCode = 0;  // the virtual-key code
  std::uint32_t m_alt = 0;      // 1 when Alt must be held
  std::uint32_t m_ctrl = 0;
  std::uint32_t m_shift = 0;
  std::uint32_t m_command = 0;  // the command identifier

  bool Matches(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) const {
    return m_keyCode == keyCode && m_alt == std::uint32_t(alt) && m_shift == std::uint32_t(shift) &&
           m_ctrl == std::uint32_t(ctrl);
  }
  bool operator==(const CKeycust&) const = default;

  static constexpr const char* kClassName = "CKeycust";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;
};
