// The settings sheet: cancel writes nothing, OK writes only what changed and the
// window follows at once, numbers out of range are refused.
#include "datetime/holiday.h"
#include "settings/settings.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/settings/settings_sheet.h"
#include "ui/views/card_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);

const QStringList kSheetValues = {
    u"System/MRU"_s,        u"View/MaxTate"_s,       u"System/CursorMove"_s,      u"System/CursorRightMove"_s,
    u"View/ItemPosMode"_s,  u"View/ItemWidthMode"_s, u"System/IncreSearch"_s,     u"View/CardMargin"_s,
    u"View/LabelEditZero"_s, u"System/OkFrame"_s,    u"System/PPCOpenDlg"_s,      u"System/PPCSaveDlg"_s,
    u"System/HolidayRules"_s};

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `command` and, once its dialog is open, `act` on it.
void WithDialog(CAppUnderTest& t, std::uint32_t command, const std::function<void(CSettingsSheet&)>& act) {
  QVERIFY(WithModalDialog<CSettingsSheet>([&] { t.Window().Dispatch(command); }, act));
}

QCheckBox* CheckBox(QWidget& w, const QString& text) {
  for (QCheckBox* c : w.findChildren<QCheckBox*>())
    if (c->text() == text) return c;
  return nullptr;
}

}  // namespace

class CSettingsSheetTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void cancelLeavesTheFileAsItWas() {
    const QString settings = m_env.NewSettings({{QStringLiteral("View/MaxTate"), 6}});
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    const QByteArray before = FileBytes(settings);
    WithDialog(t, 32883, [](CSettingsSheet& sheet) {
      sheet.findChild<QLineEdit*>(QStringLiteral("MaxTate"))->setText(QStringLiteral("9"));
      CheckBox(sheet, QStringLiteral("左右キー"))->setChecked(true);
      sheet.reject();
    });
    QCOMPARE(FileBytes(settings), before);
    QCOMPARE(t.App().Cache().maxTate, 6u);
  }

  // Each row changes one control; OK writes that one value and no other.
  void okWritesOnlyWhatChanged_data() {
    QTest::addColumn<QString>("control");  // a check box text, or #objectName of a field
    QTest::addColumn<QString>("input");    // the field's text; empty: toggles the box
    QTest::addColumn<QString>("value");    // Section/Value written
    QTest::addColumn<int>("expected");
    QTest::newRow("MaxTate") << u"#MaxTate"_s << u"7"_s << u"View/MaxTate"_s << 7;
    QTest::newRow("MRU") << u"#MRU"_s << u"0"_s << u"System/MRU"_s << 0;
    QTest::newRow("left-right") << u"左右キー"_s << u""_s << u"System/CursorRightMove"_s << 1;
    QTest::newRow("up-down") << u"上下キー"_s << u""_s << u"System/CursorMove"_s << 0;
    QTest::newRow("incremental") << u"インクリメントサーチ有効"_s << u""_s << u"System/IncreSearch"_s << 0;
    QTest::newRow("holidays") << u"祝日を旧来の規則で判定する"_s << u""_s << u"System/HolidayRules"_s << 1;
    QTest::newRow("margin") << u"カード画面で左右にマージンを取る(&L)"_s << u""_s << u"View/CardMargin"_s << 0;
    QTest::newRow("no gap") << u"項目名と入力エリアを空けない(&Z)"_s << u""_s << u"View/LabelEditZero"_s << 1;
    QTest::newRow("ok frame") << u"右上のOKで終了(次回起動時から)"_s << u""_s << u"System/OkFrame"_s << 1;
    QTest::newRow("open dialog") << u"開く時のダイアログを標準に"_s << u""_s << u"System/PPCOpenDlg"_s << 0;
    QTest::newRow("save dialog") << u"保存時のダイアログを標準に"_s << u""_s << u"System/PPCSaveDlg"_s << 1;
  }
  void okWritesOnlyWhatChanged() {
    QFETCH(QString, control);
    QFETCH(QString, input);
    QFETCH(QString, value);
    QFETCH(int, expected);
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    WithDialog(t, 32883, [&](CSettingsSheet& sheet) {
      if (control.startsWith(u'#')) {
        sheet.findChild<QLineEdit*>(control.mid(1))->setText(input);
      } else {
        QCheckBox* box = CheckBox(sheet, control);
        QVERIFY(box);
        box->toggle();
      }
      sheet.accept();
    });
    CSettingsStore store(settings);
    const QString section = value.section(u'/', 0, 0), name = value.section(u'/', 1);
    QCOMPARE(store.GetProfileInt(section, name, 12345), std::uint32_t(expected));
    // No other value of the sheet was written.
    for (const QString& other : kSheetValues) {
      if (other == value) continue;
      QVERIFY2(store.GetProfileInt(other.section(u'/', 0, 0), other.section(u'/', 1), 12345) == 12345,
               qPrintable(other));
    }
    SetHolidayRules(HolidayRules::kCurrentLaw);
  }

  // CSV files open with Velum only when the association page says so; the
  // user's earlier choice comes back when it is taken away again.
  void csvFilesOpenWithVelumOnlyWhenAsked() {
    const QString mimeapps = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_s;
    const QByteArray mine = "[Default Applications]\ntext/csv=calc.desktop\ntext/plain=edit.desktop\n";
    QFile file(mimeapps);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(mine);
    file.close();
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    const QString label = u"CSVファイルをVELUMで開く(&C)"_s;
    for (bool on : {true, false}) {
      WithDialog(t, 32883, [&](CSettingsSheet& sheet) {
        QCheckBox* box = CheckBox(sheet, label);
        QVERIFY(box);
        QCOMPARE(box->isChecked(), !on);
        box->setChecked(on);
        sheet.accept();
      });
      const QByteArray now = FileBytes(mimeapps);
      QCOMPARE(now.contains("text/csv=velum.desktop;calc.desktop;\n"), on);
      QVERIFY(now.contains("text/plain=edit.desktop\n"));
      if (!on) QCOMPARE(now, QByteArray("[Default Applications]\ntext/csv=calc.desktop;\ntext/plain=edit.desktop\n"));
    }
    QVERIFY(t.Transcript().isEmpty());
    QFile::remove(mimeapps);
  }

  void theWindowFollowsAtOnce() {
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    const QJsonArray layout = t.Window().CardView().LayoutJson();
    WithDialog(t, 32883, [](CSettingsSheet& sheet) {
      sheet.findChild<QLineEdit*>(QStringLiteral("MaxTate"))->setText(QStringLiteral("2"));
      CheckBox(sheet, QStringLiteral("カード画面で左右にマージンを取る(&L)"))->setChecked(false);
      CheckBox(sheet, QStringLiteral("祝日を旧来の規則で判定する"))->setChecked(true);
      sheet.findChildren<QComboBox*>().at(0)->setCurrentIndex(0);
      sheet.accept();
    });
    QCOMPARE(t.App().Cache().maxTate, 2u);
    QCOMPARE(t.App().Cache().itemPosMode, 0u);
    QVERIFY(ActiveHolidayRules() == HolidayRules::kClassic);
    // The card is laid out again at once: the name beside its field, no margin.
    QVERIFY(t.Window().CardView().LayoutJson() != layout);
    SetHolidayRules(HolidayRules::kCurrentLaw);
  }

  void numbersOutOfRangeAreRefused_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("MRU 11") << u"MRU"_s << u"11"_s << u"0 から 10 までの整数を入力してください。"_s;
    QTest::newRow("MaxTate 0") << u"MaxTate"_s << u"0"_s << u"1 から 100 までの整数を入力してください。"_s;
    QTest::newRow("MaxTate 101") << u"MaxTate"_s << u"101"_s << u"1 から 100 までの整数を入力してください。"_s;
    QTest::newRow("MaxTate empty") << u"MaxTate"_s << u""_s << u"1 から 100 までの整数を入力してください。"_s;
  }
  void numbersOutOfRangeAreRefused() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    const QByteArray before = FileBytes(settings);
    bool stayedOpen = false;
    WithDialog(t, 32883, [&](CSettingsSheet& sheet) {
      sheet.findChild<QLineEdit*>(field)->setText(text);
      sheet.accept();
      stayedOpen = sheet.isVisible();
    });
    QVERIFY(stayedOpen);
    QCOMPARE(t.CountInTranscript(QStringLiteral("message: ") + message), 1);
    QCOMPARE(FileBytes(settings), before);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CSettingsSheetTest)
#include "settings_sheet_test.moc"
