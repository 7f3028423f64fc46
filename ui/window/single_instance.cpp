#include "ui/window/single_instance.h"

#include "platform/file_io.h"
#include "settings/settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kConnectMs = 1000;
constexpr int kReplyMs = 5000;
constexpr int kStartLockMs = 10000;
constexpr int kModalPollMs = 200;

// True when the process at the other end of the connection runs as this user.
bool PeerIsUs(const QLocalSocket& socket) {
  ucred cred{};
  socklen_t size = sizeof cred;
  return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 &&
         cred.uid == ::geteuid();
}

// kQueued: the line was sent and the connection stays open without an
// answer: the running copy reads it when it gets to it. kRefused: the line
// never reached it or was turned away.
enum class Reply { kTaken, kQueued, kRefused };

// Sends one line to the running copy and waits for its answer.
Reply Send(const QString& path, const QByteArray& line) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(kConnectMs) || !PeerIsUs(socket)) return Reply::kRefused;
  socket.write(line + '\n');
  if (!socket.waitForBytesWritten(kConnectMs)) return Reply::kRefused;
  if (!socket.waitForReadyRead(kReplyMs) && !socket.canReadLine())
    return socket.state() == QLocalSocket::ConnectedState ? Reply::kQueued : Reply::kRefused;
  return socket.readLine(CSingleInstance::kMaxLine).trimmed() == "ok" ? Reply::kTaken : Reply::kRefused;
}

QString FolderFile(const QString& name) { return PrivateFolderPath() + u'/' + name; }

}  // namespace

CSingleInstance::CSingleInstance(int idleMs) : m_idleMs(idleMs) {
  m_drain.setSingleShot(true);
  connect(&m_drain, &QTimer::timeout, this, &CSingleInstance::Drain);
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::SocketPath() { return FolderFile(QStringLiteral("velum.socket")); }

CSingleInstance::Outcome CSingleInstance::Claim(const QString& file, CSettingsStore& settings) {
  QString error;
  if (PrivateFolder(&error).isEmpty()) {
    m_error = single_msg::kNoSingle.arg(error);
    return Outcome::kFailed;
  }
  const QString path = SocketPath();
  QLockFile lock(FolderFile(QStringLiteral("velum.lock")));
  lock.setStaleLockTime(0);
  if (!lock.tryLock(kStartLockMs)) {
    m_error = single_msg::kNoSingle.arg(lock.fileName() + QStringLiteral(": ") + single_msg::kLockTimeout);
    return Outcome::kFailed;
  }
  QString before;
  Reply reply;
  if (file.isEmpty()) {
    reply = Send(path, "activate");
  } else {
    // The running copy reads the name from the settings, as a hand-over always did.
    before = ReadSetting(settings, settings::kPpcFile);
    WriteSetting(settings, settings::kPpcFile, QFileInfo(file).absoluteFilePath());
    reply = Send(path, "700");
  }
  if (reply == Reply::kTaken) return Outcome::kHandedOver;
  // No answer: the socket is ours only when the copy that holds the owner
  // lock has ended. A copy that is stopped or busy keeps it, and its socket;
  // a message it has not read yet stays queued, so the file name stays too.
  // One it turned away (it serves only so many connections at once) is
  // gone: the user is told to try again, and the name is taken back.
  m_owner = std::make_unique<QLockFile>(FolderFile(QStringLiteral("velum.pid")));
  m_owner->setStaleLockTime(0);
  if (!m_owner->tryLock(0)) {
    qint64 pid = 0;
    m_owner->getLockInfo(&pid, nullptr, nullptr);
    m_owner.reset();
    if (reply == Reply::kQueued) {
      m_error = single_msg::kNotAnswering.arg(pid);
      return Outcome::kNotAnswering;
    }
    if (!file.isEmpty()) WriteSetting(settings, settings::kPpcFile, before);
    m_error = single_msg::kBusy.arg(pid);
    return Outcome::kBusy;
  }
  if (!file.isEmpty()) WriteSetting(settings, settings::kPpcFile, before);
  return Listen(path) ? Outcome::kFirst : Outcome::kFailed;
}

bool CSingleInstance::Listen(const QString& path) {
  // The copy that made any socket there has ended: it is left from a crash.
  QLocalServer::removeServer(path);
  m_server = new QLocalServer(this);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  m_server->setMaxPendingConnections(kMaxConnections);
  if (!m_server->listen(path)) {
    m_error = single_msg::kNoSingle.arg(path + QStringLiteral(": ") + m_server->errorString());
    return false;
  }
  connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::Accept);
  return true;
}

void CSingleInstance::Accept() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    if (!PeerIsUs(*socket)) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    if (m_connections >= kMaxConnections) {
      // Turned away with a word, so that a start waiting for its answer
      // knows at once that its message was not taken.
      socket->write("busy\n");
      socket->disconnectFromServer();
      if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater();
      else
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      continue;
    }
    ++m_connections;
    connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A message is one short line: more without a line end is dropped with
    // the connection, and so is a connection that stays silent.
    socket->setReadBufferSize(kMaxLine);
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] {
      socket->abort();
      socket->deleteLater();
    });
    idle->start(m_idleMs);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    if (socket->bytesAvailable() > 0) Read(socket);
  }
}

void CSingleInstance::Read(QLocalSocket* socket) {
  if (socket->state() != QLocalSocket::ConnectedState) return;
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() >= kMaxLine) {
      socket->abort();
      socket->deleteLater();
    }
    return;
  }
  const QByteArray line = socket->readLine(kMaxLine).trimmed();
  // One message per connection: it is answered at once and carried out
  // later, from the event loop, so a dialog it opens never runs inside this
  // socket's signal.
  if (line == "700" || line == "activate") {
    socket->write("ok\n");
    m_queue.push_back(line == "700" ? 700u : 0u);
    m_drain.start(0);
  }
  socket->disconnectFromServer();
}

void CSingleInstance::Serve(std::function<void(unsigned)> run) {
  m_run = std::move(run);
  m_drain.start(0);
}

void CSingleInstance::Drain() {
  if (m_running || !m_run || m_queue.empty()) return;
  // A file opened under an open dialog would leave the dialog working on the
  // document that was replaced: wait until it is closed.
  if (QApplication::activeModalWidget()) {
    m_drain.start(kModalPollMs);
    return;
  }
  const unsigned id = m_queue.front();
  m_queue.pop_front();
  m_running = true;
  m_run(id);
  m_running = false;
  if (!m_queue.empty()) m_drain.start(0);
}
