#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class CSettingsStore;
class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace single_msg {
// %1: the running copy's process id.
inline const QString kNotAnswering =
    QStringLiteral("起動中のVELUM（プロセス %1）が応答しません。応答したらファイルを開きます");
// %1: the running copy's process id.
inline const QString kBusy = QStringLiteral(
    "起動中のVELUM（プロセス %1）はほかの接続で手がふさがっていて、ファイルを受け取れませんでした。"
    "しばらくしてからもう一度開いてください");
// %1: "PATH: reason".
inline const QString kNoSingle = QStringLiteral("起動中のVELUMと連携できません：%1");
inline const QString kLockTimeout = QStringLiteral("ロックを取得できません");
}  // namespace single_msg

// One running copy per user. The first start listens on a local socket in the
// user's private folder (PrivateFolder: 0700, owned by the user, never a link)
// and holds a lock file there for its whole life; a later start with a file
// writes it to System/PpcFile and sends the command 700, without one it only
// asks the first copy to come to the front, and then ends. Both ends check that
// the other side of the socket belongs to the same user.
class CSingleInstance final : public QObject {
  Q_OBJECT

 public:
  // idleMs: how long a connection may stay silent (tests lengthen it).
  explicit CSingleInstance(int idleMs = kIdleMs);
  ~CSingleInstance() override;

  // Limits of the listening side: the longest message line, the number of
  // connections served at once, and how long a connection may stay silent.
  static constexpr qint64 kMaxLine = 64;
  static constexpr int kMaxConnections = 8;
  static constexpr int kIdleMs = 3000;

  // The socket's path in the private folder.
  static QString SocketPath();

  enum class Outcome {
    kFirst,         // this start is the running copy now
    kHandedOver,    // a running copy took the file (or came to the front)
    kNotAnswering,  // a running copy is alive but did not answer yet; the message waits in its socket
    kBusy,          // a running copy is alive but turned the message away (or could not be reached)
    kFailed,        // no single running copy: the private folder or the lock could not be had
  };
  // Hands the file over to a running copy, or becomes the running copy. Two
  // starts at the same moment are serialised by a lock file beside the
  // socket; a socket is replaced only when the copy that made it has ended.
  Outcome Claim(const QString& file, CSettingsStore& settings);
  // Why Claim answered kNotAnswering, kBusy or kFailed.
  const QString& Error() const { return m_error; }

  // Starts carrying out what later starts send: run receives 700 or 0 (come
  // to the front). Until then, and while a modal dialog is open, messages
  // wait; each runs from the event loop, never from inside a socket's signal.
  void Serve(std::function<void(unsigned)> run);

 private:
  bool Listen(const QString& path);
  void Accept();
  void Read(QLocalSocket* socket);
  void Drain();

  QLocalServer* m_server = nullptr;
  std::unique_ptr<QLockFile> m_owner;
  std::deque<unsigned> m_queue;
  std::function<void(unsigned)> m_run;
  QTimer m_drain;
  bool m_running = false;
  int m_connections = 0;
  const int m_idleMs;
  QString m_error;
};
