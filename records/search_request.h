#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

// The card store's search request, shared by the filter and the search
// commands: the items examined in order, the condition, the word, the flag the
// caller handed over (nothing reads it), the item cursor (where in `items` the
// last match was found or the last scan stopped) and the case flag (1:
// distinguish upper and lower case).
struct CSearchRequest {
  std::vector<std::int32_t> items;
  std::int32_t condition = 0;
  QString word;
  std::uint32_t requestFlag = 0;
  std::int32_t itemCursor = 0;
  std::uint32_t caseFlag = 0;
};

// The conditions, as the condition drop-downs list them.
enum SearchCondition : std::int32_t {
  kContains = 0,     // "を含む": the word occurs in the text
  kEquals = 1,       // "と一致する": equal without regard to case, whatever the case flag says
  kBeginsWith = 2,   // "が最初にある"
  kEndsWith = 3,     // "が最後にある"
  kGreaterThan = 4,  // "より大きい": numbers as WcsToD reads them (1,500 reads as 1)
  kLessThan = 5,     // "より小さい"
};
inline constexpr int kConditionCount = 6;
// The entries of the condition drop-down, in condition order, and the label before it.
const QStringList& ConditionLabels();
inline constexpr QStringView kConditionCaption = u"上記文字列";
