#pragma once

#include "print/postcard/kanji_numerals.h"

#include <QString>

#include <array>

class CSettingsStore;

// Where the sender's postal code goes: seven boxes that New Year cards carry
// at the lower left. They are not standardised, so they are settings (0.1 mm
// from the card's top-left corner).
struct CSenderBoxes {
  std::array<int, 7> left{52, 92, 132, 182, 222, 262, 302};
  int top = 1225;
  int width = 40;
  int height = 65;
  bool operator==(const CSenderBoxes&) const = default;
};

// How postcards are printed, kept in the settings section "Postcard".
struct CPostcardSettings {
  // The items read, by name; an empty name, or one the card file lacks,
  // falls back to the usual names (see ResolvePostcardItems).
  QString codeItem, address1Item, address2Item, nameItem, familyItem, givenItem, jointItem, honorificItem,
      companyItem, departmentItem;
  QString honorific = QStringLiteral("様");  // after every name
  bool useHonorificItem = true;             // the card's 敬称 item, when it holds one, instead
  bool companyOnchu = true;                 // 御中 for a company without a person
  NumeralStyle numerals = NumeralStyle::kDigits;
  HyphenStyle hyphen = HyphenStyle::kBar;
  QString face = QStringLiteral("Noto Serif CJK JP");  // the vertical text's face
  // The sender (差出人), printed at the lower left when on.
  bool sender = false;
  QString senderName, senderAddress1, senderAddress2, senderCode;
  CSenderBoxes senderBoxes;
  // Where the printer puts the card relative to the paper it was told of:
  // everything printed moves by this much (0.1 mm; right and down positive).
  int offsetX = 0, offsetY = 0;
  // What marks a printed card in the year's item (see PostcardMarkItem).
  QString mark = QStringLiteral("○");
  bool operator==(const CPostcardSettings&) const = default;
};

// Reads the settings; what is missing or cannot be read takes its default
// (offsets are held to ±20 mm, sender boxes to the card).
CPostcardSettings ReadPostcardSettings(const CSettingsStore& store);
void WritePostcardSettings(CSettingsStore& store, const CPostcardSettings& settings);

// The sender boxes as the settings store them: seven left edges, then top,
// width and height, in 0.1 mm, separated by commas. Parse answers the
// defaults for a text that is not eleven numbers inside the card.
QString FormatSenderBoxes(const CSenderBoxes& boxes);
CSenderBoxes ParseSenderBoxes(const QString& text);

// Offsets are held to this many 0.1 mm either way.
inline constexpr int kMaxPostcardOffset = 200;
