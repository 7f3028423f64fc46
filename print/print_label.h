#pragma once

#include "core/archive.h"

#include <QString>

#include <array>
#include <cstdint>

class CSettingsStore;

// A label-sheet layout: rows, columns, label size and gaps, margins. Created
// only when an archive holds one; kept as read.
class CPrintLabel : public CArchiveObject {
 public:
  static constexpr std::uint32_t kVersion = 1;

  // The defaults without the settings: as the settings' own defaults.
  CPrintLabel();
  // Rows, columns, sizes and gaps from section Label.
  explicit CPrintLabel(const CSettingsStore& settings);

  std::uint32_t m_version = kVersion;  // as read; always written as kVersion
  std::uint32_t m_row = 2;
  std::uint32_t m_col = 6;
  double m_cy = 33;
  double m_ySpace = 5;
  double m_cx = 84;
  double m_xSpace = 4;
  std::array<double, 2> m_margins{10.0, 10.0};
  QString m_text;  // not stored

  const char* ClassName() const override { return "CPrintLabel"; }
  std::unique_ptr<CArchiveObject> Clone() const override { return std::make_unique<CPrintLabel>(*this); }
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;
};
