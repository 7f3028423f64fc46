#pragma once

#include "records/archive.h"
#include "records/print_extras.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class CSettingsStore;

// One print layout: the items printed in their order, texts, ruled lines, frame,
// form, margins and font. This program does not print; it keeps layouts as
// read and renumbers their item indices when items move. Field 11 is stored
// from version 700; every other field in every version.
class CPrintProp : public CArchiveRecord<CPrintProp> {
 public:
  static constexpr std::uint32_t kVersion = 700;
  static constexpr std::uint32_t kVersionValue11 = 700;
  static constexpr std::uint8_t kFontCharSet = 128;

  // The defaults without the settings: as the settings' own defaults.
  CPrintProp();
  // A new layout: ruled lines, frame and form from section Print, the font from
  // section PFont (its height is the Size value itself).
  explicit CPrintProp(const CSettingsStore& settings);

  std::uint32_t m_version = kVersion;  // as read; always written as kVersion
  QString m_name;
  std::array<QString, 6> m_texts;
  std::uint32_t m_keisen = 0;
  std::uint32_t m_sotowaku = 5;
  std::uint32_t m_form = 0;
  std::uint32_t m_value7 = 0;
  std::uint32_t m_value8 = 0;
  std::array<double, 4> m_margins{10.0, 10.0, 10.0, 10.0};
  std::vector<std::int32_t> m_items;  // item indices, in print order
  std::int32_t m_value11 = -1;
  CObArray m_itemProps;  // one CPrintItemProp per entry of m_items
  CArchiveFont m_font;
  // Not stored in the record: the orientation and widths kept beside it in the
  // settings (print_extras.h), once read for the layout's file.
  CPrintExtras m_extras;
  bool m_extrasRead = false;

  static constexpr const char* kClassName = "CPrintProp";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // Deleted: entries equal to item go, with the printed item at the same
  // position; later ones shrink. Inserted: entries at or after it grow.
  // Swapped: the two indices trade places. A layout is never dropped.
  bool OnItemChange(const CItemChange& change) override;
};
