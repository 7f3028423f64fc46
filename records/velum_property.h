#pragma once

#include "records/archive.h"
#include "records/item_property.h"

#include <QString>

#include <array>
#include <cstdint>

class CSettingsStore;

// The file record: what belongs to a card file but not in it. The fields the
// program uses are named; the others keep their place in the stored order and
// are carried as read. Written as version 700; a field is read only when the
// stored version is at least the version it came with (kV420 ...).
class CVelumProperty : public CArchiveRecord<CVelumProperty> {
 public:
  static constexpr std::uint16_t kVersion = 700;
  static constexpr std::uint16_t kV420 = 420;
  static constexpr std::uint16_t kV430 = 430;
  static constexpr std::uint16_t kV461 = 461;
  static constexpr std::uint16_t kV520 = 520;
  static constexpr std::uint16_t kV530 = 530;
  static constexpr std::uint16_t kV600 = 600;
  static constexpr std::uint16_t kV630 = 630;
  static constexpr std::uint16_t kV700 = 700;

  // The defaults that need no settings; no print layout.
  CVelumProperty();
  // A new document's record: the first-line flag set when System/Item is 0,
  // and one print layout made from the settings.
  static CVelumProperty Defaults(const CSettingsStore& settings);

  std::uint16_t m_set = 0;  // 1 once the file-properties dialog was confirmed
  std::uint16_t m_version = kVersion;  // as read; always written as kVersion
  std::array<QString, 3> m_texts3;
  ColorRef m_backColor = kColor3DFace;  // of the card view
  QString m_text5;
  std::array<std::uint32_t, 2> m_values6{};
  std::uint32_t m_firstLine = 1;  // the first line of the file names the items
  std::array<std::uint32_t, 3> m_values8{};
  std::array<QString, 7> m_htmlTexts;
  std::uint32_t m_value10 = 1;
  QString m_bodyTag;  // the page-body attributes of the HTML export
  std::array<ColorRef, 2> m_htmlColors{0x80FF80, 0xFFFFFF};
  std::array<QString, 2> m_htmlTexts12a;
  std::uint32_t m_value12 = 1;
  std::array<QString, 2> m_htmlTexts12b;
  std::array<std::uint32_t, 2> m_values13a{};
  std::array<QString, 5> m_texts13;
  std::uint32_t m_value13b = 0;
  std::uint32_t m_cardPosition = 0;  // the card shown when IniCursor is 2
  std::array<QString, 3> m_texts15a;
  std::array<std::uint32_t, 3> m_values15a{};
  std::array<QString, 13> m_texts15b;
  std::uint32_t m_value15b = 0;
  std::array<std::uint32_t, 9> m_values15c{};
  CObArray m_itemCopies;    // CItemProperty copies, one per item in item order
  CObArray m_objects;       // carried unchanged
  CObArray m_printLayouts;  // CPrintProp
  CObArray m_sortSets;      // stored sets (CVelumSortSet)
  CObArray m_selectSets;    // stored sets (CVelumSelectSet)
  CObArray m_formSets;      // CFormSet

  // Held in memory only.
  std::uint32_t m_msCsv = 0;  // "Microsoft CSV形式"
  // The names of the items the copies were written for (noted in the settings
  // when the property file is written); empty when unknown.
  QStringList m_itemNames;
  // The property file that could not be read whole or whose records were not
  // all applied (empty when neither), and where it is kept when it is first
  // saved over (empty once it was copied).
  QString m_damagedPath;
  QString m_backupPath;

  static constexpr const char* kClassName = "CVelumProperty";
  void Store(CArchiveWriter& ar) const override;
  // Reads onto the values the record holds, so that fields an older version
  // lacks (and those after damage) keep them.
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;

  // The print layouts, stored sets and form layouts follow an item change.
  bool OnItemChange(const CItemChange& change) override;
  // 1 when the record or one of the item copies is set: the file is written.
  bool AnySet() const;
};

// Makes an empty object of a class the property file may hold; null for others.
std::unique_ptr<CArchiveObject> CreatePropertyObject(QByteArrayView className);
