#pragma once

#include <QObject>
#include <QString>

#include <functional>

class CSettingsStore;
class QLocalServer;

// One running copy per user. The first start listens on a local socket in the
// user's runtime folder; a later start with a file writes it to
// System/PpcFile and sends the command 700, without one it only asks the first
// copy to come to the front, and then ends.
class CSingleInstance final : public QObject {
  Q_OBJECT

 public:
  CSingleInstance();
  ~CSingleInstance() override;

  // The socket's path, private to the user: $XDG_RUNTIME_DIR/velum.socket when
  // the folder is set, else velum-UID.socket in the temporary folder.
  static QString SocketPath();

  enum class Outcome { kFirst, kHandedOver, kFailed };
  // Hands the file over to a running copy, or becomes the running copy. Two
  // starts at the same moment are serialised by a lock file beside the
  // socket; a socket left by a crash is replaced.
  Outcome Claim(const QString& file, CSettingsStore& settings);

  // Called with each command a later start sends (700), or 0 to come to the front.
  std::function<void(unsigned)> onCommand;

 private:
  bool Listen();
  QLocalServer* m_server = nullptr;
};
