#include "records/velum_property.h"
#include "records/velum_select.h"
#include "records/velum_set.h"
#include "records/velum_sort.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

// Five zero DWORDs and five empty strings.
const QByteArray kReservedHex = QByteArray(40, '0') + QByteArray("fffeff00").repeated(5);

QByteArray Stored(const CArchiveObject& record) {
  CArchiveWriter w;
  record.Store(w);
  return w.Bytes();
}

std::unique_ptr<CArchiveObject> ReadBack(const CArchiveObject& record) {
  const QByteArray bytes = Stored(record);
  std::unique_ptr<CArchiveObject> back = CreatePropertyObject(QByteArray(record.ClassName()));
  CArchiveReader r(bytes, CreatePropertyObject);
  EXPECT_TRUE(back->Load(r)) << r.Error();
  EXPECT_EQ(r.Left(), 0);
  return back;
}

std::vector<std::int32_t> Items(const CVelumSelectSet& set, int record) {
  return set.m_records.As<CVelumSelect>(record)->m_items;
}

}  // namespace

TEST(StoredSets, StoredForms) {
  CVelumSort key(3, 2);
  key.m_reserved = 9;
  EXPECT_EQ(Stored(key).toHex(), ("5802" "03000000" "02000000" "09000000" + kReservedHex));

  CVelumSortSet sortSet;
  sortSet.m_number = 1;
  sortSet.m_text = u"A"_s;
  sortSet.m_keys.m_keys = {CVelumSort(0, 1)};
  const QByteArray set = "5802" "fffeff014100" "01000000" + kReservedHex;
  EXPECT_EQ(Stored(sortSet).toHex(), set + "5802" + kReservedHex + "5802" "01000000" "5802" "00000000" "01000000" +
                                         "00000000" + kReservedHex + kReservedHex);

  // The filter set's own version is four bytes; its records are tagged objects.
  CVelumSelectSet selectSet;
  selectSet.m_number = 1;
  selectSet.m_text = u"A"_s;
  auto record = std::make_unique<CVelumSelect>();
  record->m_kind = 1;
  record->m_word = u"B"_s;
  record->m_items = {4};
  selectSet.m_records.Append(std::move(record));
  const QByteArray selectBytes = Stored(selectSet);
  EXPECT_EQ(selectBytes.toHex(), set + "58020000" + kReservedHex + "0100" + "ffff01000c00" +
                                     QByteArray("CVelumSelect").toHex() + "5802" "01000000" "fffeff014200" +
                                     QByteArray(8 * 8, '0') + kReservedHex + "01000000" "04000000");

  for (const CArchiveObject* r : std::initializer_list<const CArchiveObject*>{&key, &sortSet, &selectSet})
    EXPECT_EQ(Stored(*ReadBack(*r)), Stored(*r)) << r->ClassName();
}

TEST(StoredSets, SelectDefaultsComeFromTheSettings) {
  CTestWorld w;
  WriteSetting(*w.settings, settings::kISearch, 1);
  WriteSetting(*w.settings, settings::kHSearch, 1);
  WriteSetting(*w.settings, settings::kSearchMode, 3);
  const CVelumSelect s(*w.settings);
  EXPECT_EQ(s.m_caseFlag, 1u);
  EXPECT_EQ(s.m_options, (std::array<std::uint32_t, 3>{0, 1, 0}));
  EXPECT_EQ(s.m_condition, 3);
  EXPECT_EQ(s.m_kind, 0);
  EXPECT_EQ(s.m_method, 0);
  EXPECT_TRUE(s.m_items.empty() && s.m_word.isEmpty());
}

TEST(StoredSets, SortSetsFollowItemChanges) {
  struct Case {
    const char* what;
    CItemChange change;
    std::vector<CVelumSort> after;  // empty: the set was dropped
  };
  // Keys on items 1, 3 and on the mark (item count 5).
  const Case cases[] = {
      {"delete a keyed item", {CItemChange::kDeleted, 1}, {CVelumSort(2, 1), CVelumSort(4, 3)}},
      {"delete before every key", {CItemChange::kDeleted, 0}, {CVelumSort(0, 0), CVelumSort(2, 1), CVelumSort(4, 3)}},
      {"insert", {CItemChange::kInserted, 3}, {CVelumSort(1, 0), CVelumSort(4, 1), CVelumSort(6, 3)}},
      {"swap", {CItemChange::kSwapped, 3, 1}, {CVelumSort(3, 0), CVelumSort(1, 1), CVelumSort(5, 3)}},
  };
  for (const Case& c : cases) {
    CVelumProperty file;
    auto set = std::make_unique<CVelumSortSet>();
    set->m_keys.m_keys = {CVelumSort(1, 0), CVelumSort(3, 1), CVelumSort(5, 3)};
    file.m_sortSets.Append(std::move(set));
    file.OnItemChange(c.change);
    ASSERT_EQ(file.m_sortSets.Size(), 1) << c.what;
    EXPECT_EQ(file.m_sortSets.As<CVelumSortSet>(0)->m_keys.m_keys, c.after) << c.what;
  }
  // A set that loses its last key is dropped; a base set is always kept.
  CVelumProperty file;
  auto set = std::make_unique<CVelumSortSet>();
  set->m_keys.m_keys = {CVelumSort(2, 0), CVelumSort(2, 1)};
  file.m_sortSets.Append(std::move(set));
  file.m_sortSets.Append(std::make_unique<CVelumSet>());
  file.OnItemChange({CItemChange::kDeleted, 2});
  ASSERT_EQ(file.m_sortSets.Size(), 1);
  EXPECT_STREQ(file.m_sortSets.At(0)->ClassName(), "CVelumSet");
}

TEST(StoredSets, FilterSetsFollowItemChanges) {
  auto make = [] {
    auto set = std::make_unique<CVelumSelectSet>();
    for (const std::vector<std::int32_t>& items : {std::vector<std::int32_t>{2}, {0, 2, 4}, {}}) {
      auto r = std::make_unique<CVelumSelect>();
      r->m_items = items;
      r->m_kind = items.empty() ? 1 : 0;  // the complement has no items
      set->m_records.Append(std::move(r));
    }
    return set;
  };
  CVelumProperty file;
  file.m_selectSets.Append(make());
  file.OnItemChange({CItemChange::kDeleted, 2});
  ASSERT_EQ(file.m_selectSets.Size(), 1);  // the set itself always stays
  const auto& set = *file.m_selectSets.As<CVelumSelectSet>(0);
  ASSERT_EQ(set.m_records.Size(), 2);
  EXPECT_EQ(Items(set, 0), (std::vector<std::int32_t>{0, 3}));
  EXPECT_EQ(set.m_records.As<CVelumSelect>(1)->m_kind, 1);

  file.OnItemChange({CItemChange::kInserted, 1});
  EXPECT_EQ(Items(set, 0), (std::vector<std::int32_t>{0, 4}));
  file.OnItemChange({CItemChange::kSwapped, 0, 4});
  EXPECT_EQ(Items(set, 0), (std::vector<std::int32_t>{4, 0}));
}
