#include "cli/cli_context.h"

#include "app/script_words.h"
#include "core/file_kind.h"
#include "core/process_end.h"

#include "datetime/holiday.h"
#include "japanese/wide_digits.h"

#include <QFile>
#include <QFileInfo>

#include "platform/file_io.h"
#include "server/file_lock.h"

#include <QDateTime>

#include <cerrno>
#include <cstdio>

void CCliPrompt::OnShown(const Shown& s) {
  auto print = [&] {
    *m_out << TranscriptLine(s) << '\n';
    m_out->flush();
  };
  if (m_progress)
    m_progress->PrintAround(print);
  else
    print();
}

CCliContext::CCliContext(const QString& settingsPath, std::optional<CodePage> codePage, bool assumeYes)
    : m_out(stdout),
      m_err(stderr),
      m_prompt(m_err),
      m_progress(stderr),
      m_settings(settingsPath),
      m_assumeYes(assumeYes),
      m_services{m_prompt, m_clock, m_clipboard, m_shell, m_settings, codePage, &m_progress} {
  m_out.setEncoding(QStringConverter::Utf8);
  m_err.setEncoding(QStringConverter::Utf8);
  ApplyHolidayRulesSetting(m_settings);
  ApplyWideDigitsSetting(m_settings);
  m_prompt.SetDefaultAnswer(assumeYes);
  m_prompt.SetProgress(&m_progress);
  m_settings.onProblem = [this](const QString& text) {
    m_settingsFailed = true;
    m_out.flush();
    m_err << "velum-cli: " << text << '\n';
    m_err.flush();
  };
  m_doc = std::make_unique<CVelumDoc>(m_services);
  m_doc->recordDefaultFile = false;
}

bool CCliContext::OpenForCommand(const QString& path) {
  if (IsDeckUri(path)) return OpenDeck(path);
  // A FIFO or a device would block or never end: only regular files are card files.
  if (const QFileInfo info(path); info.exists() && !info.isFile()) {
    m_err << "velum-cli: " << path << ": " << (info.isDir() ? SystemReason(EISDIR) : file_msg::kNotRegular) << '\n';
    m_err.flush();
    return false;
  }
  QFile f(path);
  errno = 0;
  if (!f.open(QIODevice::ReadOnly)) {
    m_err << "velum-cli: " << path << ": " << (errno != 0 ? SystemReason(errno) : f.errorString()) << '\n';
    m_err.flush();
    return false;
  }
  f.close();
  if (const QString reason = NotCardFileReason(path); !reason.isEmpty()) {
    m_err << "velum-cli: " << path << ": " << reason << '\n';
    m_err.flush();
    return false;
  }
  m_doc->OnOpenDocument(path);
  // A file the reader refused (too large, too many cards) leaves a new
  // document without a path; the reason was shown as a message.
  return !m_doc->PathName().isEmpty() && !m_doc->ReadIncomplete();
}

bool CCliContext::OpenDeck(const QString& text) {
  CDeckUri uri;
  QString error;
  if (!ParseDeckUri(text, &uri, &error)) {
    Fail(text + QStringLiteral(": ") + error);
    return false;
  }
  auto deck = std::make_unique<CServerDeck>(uri);
  m_doc->OnNewDocument();
  if (!deck->Connect() || !deck->Load(m_doc->Store())) {
    Fail(uri.ToString() + QStringLiteral(": ") + deck->Error());
    m_doc->OnNewDocument();
    return false;
  }
  m_doc->MakeFirstCurrent();
  m_doc->SetModifiedFlag(false);
  m_deck = std::move(deck);
  return true;
}

bool CCliContext::CommitDeck() {
  if (!m_deck) return true;
  CCardStore& store = m_doc->Store();
  const CCommitResult r = m_deck->Commit(store, [&](const CCardConflict& c) {
    // The card as this run numbers it: its place among the visible cards.
    int card = c.allIndex;
    for (int n = 0; n < store.VisibleCount(); ++n)
      if (c.allIndex >= 0 && store.VisibleCard(n) == store.AllCard(c.allIndex)) card = n;
    m_out.flush();
    m_err << "conflict: " << card << ' ' << (c.item >= 0 ? c.itemName : QStringLiteral("[カード]")) << '\n';
    m_err.flush();
    return m_assumeYes ? ConflictChoice::kMine : ConflictChoice::kTheirs;
  });
  if (r.storeChanged) m_doc->UpdateAllViews(nullptr, hint::kWholeDocument);
  if (!r.ok) {
    Fail(m_deck->Uri().ToString() + QStringLiteral(": ") + r.error);
    return false;
  }
  m_doc->SetModifiedFlag(false);
  return true;
}

bool CCliContext::MayWrite(const QString& path) {
  const auto holder = ReadLock(path);
  if (ClassifyLock(holder, QDateTime::currentDateTime()) != LockState::kHeld || m_assumeYes) return true;
  Fail(QStringLiteral("%1: open in a window of %2 on %3 (process %4) since %5; --yes writes anyway")
           .arg(path, holder->user, holder->host)
           .arg(holder->pid)
           .arg(holder->time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"))));
  return false;
}

void CCliContext::AbandonDocument() {
  m_out.flush();
  m_err.flush();
  m_deck.reset();
  LeaveToProcessEnd(std::move(m_doc));
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
