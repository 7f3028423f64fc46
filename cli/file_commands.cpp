#include "app/starting_points.h"
#include "cli/cli_context.h"
#include "cli/command_registry.h"
#include "core/save_form.h"
#include "core/velum_doc.h"

#include <QFileInfo>

#include <QJsonArray>
#include <QJsonDocument>

// Every card, every value and every count stays on one output line.
QString EscapeCell(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\\') {
      out += QStringLiteral("\\\\");
    } else if (c == u'\t') {
      out += QStringLiteral("\\t");
    } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      out += QStringLiteral("\\n");
      ++i;
    } else if (c == u'\n') {
      out += QStringLiteral("\\n");
    } else if (c == u'\r') {
      out += QStringLiteral("\\r");
    } else {
      out += c;
    }
  }
  return out;
}

void PrintCards(CCliContext& ctx, bool stored, bool json, bool visibleOnly) {
  CCardStore& store = ctx.Doc().Store();
  const int items = store.ItemCount();
  // In file order: every card of the all-cards list, or only the visible ones
  // (the visible list keeps the file order).
  std::vector<const CCardRow*> rows;
  std::vector<int> visibleIndex;
  int v = 0;
  for (int k = 0; k < store.AllCount(); ++k) {
    const CCardRow* row = store.AllCard(k);
    const bool visible = row->Visible();
    if (visibleOnly && !visible) continue;
    rows.push_back(row);
    visibleIndex.push_back(visible ? v : -1);
    if (visible) ++v;
  }
  auto value = [&](std::size_t r, int item) -> QString {
    if (stored || visibleIndex[r] < 0) return rows[r]->Item(item).toString();
    return store.GetItemValue(visibleIndex[r], item);
  };
  if (json) {
    QJsonArray names;
    for (int i = 0; i < items; ++i) names.append(store.Item(i).toString());
    QJsonArray cards;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      QJsonArray card;
      for (int i = 0; i < items; ++i) card.append(value(r, i));
      cards.append(card);
    }
    // Written by hand so that "items" comes first, as documented.
    ctx.Out() << "{\"items\":" << QString::fromUtf8(QJsonDocument(names).toJson(QJsonDocument::Compact))
              << ",\"cards\":" << QString::fromUtf8(QJsonDocument(cards).toJson(QJsonDocument::Compact)) << "}\n";
  } else {
    QStringList header;
    for (int i = 0; i < items; ++i) header << EscapeCell(store.Item(i));
    ctx.Out() << header.join(u'\t') << '\n';
    for (std::size_t r = 0; r < rows.size(); ++r) {
      QStringList line;
      for (int i = 0; i < items; ++i) line << EscapeCell(value(r, i));
      ctx.Out() << line.join(u'\t') << '\n';
    }
  }
  ctx.Out().flush();
}

namespace {

int RunShow(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {QStringLiteral("--stored"), QStringLiteral("--json")});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli show FILE [--stored] [--json]"));
  const bool complete = ctx.OpenForCommand(a.positional[0]);
  if (!complete && ctx.Doc().PathName().isEmpty()) return kExitFailed;
  PrintCards(ctx, a.Has(QStringLiteral("--stored")), a.Has(QStringLiteral("--json")), false);
  return complete ? kExitOk : kExitFailed;
}

int RunValue(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {QStringLiteral("--raw")});
  if (a.positional.size() != 3) return ctx.Usage(QStringLiteral("usage: velum-cli value FILE CARD ITEM [--raw]"));
  if (!ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  const CCardStore& store = ctx.Doc().Store();
  const int card = ParseCardNumber(a.positional[1]);
  if (card < 0 || card >= store.VisibleCount())
    return ctx.Fail(QStringLiteral("no card %1 (the file has %2)").arg(a.positional[1]).arg(store.VisibleCount()));
  const int item = ResolveItem(store, a.positional[2]);
  if (item < 0) return ctx.Fail(QStringLiteral("no item %1").arg(a.positional[2]));
  const QString value = store.GetItemValue(card, item);
  ctx.Out() << (a.Has(QStringLiteral("--raw")) ? value : EscapeCell(value)) << '\n';
  return kExitOk;
}

// The form options of convert and new: --style own|ms, --to-encoding
// cp932|utf-8 and --line-ends lf|crlf|cr, each changing what form holds. An
// empty answer: the options were right.
QString ParseFormOptions(const CParsedArgs& a, CSaveForm* form) {
  if (a.Has(QStringLiteral("--style"))) {
    const QString style = a.Value(QStringLiteral("--style"));
    if (style != u"own" && style != u"ms") return QStringLiteral("--style takes own or ms");
    form->multiLine = style == u"ms";
  }
  if (a.Has(QStringLiteral("--to-encoding"))) {
    CodePage cp;
    if (!ParseCodePageName(a.Value(QStringLiteral("--to-encoding")), &cp))
      return QStringLiteral("--to-encoding takes cp932 or utf-8");
    // UTF-8 is written with a byte-order mark, so that the file reads back as
    // UTF-8 whatever code page the reader is set to.
    form->encoding = {cp, cp == CodePage::Utf8};
  }
  if (a.Has(QStringLiteral("--line-ends")) && !ParseLineEndName(a.Value(QStringLiteral("--line-ends")), &form->lineEnd))
    return QStringLiteral("--line-ends takes lf, crlf or cr");
  return {};
}

