#include "server/server_deck.h"

#include "core/card_store.h"
#include "core/velum_doc.h"
#include "server/pg_server.h"
#include "support/test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDriver>
#include <QSqlQuery>

#include <memory>

namespace {

// Texts that must stay data on their way through SQL.
const QString kNasty[] = {
    QStringLiteral("O'Brien"), QStringLiteral("a; DROP TABLE velum.cards; --"), QStringLiteral("$$ $x$ \\ \"q\""),
    QStringLiteral("改行\r\nのある\r\n文"), QStringLiteral("')); DELETE FROM velum.decks; --"),
};

CDeckUri UriOf(const QString& deck) {
  CDeckUri uri;
  QString error;
  EXPECT_TRUE(ParseDeckUri(TestPgServer().Uri(deck), &uri, &error)) << error;
  return uri;
}

void FillStore(CCardStore& store, const QStringList& items, const std::vector<QStringList>& cards) {
  CItemNameRow row;
  row.MakeEmpty(int(items.size()));
  for (int i = 0; i < items.size(); ++i) row.SetItem(i, items[i]);
  store.SetItemNames(row, false);
  for (const QStringList& texts : cards) {
    auto card = std::make_unique<CCardRow>();
    card->MakeEmpty(int(items.size()));
    for (int i = 0; i < texts.size(); ++i) card->SetItem(i, texts[i]);
    store.AllCards().push_back(std::move(card));
  }
  store.RebuildVisible();
}

// One window's worth: a document and its deck, loaded.
struct CClient {
  explicit CClient(const QString& deckName) : doc(*world.services), deck(UriOf(deckName)) {
    EXPECT_TRUE(deck.Connect()) << deck.Error();
  }
  bool Load() { return deck.Load(doc.Store()); }
  CCommitResult Commit(ConflictChoice choice = ConflictChoice::kTheirs) {
    return deck.Commit(doc.Store(), [&](const CCardConflict& c) {
      conflicts.push_back(c);
      return choice;
    });
  }
  void Set(int card, int item, const QString& text) { ASSERT_TRUE(doc.Store().AllCard(card)->SetItem(item, text)); }
  QString Text(int card, int item) const { return doc.Store().AllCard(card)->Item(item).toString(); }

