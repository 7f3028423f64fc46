#include "cli/batch_context.h"
#include "cli/command_registry.h"
#include "core/velum_doc.h"
#include "records/search_request.h"
#include "select/select_commands.h"
#include "select/sort.h"

namespace {

// Sort keys "ITEM:ORDER" (the item before the last colon; "[マーク]" is the
// mark). Answers kExitUsage for a word of another form, kExitFailed for an
// item the file does not have, with the reason in error.
int ParseSortKeys(const CCardStore& store, const QStringList& words, CVelumSortArray* keys, QString* error) {
  keys->m_keys.clear();
  for (const QString& w : words) {
    const qsizetype colon = w.lastIndexOf(u':');
    bool ok = false;
    const int order = colon > 0 ? w.mid(colon + 1).toInt(&ok) : -1;
    if (!ok || order < 0 || order >= kSortOrderCount) {
      *error = QStringLiteral("a key is ITEM:ORDER with ORDER 0 to 5: %1").arg(w);
      return kExitUsage;
    }
    const QString name = w.left(colon);
    const int item = name == kMarkItemLabel ? store.ItemCount() : ResolveItem(store, name);
    if (item < 0) {
      *error = QStringLiteral("no item %1").arg(name);
      return kExitFailed;
    }
    keys->m_keys.emplace_back(item, order);
  }
  return kExitOk;
}

// A number word within [low, high].
bool ParseNumber(const QString& word, int low, int high, int* value) {
  bool ok = false;
  *value = word.toInt(&ok);
  return ok && *value >= low && *value <= high;
}

// One line a text; raw: line breaks inside a text as they are.
void PrintCounts(QTextStream& out, const CTextCounts& counts, bool raw) {
  out << "総数 " << counts.total << '\n';
  for (const QString& line : CountLines(counts)) out << (raw ? line : EscapeCell(line)) << '\n';
  out.flush();
}

void PrintTotals(QTextStream& out, const std::array<QString, kTotalsFieldCount>& fields) {
  for (int i = 0; i < kTotalsFieldCount; ++i) {
    out << TotalsFieldNames()[i];
    if (!fields[std::size_t(i)].isEmpty()) out << ' ' << fields[std::size_t(i)];
    out << '\n';
  }
  out.flush();
}

int RunSort(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("-o")}, {QStringLiteral("--stored"), QStringLiteral("--json")});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() < 2) return ctx.Usage(QStringLiteral("usage: velum-cli sort FILE KEY... [-o OUT]"));
  if (a.Has(QStringLiteral("-o")) && !ctx.MayWrite(a.Value(QStringLiteral("-o")))) return kExitFailed;
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  CVelumSortArray keys;
  QString error;
  if (int rc = ParseSortKeys(ctx.Doc().Store(), a.positional.mid(1), &keys, &error))
    return rc == kExitUsage ? ctx.Usage(error) : ctx.Fail(error);
  MultiSortCommand(ctx.Doc(), keys);
  if (a.Has(QStringLiteral("-o"))) return ctx.Doc().SaveAs(a.Value(QStringLiteral("-o"))) ? kExitOk : kExitFailed;
  PrintCards(ctx, a.Has(QStringLiteral("--stored")), a.Has(QStringLiteral("--json")), false);
  return kExitOk;
}

// Opens FILE and resolves ITEM for count and totals; *raw: --raw was given.
int OpenWithItem(CCliContext& ctx, const QStringList& args, const QString& usage, int* item, bool* raw = nullptr) {
  const CParsedArgs a = ParseArgs(args, {}, raw ? QStringList{QStringLiteral("--raw")} : QStringList{});
  if (raw) *raw = a.Has(QStringLiteral("--raw"));
  if (a.positional.size() != 2) return ctx.Usage(usage);
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  *item = ResolveItem(ctx.Doc().Store(), a.positional[1]);
  if (*item < 0) return ctx.Fail(QStringLiteral("no item %1").arg(a.positional[1]));
  return kExitOk;
}

int RunCount(CCliContext& ctx, const QStringList& args) {
  int item;
  bool raw = false;
  if (int rc = OpenWithItem(ctx, args, QStringLiteral("usage: velum-cli count FILE ITEM [--raw]"), &item, &raw))
    return rc;
  const auto counts = CountCommand(ctx.Doc(), item);
  if (!counts) return kExitFailed;
  PrintCounts(ctx.Out(), *counts, raw);
  return kExitOk;
}

int RunTotals(CCliContext& ctx, const QStringList& args) {
  int item;
  if (int rc = OpenWithItem(ctx, args, QStringLiteral("usage: velum-cli totals FILE ITEM"), &item)) return rc;
  const auto fields = TotalsCommand(ctx.Doc(), item);
  if (!fields) return kExitFailed;
  PrintTotals(ctx.Out(), *fields);
  return kExitOk;
}

int BatchSort(CBatchContext& b, const QStringList& a) {
  CVelumSortArray keys;
  QString error;
  if (int rc = ParseSortKeys(b.Doc().Store(), a, &keys, &error)) return b.Error(rc, error);
  MultiSortCommand(b.Doc(), keys);
  return kExitOk;
}

// The items of a filter or search, resolved; at least one.
int ItemList(CBatchContext& b, const QStringList& words, std::vector<int>* items) {
  items->clear();
  for (const QString& w : words) {
    int item;
    if (int rc = b.ItemIndex(w, &item)) return rc;
    items->push_back(item);
  }
  return kExitOk;
}

