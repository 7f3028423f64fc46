#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "keys/key_map.h"
#include "keys/key_names.h"

namespace {

// One line a binding: the key label, a tab, the command number. A key code the
// key-name table lacks is written as "#" and the code.
int RunKeys(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli keys FILE.KEY"));
  const QString path = a.positional[0];
  CKeyMap map;  // records nothing in the settings
  const CKeyFileStatus status = map.Load(path);
  if (!status.Ok()) return ctx.Fail(CannotLoadMessage(status, path));
  for (int i = 0; i < map.Count(); ++i) {
    const CKeycust& k = map.At(i);
    QString label = map.LabelOf(i);
    if (KeyNameOf(k.m_keyCode).isEmpty()) label += u'#' + QString::number(k.m_keyCode);
    ctx.Out() << label << '\t' << k.m_command << '\n';
  }
  ctx.Out().flush();
  if (status.result == CKeyFileStatus::kDamaged) return ctx.Fail(DamageMessage(status, path));
  return kExitOk;
}

const CCliRegistrar kKeys(QStringLiteral("keys"), RunKeys,
                          QStringLiteral("keys FILE.KEY                      the bindings of a key file"));

}  // namespace