  CTestWorld world;
  CVelumDoc doc;
  CServerDeck deck;
  std::vector<CCardConflict> conflicts;
};

void PushDeck(const QString& name, const QStringList& items, const std::vector<QStringList>& cards) {
  CClient c(name);
  FillStore(c.doc.Store(), items, cards);
  ASSERT_TRUE(c.deck.Push(c.doc.Store(), true)) << c.deck.Error();
}

TEST(ServerDeck, NamesAndTextsStayData) {
  for (const QString& name : kNasty) {
    std::vector<QStringList> cards;
    for (const QString& text : kNasty) cards.push_back({text, name});
    PushDeck(name, {name, QStringLiteral("名前")}, cards);
    CClient c(name);
    ASSERT_TRUE(c.Load()) << c.deck.Error();
    EXPECT_EQ(c.doc.Store().Item(0).toString(), name);
    EXPECT_EQ(CardTexts(c.doc.Store()), cards);
    // Pushing again without replace is refused and keeps the deck.
    CClient again(name);
    FillStore(again.doc.Store(), {QStringLiteral("x")}, {});
    EXPECT_FALSE(again.deck.Push(again.doc.Store(), false));
    EXPECT_TRUE(again.deck.Error().contains(QStringLiteral("--replace")));
  }
  // Every deck is still there: no text reached the server as SQL.
  CClient c(kNasty[0]);
  QSqlQuery q(c.deck.Connection().Db());
  ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM velum.decks")) && q.next());
  EXPECT_GE(q.value(0).toInt(), int(std::size(kNasty)));
}

TEST(ServerDeck, EditsOfTwoClientsMergeAndConflictsAsk) {
  PushDeck(QStringLiteral("merge"), {QStringLiteral("姓"), QStringLiteral("電話")},
           {{QStringLiteral("山田"), QStringLiteral("03")}, {QStringLiteral("佐藤"), QStringLiteral("06")}});
  CClient a(QStringLiteral("merge"));
  CClient b(QStringLiteral("merge"));
  ASSERT_TRUE(a.Load() && b.Load());

  // Different cards, and different items of one card: all land, no question.
  a.Set(0, 0, QStringLiteral("山田A"));
  b.Set(1, 0, QStringLiteral("佐藤B"));
  b.Set(0, 1, QStringLiteral("03-B"));
  EXPECT_TRUE(a.Commit().ok);
  const CCommitResult rb = b.Commit();
  EXPECT_TRUE(rb.ok) << rb.error;
  EXPECT_EQ(rb.conflicts, 0);
  EXPECT_TRUE(rb.storeChanged);
  EXPECT_EQ(b.Text(0, 0), QStringLiteral("山田A"));  // merged into b's card
  CClient check(QStringLiteral("merge"));
  ASSERT_TRUE(check.Load());
  EXPECT_EQ(CardTexts(check.doc.Store()),
            (std::vector<QStringList>{{QStringLiteral("山田A"), QStringLiteral("03-B")},
                                      {QStringLiteral("佐藤B"), QStringLiteral("06")}}));

  // The same item, begun before the other's change: asked, with both texts.
  for (const ConflictChoice choice : {ConflictChoice::kMine, ConflictChoice::kTheirs}) {
    const QString mine = choice == ConflictChoice::kMine ? QStringLiteral("b's") : QStringLiteral("b's 2");
    const QString theirs = choice == ConflictChoice::kMine ? QStringLiteral("a's") : QStringLiteral("a's 2");
    bool changed, reload;
    ASSERT_TRUE(a.deck.Refresh(a.doc.Store(), {}, &changed, &reload));
    ASSERT_TRUE(b.deck.Refresh(b.doc.Store(), {}, &changed, &reload));
    a.Set(1, 1, theirs);
    b.Set(1, 1, mine);
    ASSERT_TRUE(a.Commit().ok);
    b.conflicts.clear();
    const CCommitResult r = b.Commit(choice);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(b.conflicts.size(), 1u);
    EXPECT_EQ(b.conflicts[0].itemName, QStringLiteral("電話"));
    EXPECT_EQ(b.conflicts[0].mine, mine);
    EXPECT_EQ(b.conflicts[0].theirs, theirs);
    const QString kept = choice == ConflictChoice::kMine ? mine : theirs;
    EXPECT_EQ(b.Text(1, 1), kept);
    CClient after(QStringLiteral("merge"));
    ASSERT_TRUE(after.Load());
    EXPECT_EQ(after.Text(1, 1), kept);
  }
}

TEST(ServerDeck, InsertionsDeletionsAndTheirConflicts) {
  PushDeck(QStringLiteral("cards"), {QStringLiteral("名")},
           {{QStringLiteral("一")}, {QStringLiteral("二")}, {QStringLiteral("三")}});
  CClient a(QStringLiteral("cards"));
  CClient b(QStringLiteral("cards"));
  ASSERT_TRUE(a.Load() && b.Load());
  // a inserts between 一 and 二 and deletes 三; b changes 三 meanwhile.
  auto card = std::make_unique<CCardRow>();
  card->MakeEmpty(1);
  card->SetItem(0, QStringLiteral("一半"));
  a.doc.Store().AllCards().insert(a.doc.Store().AllCards().begin() + 1, std::move(card));
  a.doc.Store().AllCards().erase(a.doc.Store().AllCards().begin() + 3);
  a.doc.Store().RebuildVisible();
  b.Set(2, 0, QStringLiteral("三b"));
  ASSERT_TRUE(b.Commit().ok);
  const CCommitResult r = a.Commit(ConflictChoice::kTheirs);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(a.conflicts.size(), 1u);
  EXPECT_EQ(a.conflicts[0].item, -1);
  // Theirs kept: the card b changed comes back to a.
  CClient check(QStringLiteral("cards"));
  ASSERT_TRUE(check.Load());
  EXPECT_EQ(CardTexts(check.doc.Store()),
            (std::vector<QStringList>{{QStringLiteral("一")}, {QStringLiteral("一半")}, {QStringLiteral("二")},
                                      {QStringLiteral("三b")}}));
  EXPECT_EQ(a.doc.Store().AllCount(), 4);
  EXPECT_FALSE(a.deck.HasPending(a.doc.Store()));

  // b's refresh brings the insertion; a deletion with no change against it
  // goes through, and b's refresh drops the card.
  bool changed, reload;
  ASSERT_TRUE(b.deck.Refresh(b.doc.Store(), {}, &changed, &reload));
  EXPECT_TRUE(changed);
  EXPECT_EQ(b.doc.Store().AllCount(), 4);
  a.doc.Store().AllCards().erase(a.doc.Store().AllCards().begin());
  a.doc.Store().RebuildVisible();
  ASSERT_TRUE(a.Commit().ok);
  ASSERT_TRUE(b.deck.Refresh(b.doc.Store(), {}, &changed, &reload));
  EXPECT_EQ(b.doc.Store().AllCount(), 3);
  EXPECT_FALSE(reload);
}

TEST(ServerDeck, StructureChangeMakesOthersReload) {
  PushDeck(QStringLiteral("items"), {QStringLiteral("名")}, {{QStringLiteral("一")}});
  CClient a(QStringLiteral("items"));
  CClient b(QStringLiteral("items"));
  ASSERT_TRUE(a.Load() && b.Load());
  ASSERT_TRUE(a.doc.Store().InsertEmptyItem(-1));
  for (int k = 0; k < a.doc.Store().AllCount(); ++k) a.doc.Store().AllCard(k)->InsertEmptyItem(-1);
  a.doc.Store().SetItem(1, QStringLiteral("電話"));
  a.Set(0, 1, QStringLiteral("03"));
  ASSERT_TRUE(a.Commit().ok);
  bool changed, reload;
  ASSERT_TRUE(b.deck.Refresh(b.doc.Store(), {}, &changed, &reload));
  EXPECT_TRUE(reload);
  // b's own structure change on the old items is refused, not merged.
  b.doc.Store().SetItem(0, QStringLiteral("氏名"));
  const CCommitResult r = b.Commit();
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.reload);
  ASSERT_TRUE(b.Load());
  EXPECT_EQ(CardTexts(b.doc.Store()), (std::vector<QStringList>{{QStringLiteral("一"), QStringLiteral("03")}}));
}

