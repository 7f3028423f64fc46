#include "cli/cli_context.h"

#include "datetime/holiday.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

void CCliPrompt::OnShown(const Shown& s) {
  switch (s.kind) {
    case Kind::Notice:
      *m_out << "message: " << s.text << '\n';
      break;
    case Kind::Question:
      *m_out << "question: " << s.text << " -> " << (s.answer ? "ok" : "cancel") << '\n';
      break;
    case Kind::YesNo:
      *m_out << "question: " << s.text << " -> " << (s.answer ? "yes" : "no") << '\n';
      break;
    case Kind::YesNoCancel:
      *m_out << "question: " << s.text << " -> "
             << (s.choice == Choice::Yes ? "yes" : s.choice == Choice::No ? "no" : "cancel") << '\n';
      break;
  }
  m_out->flush();
}

CCliContext::CCliContext(const QString& settingsPath, std::optional<CodePage> codePage)
    : m_out(stdout),
      m_err(stderr),
      m_prompt(m_err),
      m_settings(settingsPath),
      m_services{m_prompt, m_clock, m_clipboard, m_shell, m_settings, codePage} {
  m_out.setEncoding(QStringConverter::Utf8);
  m_err.setEncoding(QStringConverter::Utf8);
  ApplyHolidayRulesSetting(m_settings);
  m_doc = std::make_unique<CVelumDoc>(m_services);
  m_doc->recordDefaultFile = false;
}

bool CCliContext::OpenForCommand(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    m_err << "velum-cli: " << path << ": ファイルが開けません\n";
    m_err.flush();
    return false;
  }
  f.close();
  m_doc->OnOpenDocument(path);
  return !m_doc->ReadIncomplete();
}

int CCliContext::Usage(const QString& text) {
  m_err << "velum-cli: " << text << '\n';
  m_err.flush();
  return kExitUsage;
}

int CCliContext::Fail(const QString& text) {
  m_err << "velum-cli: " << text << '\n';
  m_err.flush();
  return kExitFailed;
}

CParsedArgs ParseArgs(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions) {
  CParsedArgs r;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (!optionsEnded && a == u"--") {
      optionsEnded = true;
    } else if (!optionsEnded && valueOptions.contains(a)) {
      if (i + 1 >= args.size()) {
        r.error = QStringLiteral("option %1 needs a value").arg(a);
        return r;
      }
      r.options.insert(a, args[++i]);
    } else if (!optionsEnded && flagOptions.contains(a)) {
      r.options.insert(a, QString());
    } else {
      r.positional << a;
    }
  }
  return r;
}

int ResolveItem(const CCardStore& store, const QString& word) {
  if (word.startsWith(u'#')) {
    bool ok = false;
    const int n = word.mid(1).toInt(&ok);
    return ok && n >= 0 && n < store.ItemCount() ? n : -1;
  }
  for (int i = 0; i < store.ItemCount(); ++i)
    if (store.Item(i) == word) return i;
  return -1;
}

int ParseCardNumber(const QString& word) {
  bool ok = false;
  const int n = word.toInt(&ok);
  return ok && n >= 0 ? n : -1;
}
