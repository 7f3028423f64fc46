#pragma once

#include "print/postcard/postcard_settings.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// What one card says about its addressee, read from the items a postcard
// prints.

// The item indices a postcard reads (-1 where the card file has none).
struct CPostcardItems {
  int code = -1, address1 = -1, address2 = -1;
  int name = -1, family = -1, given = -1;
  int joint = -1;
  std::array<int, 3> joints{-1, -1, -1};
  int honorific = -1, company = -1, department = -1;
};

// Finds the items by name: the name the settings give when the file has it,
// else the first of the usual names it has: 郵便番号 (〒); 住所 or 住所1, and
// 住所2; 氏名 (名前), or 姓 and 名; 連名, and 連名1 to 連名3; 敬称; 会社名
// (会社); 部署 (部署名).
CPostcardItems ResolvePostcardItems(const QStringList& itemNames, const CPostcardSettings& settings);

// A name with the honorific printed after it.
struct CPostcardName {
  QString family;     // the whole name when it has no blank between the parts
  QString given;      // empty when unknown
  QString honorific;  // empty when the name already ends with one
};

struct CPostcardAddress {
  QString code;  // as the card holds it
  QString address1, address2;
  CPostcardName name;                // empty family and given: no person
  std::vector<CPostcardName> joint;  // given names only, at most three
  QString company, department;
  QStringList droppedJoint;  // joint names beyond the third, not printed
};

// Reads one card through value (the value of an item index, as the views
// show it). The name is 氏名 split at its first blank, or 姓 and 名; joint
// names come from 連名 (split at 、 , ・ or blanks) and then 連名1–3; the
// honorific is the card's 敬称 when the settings allow and it holds one, else
// the settings' honorific, or 御中 for a company without a person when the
// settings say so. A name that already ends with an honorific (様, 殿, 御中,
// 先生, さま, さん, 君, くん, ちゃん) gets none added.
CPostcardAddress ReadPostcardAddress(const std::function<QString(int item)>& value, const CPostcardItems& items,
                                     const CPostcardSettings& settings);

// Whether a name already ends with an honorific.
bool EndsWithHonorific(const QString& name);
