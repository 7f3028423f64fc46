#pragma once

#include "core/card_row.h"

#include <QString>
#include <QStringList>

#include <vector>

class CCardStore;
class CVelumDoc;

// The card commands of the card view and the list views. Each one first lets the
// views commit their pending edits (CVelumDoc::StoreCards), asks its questions
// through the document's prompt, sets the modified flag when it changed the
// store and announces the change to the views with its hint word.
//
// Target cards are visible card numbers; the forms without them act on the item
// list's selection, else the current card (CVelumDoc::TargetCardsOfItemList).
// Numbers out of range and repeated numbers are ignored.

// Stores a typed text into an item of a visible card, as the card view does when
// the user leaves the field: digit-grouped when the item's flag asks for it;
// when the text holds a comma and the card's quote flag for the item is clear,
// asks whether to quote the item and sets the flag on OK. Marks the document
// modified; sends no hint (the caller redraws). stored receives the text as
// stored. False for a card or item that does not exist.
bool CommitItemText(CVelumDoc& doc, int card, int item, const QString& typed, QString* stored = nullptr);

// カードの追加: a card from the initial values at the end; it becomes current. Hint 5.
void AddCard(CVelumDoc& doc);
// カードの挿入: a card from the initial values before the current card, whose
// number now denotes the new card. Hint 0xA0007.
void InsertCard(CVelumDoc& doc);
// The next-item command at the last item of the last card: asks first when
// System/CardAdd is 1 (a ticked 次回から確認しない with OK writes it 0), then appends a card from the initial values and makes it
// current (hint 6). Answers the item to focus on the new card (the first that is
// neither a formula nor a linked item, else 0), or -1 when no card was added.
int AddCardAtEnd(CVelumDoc& doc);

// カードの削除: after the question, deletes the targets from the highest number
// down; one empty card when no visible card remains; the current card stays in
// range. Hint 0x20001. False when nothing was deleted.
bool DeleteCards(CVelumDoc& doc, std::vector<int> targets);
bool DeleteCards(CVelumDoc& doc);
// カードのコピー: the targets in card-number order, one internal line each, replace
// the clipboard's text.
void CopyCards(CVelumDoc& doc, std::vector<int> targets);
void CopyCards(CVelumDoc& doc);
// カードの切り取り: only with at least two visible cards; copies, then deletes the
// targets without asking. False when nothing happened.
bool CutCards(CVelumDoc& doc, std::vector<int> targets);
bool CutCards(CVelumDoc& doc);
// カードの貼り付け: every clipboard line with the document's item count is inserted
// before the current card, in order; the last pasted card becomes current
// (hint 0x20001). "貼りつけるデータがありません" when none fits. Answers the count.
int PasteCards(CVelumDoc& doc);
// 追加貼り付け: the fitting lines appended at the end; the last card becomes current
// (hint 0x20003). Nothing is shown when none fits. Answers the count.
int AppendPasteCards(CVelumDoc& doc);
// Clipboard text that holds no card of the deck's width goes to this handler
// when one is installed (rows copied from a spreadsheet): it answers the cards
// it pasted, or -1 when the text is none of its kind.
using ForeignPasteHandler = int (*)(CVelumDoc& doc, const QString& text, bool append);
void SetForeignPasteHandler(ForeignPasteHandler handler);
// Copied cards also go on the clipboard as the rows a spreadsheet pastes,
// formatted by this (the visible cards given, in order); none set, only the
// own form goes.
using SheetRowsFormatter = QString (*)(const CCardStore& store, const std::vector<int>& cards);
void SetSheetRowsFormatter(SheetRowsFormatter formatter);

// 項目内容の統一: item gets text on every visible card; hidden cards keep theirs. Hint 0x20003.
bool UnifyItem(CVelumDoc& doc, int item, const QString& text);
// 編集履歴: the texts item has on the visible cards, from the last card to the
// first, each distinct text once. Without an item (item < 0 or beyond the
// items) shows "項目を選択してください" and answers false.
bool EditHistory(CVelumDoc& doc, int item, QStringList* texts);
// The text chosen in the history dialog, committed into the current card.
bool ChooseHistoryText(CVelumDoc& doc, int item, const QString& text);
// 改行の挿入: a CR LF into item of the current card at caret (clamped to the
// text), stored directly. A choice-list item refuses with its message. Answers
// the caret after the break, or -1.
int InsertLineBreak(CVelumDoc& doc, int item, int caret);

// The clipboard text of cards: one internal line each, in the given order.
QString CardsToText(const CCardStore& store, const std::vector<int>& cards);
// The cards of a clipboard text: each piece up to a line feed (a CR before it
// dropped) parsed as one card; pieces without width items, those that cannot be
// parsed, and text after the last line feed are left out.
std::vector<CCardRow> CardsFromText(const QString& text, int width);
