// ブラウザ表示設定 and ブラウザ表示: OK stores both paths for the card file,
// cancel stores nothing, the starting template is written at once, and the
// preview of the current card is handed to the shell.
#include "html/html_settings.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/file/browser_dialog.h"
#include "ui/widgets/file_select_dialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QPushButton* Button(QWidget& w, const QString& text) {
  for (QPushButton* b : w.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

}  // namespace

class CBrowserDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void cancelStoresNothingButTheTemplateIsWritten() {
    const QString settings = m_env.NewSettings();
    CAppUnderTest t(m_env.CopySample(), settings, kWide);
    QVERIFY(t.started);
    const QByteArray before = FileBytes(settings);
    const QString made = m_env.Path(u"made.html"_s);
    QVERIFY(WithModalDialog<CBrowserSettingsDialog>([&] { t.Window().Dispatch(33087); },
                                                    [&](CBrowserSettingsDialog& d) {
      QCOMPARE(d.TemplatePath(), CHtmlSettings::DefaultTemplate());
      QVERIFY(WithModalDialog<CFileSelectDialog>([&] { Button(d, u"テンプレートの作成"_s)->click(); },
                                                 [&](CFileSelectDialog& f) {
        f.findChild<QLineEdit*>(u"1029"_s)->setText(made);
        f.accept();
      }));
      QCOMPARE(d.TemplatePath(), made);
      d.reject();
    }));
    QVERIFY(FileBytes(made).contains("<h3>"));
    QVERIFY(FileBytes(made).contains("%%1%%\r\n"));
    QCOMPARE(FileBytes(settings), before);
  }

  void okStoresThePathsAndThePreviewOpens() {
    const QString settings = m_env.NewSettings();
    const QString card = m_env.CopySample();
    CAppUnderTest t(card, settings, kWide);
    QVERIFY(t.started);
    // Without a template the preview asks for the settings.
    t.Window().Dispatch(33086);
    QCOMPARE(t.CountInTranscript(
                 u"message: ブラウザ表示にはテンプレートファイルの作成が必要です。ブラウザ表示設定を行ってください。"_s),
             1);
    const QString tmpl = m_env.Path(u"t.html"_s), preview = m_env.Path(u"p.html"_s);
    QFile f(tmpl);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<p>%%1%%</p>\n");
    f.close();
    QVERIFY(WithModalDialog<CBrowserSettingsDialog>([&] { t.Window().Dispatch(33087); },
                                                    [&](CBrowserSettingsDialog& d) {
      d.findChild<QLineEdit*>(u"template"_s)->setText(tmpl);
      d.findChild<QLineEdit*>(u"preview"_s)->setText(preview);
      d.accept();
    }));
    const CHtmlSettings stored = CHtmlSettings::Read(CSettingsStore(settings), card);
    QCOMPARE(stored.templatePath, tmpl);
    QCOMPARE(stored.previewPath, preview);
    t.Window().Dispatch(33086);
    QVERIFY(t.Transcript().contains(u"opened: "_s + preview));
    QVERIFY(QString::fromLocal8Bit(FileBytes(preview)).startsWith(u"<p>"_s));
    QVERIFY(!FileBytes(preview).contains("%%1%%"));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CBrowserDialogTest)
#include "browser_dialog_test.moc"
