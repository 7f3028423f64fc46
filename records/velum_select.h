#pragma once

#include "records/archive.h"
#include "records/velum_set.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class CSettingsStore;

// One filter record: kind 0 a condition filter, 1 the complement, 2 a record
// that does nothing when replayed; the items examined, the word, the case flag,
// three options, the condition (0 to 5), the method (0 from all cards, 1 narrow,
// 2 add), the request flag and a reserved value. Stored as version 600, kind,
// word, the eight values from the case flag on, the reserved block, then a
// 32-bit item count and the items.
class CVelumSelect : public CArchiveRecord<CVelumSelect> {
 public:
  static constexpr std::uint16_t kVersion = 600;

  CVelumSelect() = default;
  // A new record: case flag, options and condition from System/ISearch,
  // ZSearch, HSearch, KSearch and SearchMode.
  explicit CVelumSelect(const CSettingsStore& settings);

  std::int32_t m_kind = 0;
  std::vector<std::int32_t> m_items;
  QString m_word;
  std::uint32_t m_caseFlag = 0;
  std::array<std::uint32_t, 3> m_options{};
  std::int32_t m_condition = 0;
  std::int32_t m_method = 0;
  std::uint32_t m_requestFlag = 0;
  std::uint32_t m_reserved = 0;

  bool operator==(const CVelumSelect&) const = default;

  static constexpr const char* kClassName = "CVelumSelect";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // Drops the entries of the deleted item and renumbers the later ones; true
  // when that left a record that had items with none (its set removes it).
  bool OnItemChange(const CItemChange& change) override;
};

// A stored filter: the CVelumSet record, a 32-bit version 600, the reserved
// block, then the records as an object list (each CVelumSelect tagged with its
// class). The store's filter history is one of these.
class CVelumSelectSet : public CArchiveRecord<CVelumSelectSet, CVelumSet> {
 public:
  CObArray m_records;  // CVelumSelect records, in replay order

  static constexpr const char* kClassName = "CVelumSelectSet";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // Replays the records in order, appending a copy of each to the store's
  // filter history: kind 1 inverts the visible flags, kind 2 does nothing, any
  // other sets the search request from the record (its case flag aside) and
  // filters by its method (0: from all cards, 1: narrow, other: add). Answers
  // 1 when afterwards some card is hidden, else 0.
  int Apply(CCardStore& store) override;

  // Renumbers every record and removes those left without items; the set
  // itself is always kept.
  bool OnItemChange(const CItemChange& change) override;
};
