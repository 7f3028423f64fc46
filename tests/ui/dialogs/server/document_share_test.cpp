// The window shares its document: the lock beside a card file (the question
// when another holds it, the read-only window, the lock gone when the file is
// left), and a deck on a real server edited by the window and by another
// client (a velum-cli process) at once: changes land both ways, a conflict
// asks, and either answer keeps both texts in sight.
#include "app/frame_command_table.h"
#include "core/card_store.h"
#include "server/file_lock.h"
#include "server/pg_server.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/server/document_share.h"
#include "ui/dialogs/server/server_deck_dialog.h"
#include "ui/views/card_view.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSysInfo>
#include <QtTest>

#include <QPushButton>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const QSize kWide(800, 600);
const QByteArray kCards = "氏名,電話\r\n安藤,03\r\n伊藤,06\r\n";

void LockBy(const QString& card, qint64 pid) {
  QFile f(LockFilePath(card));
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("user=hanako\nhost=%1\npid=%2\ntime=2024-05-03T09:00:00+09:00\n")
              .arg(QSysInfo::machineHostName())
              .arg(pid)
              .toUtf8());
}

QString Cli(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(VELUM_CLI_PATH), args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// Waits (the event loop running, notifications arriving) until done() holds.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 3000 && !done(); ++i) QTest::qWait(10);
  return done();
}

}  // namespace

class CDocumentShareTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void aFileAnotherHoldsAsksAndOpensReadOnly() {
    const QString card = m_env.WriteCards(QStringLiteral("held.csv"), kCards);
    LockBy(card, getppid());
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("other.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    QVERIFY(QFile::exists(LockFilePath(m_env.Path(QStringLiteral("other.csv")))));
    CVelumDoc& doc = t.App().Doc();

    // キャンセル: the open document stays.
    t.App().ScriptPrompt()->QueueChoice(IPrompt::Choice::Cancel);
    QVERIFY(!t.Window().OpenFile(card));
    QVERIFY(doc.PathName().endsWith(QStringLiteral("other.csv")));
    QVERIFY(t.Transcript().contains(QStringLiteral("hanako")));

    // 読み取り専用で開く: every change is refused, the title says so.
    t.App().ScriptPrompt()->QueueChoice(IPrompt::Choice::Yes);
    QVERIFY(t.Window().OpenFile(card));
    QVERIFY(!QFile::exists(LockFilePath(m_env.Path(QStringLiteral("other.csv")))));
    QVERIFY(t.Window().ShownTitle().contains(QStringLiteral("読み取り専用")));
    const int before = t.App().Doc().Store().AllCount();
    const int refusals = t.CountInTranscript(QStringLiteral("読み取り専用で開いています"));
    t.Window().Dispatch(cmd::kAddCard);
    t.Window().Dispatch(cmd::kDeleteCard);
    QCOMPARE(doc.Store().AllCount(), before);
    t.Window().CardView().FocusItem(1);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9"));
    QCOMPARE(doc.Store().GetItemText(0, 1).toString(), QStringLiteral("03"));
    QCOMPARE(t.CountInTranscript(QStringLiteral("読み取り専用で開いています")), refusals + 3);
    // The holder's lock stays as it was.
    QCOMPARE(ReadLock(card)->pid, qint64(getppid()));

    // 開く: both edit; the window takes no lock of the other's file.
    t.App().ScriptPrompt()->QueueChoice(IPrompt::Choice::No);
    QVERIFY(t.Window().OpenFile(card));
    QVERIFY(!t.Window().ShownTitle().contains(QStringLiteral("読み取り専用")));
    t.Window().Dispatch(cmd::kAddCard);
    QCOMPARE(doc.Store().AllCount(), before + 1);
    QCOMPARE(ReadLock(card)->pid, qint64(getppid()));

    // A stale lock (its process is gone) is taken over without a word.
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    LockBy(card, child);
    const int questions = t.CountInTranscript(QStringLiteral("question:"));
    doc.SetModifiedFlag(false);
    QVERIFY(t.Window().OpenFile(card));
    QCOMPARE(t.CountInTranscript(QStringLiteral("question:")), questions);
    QCOMPARE(ReadLock(card)->pid, qint64(getpid()));
    // Leaving the file for a new one (新規作成: 空のファイル) takes the lock away.
    OnDialog(QStringLiteral("新しいリスト"), [](QDialog& d) {
      d.findChild<QListWidget*>(QStringLiteral("points"))->setCurrentRow(4);
      d.findChild<QPlainTextEdit*>(QStringLiteral("names"))->setPlainText(QStringLiteral("項目１"));
      d.accept();
    });
    t.Window().Dispatch(cmd::kNew);
    QVERIFY(!QFile::exists(LockFilePath(card)));
  }

