#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "datetime/date_insert_format.h"
#include "datetime/date_serial.h"
#include "datetime/date_text.h"
#include "datetime/dtime.h"
#include "datetime/holiday.h"

#include <QRegularExpression>

namespace {

const QString kUsage = QStringLiteral(
    "usage: velum-cli date normalize TEXT [--form N] | holiday Y/M/D | holidays FROM TO |"
    " dayoff Y/M/D [--sundays] | format PATTERN | insert");

// A calendar date written Y/M/D (any year from 1 to 9999), or any date text
// that NormalizeDateText reads (era years, 年月日, other separators).
bool ParseDay(const QString& word, int* year, int* month, int* day) {
  static const QRegularExpression re(QStringLiteral("^(\\d{1,4})/(\\d{1,2})/(\\d{1,2})$"));
  QRegularExpressionMatch m = re.match(word);
  if (!m.hasMatch()) m = re.match(NormalizeDateText(word, kDateFormSlash));
  if (!m.hasMatch()) return false;
  *year = m.captured(1).toInt();
  *month = m.captured(2).toInt();
  *day = m.captured(3).toInt();
  return *year >= 1 && *month >= 1 && *month <= 12 && *day >= 1 && *day <= DaysInMonth(*year, *month);
}

QString DayText(int year, int month, int day) { return QString::asprintf("%04d/%02d/%02d", year, month, day); }

int RunNormalize(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {QStringLiteral("--form")}, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli date normalize TEXT [--form N]"));
  int form = kDateFormSlash;
  if (a.Has(QStringLiteral("--form"))) {
    bool ok = false;
    form = a.Value(QStringLiteral("--form")).toInt(&ok);
    if (!ok) return ctx.Usage(QStringLiteral("--form takes a number (0: 2010/09/25, 1: 2010年09月25日)"));
  }
  ctx.Out() << NormalizeDateText(a.positional[0], form) << '\n';
  return kExitOk;
}

int RunHoliday(CCliContext& ctx, const QStringList& args, bool dayOff) {
  const CParsedArgs a = ParseArgs(args, {}, dayOff ? QStringList{QStringLiteral("--sundays")} : QStringList{});
  if (a.positional.size() != 1)
    return ctx.Usage(dayOff ? QStringLiteral("usage: velum-cli date dayoff Y/M/D [--sundays]")
                            : QStringLiteral("usage: velum-cli date holiday Y/M/D"));
  int y = 0;
  int m = 0;
  int d = 0;
  if (!ParseDay(a.positional[0], &y, &m, &d)) return ctx.Fail(QStringLiteral("no such date: ") + a.positional[0]);
  const bool result = dayOff ? IsDayOff(y, m, d, a.Has(QStringLiteral("--sundays"))) : IsHoliday(y, m, d);
  ctx.Out() << (result ? "1" : "0") << '\n';
  return kExitOk;
}

int RunHolidays(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() != 2) return ctx.Usage(QStringLiteral("usage: velum-cli date holidays FROM TO"));
  int y = 0;
  int m = 0;
  int d = 0;
  if (!ParseDay(a.positional[0], &y, &m, &d)) return ctx.Fail(QStringLiteral("no such date: ") + a.positional[0]);
  const DateSerial from = DateToSerial(y, m, d);
  if (!ParseDay(a.positional[1], &y, &m, &d)) return ctx.Fail(QStringLiteral("no such date: ") + a.positional[1]);
  const DateSerial to = DateToSerial(y, m, d);
  if (from > to) return ctx.Usage(QStringLiteral("date holidays: FROM is after TO"));
  for (DateSerial s = from; s <= to; ++s) {
    SerialToDate(s, &y, &m, &d);
    if (IsHoliday(y, m, d)) ctx.Out() << DayText(y, m, d) << '\n';
  }
  return kExitOk;
}

int RunFormat(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli date format PATTERN"));
  const std::size_t shownBefore = ctx.Prompt().History().size();
  const QString text = CDTime(ctx.Services().clock).Format(a.positional[0], ctx.Prompt());
  ctx.Out() << text << '\n';
  // The message was printed; the result is still given, but a bad token fails the run.
  return ctx.Prompt().History().size() == shownBefore ? kExitOk : kExitFailed;
}

int RunInsert(CCliContext& ctx, const QStringList& args) {
  if (!args.isEmpty()) return ctx.Usage(QStringLiteral("usage: velum-cli date insert"));
  const CDateOptions options = ReadDateOptions(ctx.Services().settings);
  ctx.Out() << ComposeDateTime(CDTime(ctx.Services().clock), options) << '\n';
  return kExitOk;
}

int RunDate(CCliContext& ctx, const QStringList& args) {
  if (args.isEmpty()) return ctx.Usage(kUsage);
  const QString sub = args[0];
  const QStringList rest = args.mid(1);
  if (sub == u"normalize") return RunNormalize(ctx, rest);
  if (sub == u"holiday") return RunHoliday(ctx, rest, false);
  if (sub == u"dayoff") return RunHoliday(ctx, rest, true);
  if (sub == u"holidays") return RunHolidays(ctx, rest);
  if (sub == u"format") return RunFormat(ctx, rest);
  if (sub == u"insert") return RunInsert(ctx, rest);
  return ctx.Usage(QStringLiteral("unknown date command ") + sub + u'\n' + kUsage);
}

const CCliRegistrar kDate(QStringLiteral("date"), RunDate,
                          QStringLiteral("date normalize TEXT [--form N] | holiday Y/M/D | holidays FROM TO | "
                                         "dayoff Y/M/D [--sundays] | format PATTERN | insert"));

}  // namespace