const QStringList kFormOptions = {QStringLiteral("--style"), QStringLiteral("--to-encoding"),
                                  QStringLiteral("--line-ends")};

int RunConvert(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, QStringList{QStringLiteral("-o")} + kFormOptions, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || !a.Has(QStringLiteral("-o")))
    return ctx.Usage(QStringLiteral(
        "usage: velum-cli convert FILE -o OUT [--style own|ms] [--to-encoding cp932|utf-8] [--line-ends lf|crlf|cr]"));
  CSaveForm check;
  if (const QString error = ParseFormOptions(a, &check); !error.isEmpty()) return ctx.Usage(error);
  if (!ctx.MayWrite(a.Value(QStringLiteral("-o"))) || !ctx.OpenForCommand(a.positional[0])) return kExitFailed;
  // What was not asked for stays as the file was read.
  CSaveForm form = SaveFormOf(ctx.Doc().Store());
  ParseFormOptions(a, &form);
  if (!SaveAsInForm(ctx.Doc(), a.Value(QStringLiteral("-o")), form)) return kExitFailed;
  return kExitOk;
}

const QString kNewUsage = QStringLiteral(
    "usage: velum-cli new FILE (--template NAME | --items A,B,C) [--style own|ms] "
    "[--to-encoding cp932|utf-8] [--line-ends lf|crlf|cr]");

// The items of `new`: a starting point's, or the names given. Empty with
// *error set when neither gives a list.
std::vector<CStartingItem> NewItems(const CCliContext& ctx, const CParsedArgs& a, QString* error) {
  if (a.Has(QStringLiteral("--items"))) return ItemsFromNames(a.Value(QStringLiteral("--items")).split(u','), error);
  const QString name = a.Value(QStringLiteral("--template"));
  const int year = ctx.Services().clock.Now().date().year();
  const std::optional<CStartingPoint> point = FindStartingPoint(name, year);
  if (!point || point->items.empty()) {
    QStringList names;
    for (const CStartingPoint& p : StartingPoints(year))
      if (!p.items.empty()) names << p.name;
    *error = QStringLiteral("no template %1 (the templates: %2; an empty list: --items)").arg(name, names.join(u", "));
    return {};
  }
  return point->items;
}

int RunNew(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a =
      ParseArgs(args, QStringList{QStringLiteral("--items"), QStringLiteral("--template")} + kFormOptions, {});
  if (!a.error.isEmpty()) return ctx.Usage(a.error);
  if (a.positional.size() != 1 || a.Has(QStringLiteral("--items")) == a.Has(QStringLiteral("--template")))
    return ctx.Usage(kNewUsage);
  CVelumDoc& doc = ctx.Doc();
  CSaveForm form = SaveFormOf(doc.Store());
  if (const QString error = ParseFormOptions(a, &form); !error.isEmpty()) return ctx.Usage(error);
  QString error;
  const std::vector<CStartingItem> items = NewItems(ctx, a, &error);
  if (items.empty()) return ctx.Usage(error);
  const QString path = a.positional[0];
  // A new file never replaces one that is there.
  if (QFileInfo::exists(path)) return ctx.Fail(QStringLiteral("%1: the file exists").arg(path));
  MakeNewList(doc, items);
  return SaveAsInForm(doc, path, form) ? kExitOk : kExitFailed;
}

const CCliRegistrar kShow(QStringLiteral("show"), RunShow,
                          QStringLiteral("show FILE [--stored] [--json]      every card with the values the views show"));
const CCliRegistrar kValue(QStringLiteral("value"), RunValue,
                           QStringLiteral("value FILE CARD ITEM [--raw]       one item of one card (--raw: line breaks as they are)"));
const CCliRegistrar kConvert(
    QStringLiteral("convert"), RunConvert,
    QStringLiteral("convert FILE -o OUT [--style own|ms] [--to-encoding cp932|utf-8] [--line-ends lf|crlf|cr]"));
const CCliRegistrar kNew(QStringLiteral("new"), RunNew,
                         QStringLiteral("new FILE (--template NAME | --items A,B,C) [--style own|ms] "
                                        "[--to-encoding cp932|utf-8] [--line-ends lf|crlf|cr]   a new card file"));

}  // namespace
