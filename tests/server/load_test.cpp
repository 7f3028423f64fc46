// Ten velum-cli batch processes make a thousand random edits each on one
// small deck at once, so that they meet often. A trigger of the test's own
// logs every write the server took; the log, the edits and the conflicts the
// clients reported must agree: every edit either landed or was reported, no
// write put a text that was no edit of that item (a stale text written back),
// and the deck ends as the last write of each item left it.
#include "server/server_deck.h"

#include "core/card_store.h"
#include "core/velum_doc.h"
#include "server/pg_server.h"
#include "support/test_support.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>

#include <map>
#include <random>
#include <set>

namespace {

constexpr int kClients = 10;
constexpr int kEdits = 1000;
constexpr int kCards = 40;
const QStringList kItems = {QStringLiteral("姓"), QStringLiteral("電話"), QStringLiteral("メモ")};

const char* const kAudit[] = {
    "CREATE TABLE public.audit (n bigserial PRIMARY KEY, deck bigint, id bigint, old jsonb, new jsonb)",
    "CREATE FUNCTION public.velum_audit() RETURNS trigger LANGUAGE plpgsql AS $f$ BEGIN "
    "INSERT INTO public.audit (deck, id, old, new) VALUES (NEW.deck, NEW.id, OLD.items, NEW.items); RETURN NEW; END $f$",
    "CREATE TRIGGER velum_audit AFTER UPDATE ON velum.cards FOR EACH ROW EXECUTE FUNCTION public.velum_audit()",
};

struct CEdit {
  int card;
  int item;
  QString text;
};

TEST(LoadTest, TenClientsLoseNoUpdateAndReportEveryConflict) {
  CTestWorld w;
  const QString uri = TestPgServer().Uri(QStringLiteral("load; '$$'"));
  CDeckUri parsed;
  QString error;
  ASSERT_TRUE(ParseDeckUri(uri, &parsed, &error));
  CVelumDoc doc(*w.services);
  CServerDeck deck(parsed);
  ASSERT_TRUE(deck.Connect()) << deck.Error();
  {
    CCardStore& store = doc.Store();
    CItemNameRow row;
    row.MakeEmpty(int(kItems.size()));
    for (int i = 0; i < kItems.size(); ++i) row.SetItem(i, kItems[i]);
    store.SetItemNames(row, false);
    for (int k = 0; k < kCards; ++k) {
      auto card = std::make_unique<CCardRow>();
      card->MakeEmpty(int(kItems.size()));
      for (int i = 0; i < kItems.size(); ++i) card->SetItem(i, QStringLiteral("init-%1-%2").arg(k).arg(i));
      store.AllCards().push_back(std::move(card));
    }
    store.RebuildVisible();
    ASSERT_TRUE(deck.Push(store, true)) << deck.Error();
  }
  QSqlQuery q(deck.Connection().Db());
  for (const char* sql : kAudit) ASSERT_TRUE(q.exec(QString::fromLatin1(sql))) << sql;

  // The edits: unique texts, some with what SQL would take as syntax.
  std::vector<std::vector<CEdit>> edits(kClients);
  std::vector<QByteArray> scripts(kClients);
  for (int c = 0; c < kClients; ++c) {
    std::mt19937 random(1234 + c);
    for (int n = 0; n < kEdits; ++n) {
      CEdit e{int(random() % kCards), int(random() % kItems.size()), QStringLiteral("c%1-%2'; $$").arg(c).arg(n)};
      scripts[c] += QStringLiteral("set %1 %2 \"%3\"\n").arg(e.card).arg(kItems[e.item], e.text).toUtf8();
      edits[c].push_back(e);
    }
  }
  std::vector<std::unique_ptr<QProcess>> clients;
  QElapsedTimer timer;
  timer.start();
  for (int c = 0; c < kClients; ++c) {
    auto p = std::make_unique<QProcess>();
    p->start(qEnvironmentVariable("VELUM_CLI"),
             {QStringLiteral("--settings"), w.Path(QStringLiteral("velum.reg")), QStringLiteral("batch"), uri});
    ASSERT_TRUE(p->waitForStarted(30000));
    p->write(scripts[c]);
    p->closeWriteChannel();
    clients.push_back(std::move(p));
  }
  std::vector<QStringList> conflicts(kClients);
  for (int c = 0; c < kClients; ++c) {
    // A hang guard only: ten times what a loaded two-core machine needs.
    ASSERT_TRUE(clients[c]->waitForFinished(900000)) << c;
    EXPECT_EQ(clients[c]->exitCode(), 0) << c;
    conflicts[c] = QString::fromUtf8(clients[c]->readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
  }
  const double seconds = timer.elapsed() / 1000.0;
  int reported = 0;
  for (const QStringList& c : conflicts) reported += int(c.size());
  std::printf("load test: %d edits by %d clients in %.1f s (%.0f edits/s), %d conflicts\n", kClients * kEdits, kClients,
              seconds, kClients * kEdits / seconds, reported);

  // The cards' ids in the shared order, as the clients numbered them.
  std::map<qint64, int> cardOfId;
  ASSERT_TRUE(q.exec(QStringLiteral("SELECT id FROM velum.cards WHERE deck = %1 ORDER BY position").arg(deck.DeckId())));
  while (q.next()) cardOfId[q.value(0).toLongLong()] = int(cardOfId.size());
  ASSERT_EQ(int(cardOfId.size()), kCards);

  // Every write the server took, item by item.
  std::map<std::pair<int, int>, QString> last;  // (card, item) -> the last text written
  std::set<QString> landed;
  ASSERT_TRUE(q.exec(QStringLiteral("SELECT id, old, new FROM public.audit WHERE deck = %1 ORDER BY n").arg(deck.DeckId())));
  std::map<QString, std::pair<int, int>> target;  // edit text -> (card, item)
  for (const auto& client : edits)
    for (const CEdit& e : client) target[e.text] = {e.card, e.item};
  int writes = 0;
  while (q.next()) {
    const int card = cardOfId.at(q.value(0).toLongLong());
    QStringList old, now;
    ASSERT_TRUE(CardTextsFromJson(q.value(1).toString(), &old));
    ASSERT_TRUE(CardTextsFromJson(q.value(2).toString(), &now));
    for (int i = 0; i < kItems.size(); ++i) {
      if (old.value(i) == now.value(i)) continue;
      ++writes;
      const auto t = target.find(now.value(i));
      ASSERT_TRUE(t != target.end() && t->second == std::make_pair(card, i))
          << "card " << card << " item " << i << " got " << now.value(i) << ", no edit of it";
      EXPECT_TRUE(landed.insert(now.value(i)).second) << now.value(i) << " written twice";
      last[{card, i}] = now.value(i);
    }
  }

  // Each client's edits: landed, or reported as a conflict; never both.
  int notLanded = 0;
  for (int c = 0; c < kClients; ++c) {
    QStringList expected;
    for (const CEdit& e : edits[c])
      if (!landed.count(e.text)) expected << QStringLiteral("conflict: %1 %2").arg(e.card).arg(kItems[e.item]);
    notLanded += int(expected.size());
    QStringList got = conflicts[c];
    expected.sort();
    got.sort();
    EXPECT_EQ(got, expected) << "client " << c;
  }
  EXPECT_EQ(writes + notLanded, kClients * kEdits);

  // The deck as the last write of each item left it.
  ASSERT_TRUE(deck.Load(doc.Store())) << deck.Error();
  for (int k = 0; k < kCards; ++k)
    for (int i = 0; i < kItems.size(); ++i) {
      const auto it = last.find({k, i});
      EXPECT_EQ(doc.Store().AllCard(k)->Item(i).toString(),
                it == last.end() ? QStringLiteral("init-%1-%2").arg(k).arg(i) : it->second);
    }
}

}  // namespace