int BatchFilter(CBatchContext& b, const QStringList& a) {
  const QString usage = QStringLiteral("filter METHOD COND WORD ITEM... (METHOD 0-2, COND 0-5)");
  int method, condition;
  if (a.size() < 4 || !ParseNumber(a[0], 0, 2, &method) || !ParseNumber(a[1], 0, kConditionCount - 1, &condition))
    return b.Usage(usage);
  std::vector<int> items;
  if (int rc = ItemList(b, a.mid(3), &items)) return rc;
  FilterCommand(b.Doc(), items, condition, a[2], method);
  return kExitOk;
}

int BatchRelease(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("release"));
  ReleaseFilterCommand(b.Doc());
  return kExitOk;
}

int BatchHide(CBatchContext& b, const QStringList& a) {
  std::vector<int> cards;
  if (int rc = b.CardList(a, &cards)) return rc;
  if (!CanHideCards(b.Doc()))
    return b.Error(kExitFailed, QStringLiteral("hide: only while filtered with at least two visible cards"));
  HideCardsCommand(b.Doc(), cards);
  return kExitOk;
}

int BatchComplement(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("complement"));
  if (!CanComplement(b.Doc())) return b.Error(kExitFailed, QStringLiteral("complement: no card is hidden"));
  ComplementCommand(b.Doc());
  return kExitOk;
}

int BatchDiscard(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("discard"));
  DiscardCommand(b.Doc());
  return kExitOk;
}

// "found: CARD ITEM" for a card found, as the card view then shows it.
int PrintFound(CBatchContext& b, const CFoundCard& found) {
  if (found.card < 0) return kExitOk;
  b.Out() << "found: " << found.card << ' ' << b.Doc().Store().Item(found.item) << '\n';
  b.Out().flush();
  return kExitOk;
}

int BatchFind(CBatchContext& b, const QStringList& args) {
  QStringList a = args;
  // A last word "case" is the check box, when items stand before it.
  const bool distinguishCase = a.size() >= 4 && a.last() == u"case";
  if (distinguishCase) a.removeLast();
  int condition;
  if (a.size() < 3 || !ParseNumber(a[0], 0, kConditionCount - 1, &condition))
    return b.Usage(QStringLiteral("find COND WORD ITEM... [case] (COND 0-5)"));
  std::vector<int> items;
  if (int rc = ItemList(b, a.mid(2), &items)) return rc;
  return PrintFound(b, SearchCommand(b.Doc(), items, condition, a[1], distinguishCase));
}

int BatchNext(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("next"));
  return PrintFound(b, NextSearchCommand(b.Doc()));
}

int BatchPrev(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("prev"));
  return PrintFound(b, PrevSearchCommand(b.Doc()));
}

int BatchCount(CBatchContext& b, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {QStringLiteral("--raw")});
  if (a.positional.size() != 1) return b.Usage(QStringLiteral("count ITEM [--raw]"));
  int item;
  if (int rc = b.ItemIndex(a.positional[0], &item)) return rc;
  const auto counts = CountCommand(b.Doc(), item);
  if (!counts) return kExitFailed;
  PrintCounts(b.Out(), *counts, a.Has(QStringLiteral("--raw")));
  return kExitOk;
}

// totals ITEM [CARD...]: the cards, when two or more are given, stand for the
// list view's selection; otherwise every visible card.
int BatchTotals(CBatchContext& b, const QStringList& a) {
  if (a.isEmpty()) return b.Usage(QStringLiteral("totals ITEM [CARD...]"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  std::vector<int> cards;
  if (a.size() > 1 && b.CardList(a.mid(1), &cards) != kExitOk) return kExitFailed;
  const auto fields = cards.size() > 1 ? TotalsCommand(b.Doc(), item, cards) : TotalsCommand(b.Doc(), item);
  if (!fields) return kExitFailed;
  PrintTotals(b.Out(), *fields);
  return kExitOk;
}

const CCliRegistrar kSort(QStringLiteral("sort"), RunSort,
                          QStringLiteral("sort FILE KEY... [-o OUT]          KEY is ITEM:ORDER (0-5; [マーク] the mark)"));
const CCliRegistrar kCount(QStringLiteral("count"), RunCount,
                           QStringLiteral("count FILE ITEM [--raw]            how many cards hold each text"));
const CCliRegistrar kTotals(QStringLiteral("totals"), RunTotals,
                            QStringLiteral("totals FILE ITEM                   sum, average, extremes, variance"));
const CBatchRegistrar kBatchSort(QStringLiteral("sort"), BatchSort);
const CBatchRegistrar kBatchFilter(QStringLiteral("filter"), BatchFilter);
const CBatchRegistrar kBatchRelease(QStringLiteral("release"), BatchRelease);
const CBatchRegistrar kBatchHide(QStringLiteral("hide"), BatchHide);
const CBatchRegistrar kBatchComplement(QStringLiteral("complement"), BatchComplement);
const CBatchRegistrar kBatchDiscard(QStringLiteral("discard"), BatchDiscard);
const CBatchRegistrar kBatchFind(QStringLiteral("find"), BatchFind);
const CBatchRegistrar kBatchNext(QStringLiteral("next"), BatchNext);
const CBatchRegistrar kBatchPrev(QStringLiteral("prev"), BatchPrev);
const CBatchRegistrar kBatchCount(QStringLiteral("count"), BatchCount);
const CBatchRegistrar kBatchTotals(QStringLiteral("totals"), BatchTotals);

}  // namespace
