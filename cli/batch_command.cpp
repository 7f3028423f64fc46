#include "app/script_words.h"
#include "cli/batch_context.h"
#include "cli/command_registry.h"
#include "core/card_commands.h"
#include "core/save_question.h"
#include "core/velum_doc.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

CBatchContext::CBatchContext(CCliContext& ctx) : m_ctx(ctx), m_doc(ctx.Doc()) {
  m_doc.recordDefaultFile = true;
  ctx.Prompt().SetStream(ctx.Out());
  // A script answers its questions itself ("answer cancel"); the rest get OK.
  ctx.Prompt().SetDefaultAnswer(true);
}

int CBatchContext::Error(int code, const QString& text) {
  m_ctx.Out().flush();
  m_ctx.Err() << "error: " << text << '\n';
  m_ctx.Err().flush();
  return code;
}

int CBatchContext::Usage(const QString& text) { return Error(kExitUsage, QStringLiteral("usage: ") + text); }

int CBatchContext::CardNumber(const QString& word, int* card) {
  *card = ParseCardNumber(word);
  if (*card < 0 || *card >= m_doc.VisibleCount())
    return Error(kExitFailed, QStringLiteral("no card %1 (%2 visible)").arg(word).arg(m_doc.VisibleCount()));
  return kExitOk;
}

int CBatchContext::ItemIndex(const QString& word, int* item) {
  *item = ResolveItem(m_doc.Store(), word);
  if (*item < 0) return Error(kExitFailed, QStringLiteral("no item %1").arg(word));
  return kExitOk;
}

int CBatchContext::CardList(const QStringList& words, std::vector<int>* cards) {
  cards->clear();
  if (words.isEmpty()) {
    if (m_doc.VisibleCount() == 0) return Error(kExitFailed, QStringLiteral("no visible card"));
    cards->push_back(m_doc.CurrentCard());
    return kExitOk;
  }
  for (const QString& w : words) {
    int card;
    if (int rc = CardNumber(w, &card)) return rc;
    cards->push_back(card);
  }
  return kExitOk;
}

void CBatchContext::PrintJson(const QJsonValue& value) {
  QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
  m_ctx.Out() << QString::fromUtf8(doc.toJson(QJsonDocument::Compact)) << '\n';
  m_ctx.Out().flush();
}

int CBatchContext::Run(QTextStream& in) {
  int worst = kExitOk;
  QString line;
  for (int lineNo = 1; in.readLineInto(&line); ++lineNo) {
    QStringList words;
    if (!SplitWords(line, &words)) {
      worst = std::max(worst, Error(kExitUsage, QStringLiteral("unclosed quote: %1").arg(line)));
      continue;
    }
    if (words.isEmpty() || words[0].startsWith(u'#')) continue;
    const QString name = words.takeFirst();
    const auto it = BatchCommands().find(name);
    if (it == BatchCommands().end()) {
      // A mistyped command would leave the rest of the script running on a
      // document in a state its author did not expect.
      return Error(kExitUsage, QStringLiteral("line %1: unknown command: %2").arg(lineNo).arg(name));
    }
    const int declinedBefore = m_ctx.Prompt().DeclinedCount();
    int rc = it->second(*this, words);
    // A question the script answered with cancel stops only what it asked
    // about: that is what the script wanted, not a failure.
    if (rc == kExitFailed && m_ctx.Prompt().DeclinedCount() > declinedBefore) rc = kExitOk;
    // On a server deck every command's changes are committed as it ends.
    if (m_ctx.Deck() && !m_ctx.CommitDeck()) rc = std::max(rc, kExitFailed);
    worst = std::max(worst, rc);
  }
  return worst;
}

