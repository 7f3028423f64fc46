#include "server/server_deck.h"

#include "core/card_store.h"
#include "core/property_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <unordered_set>

namespace {

// A payload stays well under the server's limit of 8000 bytes.
constexpr qsizetype kMaxPayload = 7000;
// A card written by another between the fetch and the write of a settled
// conflict is fetched again; past this many rounds the conflict stays pending.
constexpr int kSettleRounds = 20;

QStringList TextsOf(const CCardRow& row, int count) {
  QStringList texts;
  texts.reserve(count);
  for (int i = 0; i < count; ++i) texts << row.Item(i).toString();
  return texts;
}

CCardRow RowOf(const QStringList& texts, int count) {
  CCardRow row;
  row.MakeEmpty(count);
  std::vector<std::pair<int, QString>> items;
  for (int i = 0; i < count; ++i) items.emplace_back(i, i < texts.size() ? texts[i] : QString());
  row.SetItems(items);
  return row;
}

void SetTexts(CCardRow* row, const QStringList& texts) {
  std::vector<std::pair<int, QString>> items;
  for (int i = 0; i < row->ItemCount(); ++i) items.emplace_back(i, i < texts.size() ? texts[i] : QString());
  row->SetItems(items);
}

QString JoinIds(const std::vector<qint64>& ids) {
  QString s;
  for (const qint64 id : ids) {
    if (!s.isEmpty()) s += u',';
    s += QString::number(id);
  }
  return s;
}

}  // namespace

