#pragma once

#include "japanese/postal_codes.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

class CCardStore;
class CVelumDoc;

// The document's side of postal codes: which items hold the code and the
// address, the check of a deck, and the fills, each one undo step.

// The first item whose name is one of the comma-separated names (in the
// order of the names); -1 when the store has none of them.
int FindNamedItem(const CCardStore& store, QStringView names);

// A card whose postal code does not agree with its address. expected: the
// addresses of the code (its areas; an office code's offices), joined with
// " / "; empty for a code the list does not know.
struct CPostalMismatch {
  int card;  // visible card number
  QString code;
  QString address;
  QString expected;
};
// The visible cards with a code and an address where the address begins with
// none of the code's addresses (compared as AddressKey does). Cards without a
// code or without an address are not checked.
std::vector<CPostalMismatch> CheckPostalCodes(const CCardStore& store, const CPostalCodes& codes, int codeItem,
                                              int addressItem);

// Stores text into an item of a visible card that holds no text, as one undo
// step under label, and redraws the card. False (nothing changed) when the
// item already has text or does not exist.
bool FillEmptyItem(CVelumDoc& doc, int card, int item, const QString& text, const QString& label);

namespace postal_msg {
inline const QString kNoItems = QStringLiteral("郵便番号と住所の項目がありません");
inline const QString kAllMatch = QStringLiteral("郵便番号と住所はすべて合っています");
inline const QString kMismatches = QStringLiteral("郵便番号と住所の合わないカードが %1 枚あります");
inline const QString kNoAddress = QStringLiteral("住所が入力されていません");
inline const QString kCodeFilled = QStringLiteral("郵便番号はすでに入力されています");
inline const QString kNoCode = QStringLiteral("住所に合う郵便番号が見つかりません");
inline const QString kCheckLabel = QStringLiteral("郵便番号の照合");
inline const QString kAddressLabel = QStringLiteral("郵便番号から住所");
inline const QString kCodeLabel = QStringLiteral("住所から郵便番号");
}  // namespace postal_msg

// 郵便番号の照合 (33219): hides every visible card whose code agrees with its
// address (one undo step; 絞り込み解除 shows them again) and tells the count
// of the others; when every card agrees nothing is hidden. The items come from
// the settings System/PostalCodeItems and System/AddressItems. Answers the
// count, -1 when the deck has no such items.
int PostalCheckCommand(CVelumDoc& doc, const CPostalCodes& codes);

// 住所から郵便番号 (33220): fills the current card's empty code from its
// address: the codes of the longest beginning of the address the list knows;
// choose picks one when there are several (answers the index, or -1 to
// cancel). False with a message when nothing was filled.
bool AddressToCodeCommand(CVelumDoc& doc, const CPostalCodes& codes,
                          const std::function<int(const QStringList& choices)>& choose);

// The addresses to offer when the user leaves the code item of a card with
// seven digits in it and the address item empty: *addressItem receives the
// item to fill. The areas of the code, or the offices of an office's own
// code. Empty when there is nothing to fill.
std::vector<CPostalAddress> AddressesToFill(const CVelumDoc& doc, const CPostalCodes& codes, int card, int codeItem,
                                            int* addressItem);
