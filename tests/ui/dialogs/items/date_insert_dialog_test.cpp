// 日時の挿入: the calendar marks the days off of the rules in force, OK inserts
// the text into the focused item, the options dialog writes the thirteen values.
#include "datetime/holiday.h"
#include "settings/settings.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/items/date_insert_dialog.h"
#include "ui/views/card_view.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);

template <class D>
void WithDialog(const std::function<void()>& open, const std::function<void(D&)>& act) {
  QVERIFY(WithModalDialog<D>(open, act));
}

QCheckBox* Box(QWidget& w, const QString& text) {
  for (QCheckBox* c : w.findChildren<QCheckBox*>())
    if (c->text() == text) return c;
  return nullptr;
}

QPushButton* Button(QWidget& w, const QString& text) {
  for (QPushButton* b : w.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

}  // namespace

class CDateInsertDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }
  void cleanup() { SetHolidayRules(HolidayRules::kCurrentLaw); }

  // The days drawn in the holiday colour, under each set of rules.
  void daysOffAreColoured_data() {
    QTest::addColumn<int>("rules");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("off");
    QTest::newRow("constitution day") << 0 << QDate(2024, 5, 3) << true;
    QTest::newRow("greenery day, a Saturday") << 0 << QDate(2024, 5, 4) << true;
    QTest::newRow("substitute Monday") << 0 << QDate(2024, 5, 6) << true;
    QTest::newRow("working Tuesday") << 0 << QDate(2024, 5, 7) << false;
    QTest::newRow("plain Saturday") << 0 << QDate(2024, 5, 11) << false;
    QTest::newRow("2019 accession, current law") << 0 << QDate(2019, 5, 1) << true;
    QTest::newRow("2019 accession, classic rules") << 1 << QDate(2019, 5, 1) << false;
  }
  void daysOffAreColoured() {
    QFETCH(int, rules);
    QFETCH(QDate, date);
    QFETCH(bool, off);
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings({{u"System/HolidayRules"_s, rules}}), kWide);
    QVERIFY(t.started);
    CDateInsertDialog dialog(t.App());
    dialog.Calendar()->setCurrentPage(date.year(), date.month());
    const bool red = dialog.Calendar()->dateTextFormat(date).foreground().color() == QColor(Qt::red);
    QCOMPARE(red, off);
    QCOMPARE(dialog.findChild<QLabel*>(u"month"_s)->text(), u"%1年%2月"_s.arg(date.year()).arg(date.month()));
  }

  void okInsertsIntoTheFocusedItemCancelDoesNot() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CCardView& view = t.Window().CardView();
    view.FocusItem(2);
    auto* edit = qobject_cast<QPlainTextEdit*>(view.ItemControl(2));
    QVERIFY(edit);
    const QString before = edit->toPlainText();
    edit->moveCursor(QTextCursor::End);
    WithDialog<CDateInsertDialog>([&] { t.Window().Dispatch(32851); }, [](CDateInsertDialog& d) {
      // Opens on today (VELUM_NOW, 2024/05/03).
      QCOMPARE(d.findChild<QLabel*>(u"preview"_s)->text(), u"05/03(金)"_s);
      QLineEdit* date = d.findChild<QLineEdit*>(u"date"_s);
      date->setText(u"2024/5/6"_s);
      Q_EMIT date->textEdited(date->text());
      QCOMPARE(d.Text(), u"05/06(月)"_s);
      d.reject();
    });
    QCOMPARE(edit->toPlainText(), before);
    WithDialog<CDateInsertDialog>([&] { t.Window().Dispatch(32851); }, [](CDateInsertDialog& d) {
      d.Calendar()->setSelectedDate(QDate(2024, 5, 6));
      QCOMPARE(d.Moment().Hour(), 10);  // the time of day taken when it opened
      Button(d, u"今日"_s)->click();
      QCOMPARE(d.Calendar()->selectedDate(), QDate(2024, 5, 3));
      d.Calendar()->setSelectedDate(QDate(2024, 5, 6));
      d.accept();
    });
    QCOMPARE(edit->toPlainText(), before + u"05/06(月)"_s);
  }

  void optionsAreWrittenOnOkOnly() {
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    CDateInsertDialog dialog(t.App());
    auto change = [](CDateOptionsDialog& o) {
      Box(o, u"年"_s)->setChecked(true);
      Box(o, u"&4桁"_s)->setChecked(true);
      Box(o, u"時"_s)->setChecked(true);
      Box(o, u"分"_s)->setChecked(true);
      Box(o, u"&24時間表記"_s)->setChecked(false);
      o.findChild<QComboBox*>()->setCurrentIndex(2);
      QCOMPARE(o.findChild<QLabel*>(u"preview"_s)->text(), u"2024/05/03(金) 午前10:20"_s);
      Box(o, u"X年X月X日形式(&K)"_s)->setChecked(true);
      QVERIFY(!o.findChild<QLineEdit*>()->isEnabled());
    };
    QPushButton* options = Button(dialog, u"オプション(&O)..."_s);
    WithDialog<CDateOptionsDialog>([&] { options->click(); }, [&](CDateOptionsDialog& o) {
      change(o);
      o.reject();
    });
    QCOMPARE(CSettingsStore(settings).GetProfileInt(u"DateOpt"_s, u"Year"_s, 99), 99u);
    WithDialog<CDateOptionsDialog>([&] { options->click(); }, [&](CDateOptionsDialog& o) {
      change(o);
      o.accept();
    });
    const CSettingsStore store(settings);
    const CDateOptions read = ReadDateOptions(store);
    QVERIFY(read.year && read.year4 && read.hour && read.minute && read.nengappi && !read.time24);
    QCOMPARE(read.timeAmPm, 2);
    // All thirteen are written, also those left as they were.
    QCOMPARE(store.GetProfileString(u"DateOpt"_s, u"Mark"_s, u"missing"_s), u"/"_s);
    for (const QString& name : {u"Nengo"_s, u"Week"_s, u"TimeKanji"_s})
      QVERIFY2(store.GetProfileInt(u"DateOpt"_s, name, 99) != 99, qPrintable(name));
    QCOMPARE(dialog.Text(), u"2024年05月03日(金) 午前10時20分"_s.replace(u"時20分"_s, u":20"_s));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CDateInsertDialogTest)
#include "date_insert_dialog_test.moc"
