// 名前を付けて保存 offers the encoding, the line ends and the form beside the
// name, in the program's own file dialog and in the standard one; a new file
// saved from the window is UTF-8 with a byte-order mark in the form
// spreadsheets read, and reads back the same in the program and in Python's
// csv module.
#include "app/frame_command_table.h"
#include "core/card_store.h"
#include "support/ui_test_support.h"
#include "ui/views/card_view.h"
#include "ui/widgets/file_select_dialog.h"
#include "ui/widgets/save_form_box.h"

#include <QComboBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);

// The combo box a label names in the form's part of a dialog.
QComboBox* FormCombo(QWidget& dialog, const QString& label) {
  for (QLabel* l : dialog.findChild<CSaveFormBox*>()->findChildren<QLabel*>())
    if (l->text().startsWith(label)) return qobject_cast<QComboBox*>(l->buddy());
  return nullptr;
}

QStringList FormChoices(QWidget& dialog) {
  QStringList out;
  for (const QString& label : {u"文字コード"_s, u"改行"_s, u"形式"_s}) {
    QComboBox* combo = FormCombo(dialog, label);
    out << (combo ? combo->currentText() : u"(none)"_s);
  }
  return out;
}

// Typed key by key into the focused control, as a keyboard with an input
// method would send the text.
void Type(const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &release);
  }
}

QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Python's csv module over the file, as JSON rows; empty when Python cannot run.
QJsonArray PythonCsvRows(const QString& path) {
  const QString python = QStandardPaths::findExecutable(u"python3"_s);
  if (python.isEmpty()) return {};
  QProcess p;
  p.start(python, {u"-c"_s,
                   u"import csv, json, sys\n"
                   "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                   "    print(json.dumps(list(csv.reader(f))))\n"_s,
                   path});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

}  // namespace

class CSaveAsDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void aNewFileFromTheWindowReadsInSpreadsheets() {
    CAppUnderTest t(QString(), m_env.NewSettings({{u"System/PPCSaveDlg"_s, 0}, {u"System/StartChoice"_s, 0}}), kWide);
    QVERIFY(t.started);
    // 新規作成: 空のファイル with one item typed.
    OnDialog(u"新しいリスト"_s, [](QDialog& d) {
      d.findChild<QListWidget*>(u"points"_s)->setCurrentRow(4);
      d.findChild<QPlainTextEdit*>(u"names"_s)->setPlainText(u"項目１"_s);
      d.accept();
    });
    QVERIFY(t.Window().Dispatch(cmd::kNew));
    CVelumDoc& doc = t.App().Doc();
    t.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&t.Window()));
    t.Window().CardView().FocusItem(0);
    QVERIFY(QApplication::focusWidget());
    Type(u"山田, \"太郎\""_s);
    QVERIFY(t.Window().Dispatch(cmd::kLineBreak));
    Type(u"二行目"_s);

    const QString path = m_env.Path(u"new.csv"_s);
    QStringList offered;
    QVERIFY(WithModalDialog<CFileSelectDialog>([&] { t.Window().Dispatch(cmd::kSaveAs); },
                                               [&](CFileSelectDialog& d) {
                                                 offered = FormChoices(d);
                                                 d.findChild<QLineEdit*>(u"1029"_s)->setText(path);
                                                 d.accept();
                                               }));
    QCOMPARE(offered, (QStringList{u"UTF-8 (BOM付き)"_s, u"CR LF"_s, u"Microsoft CSV形式"_s}));
    QCOMPARE(doc.PathName(), path);
    const QString text = u"山田, \"太郎\"\r\n二行目"_s;
    QCOMPARE(doc.Store().AllCard(0)->Item(0).toString(), text);
    QCOMPARE(ReadBytes(path), "\xEF\xBB\xBF" + u"\"項目１\"\r\n\"山田, \"\"太郎\"\"\n二行目\"\r\n"_s.toUtf8());
    const QJsonArray python = PythonCsvRows(path);
    if (!python.isEmpty())
      QCOMPARE(python, QJsonDocument::fromJson(u"[[\"項目１\"],[\"山田, \\\"太郎\\\"\\n二行目\"]]"_s.toUtf8()).array());

    // The next 名前を付けて保存 offers what the file was saved with; the own
    // form, LF and シフトJIS chosen now are written and kept.
    const QString own = m_env.Path(u"own.csv"_s);
    QVERIFY(WithModalDialog<CFileSelectDialog>([&] { t.Window().Dispatch(cmd::kSaveAs); },
                                               [&](CFileSelectDialog& d) {
                                                 offered = FormChoices(d);
                                                 FormCombo(d, u"改行"_s)->setCurrentText(u"LF"_s);
                                                 FormCombo(d, u"形式"_s)->setCurrentText(u"独自形式"_s);
                                                 FormCombo(d, u"文字コード"_s)->setCurrentText(u"シフトJIS"_s);
                                                 d.findChild<QLineEdit*>(u"1029"_s)->setText(own);
                                                 d.accept();
                                               }));
    QCOMPARE(offered, (QStringList{u"UTF-8 (BOM付き)"_s, u"CR LF"_s, u"Microsoft CSV形式"_s}));
    const QByteArray ownBytes = ReadBytes(own);
    QVERIFY(ownBytes.startsWith("\"\x8D\x80\x96\xDA\x82P\"\n\""));  // "項目１" in CP932, LF
    QVERIFY(ownBytes.contains("\x01\x02"));
    QVERIFY(!doc.Store().MultiLine());
    QCOMPARE(doc.Store().LineEnds().record, LineEnd::kLf);
  }

  // The standard dialog carries the same choices below its own rows, with
  // the file's own first. (Its folder loads while it is open, so its OK is
  // not pressed here: the choices reach the save as in the own dialog.)
  void theStandardDialogOffersTheFormToo() {
    const QString path = m_env.WriteCards(u"lf.csv"_s, "a,b\n1,\"x\ny\"\n");
    CAppUnderTest t(path, m_env.NewSettings({{u"System/PPCSaveDlg"_s, 1}}), kWide);
    QVERIFY(t.started);
    QStringList offered;
    QVERIFY(WithModalDialog<QFileDialog>([&] { t.Window().Dispatch(cmd::kSaveAs); },
                                         [&](QFileDialog& d) { offered = FormChoices(d); }));
    QCOMPARE(offered, (QStringList{u"シフトJIS"_s, u"LF"_s, u"Microsoft CSV形式"_s}));
    QCOMPARE(ReadBytes(path), QByteArray("a,b\n1,\"x\ny\"\n"));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CSaveAsDialogTest)
#include "save_as_dialog_test.moc"
