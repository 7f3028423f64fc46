#include "app/script_words.h"

#include "core/velum_doc.h"

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

QString TranscriptLine(const CScriptedPrompt::Shown& s) {
  using Kind = CScriptedPrompt::Kind;
  using Choice = IPrompt::Choice;
  switch (s.kind) {
    case Kind::Notice:
      return QStringLiteral("message: ") + s.text;
    case Kind::Question:
      if (!s.check.isEmpty())
        return QStringLiteral("question: %1 [%2] %3 -> %4")
            .arg(s.text, s.checked ? u"x" : u" ", s.check, s.answer ? u"ok" : u"cancel");
      return QStringLiteral("question: %1 -> %2").arg(s.text, s.answer ? u"ok" : u"cancel");
    case Kind::YesNo:
      return QStringLiteral("question: %1 -> %2").arg(s.text, s.answer ? u"yes" : u"no");
    case Kind::YesNoCancel:
      return QStringLiteral("question: %1 -> %2")
          .arg(s.text, s.choice == Choice::Yes ? u"yes" : s.choice == Choice::No ? u"no" : u"cancel");
  }
  return {};
}

bool ParseAnswerWord(const QString& word, IPrompt::Choice* choice) {
  if (word == u"ok" || word == u"yes")
    *choice = IPrompt::Choice::Yes;
  else if (word == u"no")
    *choice = IPrompt::Choice::No;
  else if (word == u"cancel")
    *choice = IPrompt::Choice::Cancel;
  else
    return false;
  return true;
}

QJsonObject DocumentState(const CVelumDoc& doc) {
  return QJsonObject{{QStringLiteral("path"), doc.PathName()},
                     {QStringLiteral("card"), doc.CurrentCard()},
                     {QStringLiteral("item"), doc.CurrentItem()},
                     {QStringLiteral("visible"), doc.VisibleCount()},
                     {QStringLiteral("total"), doc.Store().AllCount()},
                     {QStringLiteral("modified"), doc.IsModified()}};
}