TEST(ServerDeck, NotificationsNameTheChangedCards) {
  PushDeck(QStringLiteral("notify"), {QStringLiteral("名")}, {{QStringLiteral("一")}, {QStringLiteral("二")}});
  CClient a(QStringLiteral("notify"));
  CClient b(QStringLiteral("notify"));
  ASSERT_TRUE(a.Load() && b.Load());
  std::vector<qint64> heard;
  bool got = false;
  QObject::connect(b.deck.Connection().Db().driver(), &QSqlDriver::notification,
                   [&](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) {
                     if (name == CServerDeck::Channel()) got = b.deck.ParsePayload(payload.toString(), &heard) || got;
                   });
  a.Set(1, 0, QStringLiteral("二a"));
  ASSERT_TRUE(a.Commit().ok);
  QElapsedTimer t;
  t.start();
  while (!got && t.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(got);
  ASSERT_EQ(heard.size(), 1u);
  bool changed, reload;
  ASSERT_TRUE(b.deck.Refresh(b.doc.Store(), heard, &changed, &reload));
  EXPECT_TRUE(changed);
  EXPECT_EQ(b.Text(1, 0), QStringLiteral("二a"));
}

TEST(ServerDeck, RestartedServerLosesNothing) {
  PushDeck(QStringLiteral("restart"), {QStringLiteral("名")}, {{QStringLiteral("一")}, {QStringLiteral("二")}});
  CClient a(QStringLiteral("restart"));
  ASSERT_TRUE(a.Load());
  a.Set(0, 0, QStringLiteral("一a"));
  ASSERT_TRUE(a.Commit().ok);
  ASSERT_TRUE(TestPgServer().Stop());
  // Edits while the server is gone stay pending, and go into the journal.
  a.Set(1, 0, QStringLiteral("二a"));
  const CCommitResult lost = a.Commit();
  EXPECT_FALSE(lost.ok);
  EXPECT_TRUE(lost.connectionLost);
  EXPECT_TRUE(a.deck.HasPending(a.doc.Store()));
  const QJsonObject journal = a.deck.PendingJournal(a.doc.Store());
  ASSERT_TRUE(TestPgServer().Start()) << TestPgServer().Error();
  // Committed when the server is back...
  const CCommitResult back = a.Commit();
  EXPECT_TRUE(back.ok) << back.error;
  // ...and a window that died with the same change pending puts it from its
  // journal onto a fresh load with the same check: no second write, no conflict.
  CClient revived(QStringLiteral("restart"));
  ASSERT_TRUE(revived.Load());
  revived.deck.ApplyJournal(revived.doc.Store(), journal);
  const CCommitResult again = revived.Commit();
  EXPECT_TRUE(again.ok) << again.error;
  EXPECT_TRUE(revived.conflicts.empty());
  CClient check(QStringLiteral("restart"));
  ASSERT_TRUE(check.Load());
  EXPECT_EQ(CardTexts(check.doc.Store()), (std::vector<QStringList>{{QStringLiteral("一a")}, {QStringLiteral("二a")}}));
}

TEST(ServerDeck, JournalOfAKilledWindowCommitsAtTheNextStart) {
  PushDeck(QStringLiteral("journal"), {QStringLiteral("名"), QStringLiteral("メモ")},
           {{QStringLiteral("一"), QString()}, {QStringLiteral("二"), QString()}});
  QJsonObject journal;
  {
    CClient dying(QStringLiteral("journal"));
    ASSERT_TRUE(dying.Load());
    dying.Set(0, 1, QStringLiteral("mine"));
    dying.Set(1, 1, QStringLiteral("also mine"));
    journal = dying.deck.PendingJournal(dying.doc.Store());
  }
  // Meanwhile another changed card 1's same item.
  CClient other(QStringLiteral("journal"));
  ASSERT_TRUE(other.Load());
  other.Set(1, 1, QStringLiteral("theirs"));
  ASSERT_TRUE(other.Commit().ok);

  CClient next(QStringLiteral("journal"));
  ASSERT_TRUE(next.Load());
  next.deck.ApplyJournal(next.doc.Store(), journal);
  const CCommitResult r = next.Commit(ConflictChoice::kMine);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(next.conflicts.size(), 1u);
  EXPECT_EQ(next.conflicts[0].theirs, QStringLiteral("theirs"));
  CClient check(QStringLiteral("journal"));
  ASSERT_TRUE(check.Load());
  EXPECT_EQ(check.Text(0, 1), QStringLiteral("mine"));
  EXPECT_EQ(check.Text(1, 1), QStringLiteral("also mine"));
}

TEST(ServerDeck, SavedOrderIsTheNextLoadsOrder) {
  PushDeck(QStringLiteral("order"), {QStringLiteral("名")},
           {{QStringLiteral("c")}, {QStringLiteral("a")}, {QStringLiteral("b")}});
  CClient a(QStringLiteral("order"));
  ASSERT_TRUE(a.Load());
  auto& all = a.doc.Store().AllCards();
  std::sort(all.begin(), all.end(), [](const auto& x, const auto& y) { return x->Item(0) < y->Item(0); });
  a.doc.Store().RebuildVisible();
  // Sorting is the window's own: nothing to commit, the shared order stays.
  EXPECT_FALSE(a.deck.HasPending(a.doc.Store()));
  CClient before(QStringLiteral("order"));
  ASSERT_TRUE(before.Load());
  EXPECT_EQ(before.Text(0, 0), QStringLiteral("c"));
  ASSERT_TRUE(a.deck.SaveOrder(a.doc.Store())) << a.deck.Error();
  CClient after(QStringLiteral("order"));
  ASSERT_TRUE(after.Load());
  EXPECT_EQ(CardTexts(after.doc.Store()),
            (std::vector<QStringList>{{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}}));
}

}  // namespace
