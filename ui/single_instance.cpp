#include "ui/single_instance.h"

#include "settings/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace {

constexpr int kConnectMs = 1000;
constexpr int kReplyMs = 5000;

// Sends one line to the running copy and waits for its answer: true when it took it.
bool Send(const QString& path, const QByteArray& line) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(kConnectMs)) return false;
  socket.write(line + '\n');
  if (!socket.waitForBytesWritten(kConnectMs)) return false;
  return socket.waitForReadyRead(kReplyMs) && socket.readLine().trimmed() == "ok";
}

}  // namespace

CSingleInstance::CSingleInstance() = default;
CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::SocketPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
    return QString::fromLocal8Bit(runtime) + QStringLiteral("/velum.socket");
  return QDir::tempPath() + QStringLiteral("/velum-%1.socket").arg(getuid());
}

CSingleInstance::Outcome CSingleInstance::Claim(const QString& file, CSettingsStore& settings) {
  const QString path = SocketPath();
  QLockFile lock(path + QStringLiteral(".lock"));
  lock.setStaleLockTime(0);
  if (!lock.tryLock(10000)) return Outcome::kFailed;
  if (file.isEmpty()) {
    if (Send(path, "activate")) return Outcome::kHandedOver;
  } else {
    // The running copy reads the name from the settings, as a hand-over always did.
    const QString before = ReadSetting(settings, settings::kPpcFile);
    WriteSetting(settings, settings::kPpcFile, QFileInfo(file).absoluteFilePath());
    if (Send(path, "700")) return Outcome::kHandedOver;
    WriteSetting(settings, settings::kPpcFile, before);
  }
  return Listen() ? Outcome::kFirst : Outcome::kFailed;
}

bool CSingleInstance::Listen() {
  const QString path = SocketPath();
  // No copy answered while we hold the lock: whatever socket is there is left from a crash.
  QLocalServer::removeServer(path);
  m_server = new QLocalServer(this);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!m_server->listen(path)) return false;
  connect(m_server, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        while (socket->canReadLine()) {
          const QByteArray line = socket->readLine().trimmed();
          socket->write("ok\n");
          socket->flush();
          if (onCommand) onCommand(line == "700" ? 700u : 0u);
        }
      });
    }
  });
  return true;
}
