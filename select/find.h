#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

class CCardStore;
class CSettingsStore;

// Searching with the store's search request. Both directions compare with the
// word in upper case when the case flag is 0 and test cards with MatchCard.

// The first matching visible card at or after start, or -1. The start card is
// searched with the given restart flag (without it, from the item after the
// item cursor); every later card from its first request item.
int FindForward(CCardStore& store, int start, bool restart);
// The first matching visible card at or before start, or -1. The start card is
// searched without restart (from the item before the item cursor); every
// earlier card from its last request item.
int FindBackward(CCardStore& store, int start);

// The search word history: twenty texts under Search/Str00 to Str19, the most
// recent first; an absent value reads as the empty text.
inline constexpr int kSearchHistorySize = 20;
QStringList ReadSearchHistory(const CSettingsStore& settings);
// Puts word in front: the first entry equal to it (exactly) is removed, and the
// first twenty are written back. An empty word takes part like any other.
void PushSearchHistory(CSettingsStore& settings, const QString& word);

// The incremental search's rule: whether text occurs in the card's text,
// compared unit by unit without regard to case; an empty card text never matches.
// foldKana: the card's text is compared in its FoldKana form (text must be
// folded already).
bool IncrementalMatch(QStringView cardText, QStringView text, bool foldKana = false);

// The state of the item list's incremental search: the list index after which
// the search begins (-1: before the first entry).
class CIncrementalSearch {
 public:
  // The list's search request. again 1 ("次候補"): the search begins after the
  // list's current entry; again 0 with an empty text: from the top; again 0
  // with a text: from where the last search began, so that a longer text
  // refines it. Answers the first visible card after the start whose value of
  // item (as the list shows it) matches, or -1; the search does not wrap.
  // Kana are folded while System/KanaFold is on.
  int Search(const CCardStore& store, int item, QStringView text, int again, int currentEntry);
  int Start() const { return m_start; }

 private:
  int m_start = -1;
};
