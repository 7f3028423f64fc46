#pragma once

#include "records/archive.h"
#include "records/velum_sort.h"

#include <QString>

#include <cstdint>

class CCardStore;

// The base of every stored set: a number and a text that nothing reads but
// that are kept. Stored as version 600, the text, the number and the reserved
// block. The sets of the file record follow item changes through the hooks of
// CArchiveObject; a set whose OnItemChange answers true is dropped.
class CVelumSet : public CArchiveRecord<CVelumSet> {
 public:
  static constexpr std::uint16_t kVersion = 600;

  std::int32_t m_number = 0;
  QString m_text;

  static constexpr const char* kClassName = "CVelumSet";
  void Store(CArchiveWriter& ar) const override { StoreSet(ar); }
  bool Load(CArchiveReader& ar) override { return LoadSet(ar); }
  QJsonObject ToJson() const override { return SetJson(); }

  // Applies the set to the store's cards; the base set does nothing and answers 1.
  virtual int Apply(CCardStore& store) { return 1; }

 protected:
  void StoreSet(CArchiveWriter& ar) const;
  bool LoadSet(CArchiveReader& ar);
  QJsonObject SetJson() const;
};

// A stored list of sort keys. Stored as the CVelumSet record, version 600, the
// reserved block and the key list.
class CVelumSortSet : public CArchiveRecord<CVelumSortSet, CVelumSet> {
 public:
  CVelumSortArray m_keys;

  static constexpr const char* kClassName = "CVelumSortSet";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // Copies of the keys become the store's sort keys and the cards are sorted
  // by them (SortByKeys); answers 1.
  int Apply(CCardStore& store) override;

  // Drops the keys on the deleted item; true (drop the set) when none is left.
  bool OnItemChange(const CItemChange& change) override { return m_keys.OnItemChange(change); }
};
