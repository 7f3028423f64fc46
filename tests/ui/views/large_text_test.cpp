// Items far longer than a window can show: the views show their beginning and
// never lose the rest; and a failed allocation inside an event is reported
// and survived.
#include "core/messages.h"
#include "support/ui_test_support.h"
#include "ui/views/card_edit.h"
#include "ui/views/card_view.h"
#include "ui/views/deck_models.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"

#include <QtTest>

#include <new>

namespace {

// An object whose events fail as an allocation of a huge text would.
class CGreedy final : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::bad_alloc();
    if (e->type() == QEvent::User + 1) ++handled;
    return QObject::event(e);
  }
  int handled = 0;
};

}  // namespace

class CLargeTextTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void shortenedTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QString x999(999, u'x');
    QTest::newRow("short, line breaks as blanks") << QStringLiteral("a\r\nb\nc") << QStringLiteral("a b c");
    QTest::newRow("exactly the most") << QString(1000, u'x') << QString(1000, u'x');
    QTest::newRow("longer: cut and marked") << QString(5000, u'x') << QString(1000, u'x') + QStringLiteral("…");
    QTest::newRow("a surrogate pair is not split")
        << x999 + QStringLiteral("😀") + QString(10, u'y') << x999 + QStringLiteral("…");
    QTest::newRow("a line break is not split") << x999 + QStringLiteral("\r\n") + QString(10, u'y')
                                               << x999 + QStringLiteral("…");
  }
  void shortenedTexts() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(OneLine(text), shown);
  }

  // A card whose item holds more than an edit takes: the edit shows its
  // beginning, read-only; the rest of the card is edited and stored as
  // always and the long text stays whole; the next card's edit is ordinary.
  void longItemStaysWhole() {
    const QString longText = QStringLiteral("0123456789\r\n").repeated(CVelumEdit::kMaxEditChars / 12 + 1000);
    const QByteArray cards = "memo,name\r\n\"" + longText.toUtf8() + "\",a\r\nshort,b\r\n";
    const QString path = m_env.WriteCards(QStringLiteral("long.csv"), "\xEF\xBB\xBF" + cards);
    CAppUnderTest t(path, m_env.NewSettings(), QSize(800, 600));
    QVERIFY(t.started);
    CMainWindow& w = t.Window();
    CCardView& view = w.CardView();
    auto* memo = qobject_cast<CVelumEdit*>(view.ItemControl(0));
    auto* name = qobject_cast<CVelumEdit*>(view.ItemControl(1));
    QVERIFY(memo && name);
    QVERIFY(memo->Shortened());
    QVERIFY(memo->isReadOnly());
    QVERIFY(memo->toPlainText().size() <= CVelumEdit::kShownChars + 1);
    QVERIFY(memo->toPlainText().endsWith(QStringLiteral("…")));
    QCOMPARE(memo->CardText(), longText);

    view.FocusItem(1);
    QTest::keyClicks(name, QStringLiteral("z"));
    view.StoreCard();
    CVelumDoc& doc = t.App().Doc();
    QCOMPARE(doc.Store().GetItemText(0, 1).toString(), QStringLiteral("za"));
    QCOMPARE(doc.Store().GetItemText(0, 0).toString(), longText);

    // The rows show the beginning only.
    const QString row = w.ItemList().Model().index(0, 0).data().toString();
    QVERIFY(row.size() <= kMaxShownChars + 1 && row.startsWith(QStringLiteral("0123456789 0")));
    QVERIFY(row.endsWith(QStringLiteral("…")));

    w.Dispatch(32769);  // the next card
    QCOMPARE(doc.CurrentCard(), 1);
    memo = qobject_cast<CVelumEdit*>(view.ItemControl(0));
    QVERIFY(memo);
    QVERIFY(!memo->Shortened());
    QVERIFY(!memo->isReadOnly());
    view.FocusItem(0);
    QTest::keyClicks(memo, QStringLiteral("!"));
    view.StoreCard();
    QCOMPARE(doc.Store().GetItemText(1, 0).toString(), QStringLiteral("!short"));
    QVERIFY(doc.Save());
    QVERIFY(doc.OnOpenDocument(path));
    QCOMPARE(doc.Store().GetItemText(0, 0).toString(), longText);
  }

  // An item of one long token (hexadecimal digits, no place to break a line)
  // is wrapped at any character, so that it is laid out in bounded pieces and
  // typing into it stays quick; words of the same length keep breaking at
  // words; a long token pasted into an edit switches it too.
  void unbrokenTokensWrapAnywhere() {
    QString token(CVelumEdit::kMaxEditChars, u'0');
    for (qsizetype i = 0; i < token.size(); ++i) token[i] = QChar(u"0123456789abcdef"[(i * 7919) % 16]);
    const QString words = QStringLiteral("lorem ipsum dolor ").repeated(CVelumEdit::kMaxEditChars / 18);
    const QByteArray cards = "memo,words,name\r\n" + token.toUtf8() + ",\"" + words.toUtf8() + "\",a\r\n";
    const QString path = m_env.WriteCards(QStringLiteral("token.csv"), cards);
    CAppUnderTest t(path, m_env.NewSettings(), QSize(800, 600));
    QVERIFY(t.started);
    CCardView& view = t.Window().CardView();
    auto* memo = qobject_cast<CVelumEdit*>(view.ItemControl(0));
    auto* prose = qobject_cast<CVelumEdit*>(view.ItemControl(1));
    auto* name = qobject_cast<CVelumEdit*>(view.ItemControl(2));
    QVERIFY(memo && prose && name);
    QVERIFY(!memo->Shortened());
    QVERIFY(memo->WrapsAnywhere());
    QVERIFY(!prose->WrapsAnywhere());
    QVERIFY(!name->WrapsAnywhere());
    view.FocusItem(0);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral("z"));
    view.StoreCard();
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 0).toString(), token + u'z');

    view.FocusItem(2);
    name->moveCursor(QTextCursor::End);
    name->insertPlainText(token.left(CVelumEdit::kMaxUnbrokenRun + 1));
    QVERIFY(name->WrapsAnywhere());
  }

  // An allocation that fails inside an event ends that event only: the
  // message is shown once and the next event is handled.
  void outOfMemoryInAnEvent() {
    auto* app = dynamic_cast<CVelumQApplication*>(QCoreApplication::instance());
    QVERIFY(app);
    QStringList shown;
    app->onOutOfMemory = [&] { shown << msg::kNoMemory; };
    CGreedy greedy;
    QCoreApplication::postEvent(&greedy, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&greedy, new QEvent(QEvent::Type(QEvent::User + 1)));
    QCoreApplication::processEvents();
    app->onOutOfMemory = nullptr;
    QCOMPARE(shown, QStringList{msg::kNoMemory});
    QCOMPARE(greedy.handled, 1);
  }

 private:
  CUiTestEnv m_env;
};

int main(int argc, char** argv) {
  CVelumQApplication app(argc, argv);
  CLargeTextTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "large_text_test.moc"
