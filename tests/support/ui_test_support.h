#pragma once

#include "ui/widgets/ui_services.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>
#include <memory>

class QDialog;
class QPushButton;

// The environment of a window test: a temporary folder holding the settings,
// the user's runtime, data and configuration folders and the card files, set
// before any application object reads them.
class CUiTestEnv {
 public:
  // Points VELUM_SETTINGS and the XDG folders into the temporary folder.
  void SetUp();
  QString Path(const QString& name) const { return m_dir.filePath(name); }
  // A fresh settings file for one test; `values` are written into it first as
  // "Section/Value" = number.
  QString NewSettings(const QList<QPair<QString, int>>& values = {});
  // A copy of the sample address book (住所録.csv) in a folder of its own.
  QString CopySample();
  // Writes a card file (the bytes as given) and answers its path.
  QString WriteCards(const QString& name, const QByteArray& bytes);

 private:
  QTemporaryDir m_dir;
  int m_serial = 0;
};

// A running window under automation: message boxes go to the transcript and
// are answered from the queue of the scripted prompt.
class CAppUnderTest {
 public:
  CAppUnderTest(const QString& file, const QString& settingsPath, QSize screen);
  ~CAppUnderTest();

  CVelumApp& App() { return *m_app; }
  CMainWindow& Window() { return *m_window; }
  bool started = false;
  // Every line the prompt printed so far.
  QString Transcript();
  int CountInTranscript(const QString& text);

 private:
  QString m_transcript;
  QTextStream m_out{&m_transcript};
  std::unique_ptr<CVelumApp> m_app;
  std::unique_ptr<CMainWindow> m_window;
};

// Runs act on the next modal dialog with this title once it shows. act may
// arrange the act for a dialog it is about to open, before opening it.
void OnDialog(const QString& title, std::function<void(QDialog&)> act);
// The visible button of a dialog with exactly this text ("&" included), or null.
QPushButton* DialogButton(QWidget& dialog, const QString& text);

#include <QApplication>
#include <QTimer>

#include <functional>

// Runs open(), which shows a modal dialog of type D, and act() on that dialog
// once it is up; a dialog act() leaves open is cancelled. False when no such
// dialog came up.
template <class D>
bool WithModalDialog(const std::function<void()>& open, const std::function<void(D&)>& act) {
  bool seen = false;
  // The poll ends with this call, also when open() showed no such dialog.
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!d) return;
    poll.stop();
    seen = true;
    act(*d);
    if (d->isVisible()) d->reject();
  });
  poll.start();
  open();
  return seen;
}
