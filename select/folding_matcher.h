#pragma once

#include "select/search_matcher.h"

class CCardStore;

// The matcher that the filter, 検索 and the item list's incremental search
// run: CCardMatcher's rules, with the word and every text compared in their
// FoldKana forms while System/KanaFold is on (hiragana, katakana, half-width
// katakana, full-width and half-width letters and digits alike), and numbers
// read with full-width digits as digits while System/WideDigits is on.
// Moves the request's item cursor as MatchCard does. The request must outlive
// the matcher and keep its items, condition and word.
class CFoldingMatcher {
 public:
  CFoldingMatcher(CSearchRequest& request, bool foldKana);
  // With the setting of the store's settings.
  explicit CFoldingMatcher(CCardStore& store);
  int Match(const CCardRow& card, bool restart, int direction);

 private:
  bool Matches(QStringView text) const;

  CSearchRequest& m_request;
  bool m_fold;
  bool m_numbers;  // a condition that compares numbers
  CTextMatcher m_text;
};
