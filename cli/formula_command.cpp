#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "formula/function_catalog.h"
#include "formula/item_formula.h"

namespace {

// Every command of velum-cli (show, value, batch, recalc, ...) reads and
// stores computed values as the views do: the item formulas are the value
// source of every store, from before main runs.
const bool kItemFormulasInstalled = (InstallItemFormulas(), true);

int RunRecalc(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("-o")}, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli recalc FILE [-o OUT]"));
  const QString target = a.Has(QStringLiteral("-o")) ? a.Value(QStringLiteral("-o")) : a.positional[0];
  if (!IsDeckUri(target) && !ctx.MayWrite(target)) return kExitFailed;
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  if (ctx.Deck() && !a.Has(QStringLiteral("-o"))) {
    ctx.Doc().Store().RecalcAll();
    return ctx.CommitDeck() ? kExitOk : kExitFailed;
  }
  // Saving stores every computed value first, as the save command does.
  const bool saved = a.Has(QStringLiteral("-o")) ? ctx.Doc().SaveAs(a.Value(QStringLiteral("-o"))) : ctx.Doc().Save();
  return saved ? kExitOk : kExitFailed;
}

int RunFormula(CCliContext& ctx, const QStringList& args) {
  CompleteFunctionCatalog();
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("--file"), QStringLiteral("--card")}, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  const bool file = a.Has(QStringLiteral("--file"));
  if (a.positional.size() != 1 || (a.Has(QStringLiteral("--card")) && !file))
    return ctx.Usage(QStringLiteral("usage: velum-cli formula [--file FILE --card CARD] TEXT"));
  if (file) {
    if (!ctx.OpenForCommand(a.Value(QStringLiteral("--file")))) return kExitFailed;
  } else {
    ctx.Doc().OnNewDocument();
  }
  const CCardStore& store = ctx.Doc().Store();
  const QString cardWord = a.Has(QStringLiteral("--card")) ? a.Value(QStringLiteral("--card")) : QStringLiteral("0");
  const int card = ParseCardNumber(cardWord);
  if (card < 0 || card >= store.VisibleCount())
    return ctx.Fail(QStringLiteral("no card %1 (the file has %2)").arg(cardWord).arg(store.VisibleCount()));
  ctx.Out() << EvaluateFormulaText(store, card, false, a.positional[0], true) << '\n';
  return kExitOk;
}

const CCliRegistrar kRecalc(QStringLiteral("recalc"), RunRecalc,
                            QStringLiteral("recalc FILE [-o OUT]                store every computed value and save"));
const CCliRegistrar kFormula(
    QStringLiteral("formula"), RunFormula,
    QStringLiteral("formula [--file FILE --card CARD] TEXT  the value of an item with that formula on the card"));

}  // namespace
