#pragma once

#include "records/archive.h"

#include <QString>

#include <array>
#include <cstdint>

// One printed item of a print layout. This program does not print: it keeps
// the record as read. The values are held in the order 1, 2, 5, 3, 4, 6, 7, 8;
// the file stores them 1 to 8, value 5 from version 600 and 6 to 8 from 700.
class CPrintItemProp : public CArchiveRecord<CPrintItemProp> {
 public:
  static constexpr std::uint32_t kVersion = 700;

  std::uint32_t m_version = kVersion;  // as read; always written as kVersion
  std::array<QString, 3> m_texts;
  std::uint32_t m_value1 = 0;
  std::uint32_t m_value2 = 0;
  std::uint32_t m_value5 = 1;
  std::uint32_t m_value3 = 0;
  std::uint32_t m_value4 = 0;
  std::uint32_t m_value6 = 0;
  std::uint32_t m_value7 = 0;
  std::uint32_t m_value8 = 0;

  bool operator==(const CPrintItemProp&) const = default;

  static constexpr const char* kClassName = "CPrintItemProp";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;
};
