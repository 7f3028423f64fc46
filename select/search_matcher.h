#pragma once

#include "records/search_request.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

class CCardRow;
class CCardStore;

// Replaces the request's items (in the given order), condition, word and
// request flag; the item cursor and the case flag stay.
void SetSearchRequest(CCardStore& store, const std::vector<int>& items, int condition, const QString& word,
                      std::uint32_t requestFlag);

// Whether one item text satisfies the request's condition for the word. With
// the case flag 0 both are compared in their upper-case forms (CharUpper). A
// condition outside 0 to 5 never matches. Prepares the word once, so that a
// filter over many cards compares without copying texts.
class CTextMatcher {
 public:
  CTextMatcher(int condition, QStringView word, bool distinguishCase);
  bool Matches(QStringView text) const;

 private:
  char16_t Fold(char16_t c) const;
  bool SameAt(QStringView text, qsizetype at) const;

  int m_condition;
  QString m_word;  // upper-cased when case is not distinguished
  bool m_distinguishCase;
  const std::array<char16_t, 0x10000>* m_upper;
  double m_number = 0;
};

// Matches cards against a request, moving its item cursor as MatchCard does.
// The request must outlive the matcher and keep its items, condition and word.
class CCardMatcher {
 public:
  explicit CCardMatcher(CSearchRequest& request);
  // 1 when any request item of the card satisfies the condition. The cursor
  // starts at the first item (direction +1) or the last (-1) with restart,
  // else moves on by direction from where it stands; it stops on the matching
  // item, or just outside the items when none matched.
  int Match(const CCardRow& card, bool restart, int direction);

 private:
  CSearchRequest& m_request;
  CTextMatcher m_text;
};

// MatchCard of the store's request: one card with a matcher made for the call.
int MatchCard(CCardStore& store, const CCardRow& card, bool restart, int direction);
