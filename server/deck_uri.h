#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// A deck on a server, named by libpq's connection URI with one parameter of
// Velum's own, taken out before connecting:
//   postgresql://[USER[:PASSWORD]@][HOST][:PORT]/DATABASE?deck=NAME[&KEY=VALUE...]
// Every other parameter (host=/run/postgresql for a socket folder, sslmode,
// connect_timeout, service, ...) is passed to libpq as it is.
struct CDeckUri {
  QString host;
  int port = -1;
  QString database;
  QString user;
  QString password;  // only as the URI gave it; never written anywhere
  QString deck;
  std::vector<std::pair<QString, QString>> options;  // the other parameters, in order

  // The URI again, without the password: what the recent-file list and the
  // title show.
  QString ToString() const;
  // The libpq options in Qt's connect-option form ("key='value';..."); empty
  // with *error when a value holds a semicolon, which that form cannot carry.
  QString ConnectOptions(QString* error) const;
};

// Whether text names a server deck rather than a file.
bool IsDeckUri(QStringView text);

// Reads a deck URI; false with *error (what is wrong) when it is none.
bool ParseDeckUri(const QString& text, CDeckUri* uri, QString* error);
