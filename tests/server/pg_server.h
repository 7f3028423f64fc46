#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL server of the tests' own: initdb into a temporary folder (as
// the user postgres when the tests run as root, as CI does), listening on a
// socket in that folder only, no TCP port; stopped and removed at the end.
class CTestPgServer {
 public:
  CTestPgServer() = default;
  ~CTestPgServer();
  CTestPgServer(const CTestPgServer&) = delete;
  CTestPgServer& operator=(const CTestPgServer&) = delete;

  // Makes the cluster (the first time) and starts the server; false with
  // Error() (the tool's own output) when it cannot.
  bool Start();
  // A fast shutdown: every connection is cut.
  bool Stop();
  bool Running() const { return m_running; }
  const QString& Error() const { return m_error; }

  // The URI of a deck on this server, in the database postgres.
  QString Uri(const QString& deck) const;
  QString SocketFolder() const { return m_dir ? m_dir->path() : QString(); }
  QString User() const { return m_user; }

 private:
  bool Run(const QString& tool, const QStringList& args);

  std::unique_ptr<QTemporaryDir> m_dir;
  QString m_bin;
  QString m_user;
  bool m_asPostgres = false;
  bool m_running = false;
  QString m_error;
};

// The one server of a test binary, started on first use (with a
// QCoreApplication made when there is none); when it cannot start, the
// reason is printed and the tests fail on their first connection.
CTestPgServer& TestPgServer();