namespace {

// Before the document is replaced: the question whether to save its changes,
// as the window asks it. A document without a path cannot be saved here.
bool SaveChangesFirst(CBatchContext& b) {
  return SaveChangesFirst(b.Doc(), [&b] {
    if (!b.Doc().PathName().isEmpty()) return b.Doc().Save();
    b.Error(kExitFailed, QStringLiteral("a new document needs a path: save PATH"));
    return false;
  });
}

int Open(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1) return b.Usage(QStringLiteral("open PATH"));
  if (!SaveChangesFirst(b)) return kExitFailed;
  if (IsDeckUri(a[0])) return b.Cli().OpenDeck(a[0]) ? kExitOk : kExitFailed;
  b.Cli().DropDeck();
  if (!b.Doc().OnOpenDocument(a[0])) return kExitFailed;
  b.Doc().UpdateAllViews(nullptr, hint::kWholeDocument);
  return b.Doc().PathName().isEmpty() || b.Doc().ReadIncomplete() ? kExitFailed : kExitOk;
}

int New(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("new"));
  if (!SaveChangesFirst(b)) return kExitFailed;
  b.Cli().DropDeck();
  b.Doc().OnNewDocument();
  b.Doc().UpdateAllViews(nullptr, hint::kWholeDocument);
  return kExitOk;
}

int Save(CBatchContext& b, const QStringList& a) {
  if (a.size() > 1) return b.Usage(QStringLiteral("save [PATH]"));
  // A server deck has no save: each command was committed as it ended.
  if (a.isEmpty() && b.Cli().Deck()) return kExitOk;
  if (!a.isEmpty() && !b.Cli().MayWrite(a[0])) return kExitFailed;
  if (a.isEmpty() && !b.Doc().PathName().isEmpty() && !b.Cli().MayWrite(b.Doc().PathName())) return kExitFailed;
  if (a.isEmpty() && b.Doc().PathName().isEmpty())
    return b.Error(kExitFailed, QStringLiteral("a new document needs a path: save PATH"));
  const bool ok = a.isEmpty() ? b.Doc().Save() : b.Doc().SaveAs(a[0]);
  return ok ? kExitOk : kExitFailed;
}

int Reload(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("reload"));
  return b.Doc().Reload() ? kExitOk : kExitFailed;
}

int Answer(CBatchContext& b, const QStringList& a) {
  // cancel and no differ where a question has both (saving over a file
  // another program changed: no saves under another name).
  IPrompt::Choice choice;
  if (a.size() != 1 || !ParseAnswerWord(a[0], &choice)) return b.Usage(QStringLiteral("answer ok|cancel|yes|no"));
  b.Cli().Prompt().QueueChoice(choice);
  return kExitOk;
}

int Card(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1) return b.Usage(QStringLiteral("card CARD"));
  int card;
  if (int rc = b.CardNumber(a[0], &card)) return rc;
  b.Doc().MakeCurrent(card);
  return kExitOk;
}

int Item(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1) return b.Usage(QStringLiteral("item ITEM"));
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  b.Doc().SetCurrentItem(item);
  return kExitOk;
}

int State(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("state"));
  b.PrintJson(DocumentState(b.Doc()));
  return kExitOk;
}

int Set(CBatchContext& b, const QStringList& a) {
  if (a.size() != 3) return b.Usage(QStringLiteral("set CARD ITEM TEXT"));
  int card, item;
  if (int rc = b.CardNumber(a[0], &card)) return rc;
  if (int rc = b.ItemIndex(a[1], &item)) return rc;
  // As typing the text and leaving the field: digit grouping, the comma question.
  CommitItemText(b.Doc(), card, item, a[2]);
  b.Doc().UpdateAllViews(nullptr, hint::kRedraw);
  return kExitOk;
}

int FirstLine(CBatchContext& b, const QStringList& a) {
  if (a.size() != 1 || (a[0] != u"on" && a[0] != u"off")) return b.Usage(QStringLiteral("first-line on|off"));
  const CVelumProperty& p = b.Doc().Store().FileProperty();
  b.Doc().ApplyFileProperties(p.m_msCsv != 0, p.m_backColor, a[0] == u"on");
  return kExitOk;
}

int Recalc(CBatchContext& b, const QStringList& a) {
  if (!a.isEmpty()) return b.Usage(QStringLiteral("recalc"));
  b.Doc().Store().RecalcAll();
  b.Doc().UpdateAllViews(nullptr, hint::kRedraw);
  return kExitOk;
}

