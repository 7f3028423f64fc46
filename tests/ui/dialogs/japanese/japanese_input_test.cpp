// Japanese typing in the window: the address that a postal code fills in,
// the reading kept from input-method compositions, the two postal commands,
// よみ順 in the sort dialogs and the list's headings, and the settings page.
#include "japanese/japanese_settings.h"
#include "support/dialog_test_support.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/japanese/ime_composition.h"
#include "ui/dialogs/japanese/postal_choice_dialog.h"
#include "ui/dialogs/select/multi_sort_dialog.h"
#include "ui/dialogs/select/sort_dialog.h"
#include "ui/dialogs/settings/settings_sheet.h"
#include "ui/views/card_view.h"
#include "ui/views/list_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

const QSize kWide(800, 600);

// A UTF-8 address book: name, reading, code, address.
QByteArray Cards(const QString& rows) {
  return "\xEF\xBB\xBF" + (QStringLiteral("氏名,ふりがな,郵便番号,住所\r\n") + rows).toUtf8();
}

QPlainTextEdit* Edit(CAppUnderTest& t, int item) {
  return qobject_cast<QPlainTextEdit*>(t.Window().CardView().ItemControl(item));
}

QString Text(CAppUnderTest& t, int card, int item) {
  return t.App().Doc().Store().GetItemText(card, item).toString();
}

// Types into an item and leaves it with Tab, as the user does.
void TypeAndLeave(CAppUnderTest& t, int item, const QString& text) {
  // A choice dialog that closed may leave the window inactive.
  QApplication::setActiveWindow(&t.Window());
  t.Window().CardView().FocusItem(item);
  QPlainTextEdit* edit = Edit(t, item);
  QVERIFY(edit);
  edit->moveCursor(QTextCursor::End);
  // Key by key with their texts (QTest's key clicks know ASCII only).
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(edit, &press);
  }
  QTest::keyClick(edit, Qt::Key_Tab);
}

// Acts on the next choice dialog once it shows, however late: the fills run
// after the store that caused them. The poll stops with the dialog.
void OnChoice(std::function<void(CPostalChoiceDialog&)> act, bool* ran) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act), ran] {
    auto* d = qobject_cast<CPostalChoiceDialog*>(QApplication::activeModalWidget());
    if (!d) return;
    poll->stop();
    poll->deleteLater();
    *ran = true;
    act(*d);
    if (d->isVisible()) d->reject();
  });
  poll->start();
}

}  // namespace

class CJapaneseInputTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    qputenv("VELUM_POSTAL_DIR", QByteArray(VELUM_SOURCE_DIR) + "/tests/data/japanese");
    m_env.SetUp();
  }

  void codeFillsTheAddress() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("a.csv"), Cards(QStringLiteral("一,,,\r\n二,,,大阪府\r\n"))),
                    m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    TypeAndLeave(t, 2, QStringLiteral("〒１００－０００１"));
    QTRY_COMPARE(Text(t, 0, 3), QStringLiteral("東京都千代田区千代田"));
    QCOMPARE(Edit(t, 3)->toPlainText(), QStringLiteral("東京都千代田区千代田"));
    QCOMPARE(doc.UndoStack().UndoLabel(), QStringLiteral("郵便番号から住所"));
    // One undo step takes the address back and leaves the code.
    QVERIFY(t.Window().Dispatch(33200));
    QCOMPARE(Text(t, 0, 3), QString());
    QCOMPARE(Text(t, 0, 2), QStringLiteral("〒１００－０００１"));

    // Two addresses: a choice.
    Edit(t, 2)->clear();
    bool ran = false;
    OnChoice(
        [&](CPostalChoiceDialog& d) {
          QCOMPARE(d.windowTitle(), QStringLiteral("住所の選択"));
          auto* list = d.findChild<QListWidget*>();
          QCOMPARE(list->count(), 2);
          QCOMPARE(list->item(1)->text(), QStringLiteral("三重県桑名郡木曽岬町"));
          list->setCurrentRow(1);
          d.accept();
        },
        &ran);
    TypeAndLeave(t, 2, QStringLiteral("498-0000"));
    QTRY_VERIFY(ran);
    QTRY_COMPARE(Text(t, 0, 3), QStringLiteral("三重県桑名郡木曽岬町"));

    // An address that has text stays as it is; an unknown code fills nothing.
    QVERIFY(t.Window().Dispatch(32769));
    TypeAndLeave(t, 2, QStringLiteral("1000001"));
    QTest::qWait(50);
    QCOMPARE(Text(t, 1, 3), QStringLiteral("大阪府"));
    QVERIFY(t.Window().Dispatch(32773));
    QCOMPARE(t.CountInTranscript(QStringLiteral("message")), 0);
  }

  void readingFromCompositions() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("r.csv"), Cards(QStringLiteral("佐藤,さとう,,\r\n,,,\r\n"))),
                    m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    QVERIFY(t.Window().Dispatch(32769));
    t.Window().CardView().FocusItem(0);
    QPlainTextEdit* name = Edit(t, 0);
    QVERIFY(name->hasFocus());
    SendComposition(name, QStringLiteral("かとう"), QStringLiteral("加藤"));
    SendComposition(name, QStringLiteral("たろう"), QStringLiteral("太郎"));
    // 太郎 deleted and typed again as 次郎.
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClick(name, Qt::Key_Backspace);
    SendComposition(name, QStringLiteral("じろう"), QStringLiteral("次郎"));
    QCOMPARE(name->toPlainText(), QStringLiteral("加藤次郎"));
    QTest::keyClick(name, Qt::Key_Tab);
    QTRY_COMPARE(Text(t, 1, 1), QStringLiteral("かとうじろう"));
    QCOMPARE(Edit(t, 1)->toPlainText(), QStringLiteral("かとうじろう"));

    // A card that has a reading keeps it.
    QVERIFY(t.Window().Dispatch(32773));
    t.Window().CardView().FocusItem(0);
    Edit(t, 0)->moveCursor(QTextCursor::End);
    SendComposition(Edit(t, 0), QStringLiteral("はなこ"), QStringLiteral("花子"));
    QTest::keyClick(Edit(t, 0), Qt::Key_Tab);
    QTest::qWait(50);
    QCOMPARE(Text(t, 0, 0), QStringLiteral("佐藤花子"));
    QCOMPARE(Text(t, 0, 1), QStringLiteral("さとう"));
  }

  void readingInKatakanaWhenAsked() {
    const QString settings = m_env.NewSettings({{QStringLiteral("System/ReadingKatakana"), 1}});
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("k.csv"), Cards(QStringLiteral(",,,\r\n"))), settings, kWide);
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(0);
    SendComposition(Edit(t, 0), QStringLiteral("すずき"), QStringLiteral("鈴木"));
    QTest::keyClick(Edit(t, 0), Qt::Key_Tab);
    QTRY_COMPARE(Text(t, 0, 1), QStringLiteral("スズキ"));
  }

  void postalCommands() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("p.csv"),
                                     Cards(QStringLiteral("一,,100-0001,東京都千代田区千代田1\r\n二,,100-0001,大阪府\r\n"
                                                          "三,,,京都府京都市上京区亀屋町2\r\n"))),
                    m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    QVERIFY(t.Window().Dispatch(33219));
    QCOMPARE(doc.VisibleCount(), 1);
    QCOMPARE(Text(t, 0, 0), QStringLiteral("二"));
    QVERIFY(t.Transcript().contains(QStringLiteral("郵便番号と住所の合わないカードが 1 枚あります")));
    QVERIFY(t.Window().Dispatch(32786));  // 絞り込み解除
    QCOMPARE(doc.VisibleCount(), 3);

    doc.MakeCurrent(2);
    doc.UpdateAllViews(nullptr, hint::kWholeDocument);
    bool ran = false;
    WhenOpen<CPostalChoiceDialog>(
        [&](CPostalChoiceDialog& d) {
          QCOMPARE(d.windowTitle(), QStringLiteral("郵便番号の選択"));
          QCOMPARE(d.findChild<QListWidget*>()->count(), 2);
          d.accept();
        },
        &ran);
    QVERIFY(t.Window().Dispatch(33220));
    QVERIFY(ran);
    QCOMPARE(Text(t, 2, 2), QStringLiteral("602-8062"));
    QCOMPARE(Edit(t, 2)->toPlainText(), QStringLiteral("602-8062"));
  }

  void yomiInTheSortDialogsAndHeadings() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("s.csv"),
                                     Cards(QStringLiteral("渡辺,わたなべ,,\r\n加藤,カトウ,,\r\n阿部,あべ,,\r\n"))),
                    m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    doc.SetCurrentItem(1);
    bool ran = false;
    WhenOpen<CSortDialog>(
        [&](CSortDialog& d) {
          const QList<QRadioButton*> radios = d.findChildren<QRadioButton*>();
          QCOMPARE(radios.size(), 6);
          QCOMPARE(radios[4]->text(), QStringLiteral("昇順（よみ）"));
          QCOMPARE(radios[5]->text(), QStringLiteral("降順（よみ）"));
          radios[4]->click();
          ButtonOf(d, QStringLiteral("OK"))->click();
        },
        &ran);
    QVERIFY(t.Window().Dispatch(32778));
    QVERIFY(ran);
    QCOMPARE(Names(doc), QStringLiteral("阿部 加藤 渡辺"));

    ran = false;
    WhenOpen<CMultiSortDialog>(
        [&](CMultiSortDialog& d) {
          auto* order = d.findChild<QComboBox*>(QStringLiteral("order"));
          QCOMPARE(order->count(), 6);
          QCOMPARE(order->itemText(5), QStringLiteral("降順（よみ）"));
        },
        &ran);
    QVERIFY(t.Window().Dispatch(32875));
    QVERIFY(ran);

    // A click on a text column's heading: よみ順, then the other way.
    QVERIFY(t.Window().Dispatch(32837));  // the list
    auto* list = t.Window().findChild<CListView*>();
    QVERIFY(list);
    Q_EMIT list->horizontalHeader()->sectionClicked(1);
    QCOMPARE(Names(doc), QStringLiteral("阿部 加藤 渡辺"));
    QCOMPARE(doc.Store().SortKeys().m_keys.front().m_order, 4);
    Q_EMIT list->horizontalHeader()->sectionClicked(1);
    QCOMPARE(Names(doc), QStringLiteral("渡辺 加藤 阿部"));
  }

  void settingsPage() {
    CAppUnderTest t(m_env.WriteCards(QStringLiteral("t.csv"), Cards(QStringLiteral(",,,\r\n"))), m_env.NewSettings(),
                    kWide);
    QVERIFY(t.started);
    bool ran = false;
    WhenOpen<CSettingsSheet>(
        [&](CSettingsSheet& d) {
          auto* tabs = d.findChild<QTabWidget*>();
          QCOMPARE(tabs->tabText(3), QStringLiteral("日本語"));
          auto* fold = d.findChild<QCheckBox*>(QStringLiteral("KanaFold"));
          QVERIFY(fold && fold->isChecked());
          fold->setChecked(false);
          d.accept();
        },
        &ran);
    QVERIFY(t.Window().Dispatch(32883));
    QVERIFY(ran);
    QCOMPARE(ReadSetting(t.App().Settings(), settings::kKanaFold), 0u);
    QCOMPARE(ReadSetting(t.App().Settings(), settings::kWideDigits), 1u);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CJapaneseInputTest)
#include "japanese_input_test.moc"
