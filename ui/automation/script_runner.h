#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QTextStream>

class CMainWindow;
class CVelumApp;
class QWidget;

// velum --script: runs one line at a time, each after the event loop has
// finished the line before, so that a modal dialog stays open while the
// following lines drive it. Ends the application when the script ends or a
// line fails.
class CScriptRunner final : public QObject {
  Q_OBJECT

 public:
  CScriptRunner(CVelumApp& app, CMainWindow& window, QTextStream& in, QTextStream& out, QTextStream& err);
  // The longest script line, in characters; a longer one fails the script.
  static constexpr qint64 kMaxLine = qint64(1) << 20;
  void Start();
  int ExitCode() const { return m_exitCode; }

  // JSON of a dialog's controls, as the word `dialog` prints it.
  static QJsonObject DialogJson(QWidget* dialog);

 private:
  void Step();
  void Schedule(int ms);
  // 0 done, 1 the line failed, 2 bad usage.
  int Run(const QString& word, const QStringList& args);
  int Fail(int code, const QString& reason);
  void Print(const QJsonObject& json);
  void Print(const QJsonArray& json);
  void Finish(int code);
  int SendKey(const QString& label);
  // The widget a key or a typed text goes to: the focus widget, or the focus
  // widget of a dialog that is open but not active yet.
  QWidget* KeyTarget();
  int TypeText(const QString& text);
  int Focus(const QStringList& args);
  QJsonObject State() const;
  QJsonArray MenuJson() const;
  QJsonObject ListJson(int rows) const;

  CVelumApp& m_app;
  CMainWindow& m_window;
  QTextStream& m_in;
  QTextStream& m_out;
  QTextStream& m_err;
  int m_exitCode = 0;
  int m_delay = 0;
  bool m_done = false;
  int m_lineNumber = 0;
};