QString CardTextsJson(const CCardRow& row, int count) {
  QJsonArray a;
  for (int i = 0; i < count; ++i) a.append(row.Item(i).toString());
  return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

bool CardTextsFromJson(const QString& json, QStringList* texts) {
  const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
  if (!doc.isArray()) return false;
  texts->clear();
  for (const QJsonValue& v : doc.array()) *texts << v.toString();
  return true;
}

CServerDeck::CServerDeck(CDeckUri uri) : m_uri(std::move(uri)) {}

bool CServerDeck::Fail(const QString& error) {
  m_error = error;
  return false;
}

bool CServerDeck::Connect() {
  if (!m_conn.Open(m_uri)) return Fail(m_conn.Error());
  // Notifications of other windows' commits arrive on this channel.
  m_conn.Db().driver()->subscribeToNotification(Channel());
  return true;
}

bool CServerDeck::Exists(bool* exists) {
  QSqlQuery q(m_conn.Db());
  if (!m_conn.Exec(q, QStringLiteral("SELECT id FROM velum.decks WHERE name = ?"), {m_uri.deck}))
    return Fail(m_conn.Error());
  *exists = q.next();
  return true;
}

bool CServerDeck::LoadDeckRow(QStringList* names, QByteArray* props, qint64* version) {
  QSqlQuery q(m_conn.Db());
  if (!m_conn.Exec(q, QStringLiteral("SELECT id, items, properties, version FROM velum.decks WHERE name = ?"),
                   {m_uri.deck}))
    return Fail(m_conn.Error());
  if (!q.next()) return Fail(QStringLiteral("no deck named %1 on the server").arg(m_uri.deck));
  m_deckId = q.value(0).toLongLong();
  if (!CardTextsFromJson(q.value(1).toString(), names)) return Fail(QStringLiteral("the deck's item names are damaged"));
  *props = q.value(2).toByteArray();
  *version = q.value(3).toLongLong();
  return true;
}

QStringList CServerDeck::Names(const CCardStore& store) const {
  QStringList names;
  for (int i = 0; i < store.ItemCount(); ++i) names << store.Item(i).toString();
  return names;
}

QByteArray CServerDeck::PropertyBytes(CCardStore& store) const {
  CVelumProperty& record = store.FileProperty();
  record.m_itemCopies.Clear();
  for (int i = 0; i < store.ItemCount(); ++i) record.m_itemCopies.Append(store.Property(i).Clone());
  record.m_itemNames = Names(store);
  return WritePropertyBytes(record);
}

bool CServerDeck::Load(CCardStore& store) {
  QStringList names;
  QByteArray props;
  qint64 version = 0;
  if (!LoadDeckRow(&names, &props, &version)) return false;
  if (names.size() > CCardRow::kMaxItems) return Fail(QStringLiteral("the deck has more items than a card holds"));
  CItemNameRow row;
  row.MakeEmpty(int(names.size()));
  for (int i = 0; i < names.size(); ++i) row.SetItem(i, names[i]);
  store.SetItemNames(row, false);
  if (!props.isEmpty()) {
    const QString error = ReadPropertyBytes(props, &store.FileProperty());
    if (!error.isEmpty()) store.Services().prompt.Notice(QStringLiteral("%1: %2").arg(m_uri.deck, error));
    ApplyItemProperties(store);
  }
  m_synced.clear();
  m_byId.clear();
  QSqlQuery q(m_conn.Db());
  q.setForwardOnly(true);
  if (!m_conn.Exec(q,
                   QStringLiteral("SELECT id, version, position, items FROM velum.cards "
                                  "WHERE deck = ? AND NOT deleted ORDER BY position, id"),
                   {m_deckId}))
    return Fail(m_conn.Error());
  const int count = store.ItemCount();
  auto& all = store.AllCards();
  QStringList texts;
  while (q.next()) {
    CardTextsFromJson(q.value(3).toString(), &texts);
    auto card = std::make_unique<CCardRow>(RowOf(texts, count));
    CSynced& s = m_synced[card.get()];
    s.id = q.value(0).toLongLong();
    s.version = q.value(1).toLongLong();
    s.position = q.value(2).toDouble();
    s.base = *card;
    m_byId[s.id] = card.get();
    all.push_back(std::move(card));
  }
  store.RebuildVisible();
  m_names = names;
  m_props = PropertyBytes(store);
  m_deckVersion = version;
  return true;
}

bool CServerDeck::Push(CCardStore& store, bool replace) {
  bool exists = false;
  if (!Exists(&exists)) return false;
  if (exists && !replace) return Fail(QStringLiteral("the deck %1 exists (--replace replaces it)").arg(m_uri.deck));
  const QStringList names = Names(store);
  const QByteArray props = PropertyBytes(store);
  const QString namesJson = QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
  if (!m_conn.Begin()) return Fail(m_conn.Error());
  QSqlQuery q(m_conn.Db());
  auto fail = [&] {
    const QString error = m_conn.Error();
    m_conn.Rollback();
    return Fail(error);
  };
  // Replacing removes the old cards with the old row; a window that has the
  // deck open reloads on the notification.
  if (exists && !m_conn.Exec(q, QStringLiteral("DELETE FROM velum.decks WHERE name = ?"), {m_uri.deck})) return fail();
  if (!m_conn.Exec(q,
                   QStringLiteral("INSERT INTO velum.decks (name, items, properties) VALUES (?, CAST(? AS jsonb), ?) "
                                  "RETURNING id, version"),
                   {m_uri.deck, namesJson, props}) ||
      !q.next())
    return fail();
  m_deckId = q.value(0).toLongLong();
  m_deckVersion = q.value(1).toLongLong();
  m_synced.clear();
  m_byId.clear();
  const int count = store.ItemCount();
  QSqlQuery insert(m_conn.Db());
  if (!insert.prepare(QStringLiteral(
          "INSERT INTO velum.cards (deck, position, items) VALUES (?, ?, CAST(? AS jsonb)) RETURNING id, version")))
    return fail();
  for (int k = 0; k < store.AllCount(); ++k) {
    const CCardRow* row = store.AllCard(k);
    insert.addBindValue(m_deckId);
    insert.addBindValue(double(k));
    insert.addBindValue(CardTextsJson(*row, count));
    if (!insert.exec() || !insert.next()) {
      m_conn.Rollback();
      return Fail(insert.lastError().text());
    }
    CSynced& s = m_synced[row];
    s.id = insert.value(0).toLongLong();
    s.version = insert.value(1).toLongLong();
    s.position = k;
    s.base = *row;
    m_byId[s.id] = row;
  }
  if (exists && !Notify(QStringLiteral("*"))) return fail();
  if (!m_conn.Commit()) return Fail(m_conn.Error());
  m_names = names;
  m_props = props;
  return true;
}

bool CServerDeck::Notify(const QString& ids) {
  QSqlQuery q(m_conn.Db());
  const QString payload = QString::number(m_deckId) + u' ' + (ids.size() > kMaxPayload ? QStringLiteral("*") : ids);
  return m_conn.Exec(q, QStringLiteral("SELECT pg_notify(?, ?)"), {Channel(), payload});
}

bool CServerDeck::ParsePayload(const QString& payload, std::vector<qint64>* ids) const {
  const QStringList words = payload.split(u' ', Qt::SkipEmptyParts);
  if (words.isEmpty() || words[0].toLongLong() != m_deckId) return false;
  ids->clear();
  for (qsizetype i = 1; i < words.size(); ++i) {
    if (words[i] == u"*") {
      ids->clear();
      return true;
    }
    for (const QString& id : words[i].split(u',', Qt::SkipEmptyParts)) ids->push_back(id.toLongLong());
  }
  return true;
}

bool CServerDeck::Changed(const CCardRow& row, const CSynced& synced) const {
  const CCardRow& base = synced.base;
  if (row.ItemCount() != base.ItemCount()) return true;
  // A row that was not edited still shares its buffer with the copy taken.
  if (row.ItemCount() <= 0 || row.Item(0).data() == base.Item(0).data()) return false;
  for (int i = 0; i < row.ItemCount(); ++i)
    if (row.Item(i) != base.Item(i)) return true;
  return false;
}

bool CServerDeck::HasPending(const CCardStore& store) {
  if (Names(store) != m_names) return true;
  if (std::size_t(store.AllCount()) != m_synced.size()) return true;
  for (int k = 0; k < store.AllCount(); ++k) {
    const auto it = m_synced.find(store.AllCard(k));
    if (it == m_synced.end() || Changed(*store.AllCard(k), it->second)) return true;
  }
  return false;
}

void CServerDeck::Forget(const CCardRow* row) {
  const auto it = m_synced.find(row);
  if (it == m_synced.end()) return;
  m_byId.erase(it->second.id);
  m_synced.erase(it);
}

CCommitResult CServerDeck::Commit(CCardStore& store, const ConflictAsk& ask) {
  CCommitResult result;
  auto lost = [&](const QString& error) {
    m_conn.Rollback();
    result.ok = false;
    result.error = error;
    result.connectionLost = !m_conn.Alive();
    if (result.connectionLost) Reconnect();
    return result;
  };
  if (!m_conn.IsOpen() && !m_conn.Reopen()) {
    result.ok = false;
    result.connectionLost = true;
    result.error = m_conn.Error();
    return result;
  }
  const int count = store.ItemCount();
  const QStringList names = Names(store);
  const QByteArray props = PropertyBytes(store);
  const bool structural = names != m_names;
  if (!m_conn.Begin()) return lost(m_conn.Error());
  QSqlQuery q(m_conn.Db());
  qint64 deckVersion = m_deckVersion;
  if (structural || props != m_props) {
    const QString namesJson =
        QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
    if (!m_conn.Exec(q,
                     QStringLiteral("UPDATE velum.decks SET items = CAST(? AS jsonb), properties = ?, "
                                    "version = version + 1 WHERE id = ? AND version = ? RETURNING version"),
                     {namesJson, props, m_deckId, m_deckVersion}))
      return lost(m_conn.Error());
    if (!q.next()) {
      // Another changed the items or properties meanwhile: this side's
      // structure cannot be merged with theirs card by card.
      m_conn.Rollback();
      result.ok = false;
      result.reload = true;
      result.error = QStringLiteral("the items of the deck were changed elsewhere");
      return result;
    }
    deckVersion = q.value(0).toLongLong();
  }

  // What the server holds after the commit, applied only once it is made.
  struct CStaged {
    const CCardRow* row;
    qint64 id;
    qint64 version;
    double position;
  };
  std::vector<CStaged> staged;
  std::vector<CCardRow*> conflicted;
  std::vector<qint64> written;
  std::unordered_set<const CCardRow*> present;
  present.reserve(std::size_t(store.AllCount()));
  QSqlQuery update(m_conn.Db());
  QSqlQuery insert(m_conn.Db());
  bool updatePrepared = false;
  bool insertPrepared = false;
  double lastPosition = -1;
  for (int k = 0; k < store.AllCount(); ++k) {
    CCardRow* row = store.AllCard(k);
    present.insert(row);
    const auto it = m_synced.find(row);
    if (it != m_synced.end()) {
      lastPosition = it->second.position;
      if (!structural && !Changed(*row, it->second)) continue;
      if (!updatePrepared) {
        if (!update.prepare(QStringLiteral("UPDATE velum.cards SET items = CAST(? AS jsonb), version = version + 1 "
                                           "WHERE deck = ? AND id = ? AND version = ? AND NOT deleted RETURNING version")))
          return lost(update.lastError().text());
        updatePrepared = true;
      }
      update.addBindValue(CardTextsJson(*row, count));
      update.addBindValue(m_deckId);
      update.addBindValue(it->second.id);
      update.addBindValue(it->second.version);
      if (!update.exec()) return lost(update.lastError().text());
      if (update.next()) {
        staged.push_back({row, it->second.id, update.value(0).toLongLong(), it->second.position});
        written.push_back(it->second.id);
      } else {
        conflicted.push_back(row);
      }
      continue;
    }
    // A new card goes between its neighbours in the shared order.
    double next = lastPosition + 2;
    for (int j = k + 1; j < store.AllCount(); ++j) {
      if (const auto n = m_synced.find(store.AllCard(j)); n != m_synced.end()) {
        next = n->second.position;
        break;
      }
    }
    const double position = next > lastPosition ? (lastPosition + next) / 2 : lastPosition + 1;
    lastPosition = position;
    if (!insertPrepared) {
      if (!insert.prepare(QStringLiteral("INSERT INTO velum.cards (deck, position, items) "
                                         "VALUES (?, ?, CAST(? AS jsonb)) RETURNING id, version")))
        return lost(insert.lastError().text());
      insertPrepared = true;
    }
    insert.addBindValue(m_deckId);
    insert.addBindValue(position);
    insert.addBindValue(CardTextsJson(*row, count));
    if (!insert.exec() || !insert.next()) return lost(insert.lastError().text());
    staged.push_back({row, insert.value(0).toLongLong(), insert.value(1).toLongLong(), position});
    written.push_back(staged.back().id);
  }
  // Cards deleted here.
  std::vector<std::pair<const CCardRow*, qint64>> deleted;
  std::vector<qint64> deleteConflicts;
  for (const auto& [row, s] : m_synced) {
    if (present.count(row)) continue;
    if (!m_conn.Exec(q,
                     QStringLiteral("UPDATE velum.cards SET deleted = true, version = version + 1 "
                                    "WHERE deck = ? AND id = ? AND version = ? AND NOT deleted"),
                     {m_deckId, s.id, s.version}))
      return lost(m_conn.Error());
    if (q.numRowsAffected() == 1) {
      deleted.emplace_back(row, s.id);
      written.push_back(s.id);
    } else {
      deleteConflicts.push_back(s.id);
    }
  }
  if (!written.empty() || structural || props != m_props) {
    if (!Notify(structural || props != m_props ? QStringLiteral("*") : JoinIds(written))) return lost(m_conn.Error());
  }
  if (!m_conn.Commit()) return lost(m_conn.Error());

  for (const CStaged& s : staged) {
    CSynced& synced = m_synced[s.row];
    synced.id = s.id;
    synced.version = s.version;
    synced.position = s.position;
    synced.base = *s.row;
    m_byId[s.id] = s.row;
  }
  for (const auto& [row, id] : deleted) Forget(row);
  result.committed = int(staged.size() + deleted.size());
  m_names = names;
  m_props = props;
  m_deckVersion = deckVersion;

  for (CCardRow* row : conflicted)
    if (!Settle(store, row, false, ask, &result)) return result;
  for (const qint64 id : deleteConflicts) {
    const auto it = m_byId.find(id);
    if (it != m_byId.end() && !Settle(store, const_cast<CCardRow*>(it->second), true, ask, &result)) return result;
  }
  return result;
}

// One card that the server changed since this side knew it: merged item by
// item, each item both sides changed put to ask, and written with the check
// again (a third writer sends it round once more).
bool CServerDeck::Settle(CCardStore& store, CCardRow* row, bool deletedHere, const ConflictAsk& ask,
                         CCommitResult* result) {
  CSynced& synced = m_synced[row];
  const int count = store.ItemCount();
  int allIndex = -1;
  for (int k = 0; k < store.AllCount(); ++k)
    if (store.AllCard(k) == row) allIndex = k;
  QSqlQuery q(m_conn.Db());
  std::vector<int> asked;  // items already put to the ask, with the choice
  std::vector<ConflictChoice> choices;
  for (int round = 0; round < kSettleRounds; ++round) {
    if (!m_conn.Exec(q, QStringLiteral("SELECT version, items, deleted FROM velum.cards WHERE deck = ? AND id = ?"),
                     {m_deckId, synced.id}) ||
        !q.next()) {
      result->ok = false;
      result->error = m_conn.Error();
      result->connectionLost = !m_conn.Alive();
      return false;
    }
    const qint64 version = q.value(0).toLongLong();
    QStringList theirs;
    CardTextsFromJson(q.value(1).toString(), &theirs);
    const bool deletedThere = q.value(2).toBool();
    const QStringList mine = deletedHere ? QStringList() : TextsOf(*row, count);
    const QStringList base = TextsOf(synced.base, count);
    auto choose = [&](int item, const QString& m, const QString& t) {
      for (std::size_t a = 0; a < asked.size(); ++a)
        if (asked[a] == item) return choices[a];
      CCardConflict c{allIndex, synced.id, item, item >= 0 ? store.Item(item).toString() : QString(), m, t};
      ++result->conflicts;
      const ConflictChoice choice = ask ? ask(c) : ConflictChoice::kTheirs;
      asked.push_back(item);
      choices.push_back(choice);
      return choice;
    };

    if (deletedHere || deletedThere) {
      // A deletion on one side against a change on the other; the same
      // deletion on both sides is no conflict.
      const bool keepDeleted =
          deletedThere && deletedHere
              ? true
              : choose(-1, deletedHere ? QString() : mine.join(u'\t'), deletedThere ? QString() : theirs.join(u'\t')) ==
                    (deletedHere ? ConflictChoice::kMine : ConflictChoice::kTheirs);
      if (keepDeleted && deletedThere) {
        auto& all = store.AllCards();
        for (auto it = all.begin(); it != all.end(); ++it)
          if (it->get() == row) {
            Forget(row);
            all.erase(it);
            break;
          }
        store.RebuildVisible();
        result->storeChanged = true;
        return true;
      }
      if (!keepDeleted && deletedHere) {
        // Theirs is kept: the card comes back with their texts.
        auto card = std::make_unique<CCardRow>(RowOf(theirs, count));
        CCardRow* back = card.get();
        const CSynced old = synced;
        Forget(row);
        CSynced& s = m_synced[back];
        s = old;
        s.version = version;
        s.base = *back;
        m_byId[s.id] = back;
        store.AllCards().push_back(std::move(card));
        store.RebuildVisible();
        result->storeChanged = true;
        return true;
      }
      // Delete theirs over their change, or bring mine back over their deletion.
      const bool resurrect = !keepDeleted;
      const bool ran =
          resurrect ? m_conn.Exec(q,
                                  QStringLiteral("UPDATE velum.cards SET deleted = false, items = CAST(? AS jsonb), "
                                                 "version = version + 1 WHERE deck = ? AND id = ? AND version = ?"),
                                  {CardTextsJson(*row, count), m_deckId, synced.id, version})
                    : m_conn.Exec(q,
                                  QStringLiteral("UPDATE velum.cards SET deleted = true, version = version + 1 "
                                                 "WHERE deck = ? AND id = ? AND version = ?"),
                                  {m_deckId, synced.id, version});
      if (!ran) {
        result->ok = false;
        result->error = m_conn.Error();
        result->connectionLost = !m_conn.Alive();
        return false;
      }
      if (q.numRowsAffected() != 1) continue;
      if (resurrect) {
        synced.version = version + 1;
        synced.base = *row;
      } else {
        Forget(row);
      }
      Notify(QString::number(synced.id));
      ++result->committed;
      return true;
    }

    QStringList merged = theirs;
    while (merged.size() < count) merged << QString();
    for (int i = 0; i < count; ++i) {
      const bool mineChanged = mine[i] != base.value(i);
      const bool theirsChanged = theirs.value(i) != base.value(i);
      if (!mineChanged) continue;
      if (!theirsChanged || theirs.value(i) == mine[i])
        merged[i] = mine[i];
      else
        merged[i] = choose(i, mine[i], theirs.value(i)) == ConflictChoice::kMine ? mine[i] : theirs.value(i);
    }
    CCardRow mergedRow = RowOf(merged, count);
    if (!m_conn.Exec(q,
                     QStringLiteral("UPDATE velum.cards SET items = CAST(? AS jsonb), version = version + 1 "
                                    "WHERE deck = ? AND id = ? AND version = ? RETURNING version"),
                     {CardTextsJson(mergedRow, count), m_deckId, synced.id, version})) {
      result->ok = false;
      result->error = m_conn.Error();
      result->connectionLost = !m_conn.Alive();
      return false;
    }
    if (!q.next()) continue;
    if (merged != mine) {
      SetTexts(row, merged);
      result->storeChanged = true;
    }
    synced.version = q.value(0).toLongLong();
    synced.base = *row;
    ++result->committed;
    Notify(QString::number(synced.id));
    return true;
  }
  result->ok = false;
  result->error = QStringLiteral("the card was changed again and again while it was written");
  return false;
}

bool CServerDeck::Reconnect() {
  if (!m_conn.Reopen()) return Fail(m_conn.Error());
  m_conn.Db().driver()->subscribeToNotification(Channel());
  return true;
}

bool CServerDeck::Refresh(CCardStore& store, const std::vector<qint64>& ids, bool* changed, bool* reload,
                          const CCardRow* keep) {
  *changed = false;
  *reload = false;
  QSqlQuery q(m_conn.Db());
  if (!m_conn.Exec(q, QStringLiteral("SELECT version FROM velum.decks WHERE id = ?"), {m_deckId}))
    return Fail(m_conn.Error());
  if (!q.next() || q.value(0).toLongLong() != m_deckVersion) {
    *reload = true;
    return true;
  }
  const QString select = QStringLiteral("SELECT id, version, position, items, deleted FROM velum.cards WHERE deck = ?");
  const bool ok = ids.empty() ? m_conn.Exec(q, select + QStringLiteral(" ORDER BY position, id"), {m_deckId})
                              : m_conn.Exec(q,
                                            select + QStringLiteral(" AND id = ANY (CAST(string_to_array(?, ',') AS bigint[])) "
                                                                    "ORDER BY position, id"),
                                            {m_deckId, JoinIds(ids)});
  if (!ok) return Fail(m_conn.Error());
  const int count = store.ItemCount();
  std::vector<const CCardRow*> gone;
  QStringList texts;
  while (q.next()) {
    const qint64 id = q.value(0).toLongLong();
    const qint64 version = q.value(1).toLongLong();
    const bool deleted = q.value(4).toBool();
    const auto known = m_byId.find(id);
    if (known == m_byId.end()) {
      if (deleted) continue;
      CardTextsFromJson(q.value(3).toString(), &texts);
      auto card = std::make_unique<CCardRow>(RowOf(texts, count));
      CSynced& s = m_synced[card.get()];
      s.id = id;
      s.version = version;
      s.position = q.value(2).toDouble();
      s.base = *card;
      m_byId[id] = card.get();
      store.AllCards().push_back(std::move(card));
      *changed = true;
      continue;
    }
    CCardRow* row = const_cast<CCardRow*>(known->second);
    CSynced& s = m_synced[row];
    if (version <= s.version || row == keep || Changed(*row, s)) continue;
    if (deleted) {
      gone.push_back(row);
      continue;
    }
    CardTextsFromJson(q.value(3).toString(), &texts);
    SetTexts(row, texts);
    s.version = version;
    s.base = *row;
    *changed = true;
  }
  if (!gone.empty()) {
    auto& all = store.AllCards();
    std::unordered_set<const CCardRow*> drop(gone.begin(), gone.end());
    for (const CCardRow* row : gone) Forget(row);
    all.erase(std::remove_if(all.begin(), all.end(), [&](const auto& r) { return drop.count(r.get()) > 0; }), all.end());
    *changed = true;
  }
  if (*changed) store.RebuildVisible();
  return true;
}

bool CServerDeck::SaveOrder(CCardStore& store) {
  if (!m_conn.Begin()) return Fail(m_conn.Error());
  QSqlQuery q(m_conn.Db());
  if (!q.prepare(QStringLiteral("UPDATE velum.cards SET position = ? WHERE deck = ? AND id = ?"))) {
    m_conn.Rollback();
    return Fail(q.lastError().text());
  }
  for (int k = 0; k < store.AllCount(); ++k) {
    const auto it = m_synced.find(store.AllCard(k));
    if (it == m_synced.end()) continue;
    q.addBindValue(double(k));
    q.addBindValue(m_deckId);
    q.addBindValue(it->second.id);
    if (!q.exec()) {
      const QString error = q.lastError().text();
      m_conn.Rollback();
      return Fail(error);
    }
    it->second.position = k;
  }
  if (!m_conn.Commit()) return Fail(m_conn.Error());
  return true;
}

QJsonObject CServerDeck::PendingJournal(const CCardStore& store) {
  const int count = store.ItemCount();
  QJsonArray cards;
  std::unordered_set<const CCardRow*> present;
  for (int k = 0; k < store.AllCount(); ++k) {
    const CCardRow* row = store.AllCard(k);
    present.insert(row);
    const auto it = m_synced.find(row);
    if (it != m_synced.end() && !Changed(*row, it->second)) continue;
    QJsonObject c;
    c[u"mine"] = QJsonArray::fromStringList(TextsOf(*row, count));
    if (it != m_synced.end()) {
      c[u"id"] = QString::number(it->second.id);
      c[u"version"] = QString::number(it->second.version);
      c[u"base"] = QJsonArray::fromStringList(TextsOf(it->second.base, count));
    }
    cards.append(c);
  }
  for (const auto& [row, s] : m_synced) {
    if (present.count(row)) continue;
    QJsonObject c;
    c[u"id"] = QString::number(s.id);
    c[u"version"] = QString::number(s.version);
    c[u"deleted"] = true;
    cards.append(c);
  }
  QJsonObject j;
  j[u"uri"] = m_uri.ToString();
  j[u"items"] = QJsonArray::fromStringList(Names(store));
  j[u"cards"] = cards;
  return j;
}

void CServerDeck::ApplyJournal(CCardStore& store, const QJsonObject& journal) {
  QStringList names;
  for (const QJsonValue& v : journal.value(u"items").toArray()) names << v.toString();
  // Edits made under other items cannot be put onto these.
  if (names != Names(store)) return;
  const int count = store.ItemCount();
  auto strings = [](const QJsonValue& v) {
    QStringList s;
    for (const QJsonValue& e : v.toArray()) s << e.toString();
    return s;
  };
  std::unordered_set<const CCardRow*> drop;
  for (const QJsonValue& v : journal.value(u"cards").toArray()) {
    const QJsonObject c = v.toObject();
    if (!c.contains(u"id")) {
      store.AllCards().push_back(std::make_unique<CCardRow>(RowOf(strings(c.value(u"mine")), count)));
      continue;
    }
    const auto known = m_byId.find(c.value(u"id").toString().toLongLong());
    if (known == m_byId.end()) continue;  // gone on the server meanwhile: nothing to put it on
    CCardRow* row = const_cast<CCardRow*>(known->second);
    CSynced& s = m_synced[row];
    s.version = c.value(u"version").toString().toLongLong();
    if (c.value(u"deleted").toBool()) {
      drop.insert(row);
      continue;
    }
    s.base = RowOf(strings(c.value(u"base")), count);
    SetTexts(row, strings(c.value(u"mine")));
  }
  if (!drop.empty()) {
    auto& all = store.AllCards();
    all.erase(std::remove_if(all.begin(), all.end(), [&](const auto& r) { return drop.count(r.get()) > 0; }), all.end());
  }
  store.RebuildVisible();
}

bool ListDecks(const CDeckUri& uri, QStringList* names, QString* error) {
  CDeckConnection conn;
  if (!conn.Open(uri)) {
    *error = conn.Error();
    return false;
  }
  QSqlQuery q(conn.Db());
  if (!conn.Exec(q, QStringLiteral("SELECT name FROM velum.decks ORDER BY name"))) {
    *error = conn.Error();
    return false;
  }
  names->clear();
  while (q.next()) *names << q.value(0).toString();
  return true;
}
