#pragma once

#include "server/deck_uri.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// サーバーのデッキを開く: the server, database, user and deck (the decks there
// listed on request), and a password that is used once and never stored. The
// caller reads Uri() and Password() after exec().
class CServerDeckDialog final : public QDialog {
  Q_OBJECT

 public:
  // uri: the deck to start from (the open one, or the last one opened).
  explicit CServerDeckDialog(const QString& uri, QWidget* parent = nullptr);
  CServerDeckDialog(const CServerDeckDialog&) = delete;
  CServerDeckDialog& operator=(const CServerDeckDialog&) = delete;

  // The deck's URI as the controls give it, without the password.
  QString Uri() const;
  QString Password() const;

 private:
  void ListDecks();
  CDeckUri Fields() const;

  QLineEdit* m_host;
  QSpinBox* m_port;
  QLineEdit* m_database;
  QLineEdit* m_user;
  QLineEdit* m_password;
  QComboBox* m_deck;
  QLabel* m_note;
};
