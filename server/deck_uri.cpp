#include "server/deck_uri.h"

#include <QUrl>

namespace {

QString Decode(QStringView text) { return QUrl::fromPercentEncoding(text.toUtf8()); }

QString Encode(const QString& text, const QByteArray& keep = {}) {
  return QString::fromUtf8(QUrl::toPercentEncoding(text, keep));
}

}  // namespace

bool IsDeckUri(QStringView text) {
  return text.startsWith(u"postgresql://") || text.startsWith(u"postgres://");
}

bool ParseDeckUri(const QString& text, CDeckUri* uri, QString* error) {
  *uri = {};
  if (!IsDeckUri(text)) {
    *error = QStringLiteral("not a postgresql:// URI");
    return false;
  }
  QStringView rest = QStringView(text).mid(text.indexOf(u"://") + 3);
  QStringView query;
  if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
    query = rest.mid(q + 1);
    rest = rest.left(q);
  }
  QStringView authority = rest;
  if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
    authority = rest.left(slash);
    uri->database = Decode(rest.mid(slash + 1));
  }
  if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
    const QStringView userInfo = authority.left(at);
    authority = authority.mid(at + 1);
    const qsizetype colon = userInfo.indexOf(u':');
    uri->user = Decode(colon < 0 ? userInfo : userInfo.left(colon));
    if (colon >= 0) uri->password = Decode(userInfo.mid(colon + 1));
  }
  // HOST[:PORT]; an IPv6 address stands in brackets. A list of hosts passes
  // through to libpq whole.
  QStringView hostPart = authority;
  if (!authority.contains(u',')) {
    const qsizetype close = authority.lastIndexOf(u']');
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon >= 0 && colon > close) {
      bool ok = false;
      uri->port = authority.mid(colon + 1).toInt(&ok);
      if (!ok || uri->port <= 0 || uri->port > 65535) {
        *error = QStringLiteral("bad port: %1").arg(authority.mid(colon + 1));
        return false;
      }
      hostPart = authority.left(colon);
    }
    if (hostPart.startsWith(u'[') && hostPart.endsWith(u']')) hostPart = hostPart.mid(1, hostPart.size() - 2);
  }
  uri->host = Decode(hostPart);
  for (const QStringView pair : query.split(u'&', Qt::SkipEmptyParts)) {
    const qsizetype eq = pair.indexOf(u'=');
    if (eq <= 0) {
      *error = QStringLiteral("bad parameter: %1").arg(pair);
      return false;
    }
    const QString key = Decode(pair.left(eq));
    const QString value = Decode(pair.mid(eq + 1));
    if (key == u"deck") {
      uri->deck = value;
    } else if (key == u"host") {
      uri->host = value;
    } else if (key == u"port") {
      bool ok = false;
      uri->port = value.toInt(&ok);
      if (!ok || uri->port <= 0 || uri->port > 65535) {
        *error = QStringLiteral("bad port: %1").arg(value);
        return false;
      }
    } else if (key == u"dbname") {
      uri->database = value;
    } else if (key == u"user") {
      uri->user = value;
    } else if (key == u"password") {
      uri->password = value;
    } else {
      uri->options.emplace_back(key, value);
    }
  }
  if (uri->deck.isEmpty()) {
    *error = QStringLiteral("the URI names no deck (?deck=NAME)");
    return false;
  }
  return true;
}

QString CDeckUri::ToString() const {
  QString s = QStringLiteral("postgresql://");
  if (!user.isEmpty()) s += Encode(user) + u'@';
  const bool socketFolder = host.startsWith(u'/');
  if (!host.isEmpty() && !socketFolder) s += host.contains(u':') ? u'[' + host + u']' : Encode(host, ",");
  if (port > 0) s += u':' + QString::number(port);
  s += u'/' + Encode(database);
  s += QStringLiteral("?deck=") + Encode(deck);
  if (socketFolder) s += QStringLiteral("&host=") + Encode(host, "/");
  for (const auto& [key, value] : options) s += u'&' + Encode(key) + u'=' + Encode(value);
  return s;
}

QString CDeckUri::ConnectOptions(QString* error) const {
  QStringList parts;
  for (const auto& [key, value] : options) {
    if (value.contains(u';') || key.contains(u';')) {
      *error = QStringLiteral("the parameter %1 holds a semicolon").arg(key);
      return {};
    }
    QString quoted = value;
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\'', QStringLiteral("\\'"));
    parts << key + QStringLiteral("='") + quoted + u'\'';
  }
  return parts.join(u';');
}
