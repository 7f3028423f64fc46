#pragma once

#include "records/velum_sort.h"
#include "select/totals.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

class CIncrementalSearch;
class CVelumDoc;

// The document commands of sorting, filtering, searching and summing. They
// take what their dialog hands over (the dialogs belong to the user
// interface), let the views commit their pending edits first
// (CVelumDoc::StoreCards), ask and tell through the document's prompt and
// announce changes with their hint words. Item numbers are item indexes; card
// numbers are visible card numbers.
//
// Every command copes with an empty visible list (after every visible card was
// hidden): nothing acts on a card that does not exist.

// 整列 (32778): SortByItem; the current card becomes 0; hint 0x20003. The
// modified flag stays as it was.
void SortCommand(CVelumDoc& doc, int item, int order);
// 複数キー整列 (32875): SortByKeys, then as SortCommand. No keys keeps the visible order.
void MultiSortCommand(CVelumDoc& doc, const CVelumSortArray& keys);

// The filter methods of the dialog's group "選択方法(&S)".
enum FilterMethod : int {
  kFromAllCards = 0,  // "全カードから"
  kNarrowCards = 1,   // "絞り込む(&AND)"
  kAddCards = 2,      // "追加する(&OR)"
};
// The method the filter dialog starts with: AND while filtered, else from all
// cards (the other two are disabled then).
int DefaultFilterMethod(const CVelumDoc& doc);

// 絞り込み (32785): sets the search request (the case flag stays) and filters:
// from all cards (a filter that matches nothing leaves the previous filter in
// force), AND or OR. While no card is hidden every method is taken as from all
// cards, as the dialog offers no other. Then:
//   no card hidden, n > 0   "全カードが対象です"
//   no card hidden, n = 0   "カードが見つかりません"
//   some hidden,    n > 0   the current card becomes 0, hint 0x20003
//   some hidden,    n = 0   "カードが見つかりません"
// Whenever the visible cards changed (also when a filter ended with every card
// visible) the current card becomes 0 and the views hear 0x20003, so that no
// view keeps showing the cards of before. Answers n, the number of cards the
// filter step matched. The modified flag stays.
int FilterCommand(CVelumDoc& doc, const std::vector<int>& items, int condition, const QString& word, int method);

// Menu states: 絞り込み解除 and 補集合 while filtered; このカードのみ絞り込み解除
// while at least two cards are visible (hiding a card of the whole deck
// leaves it filtered, and 絞り込み解除 brings the card back).
bool CanReleaseFilter(const CVelumDoc& doc);
bool CanComplement(const CVelumDoc& doc);
bool CanHideCards(const CVelumDoc& doc);

// 絞り込み解除 (32786): nothing while no card is hidden; else asks
// "絞り込みを解除します"; on OK every card visible, current card 0, hint 0x20003.
bool ReleaseFilterCommand(CVelumDoc& doc);
// このカードのみ絞り込み解除 (33104): hides the target cards (the list view's
// selected rows, or the item list's selection); the current card becomes 0;
// hint 0xA0003. Refused (false) while the menu entry is disabled. Hiding every
// visible card leaves the visible list empty.
bool HideCardsCommand(CVelumDoc& doc, const std::vector<int>& targets);
// 補集合 (33103): asks, then flips every visible flag, appends a complement
// record (kind 1) to the filter history; current card 0, hint 0x20003.
// Refused (false) while no card is hidden.
bool ComplementCommand(CVelumDoc& doc);
// 廃棄 (33105): asks (the question names the filter when there is one); on OK
// deletes the visible cards, then gives the document one new card when none is
// left, else shows the hidden ones; current card 0, hint 0xA0003, modified.
bool DiscardCommand(CVelumDoc& doc);

// A card the search found and the item of the match (the request item at the
// item cursor), which the card view focuses; card -1 when nothing was found.
struct CFoundCard {
  int card = -1;
  int item = -1;
};
// 検索 (32774): the word enters the history, the case flag is written to
// System/ISearch and becomes the store's, the request is set and the search
// starts at the first visible card. Found: it becomes the current card, hint
// 0x20004. Not found: "カードが見つかりません", the current card stays; while a
// filter hides n cards the message says so ("（絞り込みで n 枚が隠れています）").
CFoundCard SearchCommand(CVelumDoc& doc, const std::vector<int>& items, int condition, const QString& word,
                         bool distinguishCase);
// 次検索 (32782): goes on in the current card after the item of the last
// match, then in the following cards. 前検索 (32784): the same backwards.
CFoundCard NextSearchCommand(CVelumDoc& doc);
CFoundCard PrevSearchCommand(CVelumDoc& doc);
// The item list's incremental search (CIncrementalSearch::Search); a match
// becomes the current card and the views hear 0x20005. Answers the card or -1.
int IncrementalSearchCommand(CVelumDoc& doc, CIncrementalSearch& search, int item, QStringView text, int again,
                             int currentEntry);

// 件数集計 (32794) over the visible cards, and 合計と平均 (32858) over the target
// cards (CVelumDoc::TargetCards) or the cards given. Without an item (-1, or
// none such) "項目を選択してください" is shown and nothing is answered.
std::optional<CTextCounts> CountCommand(CVelumDoc& doc, int item);
std::optional<std::array<QString, kTotalsFieldCount>> TotalsCommand(CVelumDoc& doc, int item);
std::optional<std::array<QString, kTotalsFieldCount>> TotalsCommand(CVelumDoc& doc, int item,
                                                                    const std::vector<int>& cards);
