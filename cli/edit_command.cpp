#include "cli/batch_context.h"
#include "cli/command_registry.h"
#include "core/card_commands.h"
#include "core/item_commands.h"
#include "core/velum_doc.h"

#include <QJsonArray>

namespace {

int NoArgs(CBatchContext& b, const QStringList& a, const QString& usage) {
  return a.isEmpty() ? kExitOk : b.Usage(usage);
}

int Add(CBatchContext& b, const QStringList& a) {
  if (int rc = NoArgs(b, a, QStringLiteral("add"))) return rc;
  AddCard(b.Doc());
  return kExitOk;
}

int Insert(CBatchContext& b, const QStringList& a) {
  if (int rc = NoArgs(b, a, QStringLiteral("insert"))) return rc;
  InsertCard(b.Doc());
  return kExitOk;
}

int Delete(CBatchContext& b, const QStringList& a) {
  std::vector<int> cards;
  if (int rc = b.CardList(a, &cards)) return rc;
  DeleteCards(b.Doc(), cards);
  return kExitOk;
}

int Copy(CBatchContext& b, const QStringList& a) {
  std::vector<int> cards;
  if (int rc = b.CardList(a, &cards)) return rc;
  CopyCards(b.Doc(), cards);
  return kExitOk;
}

int Cut(CBatchContext& b, const QStringList& a) {
  std::vector<int> cards;
  if (int rc = b.CardList(a, &cards)) return rc;
  CutCards(b.Doc(), cards);
  return kExitOk;
}

int Paste(CBatchContext& b, const QStringList& a) {
  if (int rc = NoArgs(b, a, QStringLiteral("paste"))) return rc;
  PasteCards(b.Doc());
  return kExitOk;
}

int AppendPaste(CBatchContext& b, const QStringList& a) {
  if (int rc = NoArgs(b, a, QStringLiteral("append-paste"))) return rc;
  AppendPasteCards(b.Doc());
  return kExitOk;
}

int Unify(CBatchContext& b, const QStringList& a) {
  if (a.size() != 2) return b.Usage(QStringLiteral("unify ITEM TEXT"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  UnifyItem(b.Doc(), item, a[1]);
  return kExitOk;
}

// Prints the history dialog's list as a JSON array, newest first.
int History(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1) return b.Usage(QStringLiteral("history ITEM"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  QStringList texts;
  if (!EditHistory(b.Doc(), item, &texts)) return kExitFailed;
  b.PrintJson(QJsonArray::fromStringList(texts));
  return kExitOk;
}

int LineBreak(CBatchContext& b, const QStringList& a) {
  if (a.size() != 2) return b.Usage(QStringLiteral("linebreak ITEM POS"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  bool ok = false;
  const int pos = a[1].toInt(&ok);
  if (!ok || pos < 0) return b.Usage(QStringLiteral("linebreak ITEM POS (POS from 0)"));
  return InsertLineBreak(b.Doc(), item, pos) < 0 ? kExitFailed : kExitOk;
}

// Each item command is one use of the item dialog, closed at once.
template <typename Op>
int WithItemEditor(CBatchContext& b, Op op) {
  CItemEditor editor(b.Doc());
  const bool ok = op(editor);
  editor.Close();
  return ok ? kExitOk : kExitFailed;
}

int ItemAdd(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1) return b.Usage(QStringLiteral("item-add NAME"));
  return WithItemEditor(b, [&](CItemEditor& e) { return e.Add(a[0]); });
}

int ItemInsert(CBatchContext& b, const QStringList& a) {
  if (a.size() != 2) return b.Usage(QStringLiteral("item-insert ITEM NAME"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  return WithItemEditor(b, [&](CItemEditor& e) { return e.Insert(item, a[1]); });
}

int ItemRename(CBatchContext& b, const QStringList& a) {
  if (a.size() != 2) return b.Usage(QStringLiteral("item-rename ITEM NAME"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  return WithItemEditor(b, [&](CItemEditor& e) { return e.Rename(item, a[1]); });
}

int ItemDelete(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1) return b.Usage(QStringLiteral("item-delete ITEM"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  // A cancelled question is no failure; the last item cannot go.
  const int count = b.Doc().ItemCount();
  return WithItemEditor(b, [&](CItemEditor& e) {
    e.Delete(item);
    return count > 1;
  });
}

int ItemMove(CBatchContext& b, const QStringList& a, bool up) {
  if (a.size() != 1) return b.Usage(up ? QStringLiteral("item-up ITEM") : QStringLiteral("item-down ITEM"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  return WithItemEditor(b, [&](CItemEditor& e) {
    up ? e.MoveUp(item) : e.MoveDown(item);
    return true;
  });
}

const CBatchRegistrar kAdd(QStringLiteral("add"), Add);
const CBatchRegistrar kInsert(QStringLiteral("insert"), Insert);
const CBatchRegistrar kDelete(QStringLiteral("delete"), Delete);
const CBatchRegistrar kCopy(QStringLiteral("copy"), Copy);
const CBatchRegistrar kCut(QStringLiteral("cut"), Cut);
const CBatchRegistrar kPaste(QStringLiteral("paste"), Paste);
const CBatchRegistrar kAppendPaste(QStringLiteral("append-paste"), AppendPaste);
const CBatchRegistrar kUnify(QStringLiteral("unify"), Unify);
const CBatchRegistrar kHistory(QStringLiteral("history"), History);
const CBatchRegistrar kLineBreak(QStringLiteral("linebreak"), LineBreak);
const CBatchRegistrar kItemAdd(QStringLiteral("item-add"), ItemAdd);
const CBatchRegistrar kItemInsert(QStringLiteral("item-insert"), ItemInsert);
const CBatchRegistrar kItemRename(QStringLiteral("item-rename"), ItemRename);
const CBatchRegistrar kItemDelete(QStringLiteral("item-delete"), ItemDelete);
const CBatchRegistrar kItemUp(QStringLiteral("item-up"), [](CBatchContext& b, const QStringList& a) {
  return ItemMove(b, a, true);
});
const CBatchRegistrar kItemDown(QStringLiteral("item-down"), [](CBatchContext& b, const QStringList& a) {
  return ItemMove(b, a, false);
});

}  // namespace
