#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "formula/expression_evaluator.h"
#include "formula/function_catalog.h"
#include "formula/number_text.h"

namespace {

// Prints "1 VALUE" (VALUE written as formula results are, FormatDouble) on
// success, else the result code alone.
// Either way the evaluation itself ran, so the exit status is 0.
int RunEval(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli eval EXPR"));
  // The start-up step of the application: the item-level rows of the catalog.
  CompleteFunctionCatalog();
  const CEvalResult r = Evaluate(a.positional[0], ctx.Services().clock);
  if (r.Ok())
    ctx.Out() << r.code << ' ' << FormatDouble(r.value, 10) << '\n';
  else
    ctx.Out() << r.code << '\n';
  return kExitOk;
}

const CCliRegistrar kEval(QStringLiteral("eval"), RunEval,
                          QStringLiteral("eval EXPR                          the expression evaluator: 1 VALUE or the result code"));

}  // namespace
