#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "core/velum_doc.h"
#include "server/deck_uri.h"
#include "server/server_deck.h"

// push and pull: a card file with its property file onto a server as a deck,
// and back.

namespace {

int RunPush(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {QStringLiteral("--replace")});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 2 || IsDeckUri(a.positional[0]) || !IsDeckUri(a.positional[1]))
    return ctx.Usage(QStringLiteral("usage: velum-cli push FILE URI [--replace]"));
  CDeckUri uri;
  QString error;
  if (!ParseDeckUri(a.positional[1], &uri, &error)) return ctx.Usage(a.positional[1] + QStringLiteral(": ") + error);
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  CServerDeck deck(uri);
  if (!deck.Connect() || !deck.Push(ctx.Doc().Store(), a.Has(QStringLiteral("--replace"))))
    return ctx.Fail(uri.ToString() + QStringLiteral(": ") + deck.Error());
  return kExitOk;
}

int RunPull(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("-o")}, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || !IsDeckUri(a.positional[0]) || !a.Has(QStringLiteral("-o")))
    return ctx.Usage(QStringLiteral("usage: velum-cli pull URI -o FILE"));
  const QString out = a.Value(QStringLiteral("-o"));
  if (!ctx.MayWrite(out) || !ctx.OpenDeck(a.positional[0])) return kExitFailed;
  return ctx.Doc().SaveAs(out) ? kExitOk : kExitFailed;
}

const CCliRegistrar kPush(QStringLiteral("push"), RunPush,
                          QStringLiteral("push FILE URI [--replace]          a card file onto a server as a deck "
                                         "(URI: postgresql://[USER@][HOST][:PORT]/DATABASE?deck=NAME)"));
const CCliRegistrar kPull(QStringLiteral("pull"), RunPull,
                          QStringLiteral("pull URI -o FILE                   a server's deck as a card file"));

}  // namespace
