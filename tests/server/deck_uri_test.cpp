#include "server/deck_uri.h"

#include "support/test_support.h"

namespace {

TEST(DeckUri, ReadsLibpqUrisAndTakesOutTheDeck) {
  struct Case {
    const char* uri;
    const char* host;
    int port;
    const char* database;
    const char* user;
    const char* deck;
    const char* options;  // the connect options Qt passes on
    const char* again;    // ToString
  };
  const Case cases[] = {
      {"postgresql://taro@db.example/office?deck=住所録", "db.example", -1, "office", "taro", "住所録", "",
       "postgresql://taro@db.example/office?deck=%E4%BD%8F%E6%89%80%E9%8C%B2"},
      {"postgresql://db:5433/office?deck=a%26b%3Dc&sslmode=require", "db", 5433, "office", "", "a&b=c",
       "sslmode='require'", "postgresql://db:5433/office?deck=a%26b%3Dc&sslmode=require"},
      {"postgresql:///office?host=/run/postgresql&deck=x", "/run/postgresql", -1, "office", "", "x", "",
       "postgresql:///office?deck=x&host=/run/postgresql"},
      {"postgres://u:secret@[::1]:6000/d?deck=x&application_name=o'brien", "::1", 6000, "d", "u", "x",
       "application_name='o\\'brien'", "postgresql://u@[::1]:6000/d?deck=x&application_name=o%27brien"},
      {"postgresql://h1:5432,h2:5433/d?deck=x&target_session_attrs=read-write", "h1:5432,h2:5433", -1, "d", "", "x",
       "target_session_attrs='read-write'", nullptr},
  };
  for (const Case& c : cases) {
    CDeckUri uri;
    QString error;
    ASSERT_TRUE(ParseDeckUri(QString::fromUtf8(c.uri), &uri, &error)) << c.uri << error;
    EXPECT_EQ(uri.host, QString::fromUtf8(c.host)) << c.uri;
    EXPECT_EQ(uri.port, c.port) << c.uri;
    EXPECT_EQ(uri.database, QString::fromUtf8(c.database)) << c.uri;
    EXPECT_EQ(uri.user, QString::fromUtf8(c.user)) << c.uri;
    EXPECT_EQ(uri.deck, QString::fromUtf8(c.deck)) << c.uri;
    EXPECT_EQ(uri.ConnectOptions(&error), QString::fromUtf8(c.options)) << c.uri;
    if (c.again) EXPECT_EQ(uri.ToString(), QString::fromUtf8(c.again)) << c.uri;
    // The password is never written out.
    EXPECT_FALSE(uri.ToString().contains(QStringLiteral("secret")));
  }
}

TEST(DeckUri, RefusesWhatNamesNoDeck) {
  for (const char* bad : {"/home/a.csv", "postgresql://h/d", "postgresql://h/d?deck=", "postgresql://h:99999/d?deck=x",
                          "postgresql://h:port/d?deck=x", "postgresql://h/d?deck=x&broken"}) {
    CDeckUri uri;
    QString error;
    EXPECT_FALSE(ParseDeckUri(QString::fromUtf8(bad), &uri, &error)) << bad;
    EXPECT_FALSE(error.isEmpty()) << bad;
  }
  CDeckUri uri;
  QString error;
  ASSERT_TRUE(ParseDeckUri(QStringLiteral("postgresql://h/d?deck=x&options=a%3Bb"), &uri, &error));
  EXPECT_TRUE(uri.ConnectOptions(&error).isEmpty());
  EXPECT_TRUE(error.contains(QStringLiteral("semicolon")));
}

}  // namespace
