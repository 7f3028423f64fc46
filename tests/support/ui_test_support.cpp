#include "support/ui_test_support.h"

#include "settings/settings_store.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

void CUiTestEnv::SetUp() {
  QVERIFY(m_dir.isValid());
  for (const char* sub : {"run", "data", "config"}) QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
  QFile::setPermissions(Path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("VELUM_SETTINGS", Path(QStringLiteral("settings.reg")).toLocal8Bit());
  qputenv("XDG_RUNTIME_DIR", Path(QStringLiteral("run")).toLocal8Bit());
  qputenv("XDG_DATA_HOME", Path(QStringLiteral("data")).toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("config")).toLocal8Bit());
}

QString CUiTestEnv::NewSettings(const QList<QPair<QString, int>>& values) {
  const QString path = Path(QStringLiteral("settings-%1.reg").arg(++m_serial));
  CSettingsStore store(path);
  for (const auto& [name, number] : values)
    store.WriteProfileInt(name.section(u'/', 0, 0), name.section(u'/', 1), std::uint32_t(number));
  return path;
}

QString CUiTestEnv::CopySample() {
  const QString folder = Path(QStringLiteral("sample-%1").arg(++m_serial));
  QDir().mkpath(folder);
  const QString path = folder + QStringLiteral("/住所録.csv");
  QFile::copy(QStringLiteral(VELUM_SOURCE_DIR "/examples/住所録.csv"), path);
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  return path;
}

QString CUiTestEnv::WriteCards(const QString& name, const QByteArray& bytes) {
  const QString path = Path(name);
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
  return path;
}

CAppUnderTest::CAppUnderTest(const QString& file, const QString& settingsPath, QSize screen) {
  CVelumApp::Options options;
  options.file = file;
  options.settingsPath = settingsPath;
  options.screen = screen;
  options.script = &m_out;
  m_app = std::make_unique<CVelumApp>(options);
  started = m_app->Start();
  if (started) {
    m_window = std::make_unique<CMainWindow>(*m_app);
    m_window->Start();
    m_window->activateWindow();
    started = QTest::qWaitForWindowActive(m_window.get());
  }
}

CAppUnderTest::~CAppUnderTest() {
  // Nothing is saved or asked on the way out of a test.
  if (m_app && started) {
    m_app->Doc().SetModifiedFlag(false);
    m_window->hide();
  }
}

QString CAppUnderTest::Transcript() {
  m_out.flush();
  return m_transcript;
}

int CAppUnderTest::CountInTranscript(const QString& text) { return int(Transcript().count(text)); }

void OnDialog(const QString& title, std::function<void(QDialog&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, title, act = std::move(act)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->windowTitle() != title || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(*dialog);
  });
  timer->start();
}

QPushButton* DialogButton(QWidget& dialog, const QString& text) {
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == text && b->isVisible()) return b;
  return nullptr;
}
