// The card view as the user meets it: texts with line breaks, the comma
// question, and the question before a card is added after the last.
#include "core/edit_messages.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

namespace {

const QSize kWide(800, 600);

// Three items, three cards; card 0 holds a line break in "memo". Bare items
// are not quoted, so a comma typed into one asks.
const QByteArray kCards =
    "name,memo,note\r\n"
    "x,\"a\r\nb\",n\r\n"
    "y,c,o\r\n"
    "z,d,p\r\n";

QPlainTextEdit* Edit(CAppUnderTest& t, int item) {
  return qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(item));
}

// Types into an item's edit at the end of its text, as the keyboard would.
void TypeInto(CAppUnderTest& t, int item, const QString& text) {
  t.Window().CardView().FocusItem(item);
  QPlainTextEdit* edit = Edit(t, item);
  QVERIFY(edit && edit->hasFocus());
  edit->moveCursor(QTextCursor::End);
  QTest::keyClicks(edit, text);
}

}  // namespace

class CCardViewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void lineBreaksSurviveNavigation() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("crlf.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    QPlainTextEdit* memo = Edit(t, 1);
    QVERIFY(memo);
    QCOMPARE(memo->document()->blockCount(), 2);
    QCOMPARE(memo->toPlainText(), QStringLiteral("a\nb"));

    t.Window().Dispatch(32769);
    QCOMPARE(Edit(t, 1)->toPlainText(), QStringLiteral("c"));
    t.Window().Dispatch(32773);
    QCOMPARE(Edit(t, 1)->toPlainText(), QStringLiteral("a\nb"));
    t.Window().CardView().StoreCard();
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 1), QStringLiteral("a\r\nb"));
    QVERIFY(!t.App().Doc().IsModified());

    // A line typed into the multi-line edit is stored with CR LF.
    TypeInto(t, 1, QString());
    QTest::keyClick(Edit(t, 1), Qt::Key_Return);
    QTest::keyClicks(Edit(t, 1), QStringLiteral("e"));
    t.Window().CardView().StoreCard();
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 1), QStringLiteral("a\r\nb\r\ne"));
    QVERIFY(t.App().Doc().IsModified());
    t.Window().Dispatch(32769);
    t.Window().Dispatch(32773);
    QCOMPARE(Edit(t, 1)->toPlainText(), QStringLiteral("a\nb\ne"));
  }

  // A line break into a single-line item stores CR LF and lays the item out
  // again with two lines, the caret after the break.
  void lineBreakInSingleLineItem() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("break.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    const int before = Edit(t, 0)->height();
    TypeInto(t, 0, QString());
    QVERIFY(t.Window().Dispatch(32839));
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 0), QStringLiteral("x\r\n"));
    QPlainTextEdit* edit = Edit(t, 0);
    QVERIFY(edit->height() > before);
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("y"));
    t.Window().CardView().StoreCard();
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 0), QStringLiteral("x\r\ny"));
  }

  // The question comes once per commit, and not again once the item is quoted.
  void commaQuestion_data() {
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<int>("questionsAfterSecondEdit");
    QTest::newRow("ok") << true << 1;
    QTest::newRow("cancel") << false << 2;
  }
  void commaQuestion() {
    QFETCH(bool, answerOk);
    QFETCH(int, questionsAfterSecondEdit);
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("comma.csv"), kCards), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.App().ScriptPrompt()->QueueChoice(answerOk ? IPrompt::Choice::Yes : IPrompt::Choice::Cancel);
    TypeInto(t, 0, QStringLiteral("a,b"));
    t.Window().CardView().FocusItem(1);  // leaving the item commits it
    QCOMPARE(t.CountInTranscript(edit_msg::kCommaQuestion), 1);
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 0), QStringLiteral("xa,b"));
    QCOMPARE(t.App().Doc().Store().VisibleCard(0)->Quoted(0), answerOk);

    TypeInto(t, 0, QStringLiteral(",c"));
    t.Window().CardView().FocusItem(1);
    QCOMPARE(t.CountInTranscript(edit_msg::kCommaQuestion), questionsAfterSecondEdit);
    QCOMPARE(t.App().Doc().Store().GetItemText(0, 0), QStringLiteral("xa,b,c"));
  }

  // Enter in the last item of the last card: a new card, asked first when CardAdd is 1.
  void cardAddAfterLast_data() {
    QTest::addColumn<int>("cardAdd");
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("cards");
    QTest::newRow("asked, cancelled") << 1 << false << 1 << 3;
    QTest::newRow("asked, ok") << 1 << true << 1 << 4;
    QTest::newRow("not asked") << 0 << true << 0 << 4;
  }
  void cardAddAfterLast() {
    QFETCH(int, cardAdd);
    QFETCH(bool, answerOk);
    QFETCH(int, questions);
    QFETCH(int, cards);
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("add.csv"), kCards),
                    m_env.NewSettings({{QStringLiteral("System/CardAdd"), cardAdd}}), kWide);
    QVERIFY(t.started);
    t.Window().Dispatch(32780);
    QCOMPARE(t.App().Doc().CurrentCard(), 2);
    t.App().ScriptPrompt()->QueueChoice(answerOk ? IPrompt::Choice::Yes : IPrompt::Choice::Cancel);
    TypeInto(t, 2, QString());
    QTest::keyClick(Edit(t, 2), Qt::Key_Return);
    QCOMPARE(t.CountInTranscript(edit_msg::kLastCardQuestion), questions);
    QCOMPARE(t.App().Doc().VisibleCount(), cards);
    QCOMPARE(t.App().Doc().CurrentCard(), cards - 1);
    if (cards == 4) {
      // The new card is shown empty with its first item focused.
      QCOMPARE(t.Window().CardView().FocusedItem(), 0);
      QCOMPARE(Edit(t, 0)->toPlainText(), QString());
      QVERIFY(t.App().Doc().IsModified());
    } else {
      QCOMPARE(Edit(t, 2)->toPlainText(), QStringLiteral("p"));
    }
  }

  // Card-scroll mode: the bar below the form selects the card, one a step,
  // five a page, clamped to the deck.
  void cardScrollBarSelectsTheCard() {
    QByteArray cards = "name\r\n";
    for (int k = 0; k < 8; ++k) cards += "c" + QByteArray::number(k) + "\r\n";
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("scroll.csv"), cards),
                    m_env.NewSettings({{QStringLiteral("View/CardScroll"), 1}}), kWide);
    QVERIFY(t.started);
    auto* bar = t.Window().CardView().findChild<QScrollBar*>(QStringLiteral("cardScroll"));
    QVERIFY(bar);
    QCOMPARE(bar->maximum(), 7);
    const struct {
      QAbstractSlider::SliderAction action;
      int card;
    } steps[] = {{QAbstractSlider::SliderSingleStepAdd, 1}, {QAbstractSlider::SliderPageStepAdd, 6},
                 {QAbstractSlider::SliderPageStepAdd, 7},   {QAbstractSlider::SliderSingleStepSub, 6},
                 {QAbstractSlider::SliderToMinimum, 0},     {QAbstractSlider::SliderToMaximum, 7}};
    for (const auto& step : steps) {
      bar->triggerAction(step.action);
      QCOMPARE(t.App().Doc().CurrentCard(), step.card);
      QCOMPARE(Edit(t, 0)->toPlainText(), QStringLiteral("c%1").arg(step.card));
    }
    // Moving by command moves the bar.
    t.Window().Dispatch(32779);
    QCOMPARE(bar->value(), 0);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CCardViewTest)
#include "card_view_test.moc"
