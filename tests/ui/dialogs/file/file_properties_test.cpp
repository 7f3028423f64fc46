// ファイルのプロパティ and the colour dialog it opens: what OK changes in the
// document and the card view, and the custom colours kept in the settings.
#include "settings/settings.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"
#include "ui/widgets/color_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QSize kWide(800, 600);

// In the colour dialog: picks rgb, adds it to the custom colours when asked, then OK or cancel.
void AnswerColor(QColor rgb, bool addCustom, bool ok, QList<QColor>* customsShown = nullptr) {
  OnDialog(u"色の設定"_s, [=](QDialog& d) {
    auto* chooser = d.findChild<QColorDialog*>(QLatin1String(kColorChooserName));
    QVERIFY(chooser);
    for (int i = 0; customsShown && i < 16; ++i) customsShown->append(QColorDialog::customColor(i));
    chooser->setCurrentColor(rgb);
    if (addCustom) DialogButton(*chooser, QCoreApplication::translate("QColorDialog", "&Add to Custom Colors"))->click();
    DialogButton(d, ok ? u"OK"_s : u"キャンセル"_s)->click();
  });
}

}  // namespace

class CFilePropertiesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  // OK stores the flags and the colour; a changed first line turns the names
  // into a card and the card view shows the made-up names. Cancel, in the
  // colour dialog or the dialog, keeps what was there.
  void apply_data() {
    QTest::addColumn<bool>("firstLine");
    QTest::addColumn<bool>("msCsv");
    QTest::addColumn<bool>("colorOk");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("label0");
    QTest::addColumn<int>("cards");
    QTest::newRow("colour only") << true << false << true << true << "name" << 2;
    QTest::newRow("first line off, MS-CSV") << false << true << false << true << "項目1" << 3;
    QTest::newRow("cancelled") << false << true << true << false << "name" << 2;
  }
  void apply() {
    QFETCH(bool, firstLine);
    QFETCH(bool, msCsv);
    QFETCH(bool, colorOk);
    QFETCH(bool, ok);
    QFETCH(QString, label0);
    QFETCH(int, cards);
    const QString path = m_env.WriteCards(u"props.csv"_s, "name,memo\r\na,x\r\nb,y\r\n");
    CAppUnderTest t(path, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    const std::uint32_t oldColor = doc.Store().FileProperty().m_backColor;

    OnDialog(u"ファイルのプロパティ"_s, [&](QDialog& d) {
      QCOMPARE(d.findChild<QLabel*>(u"path"_s)->text(), path);
      const auto boxes = d.findChildren<QCheckBox*>();
      QCOMPARE(boxes.size(), 2);
      QCOMPARE(boxes[0]->text(), u"一行目を項目カードとする(&F)"_s);
      QVERIFY(boxes[0]->isChecked() && !boxes[1]->isChecked());
      boxes[0]->setChecked(firstLine);
      boxes[1]->setChecked(msCsv);
      AnswerColor(QColor(0x10, 0x20, 0x30), false, colorOk);
      DialogButton(d, u"背景色(&B)..."_s)->click();
      DialogButton(d, ok ? u"OK"_s : u"キャンセル"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(33092));

    const CVelumProperty& fp = doc.Store().FileProperty();
    QCOMPARE(doc.IsModified(), ok);
    QCOMPARE(fp.m_set != 0, ok);
    QCOMPARE(fp.m_msCsv != 0, ok && msCsv);
    QCOMPARE(doc.Store().FirstLineIsItems(), !ok || firstLine);
    QCOMPARE(doc.VisibleCount(), cards);
    const std::uint32_t color = ok && colorOk ? 0x302010u : oldColor;
    QCOMPARE(fp.m_backColor, color);
    CCardView& view = t.Window().CardView();
    QCOMPARE(view.findChild<QLabel*>(u"200"_s)->text(), label0);
    if (ok)
      QCOMPARE(view.findChild<QWidget*>(u"cardForm"_s)->palette().color(QPalette::Window),
               QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF)));
  }

  // The custom colours come from ColorDlg (white where missing); the one the
  // user changed is written back, also when the dialog is cancelled.
  void customColors() {
    CAppUnderTest t(m_env.WriteCards(u"colors.csv"_s, "a\r\n"), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CSettingsStore& settings = t.App().Settings();
    settings.WriteProfileString(u"ColorDlg"_s, u"Custom3"_s, u"255"_s);

    std::uint32_t color = 0x00FF00;
    QList<QColor> shown;
    AnswerColor(QColor(0, 0, 0x80), true, false, &shown);
    QVERIFY(!ChooseColor(&t.Window(), settings, &color));
    QCOMPARE(color, 0x00FF00u);
    QCOMPARE(shown.size(), 16);
    QCOMPARE(shown[3], QColor(255, 0, 0));
    QCOMPARE(shown[0], QColor(Qt::white));
    QStringList written;
    for (int i = 0; i < 16; ++i)
      written << settings.GetProfileString(u"ColorDlg"_s, u"Custom%1"_s.arg(i), {});
    written.removeAll(QString());
    QCOMPARE(written, (QStringList{u"8388608"_s, u"255"_s}));

    AnswerColor(QColor(0x12, 0x34, 0x56), false, true);
    QVERIFY(ChooseColor(&t.Window(), settings, &color));
    QCOMPARE(color, 0x563412u);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CFilePropertiesTest)
#include "file_properties_test.moc"
