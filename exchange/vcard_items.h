#pragma once

#include <QString>
#include <QStringList>

// The items a contact fills, in the order a new deck gets them. Several
// values of one kind (two telephone numbers, two addresses) stand in one
// item, one per line; an address's postal code stands on the same line of
// 郵便番号 as the address on its line of 住所.
namespace vcard_item {
inline const QString kName = QStringLiteral("氏名");
inline const QString kReading = QStringLiteral("ふりがな");
inline const QString kFamily = QStringLiteral("姓");
inline const QString kGiven = QStringLiteral("名");
inline const QString kPostal = QStringLiteral("郵便番号");
inline const QString kAddress = QStringLiteral("住所");
inline const QString kPhone = QStringLiteral("電話");
inline const QString kMobile = QStringLiteral("携帯");
inline const QString kMail = QStringLiteral("メール");
inline const QString kBirthday = QStringLiteral("誕生日");
inline const QString kCompany = QStringLiteral("会社名");
inline const QString kTitle = QStringLiteral("役職");
inline const QString kNote = QStringLiteral("メモ");

inline QStringList All() {
  return {kName, kReading, kFamily, kGiven, kPostal, kAddress, kPhone,
          kMobile, kMail, kBirthday, kCompany, kTitle, kNote};
}
}  // namespace vcard_item

// Items of a deck that no vCard property holds travel as
// X-VELUM-ITEM;NAME="item name":text, so that a deck comes back whole from
// its own export; other programs ignore the property.
inline constexpr char kVelumItemProperty[] = "X-VELUM-ITEM";
