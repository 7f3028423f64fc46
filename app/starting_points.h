#pragma once

#include "records/item_property.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CVelumDoc;

// The starting points of a new list: a few kinds of list a newcomer keeps,
// each with its item names and the item properties that suit them (a choice
// list for 敬称, a check box per year for postcards, the input method off for
// numbers and dates, a formula for an age). The window's 新規作成 and
// `velum-cli new --template` both make their files from this table.

struct CStartingItem {
  QString name;
  CItemProperty property;  // m_set is 1 where the item has properties of its own
};

struct CStartingPoint {
  QString name;         // as the choice lists it and --template takes it
  QString description;  // one line under the name
  std::vector<CStartingItem> items;
};

// Every starting point, in the order the choice shows them; the last one,
// 空のファイル, has no items: its names are typed (ItemsFromLines). `year`
// names the year marks of the postcard list (this year and the next).
std::vector<CStartingPoint> StartingPoints(int year);
inline const QString kEmptyStartingPoint = QStringLiteral("空のファイル");

// The starting point of that name, if there is one.
std::optional<CStartingPoint> FindStartingPoint(const QString& name, int year);

// The items of a list whose names are typed one a line (a tab or a comma also
// ends a name: a row copied from a spreadsheet, a comma list as --items takes
// it): blank lines and the blanks around a name go. An empty answer with
// *error set when the names cannot make a list: none given, more than the
// items a card holds, or one name twice (a formula could not tell them apart).
std::vector<CStartingItem> ItemsFromNames(const QStringList& names, QString* error);
std::vector<CStartingItem> ItemsFromLines(const QString& text, QString* error);

// Makes the document a new, unnamed and unmodified one with these items and
// their properties and one empty card. False, with the document untouched,
// for an empty item list.
bool MakeNewList(CVelumDoc& doc, const std::vector<CStartingItem>& items);

namespace start_msg {
inline const QString kNoNames = QStringLiteral("項目名を１行に１つずつ入力してください");
inline const QString kTooMany = QStringLiteral("項目は %1 個までです");
inline const QString kTwice = QStringLiteral("項目名「%1」が２回あります");
}  // namespace start_msg
