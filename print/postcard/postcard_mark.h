#pragma once

#include <QDate>
#include <QString>

#include <vector>

class CVelumDoc;

// Keeping track of the cards sent: after a print, a mark in an item named
// after the year on every card printed, so that a filter on that item leaves
// the cards still to be sent.

// The New Year that cards printed on a day greet: the next one from July on.
int PostcardYear(const QDate& today);
// The item that marks the cards sent for a New Year: "2027年賀".
QString PostcardMarkItem(int year);

// Sets mark into the item named item (made at the end of the items when the
// file lacks it) on each of the cards (visible card numbers), as one step of
// the undo stack, and marks the document modified. False, with nothing
// changed, when there are no cards or the item cannot be made (the file has
// as many items as it may).
bool MarkPrintedCards(CVelumDoc& doc, const std::vector<int>& cards, const QString& item, const QString& mark);
