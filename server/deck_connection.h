#pragma once

#include "server/deck_uri.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>

// One connection to the server of a deck, through Qt SQL's PostgreSQL
// driver. Every statement goes with bound values; no identifier or literal is
// ever built from a user's text. Not copyable: the connection is named after
// the object and removed with it.
class CDeckConnection {
 public:
  CDeckConnection();
  ~CDeckConnection();
  CDeckConnection(const CDeckConnection&) = delete;
  CDeckConnection& operator=(const CDeckConnection&) = delete;

  // Connects and makes Velum's schema when it is missing; false with
  // Error() (the server's or libpq's own words).
  bool Open(const CDeckUri& uri);
  // Connects again after a loss (the server restarted, the network came back).
  bool Reopen();
  void Close();
  bool IsOpen() const;
  // Whether the server still answers (a trivial statement goes through).
  bool Alive();

  QSqlDatabase& Db() { return m_db; }
  const QString& Error() const { return m_error; }

  // Runs sql with the values bound in order; false with Error() on failure.
  bool Exec(QSqlQuery& q, const QString& sql, std::initializer_list<QVariant> values = {});
  bool Begin();
  bool Commit();
  void Rollback();

 private:
  bool EnsureSchema();
  bool Fail(const QString& what);

  QString m_name;
  QSqlDatabase m_db;
  CDeckUri m_uri;
  QString m_error;
};

// The SQL that makes Velum's schema; one statement an entry, each safe to run
// again.
extern const char* const kSchemaStatements[];
