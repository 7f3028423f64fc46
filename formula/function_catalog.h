#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

// The catalog of every function a formula may call: the functions the
// expression evaluator computes (rows 1-33) and the item-level functions that
// item formulas replace by text before evaluation (rows 34-62; for those the
// argument count is informative only).
//
// The catalog is one process-wide ordered list. Its first use (any function
// below) makes rows 1-33 visible; CompleteFunctionCatalog(), called once at
// start-up, appends rows 34-62. Entries are never removed. All functions are
// safe to call from any thread.

struct CFunctionEntry {
  QString name;         // in capitals, as the user writes it
  QString category;     // "数学", "三角関数", "日付", "時間", "参照", "統計" or "文字列"
  std::int32_t argumentCount = 0;
  QString argumentHint;  // the argument names shown between parentheses; may be empty
  QString description;   // one line of help text
};

// The category line that lists every entry.
inline constexpr char16_t kAllFunctionsCategory[] = u"全て";

// The start-up step: appends rows 34-62 (adding rows 1-33 first when the
// catalog was not used yet). Later calls do nothing.
void CompleteFunctionCatalog();

// The argument count of the first entry whose name equals the upper-cased
// name (CharUpper), or -1 when there is none. Allocates nothing.
int GetArgumentCount(QStringView name);

// A copy of the first entry named exactly so (already in capitals), or an
// entry whose texts are empty and whose count is 0 when there is none.
CFunctionEntry GetEntry(QStringView name);

// Every entry of the catalog as it stands, in catalog order.
std::vector<CFunctionEntry> FunctionCatalog();

// The lines of the function dialog's category list: "全て" followed by every
// distinct category in the order in which it first occurs in the catalog.
QStringList FunctionCategoryList();

// The lines of the function dialog's function list for a category line: the
// names of the entries of that category in catalog order; every name for "全て".
QStringList FunctionNameList(QStringView category);

// What the function dialog shows for a selected entry: name + "(" + hint + ")".
QString FunctionCallText(const CFunctionEntry& entry);