int Show(CBatchContext& b, const QStringList& a) {
  const CParsedArgs p = ParseArgs(a, {}, {QStringLiteral("--stored"), QStringLiteral("--json")});
  if (!p.positional.isEmpty()) return b.Usage(QStringLiteral("show [--stored] [--json]"));
  PrintCards(b.Cli(), p.Has(QStringLiteral("--stored")), p.Has(QStringLiteral("--json")), true);
  return kExitOk;
}

const QString kBatchHelp = QStringLiteral(
    "usage: velum-cli batch [FILE]\n"
    "Reads commands from standard input, one a line, and runs them on one document.\n"
    "Words are separated by blanks; a word with blanks is written in double quotes (\\\" and \\\\ escape).\n"
    "Messages are printed as \"message: TEXT\", questions as \"question: TEXT -> ANSWER\".\n"
    "commands:\n"
    "  open PATH | new | save [PATH] | reload\n"
    "  answer ok|cancel|yes|no                    answers the next question (default ok)\n"
    "  card CARD | item ITEM | state\n"
    "  set CARD ITEM TEXT\n"
    "  add | insert | delete [CARD...] | copy [CARD...] | cut [CARD...] | paste | append-paste\n"
    "  unify ITEM TEXT | history ITEM | linebreak ITEM POS\n"
    "  item-add NAME | item-insert ITEM NAME | item-rename ITEM NAME | item-delete ITEM\n"
    "  item-up ITEM | item-down ITEM\n"
    "  first-line on|off | recalc | prop ITEM formula|initial|type|grouping|choices VALUE...\n"
    "  sort KEY... | filter METHOD COND WORD ITEM... | release | hide CARD... | complement | discard\n"
    "  find COND WORD ITEM... [case] | next | prev\n"
    "  count ITEM [--raw] | totals ITEM [CARD...] | show [--stored] [--json]\n"
    "  undo | redo                                takes back / does again the last card or item command\n"
    "  print -o OUT.pdf [--form list|cards] [--labels] [--postcard] [--start N] [--calibrate]\n"
    "                                             a PDF of the visible cards as they stand; N from 1\n"
    "An unknown command stops the script (exit status 2); a failed command is reported and the script goes on.\n");

int RunBatch(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {QStringLiteral("--help")});
  if (a.Has(QStringLiteral("--help"))) {
    ctx.Out() << kBatchHelp;
    ctx.Out().flush();
    return kExitOk;
  }
  if (a.positional.size() > 1) return ctx.Usage(QStringLiteral("usage: velum-cli batch [FILE]"));
  CBatchContext batch(ctx);
  int rc = kExitOk;
  if (a.positional.size() == 1) rc = Open(batch, a.positional);
  QFile input;
  if (!input.open(stdin, QIODevice::ReadOnly)) return ctx.Fail(QStringLiteral("cannot read standard input"));
  QTextStream in(&input);
  in.setEncoding(QStringConverter::Utf8);
  return std::max(rc, batch.Run(in));
}

const CBatchRegistrar kOpen(QStringLiteral("open"), Open);
const CBatchRegistrar kNew(QStringLiteral("new"), New);
const CBatchRegistrar kSave(QStringLiteral("save"), Save);
const CBatchRegistrar kReload(QStringLiteral("reload"), Reload);
const CBatchRegistrar kAnswer(QStringLiteral("answer"), Answer);
const CBatchRegistrar kCard(QStringLiteral("card"), Card);
const CBatchRegistrar kItem(QStringLiteral("item"), Item);
const CBatchRegistrar kState(QStringLiteral("state"), State);
const CBatchRegistrar kSet(QStringLiteral("set"), Set);
const CBatchRegistrar kFirstLine(QStringLiteral("first-line"), FirstLine);
const CBatchRegistrar kRecalc(QStringLiteral("recalc"), Recalc);
const CBatchRegistrar kShow(QStringLiteral("show"), Show);
const CCliRegistrar kBatch(QStringLiteral("batch"), RunBatch, QStringLiteral("batch [FILE]                       commands from standard input, one a line"));

}  // namespace
