#include "ui/window/velum_application.h"

#include "core/card_store.h"
#include "core/process_end.h"
#include "datetime/holiday.h"
#include "exchange/row_paste.h"
#include "formula/function_catalog.h"
#include "formula/item_formula.h"
#include "japanese/wide_digits.h"
#include "settings/settings.h"
#include "ui/widgets/ui_messages.h"
#include "ui/widgets/ui_services.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QScreen>
#include <QTimer>

#include <new>

namespace {

// Qt's own texts (the standard file and colour dialogs, an edit's context
// menu, a message box's buttons) in Japanese like the rest of the window,
// whatever the locale. Without the translation installed they stay English.
void InstallQtTranslation() {
  static QTranslator* installed = nullptr;
  if (installed || !QCoreApplication::instance()) return;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    installed = translator;
  else
    delete translator;
}

}  // namespace

CVelumApp::CVelumApp(const Options& options)
    : m_options(options),
      m_scripted(options.script != nullptr),
      m_settings(options.settingsPath.isEmpty() ? CSettingsStore::DefaultPath() : options.settingsPath),
      m_keyMap(&m_settings) {
  InstallQtTranslation();
  if (m_scripted) {
    auto prompt = std::make_unique<CTranscriptPrompt>(*options.script);
    m_scriptPrompt = prompt.get();
    m_promptOwner = std::move(prompt);
    m_shell = std::make_unique<CTranscriptShell>(*options.script);
  } else {
    m_promptOwner = std::make_unique<CMessageBoxPrompt>();
    m_shell = std::make_unique<CDesktopShell>();
  }
  m_prompt = m_promptOwner.get();
  m_clipboard = std::make_unique<CQtClipboard>();
  if (!m_scripted) m_progress = std::make_unique<CProgressDialogProgress>();
  m_services = std::make_unique<CServices>(
      CServices{*m_prompt, m_clock, *m_clipboard, *m_shell, m_settings, {}, m_progress.get()});
  // A settings file that cannot be written (or read) is said once, not lost silently.
  m_settings.onProblem = [this](const QString& text) { m_prompt->Notice(text); };
  m_doc = std::make_unique<CVelumDoc>(*m_services);
  const QSize screen = Screen();
  m_recent = std::make_unique<CRecentFileList>(int(settings::ReadMru(m_settings, screen.width(), screen.height())));
  m_doc->onRecentFile = [this](const QString& path) { m_recent->Add(path); };
}

namespace {
// Decks from this many cards on are left to the end of the process.
constexpr int kLeftAtExit = 50000;
}  // namespace

CVelumApp::~CVelumApp() {
  // The window is gone by now. A large deck is not freed card by card: the
  // end of the process gives its memory back at once.
  if (m_doc && m_doc->Store().AllCount() >= kLeftAtExit) LeaveToProcessEnd(std::move(m_doc));
}

QSize CVelumApp::Screen() const {
  if (m_options.screen.isValid()) return m_options.screen;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry().size() : QSize(800, 800);
}

bool CVelumApp::Start() {
  m_recent->Load(m_settings);
  m_association = m_scripted ? CAssociationResult{} : RegisterFileTypes(QApplication::applicationFilePath(), false);
  m_keyMap.Start(QApplication::applicationDirPath());
  m_cache.Read(m_settings);
  ApplyHolidayRulesSetting(m_settings);
  ApplyWideDigitsSetting(m_settings);
  CompleteFunctionCatalog();
  InstallItemFormulas();
  InstallRowPaste();

  return true;
}

void CVelumApp::SetDialogParent(QWidget* parent) {
  if (auto* boxes = dynamic_cast<CMessageBoxPrompt*>(m_prompt)) boxes->SetParent(parent);
  if (auto* bar = dynamic_cast<CProgressDialogProgress*>(m_progress.get())) bar->SetParent(parent);
}

bool CVelumQApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    // The message box needs memory too: a failure while saying so is not said again.
    if (!m_reporting && onOutOfMemory) {
      m_reporting = true;
      try {
        onOutOfMemory();
      } catch (const std::bad_alloc&) {
      }
      m_reporting = false;
    }
    return false;
  }
}
