#pragma once

#include "records/archive.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class CSettingsStore;
class QJsonArray;

// One line of an address label as the user chose it: prefix + the value of
// the item of that name + suffix. join: printed on the line before, after its
// text (a family name and a given name on one line). An item name that is
// empty, or that the file no longer has, prints the prefix and suffix alone.
struct CLabelLineChoice {
  QString prefix;
  QString item;
  QString suffix;
  bool join = false;
  bool operator==(const CLabelLineChoice&) const = default;
};

// A label-sheet layout: rows, columns, label size and gaps, margins. Created
// only when an archive holds one; kept as read.
class CPrintLabel : public CArchiveRecord<CPrintLabel> {
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
  // The lines of a label; empty: the default lines for the file's items. The
  // stored record has no place for them: the property file's note in the
  // settings keeps them (core/property_notes.h).
  std::vector<CLabelLineChoice> m_lines;

  static constexpr const char* kClassName = "CPrintLabel";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;
};

// Label lines as kept in the settings: an array of [prefix, item, suffix,
// join]. Reading takes what is sound: entries of another form are skipped,
// and no more than kMaxLabelLines are read.
inline constexpr int kMaxLabelLines = 20;
QJsonArray LabelLinesToJson(const std::vector<CLabelLineChoice>& lines);
std::vector<CLabelLineChoice> LabelLinesFromJson(const QJsonArray& json);