  void aDeckIsEditedByTheWindowAndAnotherClient() {
    CTestPgServer& server = TestPgServer();
    QVERIFY2(server.Running(), qPrintable(server.Error()));
    const QString settings = m_env.NewSettings();
    const QString uri = server.Uri(QStringLiteral("window's deck"));
    QCOMPARE(Cli({QStringLiteral("--settings"), settings, QStringLiteral("push"),
                  m_env.WriteCards(QStringLiteral("deck.csv"), kCards), uri, QStringLiteral("--replace")}),
             QString());
    CAppUnderTest t(uri, settings, kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    QVERIFY(WaitFor([&] { return doc.Store().AllCount() == 2; }));
    QVERIFY(t.Window().ShownTitle().startsWith(QStringLiteral("window's deck")));

    // Another client's edit shows in the window on its notification.
    QProcess other;
    other.start(QStringLiteral(VELUM_CLI_PATH), {QStringLiteral("--settings"), settings, QStringLiteral("batch"), uri});
    QVERIFY(other.waitForStarted());
    other.write("set 1 電話 06-other\n");
    QVERIFY(WaitFor([&] { return doc.Store().GetItemText(1, 1) == u"06-other"; }));

    // The window's edit, stored by leaving the field, reaches the server.
    t.Window().CardView().FocusItem(1);
    QPlainTextEdit* field = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
    QVERIFY(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("03-window"));
    t.Window().CardView().FocusItem(0);
    QVERIFY(WaitFor([&] {
      return Cli({QStringLiteral("--settings"), settings, QStringLiteral("value"), uri, QStringLiteral("0"),
                  QStringLiteral("電話")}) == u"03-window\n";
    }));

    // Typing into a field while the other changes the same item: the window
    // keeps what is typed, and storing it asks. 相手の変更を残す puts mine on
    // the clipboard.
    for (const bool overwrite : {false, true}) {
      const QString mine = overwrite ? QStringLiteral("mine-2") : QStringLiteral("mine-1");
      const QString theirs = overwrite ? QStringLiteral("theirs-2") : QStringLiteral("theirs-1");
      t.Window().CardView().FocusItem(1);
      field = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
      QVERIFY(field);
      field->selectAll();
      QTest::keyClicks(field, mine);
      // The other client as it starts now: it knows the deck as it stands.
      QProcess fresh;
      fresh.start(QStringLiteral(VELUM_CLI_PATH), {QStringLiteral("--settings"), settings, QStringLiteral("batch"), uri});
      QVERIFY(fresh.waitForStarted());
      fresh.write(QStringLiteral("set 0 電話 %1\n").arg(theirs).toUtf8());
      fresh.closeWriteChannel();
      while (fresh.state() != QProcess::NotRunning) QTest::qWait(20);
      QCOMPARE(fresh.readAllStandardError(), QByteArray());
      QTest::qWait(300);
      QCOMPARE(field->toPlainText(), mine);
      t.App().ScriptPrompt()->QueueAnswer(overwrite);
      t.Window().CardView().FocusItem(0);
      QVERIFY(WaitFor([&] { return t.Transcript().contains(theirs); }));
      const QString expected = overwrite ? mine : theirs;
      QVERIFY(WaitFor([&] { return doc.Store().GetItemText(0, 1) == expected; }));
      QCOMPARE(Cli({QStringLiteral("--settings"), settings, QStringLiteral("value"), uri, QStringLiteral("0"),
                    QStringLiteral("電話")}),
               expected + u'\n');
      if (!overwrite) QCOMPARE(t.App().Services().clipboard.Text(), mine);
    }
    other.closeWriteChannel();
    other.waitForFinished();
  }

  void aLostServerLosesNothingAndTheJournalOutlivesTheWindow() {
    CTestPgServer& server = TestPgServer();
    const QString settings = m_env.NewSettings();
    const QString uri = server.Uri(QStringLiteral("journal deck"));
    Cli({QStringLiteral("--settings"), settings, QStringLiteral("push"),
         m_env.WriteCards(QStringLiteral("journal.csv"), kCards), uri, QStringLiteral("--replace")});
    {
      CAppUnderTest t(uri, settings, kWide);
      QVERIFY(t.started);
      CVelumDoc& doc = t.App().Doc();
      QVERIFY(WaitFor([&] { return doc.Store().AllCount() == 2; }));
      QVERIFY(server.Stop());
      t.Window().Dispatch(cmd::kAddCard);
      QVERIFY(WaitFor([&] { return t.Transcript().contains(QStringLiteral("サーバーとの接続が切れました")); }));
      QVERIFY(t.Window().StatusText().contains(QStringLiteral("サーバーに接続していません")));
      // More changes while it is gone: said once, kept in the window.
      doc.Store().SetItemText(0, 0, QStringLiteral("offline edit"));
      t.Window().Dispatch(cmd::kNextCard);
      QTest::qWait(300);
      QCOMPARE(t.CountInTranscript(QStringLiteral("サーバーとの接続が切れました")), 1);
      // The window dies here with its changes pending: only the journal has them.
    }
    QVERIFY2(server.Start(), qPrintable(server.Error()));
    CAppUnderTest next(uri, settings, kWide);
    QVERIFY(next.started);
    QVERIFY(WaitFor([&] {
      return Cli({QStringLiteral("--settings"), settings, QStringLiteral("value"), uri, QStringLiteral("0"),
                  QStringLiteral("氏名")}) == u"offline edit\n";
    }));
    QCOMPARE(Cli({QStringLiteral("--settings"), settings, QStringLiteral("count"), uri, QStringLiteral("氏名")})
                 .section(u'\n', 0, 0),
             QStringLiteral("総数 3"));
  }

  void theServerDeckDialogListsTheDecks() {
    CTestPgServer& server = TestPgServer();
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("plain.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    Cli({QStringLiteral("push"), m_env.Path(QStringLiteral("plain.csv")), server.Uri(QStringLiteral("listed")),
         QStringLiteral("--replace")});
    QStringList listed;
    const bool shown = WithModalDialog<CServerDeckDialog>([&] { t.Window().Dispatch(cmd::kOpenServerDeck); },
                                                          [&](CServerDeckDialog& d) {
                                                            // The socket folder stands as the host.
                                                            d.findChild<QLineEdit*>(QStringLiteral("host"))->setText(server.SocketFolder());
                                                            d.findChild<QLineEdit*>(QStringLiteral("database"))->setText(QStringLiteral("postgres"));
                                                            d.findChild<QLineEdit*>(QStringLiteral("user"))->setText(server.User());
                                                            DialogButton(d, QStringLiteral("一覧(&L)"))->click();
                                                            auto* deck = d.findChild<QComboBox*>();
                                                            for (int i = 0; i < deck->count(); ++i) listed << deck->itemText(i);
                                                          });
    QVERIFY(shown);
    QVERIFY(listed.contains(QStringLiteral("listed")));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CDocumentShareTest)
#include "document_share_test.moc"
