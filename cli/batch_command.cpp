#include "cli/cli_context.h"
#include "core/velum_doc.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <functional>
#include <map>

namespace {

// Splits a command line into words: blanks separate; a word in double quotes may
// hold blanks, with \" and \\ as escapes. Answers false for an unclosed quote.
bool SplitWords(const QString& line, QStringList* words) {
  words->clear();
  qsizetype i = 0;
  const qsizetype n = line.size();
  while (true) {
    while (i < n && line[i].isSpace()) ++i;
    if (i >= n) return true;
    QString w;
    if (line[i] == u'"') {
      ++i;
      bool closed = false;
      while (i < n) {
        if (line[i] == u'\\' && i + 1 < n && (line[i + 1] == u'"' || line[i + 1] == u'\\')) {
          w += line[i + 1];
          i += 2;
        } else if (line[i] == u'"') {
          ++i;
          closed = true;
          break;
        } else {
          w += line[i++];
        }
      }
      if (!closed) return false;
    } else {
      while (i < n && !line[i].isSpace()) w += line[i++];
    }
    *words << w;
  }
}

class CBatch {
 public:
  explicit CBatch(CCliContext& ctx) : m_ctx(ctx), m_doc(ctx.Doc()) {
    m_doc.recordDefaultFile = true;
    ctx.Prompt().SetStream(ctx.Out());
    m_commands = {
        {QStringLiteral("open"), [this](const QStringList& a) { return Open(a); }},
        {QStringLiteral("new"), [this](const QStringList& a) { return New(a); }},
        {QStringLiteral("save"), [this](const QStringList& a) { return Save(a); }},
        {QStringLiteral("reload"), [this](const QStringList& a) { return Reload(a); }},
        {QStringLiteral("answer"), [this](const QStringList& a) { return Answer(a); }},
        {QStringLiteral("card"), [this](const QStringList& a) { return Card(a); }},
        {QStringLiteral("item"), [this](const QStringList& a) { return Item(a); }},
        {QStringLiteral("state"), [this](const QStringList& a) { return State(a); }},
        {QStringLiteral("set"), [this](const QStringList& a) { return Set(a); }},
        {QStringLiteral("first-line"), [this](const QStringList& a) { return FirstLine(a); }},
        {QStringLiteral("recalc"), [this](const QStringList& a) { return Recalc(a); }},
        {QStringLiteral("show"), [this](const QStringList& a) { return Show(a); }},
    };
  }

  int Run(QTextStream& in) {
    int worst = kExitOk;
    QString line;
    while (in.readLineInto(&line)) {
      QStringList words;
      if (!SplitWords(line, &words)) {
        worst = std::max(worst, Error(kExitUsage, QStringLiteral("unclosed quote: %1").arg(line)));
        continue;
      }
      if (words.isEmpty() || words[0].startsWith(u'#')) continue;
      const QString name = words.takeFirst();
      const auto it = m_commands.find(name);
      if (it == m_commands.end()) {
        worst = std::max(worst, Error(kExitUsage, QStringLiteral("unknown command: %1").arg(name)));
        continue;
      }
      worst = std::max(worst, it->second(words));
    }
    return worst;
  }

 private:
  int Error(int code, const QString& text) {
    m_ctx.Out().flush();
    m_ctx.Err() << "error: " << text << '\n';
    m_ctx.Err().flush();
    return code;
  }
  int Usage(const QString& text) { return Error(kExitUsage, QStringLiteral("usage: ") + text); }

