// Server decks against card files, on a server of the benchmark's own (see
// server_bench.sh, which starts one and passes its socket folder):
//   open:   a deck of CARDS cards loaded from the server, against the same
//           cards read from a card file (best of RUNS);
//   edit:   the round trip of one edit, from one client's commit to the other
//           client holding the text after its notification (p50, p99);
//   load:   ten velum-cli batch processes making a thousand edits each.
//   server_bench SOCKET_FOLDER USER VELUM_CLI [CARDS] [RUNS]
#include "card_file_generator.h"

#include "core/card_store.h"
#include "core/velum_doc.h"
#include "server/server_deck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDriver>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

CDeckUri Deck(const QString& folder, const QString& user, const QString& name) {
  CDeckUri uri;
  QString error;
  ParseDeckUri(QStringLiteral("postgresql://%1@/postgres?host=%2&deck=%3")
                   .arg(user, QString::fromUtf8(QUrl::toPercentEncoding(folder, "/")), name),
               &uri, &error);
  return uri;
}

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: server_bench SOCKET_FOLDER USER VELUM_CLI [CARDS] [RUNS]\n");
    return 2;
  }
  const QString folder = args[1], user = args[2], cli = args[3];
  const int cards = args.size() > 4 ? args[4].toInt() : 100000;
  const int runs = args.size() > 5 ? args[5].toInt() : 3;
  CBenchServices bench;
  const QString file = bench.GeneratedFile(cards);

  // Open: the card file, then the same cards as a deck.
  double fileBest = 1e18, deckBest = 1e18;
  {
    CVelumDoc doc(bench.services);
    for (int r = 0; r < runs; ++r) {
      QElapsedTimer t;
      t.start();
      doc.OnOpenDocument(file);
      fileBest = std::min(fileBest, Ms(t));
    }
    CServerDeck push(Deck(folder, user, QStringLiteral("bench")));
    if (!push.Connect() || !push.Push(doc.Store(), true)) {
      std::fprintf(stderr, "push: %s\n", qPrintable(push.Error()));
      return 1;
    }
  }
  for (int r = 0; r < runs; ++r) {
    CVelumDoc doc(bench.services);
    CServerDeck deck(Deck(folder, user, QStringLiteral("bench")));
    QElapsedTimer t;
    t.start();
    if (!deck.Connect() || !deck.Load(doc.Store())) {
      std::fprintf(stderr, "load: %s\n", qPrintable(deck.Error()));
      return 1;
    }
    deckBest = std::min(deckBest, Ms(t));
  }
  std::printf("open %d cards: card file %.0f ms, server deck %.0f ms (best of %d)\n", cards, fileBest, deckBest, runs);

  // Edit round trip on the big deck: a commit by A until B holds the text.
  {
    CVelumDoc a(bench.services), b(bench.services);
    CServerDeck da(Deck(folder, user, QStringLiteral("bench"))), db(Deck(folder, user, QStringLiteral("bench")));
    if (!da.Connect() || !db.Connect() || !da.Load(a.Store()) || !db.Load(b.Store())) return 1;
    std::vector<qint64> heard;
    bool got = false;
    QObject::connect(db.Connection().Db().driver(), &QSqlDriver::notification,
                     [&](const QString&, QSqlDriver::NotificationSource, const QVariant& payload) {
                       got = db.ParsePayload(payload.toString(), &heard);
                     });
    std::mt19937 random(7);
    std::vector<double> commit, trip;
    for (int n = 0; n < 300; ++n) {
      const int card = int(random() % unsigned(cards));
      const QString text = QStringLiteral("edit %1").arg(n);
      a.Store().AllCard(card)->SetItem(1, text);
      got = false;
      QElapsedTimer t;
      t.start();
      if (!da.Commit(a.Store(), {}).ok) return 1;
      commit.push_back(Ms(t));
      while (!got) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
      bool changed, reload;
      db.Refresh(b.Store(), heard, &changed, &reload);
      trip.push_back(Ms(t));
      if (b.Store().AllCard(card)->Item(1) != text) std::fprintf(stderr, "round trip %d lost its text\n", n);
    }
    auto pct = [](std::vector<double> v, double p) {
      std::sort(v.begin(), v.end());
      return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
    };
    std::printf("edit on a %d-card deck: commit p50 %.1f ms p99 %.1f ms; round trip to another client p50 %.1f ms p99 %.1f ms\n",
                cards, pct(commit, 0.5), pct(commit, 0.99), pct(trip, 0.5), pct(trip, 0.99));
  }

  // The load test's throughput: 10 clients, 1,000 edits each, on a small deck.
  {
    CVelumDoc doc(bench.services);
    CItemNameRow row;
    row.MakeEmpty(3);
    for (int i = 0; i < 3; ++i) row.SetItem(i, QStringLiteral("item%1").arg(i));
    doc.Store().SetItemNames(row, false);
    for (int k = 0; k < 40; ++k) doc.Store().AppendEmptyCard();
    doc.Store().RebuildVisible();
    CServerDeck deck(Deck(folder, user, QStringLiteral("load")));
    if (!deck.Connect() || !deck.Push(doc.Store(), true)) return 1;
    std::vector<std::unique_ptr<QProcess>> clients;
    QElapsedTimer t;
    t.start();
    for (int c = 0; c < 10; ++c) {
      QByteArray script;
      std::mt19937 random(100 + c);
      for (int n = 0; n < 1000; ++n)
        script += QStringLiteral("set %1 item%2 c%3-%4\n").arg(random() % 40).arg(random() % 3).arg(c).arg(n).toUtf8();
      auto p = std::make_unique<QProcess>();
      p->start(cli, {QStringLiteral("--settings"), bench.dir.filePath(QStringLiteral("velum.reg")), QStringLiteral("batch"),
                     deck.Uri().ToString()});
      p->waitForStarted();
      p->write(script);
      p->closeWriteChannel();
      clients.push_back(std::move(p));
    }
    int conflicts = 0;
    for (auto& p : clients) {
      p->waitForFinished(-1);
      conflicts += int(p->readAllStandardError().count("conflict:"));
    }
    const double s = Ms(t) / 1000;
    std::printf("load: 10 clients x 1000 edits in %.1f s = %.0f edits/s, %d conflicts reported\n", s, 10000 / s, conflicts);
  }
  return 0;
}
