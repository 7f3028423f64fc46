#pragma once

#include "core/card_row.h"
#include "server/deck_connection.h"
#include "server/deck_uri.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class CCardStore;

// A card whose stored edit met another's change of the same item (or a
// deletion on one side and a change on the other).
struct CCardConflict {
  int allIndex = -1;   // the card's place in the store's all-cards list
  qint64 id = 0;       // the card's id on the server
  int item = -1;       // -1: the card was deleted on one side
  QString itemName;
  QString mine;        // this window's text
  QString theirs;      // the server's text
};

// 上書き keeps this window's text, 相手の変更を残す the server's.
enum class ConflictChoice { kMine, kTheirs };
using ConflictAsk = std::function<ConflictChoice(const CCardConflict&)>;

struct CCommitResult {
  bool ok = true;            // false: nothing was committed (Error says why); the changes stay pending
  bool connectionLost = false;  // the failure was the connection's
  QString error;
  int committed = 0;         // cards written
  int conflicts = 0;         // conflicts met, each put to the ask
  bool storeChanged = false; // texts of others were taken into the store: views redraw
  bool reload = false;       // the deck's items or properties changed elsewhere
};

// A deck on a server, as one window or one velum-cli run sees it: the store
// it was loaded into and what the server held of each card when this side
// last knew it (its version and its texts). Changes are found by comparing
// the store with that knowledge, so every editing command of the document
// works unchanged; Commit writes them with the version check
//   UPDATE ... WHERE deck = ? AND id = ? AND version = ?
// and a card that another wrote meanwhile is merged item by item: an item
// only one side changed takes that side's text, an item both changed to
// different texts is a conflict put to the ask.
class CServerDeck {
 public:
  explicit CServerDeck(CDeckUri uri);

  const CDeckUri& Uri() const { return m_uri; }
  CDeckConnection& Connection() { return m_conn; }
  qint64 DeckId() const { return m_deckId; }
  const QString& Error() const { return m_error; }

  bool Connect();
  // Whether the deck exists (false with Error() set when the server failed).
  bool Exists(bool* exists);
  // Reads the deck into store (its items, properties and cards in the shared
  // order) and takes it as what the server holds.
  bool Load(CCardStore& store);
  // Puts the store as the deck (a new one; an existing one only with replace).
  bool Push(CCardStore& store, bool replace);

  // Whether the store holds changes not yet on the server.
  bool HasPending(const CCardStore& store);
  // Writes every change of the store since the last load, commit or refresh,
  // all cards in one transaction; conflicts are settled afterwards, each
  // through ask, and what ask chose is written with the same check.
  CCommitResult Commit(CCardStore& store, const ConflictAsk& ask);
  // Takes into the store the server's cards of ids (every card when ids is
  // empty) that changed since this side knew them; a card with a pending
  // change is left to the next commit. *changed: the store changed;
  // *reload: the deck's items or properties changed (load it again).
  // keep: a card left as it is (one being typed into).
  bool Refresh(CCardStore& store, const std::vector<qint64>& ids, bool* changed, bool* reload,
               const CCardRow* keep = nullptr);
  // The server's id of a card of the store; 0 for one not on the server yet.
  qint64 IdOf(const CCardRow* row) const {
    const auto it = m_synced.find(row);
    return it == m_synced.end() ? 0 : it->second.id;
  }
  // Connects again after a lost connection, with the notifications.
  bool Reconnect();
  // Makes the store's all-cards order the deck's shared order.
  bool SaveOrder(CCardStore& store);

  // The pending changes as JSON, for the journal that keeps them across a
  // crash; and back onto a freshly loaded store (cards by id, each with the
  // base it was edited from, so that Commit checks them as it would have).
  QJsonObject PendingJournal(const CCardStore& store);
  void ApplyJournal(CCardStore& store, const QJsonObject& journal);

  // Notifications go on this channel; the payload is "DECK ID ID ..." or
  // "DECK *" (every card, or the deck's items).
  static QString Channel() { return QStringLiteral("velum"); }
  // The card ids of a payload for this deck; false when it is another deck's.
  bool ParsePayload(const QString& payload, std::vector<qint64>* ids) const;

 private:
  struct CSynced {
    qint64 id = 0;
    qint64 version = 0;
    double position = 0;
    CCardRow base;  // the texts the server held (shares the store row's buffer while unchanged)
  };

  bool Fail(const QString& error);
  bool LoadDeckRow(QStringList* names, QByteArray* props, qint64* version);
  bool Notify(const QString& ids);
  QStringList Names(const CCardStore& store) const;
  QByteArray PropertyBytes(CCardStore& store) const;
  bool Changed(const CCardRow& row, const CSynced& synced) const;
  bool Settle(CCardStore& store, CCardRow* row, bool deletedHere, const ConflictAsk& ask, CCommitResult* result);
  void Forget(const CCardRow* row);

  CDeckUri m_uri;
  CDeckConnection m_conn;
  QString m_error;
  qint64 m_deckId = 0;
  qint64 m_deckVersion = 0;
  QStringList m_names;
  QByteArray m_props;
  std::unordered_map<const CCardRow*, CSynced> m_synced;
  std::unordered_map<qint64, const CCardRow*> m_byId;
};

// The texts of a row as a JSON array, and back.
QString CardTextsJson(const CCardRow& row, int count);
bool CardTextsFromJson(const QString& json, QStringList* texts);

// The names of the decks on the server uri names (its deck is not needed),
// in order; false with *error.
bool ListDecks(const CDeckUri& uri, QStringList* names, QString* error);
