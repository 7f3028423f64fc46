#include "server/deck_connection.h"

#include <QSqlError>

#include <atomic>

namespace {

std::atomic<int> s_connections{0};

// Any number that no other program is likely to take as its advisory lock:
// it serializes the first use of a database by several clients at once.
constexpr qint64 kSchemaLock = 0x76656C756DLL;

}  // namespace

// One row per deck, one per card. Cards are never removed while a window may
// still know them: a deletion marks the row, so that a window holding an edit
// of that card learns what became of it.
const char* const kSchemaStatements[] = {
    "CREATE SCHEMA IF NOT EXISTS velum",
    "CREATE TABLE IF NOT EXISTS velum.decks ("
    " id bigserial PRIMARY KEY,"
    " name text NOT NULL UNIQUE,"
    " items jsonb NOT NULL,"
    " properties bytea NOT NULL,"
    " version bigint NOT NULL DEFAULT 1)",
    "CREATE SEQUENCE IF NOT EXISTS velum.card_ids",
    "CREATE TABLE IF NOT EXISTS velum.cards ("
    " deck bigint NOT NULL REFERENCES velum.decks (id) ON DELETE CASCADE,"
    " id bigint NOT NULL DEFAULT nextval('velum.card_ids'),"
    " position double precision NOT NULL,"
    " version bigint NOT NULL DEFAULT 1,"
    " items jsonb NOT NULL,"
    " deleted boolean NOT NULL DEFAULT false,"
    " PRIMARY KEY (deck, id))",
    "CREATE INDEX IF NOT EXISTS cards_order ON velum.cards (deck, position)",
    nullptr,
};

CDeckConnection::CDeckConnection()
    : m_name(QStringLiteral("velum-deck-%1").arg(s_connections.fetch_add(1))) {}

CDeckConnection::~CDeckConnection() {
  Close();
  m_db = QSqlDatabase();
  QSqlDatabase::removeDatabase(m_name);
}

bool CDeckConnection::Fail(const QString& what) {
  const QSqlError e = m_db.lastError();
  m_error = what.isEmpty() ? e.text() : what + QStringLiteral(": ") + e.text();
  if (m_error.trimmed().isEmpty()) m_error = QStringLiteral("the server did not answer");
  return false;
}

bool CDeckConnection::Open(const CDeckUri& uri) {
  m_uri = uri;
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
    m_error = QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)");
    return false;
  }
  QString optionError;
  const QString options = uri.ConnectOptions(&optionError);
  if (!optionError.isEmpty()) {
    m_error = optionError;
    return false;
  }
  if (!m_db.isValid()) m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
  m_db.setHostName(uri.host);
  if (uri.port > 0) m_db.setPort(uri.port);
  m_db.setDatabaseName(uri.database);
  m_db.setUserName(uri.user);
  m_db.setPassword(uri.password);
  m_db.setConnectOptions(options);
  if (!m_db.open()) return Fail({});
  return EnsureSchema();
}

bool CDeckConnection::Reopen() {
  m_db.close();
  if (!m_db.open()) return Fail({});
  return true;
}

void CDeckConnection::Close() {
  if (m_db.isValid()) m_db.close();
}

bool CDeckConnection::IsOpen() const { return m_db.isValid() && m_db.isOpen(); }

bool CDeckConnection::Alive() {
  if (!IsOpen()) return false;
  QSqlQuery q(m_db);
  return q.exec(QStringLiteral("SELECT 1")) && q.next();
}

bool CDeckConnection::Exec(QSqlQuery& q, const QString& sql, std::initializer_list<QVariant> values) {
  if (values.size() == 0) {
    if (q.exec(sql)) return true;
  } else {
    if (!q.prepare(sql)) {
      m_error = q.lastError().text();
      return false;
    }
    for (const QVariant& v : values) q.addBindValue(v);
    if (q.exec()) return true;
  }
  m_error = q.lastError().text();
  if (m_error.trimmed().isEmpty()) m_error = QStringLiteral("the server did not answer");
  return false;
}

bool CDeckConnection::Begin() { return m_db.transaction() || Fail(QStringLiteral("BEGIN")); }
bool CDeckConnection::Commit() { return m_db.commit() || Fail(QStringLiteral("COMMIT")); }
void CDeckConnection::Rollback() {
  if (IsOpen()) m_db.rollback();
}

bool CDeckConnection::EnsureSchema() {
  QSqlQuery q(m_db);
  // A user who may only read and write the tables needs no right to create them.
  if (Exec(q, QStringLiteral("SELECT to_regclass('velum.cards') IS NOT NULL")) && q.next() && q.value(0).toBool())
    return true;
  if (!Begin()) return false;
  if (!Exec(q, QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {kSchemaLock})) {
    Rollback();
    return false;
  }
  for (const char* const* s = kSchemaStatements; *s; ++s) {
    if (!Exec(q, QString::fromLatin1(*s))) {
      const QString error = m_error;
      Rollback();
      m_error = QStringLiteral("creating the schema velum: ") + error;
      return false;
    }
  }
  return Commit();
}
