#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "core/card_store.h"
#include "japanese/postal_commands.h"
#include "japanese/japanese_settings.h"

namespace {

const QString kUsage = QStringLiteral(
    "usage: velum-cli postal CODE | postal --address TEXT | postal --check FILE [--code ITEM] [--address ITEM]");

// The list of the program, or a failure on stderr.
const CPostalCodes* Codes(CCliContext& ctx) {
  QString error;
  const CPostalCodes& codes = SharedPostalCodes(ctx.Services().settings, &error);
  if (codes.IsEmpty()) {
    ctx.Fail(error.isEmpty() ? QStringLiteral("no postal codes") : error);
    return nullptr;
  }
  return &codes;
}

// The item of an option, else the first of the items the setting names.
int CheckItem(CCliContext& ctx, const CParsedArgs& p, const QString& option, const StringSetting& setting) {
  const CCardStore& store = ctx.Doc().Store();
  if (p.Has(option)) return ResolveItem(store, p.Value(option));
  return FindNamedItem(store, ReadSetting(ctx.Services().settings, setting));
}

int Check(CCliContext& ctx, const CParsedArgs& p) {
  const CPostalCodes* codes = Codes(ctx);
  if (!codes) return kExitFailed;
  if (!ctx.OpenForCommand(p.Value(QStringLiteral("--check")))) return kExitFailed;
  const int codeItem = CheckItem(ctx, p, QStringLiteral("--code"), settings::kPostalCodeItems);
  const int addressItem = CheckItem(ctx, p, QStringLiteral("--address"), settings::kAddressItems);
  if (codeItem < 0 || addressItem < 0) return ctx.Fail(postal_msg::kNoItems);
  for (const CPostalMismatch& m : CheckPostalCodes(ctx.Doc().Store(), *codes, codeItem, addressItem))
    ctx.Out() << m.card << u'\t' << EscapeCell(m.code) << u'\t' << EscapeCell(m.address) << u'\t'
              << EscapeCell(m.expected) << u'\n';
  return kExitOk;
}

int RunPostal(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs p =
      ParseArgs(args, {QStringLiteral("--address"), QStringLiteral("--check"), QStringLiteral("--code")}, {});
  if (!p.error.isEmpty()) return ctx.Usage(p.error + u'\n' + kUsage);
  if (p.Has(QStringLiteral("--check"))) {
    if (!p.positional.isEmpty()) return ctx.Usage(kUsage);
    return Check(ctx, p);
  }
  if (p.Has(QStringLiteral("--address"))) {
    if (!p.positional.isEmpty() || p.Has(QStringLiteral("--code"))) return ctx.Usage(kUsage);
    const CPostalCodes* codes = Codes(ctx);
    if (!codes) return kExitFailed;
    const std::vector<CPostalMatch> matches = codes->CodesForAddress(p.Value(QStringLiteral("--address")));
    for (const CPostalMatch& m : matches) ctx.Out() << m.code << u'\t' << m.address << u'\n';
    return matches.empty() ? kExitFailed : kExitOk;
  }
  if (p.positional.size() != 1 || p.Has(QStringLiteral("--code"))) return ctx.Usage(kUsage);
  if (NormalizePostalCode(p.positional[0]).isEmpty())
    return ctx.Fail(QStringLiteral("not a postal code of seven digits: %1").arg(p.positional[0]));
  const CPostalCodes* codes = Codes(ctx);
  if (!codes) return kExitFailed;
  const std::vector<CPostalAddress> addresses = codes->Lookup(p.positional[0]);
  for (const CPostalAddress& a : addresses)
    ctx.Out() << (a.office.isEmpty() ? a.address : a.office + QStringLiteral(" @ ") + a.address) << u'\n';
  return addresses.empty() ? kExitFailed : kExitOk;
}

const CCliRegistrar kPostal(
    QStringLiteral("postal"), RunPostal,
    QStringLiteral("postal CODE | --address TEXT | --check FILE [--code ITEM] [--address ITEM]   postal codes"));

}  // namespace