  int Open(const QStringList& a) {
    if (a.size() != 1) return Usage(QStringLiteral("open PATH"));
    m_doc.OnOpenDocument(a[0]);
    m_doc.UpdateAllViews(nullptr, hint::kWholeDocument);
    if (m_doc.PathName().isEmpty() || m_doc.ReadIncomplete()) return kExitFailed;
    return kExitOk;
  }
  int New(const QStringList& a) {
    if (!a.isEmpty()) return Usage(QStringLiteral("new"));
    m_doc.OnNewDocument();
    return kExitOk;
  }
  int Save(const QStringList& a) {
    if (a.size() > 1) return Usage(QStringLiteral("save [PATH]"));
    if (a.isEmpty() && m_doc.PathName().isEmpty()) return Error(kExitFailed, QStringLiteral("a new document needs a path: save PATH"));
    const bool ok = a.isEmpty() ? m_doc.Save() : m_doc.SaveAs(a[0]);
    return ok ? kExitOk : kExitFailed;
  }
  int Reload(const QStringList& a) {
    if (!a.isEmpty()) return Usage(QStringLiteral("reload"));
    return m_doc.Reload() ? kExitOk : kExitFailed;
  }
  int Answer(const QStringList& a) {
    static const QStringList yes{QStringLiteral("ok"), QStringLiteral("yes")};
    static const QStringList no{QStringLiteral("cancel"), QStringLiteral("no")};
    if (a.size() != 1 || !(yes.contains(a[0]) || no.contains(a[0]))) return Usage(QStringLiteral("answer ok|cancel|yes|no"));
    m_ctx.Prompt().QueueAnswer(yes.contains(a[0]));
    return kExitOk;
  }
  int CardNumber(const QString& word, int* card) {
    *card = ParseCardNumber(word);
    if (*card < 0 || *card >= m_doc.VisibleCount())
      return Error(kExitFailed, QStringLiteral("no card %1 (%2 visible)").arg(word).arg(m_doc.VisibleCount()));
    return kExitOk;
  }
  int ItemIndex(const QString& word, int* item) {
    *item = ResolveItem(m_doc.Store(), word);
    if (*item < 0) return Error(kExitFailed, QStringLiteral("no item %1").arg(word));
    return kExitOk;
  }
  int Card(const QStringList& a) {
    if (a.size() != 1) return Usage(QStringLiteral("card CARD"));
    int card;
    if (int rc = CardNumber(a[0], &card)) return rc;
    m_doc.MakeCurrent(card);
    return kExitOk;
  }
  int Item(const QStringList& a) {
    if (a.size() != 1) return Usage(QStringLiteral("item ITEM"));
    int item;
    if (int rc = ItemIndex(a[0], &item)) return rc;
    m_doc.SetCurrentItem(item);
    return kExitOk;
  }
  int State(const QStringList& a) {
    if (!a.isEmpty()) return Usage(QStringLiteral("state"));
    QJsonObject o{{QStringLiteral("path"), m_doc.PathName()},
                  {QStringLiteral("card"), m_doc.CurrentCard()},
                  {QStringLiteral("item"), m_doc.CurrentItem()},
                  {QStringLiteral("visible"), m_doc.VisibleCount()},
                  {QStringLiteral("total"), m_doc.Store().AllCount()},
                  {QStringLiteral("modified"), m_doc.IsModified()}};
    m_ctx.Out() << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) << '\n';
    m_ctx.Out().flush();
    return kExitOk;
  }
  int Set(const QStringList& a) {
    if (a.size() != 3) return Usage(QStringLiteral("set CARD ITEM TEXT"));
    int card, item;
    if (int rc = CardNumber(a[0], &card)) return rc;
    if (int rc = ItemIndex(a[1], &item)) return rc;
    m_doc.Store().SetItemText(card, item, a[2]);
    m_doc.SetModifiedFlag();
    m_doc.UpdateAllViews(nullptr, hint::kRedraw);
    return kExitOk;
  }
  int FirstLine(const QStringList& a) {
    if (a.size() != 1 || (a[0] != u"on" && a[0] != u"off")) return Usage(QStringLiteral("first-line on|off"));
    const CVelumProperty& p = m_doc.Store().FileProperty();
    m_doc.ApplyFileProperties(p.m_msCsv != 0, p.m_backColor, a[0] == u"on");
    return kExitOk;
  }
  int Recalc(const QStringList& a) {
    if (!a.isEmpty()) return Usage(QStringLiteral("recalc"));
    m_doc.Store().RecalcAll();
    m_doc.UpdateAllViews(nullptr, hint::kRedraw);
    return kExitOk;
  }
  int Show(const QStringList& a) {
    const CParsedArgs p = ParseArgs(a, {}, {QStringLiteral("--stored"), QStringLiteral("--json")});
    if (!p.positional.isEmpty()) return Usage(QStringLiteral("show [--stored] [--json]"));
    PrintCards(m_ctx, p.Has(QStringLiteral("--stored")), p.Has(QStringLiteral("--json")), true);
    return kExitOk;
  }

  CCliContext& m_ctx;
  CVelumDoc& m_doc;
  std::map<QString, std::function<int(const QStringList&)>> m_commands;
};

}  // namespace

int RunBatch(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() > 1) return ctx.Usage(QStringLiteral("usage: velum-cli batch [FILE]"));
  CBatch batch(ctx);
  int rc = kExitOk;
  if (a.positional.size() == 1) {
    ctx.Doc().OnOpenDocument(a.positional[0]);
    if (ctx.Doc().PathName().isEmpty() || ctx.Doc().ReadIncomplete()) rc = kExitFailed;
  }
  QFile input;
  if (!input.open(stdin, QIODevice::ReadOnly)) return ctx.Fail(QStringLiteral("cannot read standard input"));
  QTextStream in(&input);
  in.setEncoding(QStringConverter::Utf8);
  return std::max(rc, batch.Run(in));
}
