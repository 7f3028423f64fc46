#pragma once

#include "records/archive.h"
#include "records/linked_cache.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// Colours are colour references: 0x00BBGGRR.
using ColorRef = std::uint32_t;
inline constexpr ColorRef kColorWindowText = 0x000000;
inline constexpr ColorRef kColorWindow = 0xFFFFFF;
inline constexpr ColorRef kColor3DFace = 0xC0C0C0;

inline constexpr int kMaxItems = 200;

// Item types.
enum ItemType : std::uint32_t { kItemStandard = 0, kItemChoice = 1, kItemImage = 2, kItemLinked = 3 };

struct CRect32 {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const CRect32&) const = default;
};

// The properties of one item: its type, colours, fonts, formula, initial value,
// choice list and linked-file reference. The fields stand in the order the
// property file stores them; the names of the fields whose meaning belongs to
// the views say only what they are. Written with version 700; fields from the
// rectangles after the display values on are read only from version 420.
class CItemProperty : public CArchiveRecord<CItemProperty> {
 public:
  static constexpr std::uint32_t kVersion = 700;
  static constexpr std::uint32_t kVersionExtended = 420;
  static constexpr std::uint32_t kDigitGrouping = 1;  // bit of m_flags

  std::uint32_t m_version = kVersion;  // as read; always written as kVersion
  std::uint32_t m_set = 0;  // 1 once edited in the property sheet or read from the property file
  CRect32 m_rect1;
  CRect32 m_rect2;
  std::uint32_t m_imeMode = 0;
  std::uint32_t m_type = kItemStandard;
  std::uint32_t m_hPos = 0;
  std::uint32_t m_hasContentFont = 0;  // 1: m_contentFont is stored and used
  CArchiveFont m_contentFont;
  ColorRef m_textColor = kColorWindowText;
  ColorRef m_backColor = kColorWindow;
  std::uint32_t m_hasNameFont = 0;  // 1: m_nameFont is stored and used
  CArchiveFont m_nameFont;
  ColorRef m_nameTextColor = kColorWindowText;
  ColorRef m_nameBackColor = kColor3DFace;
  std::uint32_t m_value13 = 1;
  QString m_formula;
  std::uint32_t m_display1 = 0;
  std::uint32_t m_display2 = 0;
  std::uint32_t m_multiLine = 0;
  std::uint32_t m_display3 = 0;
  std::uint32_t m_display4 = 0;
  CRect32 m_rect3;
  CRect32 m_rect4;
  QString m_linkTargetName;       // the item of the referenced file a linked item shows
  std::int32_t m_linkSource = 0;  // the item of this file whose text is the key
  QString m_initialValue;
  std::array<std::uint32_t, 5> m_values20{0, 1, 1, 1, 1};
  std::int32_t m_secondRef = 0;
  std::array<QString, 11> m_texts22;
  std::uint32_t m_flags = 0;
  std::array<std::uint32_t, 9> m_values24{};
  QString m_checkText;
  QStringList m_choices;

  // The store of the referenced file of a linked item; not stored.
  CLinkedCache m_linked;

  bool DigitGrouping() const { return (m_flags & kDigitGrouping) != 0; }
  bool HasFormula() const { return !m_formula.isEmpty(); }
  // A choice list drawn from another card file: U+0001, the path, the key item.
  bool HasFileReference() const { return m_choices.size() == 3 && m_choices[0] == QStringView(u"\u0001"); }
  QString ReferencedPath() const { return HasFileReference() ? m_choices[1] : QString(); }
  QString ReferencedKeyItem() const { return HasFileReference() ? m_choices[2] : QString(); }

  bool operator==(const CItemProperty&) const = default;

  static constexpr const char* kClassName = "CItemProperty";
  void Store(CArchiveWriter& ar) const override;
  bool Load(CArchiveReader& ar) override;
  QJsonObject ToJson() const override;
  bool OnItemChange(const CItemChange& change) override;
};

// Keeps an item record's item references in step when the items move:
// inserted at i: references >= i grow by one; deleted at i: the second
// reference to i becomes 0, later ones shrink, a linked item whose source was i
// becomes a standard item with source -1; swapped: i and j trade places.
void ApplyItemChange(CItemProperty& p, const CItemChange& change);
// 1 when the record has a formula or is a linked item: its value is computed.
bool IsFormulaOrLinked(const CItemProperty& p);
// 1 when the item's value may change with the text of item index: it has a
// formula, is an image preview, or is a linked item keyed on that item.
bool DependsOn(const CItemProperty& p, int index);

// A colour reference as "#RRGGBB" (values with a high byte as a number), for JSON.
QJsonValue ColorJson(ColorRef c);
