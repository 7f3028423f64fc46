// The print commands in the window: the two layout dialogs store into the
// property record (and only a change marks the document), the preview shows
// the run page by page, and printing through the system's dialog writes the
// pages chosen there.
#include "core/velum_doc.h"
#include "print/print_request.h"
#include "records/print_extras.h"
#include "records/print_label.h"
#include "records/print_layout_edit.h"
#include "render/print_document.h"
#include "settings/settings_store.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/print/label_settings_dialog.h"
#include "ui/dialogs/print/print_preview_dialog.h"
#include "ui/dialogs/print/print_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QSize kWide(800, 600);
constexpr std::uint32_t kPrint = 33210, kPreview = 33211, kLabels = 33212, kPrintSettings = 33213,
                        kLabelSettings = 33214, kSave = 57603;

QStringList Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

void Choose(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  QVERIFY(!found.isEmpty());
  list->setCurrentItem(found.first());
}

}  // namespace

class CPrintDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  // Every item is printed until the layout names some; the dialog moves and
  // orders them, and OK stores the list with the form, frame and margins.
  void printSettingsStoreTheLayout() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    OnDialog(u"印刷の設定"_s, [](QDialog& d) {
      auto lists = d.findChildren<QListWidget*>();
      QCOMPARE(lists.size(), 2);
      QListWidget* unprinted = lists[0];
      QListWidget* printed = lists[1];
      QVERIFY(unprinted->count() == 0);
      QCOMPARE(printed->count(), 8);
      QCOMPARE(printed->item(0)->text(), u"氏名"_s);
      // Keep 氏名, 郵便番号 and 住所: the others go, 郵便番号 moves to the top.
      for (const QString& name : {u"ふりがな"_s, u"電話"_s, u"誕生日"_s, u"区分"_s, u"メモ"_s}) {
        Choose(printed, name);
        DialogButton(d, u"← 外す(&E)"_s)->click();
      }
      QCOMPARE(Entries(unprinted), (QStringList{u"ふりがな"_s, u"電話"_s, u"誕生日"_s, u"区分"_s, u"メモ"_s}));
      Choose(printed, u"郵便番号"_s);
      DialogButton(d, u"上へ(&U)"_s)->click();
      DialogButton(d, u"上へ(&U)"_s)->click();
      DialogButton(d, u"上へ(&U)"_s)->click();  // already at the top
      QCOMPARE(Entries(printed), (QStringList{u"郵便番号"_s, u"氏名"_s, u"住所"_s}));
      auto combos = d.findChildren<QComboBox*>();
      combos[0]->setCurrentIndex(1);  // カード
      combos[2]->setCurrentIndex(int(kFrameDouble));
      d.findChildren<QDoubleSpinBox*>()[1]->setValue(25.5);  // top
      DialogButton(d, u"OK"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kPrintSettings));
    const CPrintProp* layout = FirstPrintLayout(doc.Store().FileProperty());
    QVERIFY(layout);
    QCOMPARE(layout->m_items, (std::vector<std::int32_t>{2, 0, 3}));
    QCOMPARE(layout->m_itemProps.Size(), 3);
    QCOMPARE(layout->m_form, kPrintFormCards);
    QCOMPARE(layout->m_sotowaku, kFrameDouble);
    QCOMPARE(layout->m_margins[1], 25.5);
    QCOMPARE(layout->m_margins[0], 10.0);
    QVERIFY(doc.IsModified());

    // The dialog opens on what was stored; OK without a change and キャンセル leave the document as it was.
    doc.SetModifiedFlag(false);
    OnDialog(u"印刷の設定"_s, [](QDialog& d) {
      QCOMPARE(Entries(d.findChildren<QListWidget*>()[1]), (QStringList{u"郵便番号"_s, u"氏名"_s, u"住所"_s}));
      QCOMPARE(d.findChildren<QComboBox*>()[0]->currentText(), u"カード"_s);
      DialogButton(d, u"OK"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kPrintSettings));
    OnDialog(u"印刷の設定"_s, [](QDialog& d) {
      d.findChildren<QComboBox*>()[0]->setCurrentIndex(0);
      DialogButton(d, u"キャンセル"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kPrintSettings));
    QVERIFY(!doc.IsModified());
    QCOMPARE(FirstPrintLayout(doc.Store().FileProperty())->m_form, kPrintFormCards);
  }

  // The paper's orientation and an item's width are kept for the file beside
  // its property file, which they leave as it was: they need no save, print
  // at once and come back with the file; a save under a new name takes them along.
  void orientationAndWidthsKeptForTheFile() {
    const QString settings = m_env.NewSettings();
    const QString path = m_env.CopySample();
    const QString property = QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() + u".vcv"_s);
    QVERIFY(QFile::copy(QStringLiteral(VELUM_SOURCE_DIR "/examples/住所録.vcv"), property));
    QFile::setPermissions(property, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = [&] {
      QFile f(property);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    {
      CAppUnderTest t(path, settings, kWide);
      QVERIFY(t.started);
      OnDialog(u"印刷の設定"_s, [](QDialog& d) {
        auto* orientation = d.findChild<QComboBox*>(u"orientation"_s);
        auto* width = d.findChild<QDoubleSpinBox*>(u"width"_s);
        QVERIFY(orientation && width);
        QCOMPARE(orientation->currentText(), u"縦"_s);
        QVERIFY(!width->isEnabled());  // no item chosen yet
        orientation->setCurrentIndex(1);
        Choose(d.findChildren<QListWidget*>()[1], u"郵便番号"_s);
        QVERIFY(width->isEnabled());
        QCOMPARE(width->text(), u"自動"_s);
        width->setValue(25);
        DialogButton(d, u"OK"_s)->click();
      });
      QVERIFY(t.Window().Dispatch(kPrintSettings));
      CVelumDoc& doc = t.App().Doc();
      QVERIFY(!doc.IsModified());
      const CPrintExtras kept = ReadPrintExtras(CSettingsStore(settings), path);
      QVERIFY(kept.landscape);
      QCOMPARE(kept.WidthOf(u"郵便番号"_s), 25.0);
      // The window prints on turned paper at once.
      OnDialog(u"印刷プレビュー"_s, [](QDialog& d) {
        auto* preview = qobject_cast<CPrintPreviewDialog*>(&d);
        QVERIFY(preview);
        const QSizeF paper = preview->Document().PaperSize();
        QVERIFY2(paper.width() > paper.height(), qPrintable(u"%1 x %2"_s.arg(paper.width()).arg(paper.height())));
        d.reject();
      });
      QVERIFY(t.Window().Dispatch(kPreview));
      const QString copy = QFileInfo(path).dir().filePath(u"写し.csv"_s);
      OnDialog(u"名前を付けて保存"_s, [&](QDialog& d) {
        d.findChild<QLineEdit*>(u"1029"_s)->setText(u"写し"_s);
        DialogButton(d, u"OK"_s)->click();
      });
      QVERIFY(t.Window().Dispatch(57604));
      QCOMPARE(ReadPrintExtras(CSettingsStore(settings), copy), kept);
    }
    QFile f(property);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    CAppUnderTest again(path, settings, kWide);
    QVERIFY(again.started);
    OnDialog(u"印刷の設定"_s, [](QDialog& d) {
      QCOMPARE(d.findChild<QComboBox*>(u"orientation"_s)->currentText(), u"横"_s);
      Choose(d.findChildren<QListWidget*>()[1], u"郵便番号"_s);
      QCOMPARE(d.findChild<QDoubleSpinBox*>(u"width"_s)->value(), 25.0);
      Choose(d.findChildren<QListWidget*>()[1], u"氏名"_s);
      QCOMPARE(d.findChild<QDoubleSpinBox*>(u"width"_s)->text(), u"自動"_s);
      DialogButton(d, u"キャンセル"_s)->click();
    });
    QVERIFY(again.Window().Dispatch(kPrintSettings));
  }

  // The sheet goes into a label record made for it; the lines and the start
  // position stay for the next dialog and the next print without marking the file.
  // The sheet and the lines go into a label record made for them (the lines
  // are kept beside the file when it is saved); the start position stays for
  // the next dialog and the next print.
  void labelSettingsKeepSheetAndChoice() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    OnDialog(u"ラベルの設定"_s, [](QDialog& d) {
      // The default lines for an address book.
      QCOMPARE(d.findChild<QLineEdit*>(u"prefix1"_s)->text(), u"〒"_s);
      QCOMPARE(d.findChild<QComboBox*>(u"item1"_s)->currentText(), u"郵便番号"_s);
      QCOMPARE(d.findChild<QComboBox*>(u"item2"_s)->currentText(), u"住所"_s);
      QCOMPARE(d.findChild<QComboBox*>(u"item3"_s)->currentText(), u"氏名"_s);
      QCOMPARE(d.findChild<QLineEdit*>(u"suffix3"_s)->text(), u" 様"_s);
      QCOMPARE(d.findChild<QComboBox*>(u"item4"_s)->currentText(), u"（なし）"_s);
      QVERIFY(d.findChild<QLabel*>(u"fit"_s)->text().contains(u"12 枚"_s));
      auto spins = d.findChildren<QSpinBox*>();
      QCOMPARE(spins[0]->value(), 2);  // across
      QCOMPARE(spins[1]->value(), 6);  // down
      spins[0]->setValue(3);           // three of 84 mm do not fit across A4
      QVERIFY(d.findChild<QLabel*>(u"fit"_s)->text().contains(u"はみ出します"_s));
      spins[0]->setValue(2);
      spins[1]->setValue(5);
      QCOMPARE(spins[2]->maximum(), 10);  // the start position
      spins[2]->setValue(4);
      d.findChild<QComboBox*>(u"item4"_s)->setCurrentIndex(5);  // 電話
      d.findChild<QLineEdit*>(u"prefix4"_s)->setText(u"TEL "_s);
      DialogButton(d, u"OK"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kLabelSettings));
    QVERIFY(doc.IsModified());
    const CPrintLabel* label = FindPrintLabel(doc.Store().FileProperty());
    QVERIFY(label);
    QCOMPARE(label->m_col, 5u);
    QCOMPARE(label->m_row, 2u);

    OnDialog(u"ラベルの設定"_s, [](QDialog& d) {
      QCOMPARE(d.findChild<QComboBox*>(u"item4"_s)->currentText(), u"電話"_s);
      QCOMPARE(d.findChild<QLineEdit*>(u"prefix4"_s)->text(), u"TEL "_s);
      QCOMPARE(d.findChildren<QSpinBox*>()[2]->value(), 4);
      DialogButton(d, u"キャンセル"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kLabelSettings));
  }

  // A file without a property file: the print layout and the label lines
  // chosen are written by 上書き保存 and are there when the file is opened
  // again. The default lines take an address in two items.
  void layoutsAndLabelLinesStayWithTheFile() {
    const QString path = m_env.WriteCards(
        u"two.csv"_s, u"\uFEFF氏名,郵便番号,住所1,住所2,電話\r\n山田,100-0001,東京都千代田区,一番町1,03-1111\r\n"_s.toUtf8());
    const QString settings = m_env.NewSettings();
    const QString vcv = QFileInfo(path).dir().filePath(u"two.vcv"_s);
    {
      CAppUnderTest t(path, settings, kWide);
      QVERIFY(t.started);
      OnDialog(u"印刷の設定"_s, [](QDialog& d) {
        d.findChildren<QComboBox*>()[0]->setCurrentIndex(1);  // カード
        DialogButton(d, u"OK"_s)->click();
      });
      QVERIFY(t.Window().Dispatch(kPrintSettings));
      OnDialog(u"ラベルの設定"_s, [](QDialog& d) {
        const QStringList expected{u"郵便番号"_s, u"住所1"_s, u"住所2"_s, u"氏名"_s, u"（なし）"_s};
        for (int i = 0; i < 5; ++i)
          QCOMPARE(d.findChild<QComboBox*>(u"item%1"_s.arg(i + 1))->currentText(), expected[i]);
        d.findChild<QComboBox*>(u"item5"_s)->setCurrentIndex(5);  // 電話
        d.findChild<QLineEdit*>(u"prefix5"_s)->setText(u"TEL "_s);
        d.findChild<QCheckBox*>(u"join5"_s)->setChecked(true);
        DialogButton(d, u"OK"_s)->click();
      });
      QVERIFY(t.Window().Dispatch(kLabelSettings));
      QVERIFY(t.App().Doc().IsModified());
      QVERIFY(t.Window().Dispatch(kSave));
      QVERIFY(!t.App().Doc().IsModified());
      QVERIFY(QFileInfo::exists(vcv));
    }
    CAppUnderTest t(path, settings, kWide);
    QVERIFY(t.started);
    QCOMPARE(FirstPrintLayout(t.App().Doc().Store().FileProperty())->m_form, kPrintFormCards);
    OnDialog(u"ラベルの設定"_s, [](QDialog& d) {
      QCOMPARE(d.findChild<QComboBox*>(u"item5"_s)->currentText(), u"電話"_s);
      QCOMPARE(d.findChild<QLineEdit*>(u"prefix5"_s)->text(), u"TEL "_s);
      QVERIFY(d.findChild<QCheckBox*>(u"join5"_s)->isChecked());
      QCOMPARE(d.findChild<QComboBox*>(u"item3"_s)->currentText(), u"住所2"_s);
      DialogButton(d, u"キャンセル"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kLabelSettings));
    QVERIFY(!t.App().Doc().IsModified());
  }

  // The preview opens on page 1, counts the pages and turns them; the label
  // run begins at the chosen position: 7 cards from the 8th label of 12 fill
  // two sheets.
  void previewTurnsPages() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    OnDialog(u"ラベルの設定"_s, [](QDialog& d) {
      d.findChildren<QSpinBox*>()[2]->setValue(8);
      DialogButton(d, u"OK"_s)->click();
    });
    QVERIFY(t.Window().Dispatch(kLabelSettings));
    QVERIFY(!t.App().Doc().IsModified());  // the sheet as it was: no record
    bool seen = WithModalDialog<CPrintPreviewDialog>([&] { t.Window().Dispatch(kLabels); },
                                                     [](CPrintPreviewDialog& d) {
                                                       QCOMPARE(d.windowTitle(), u"ラベル印刷"_s);
                                                       QTRY_COMPARE(d.PageCount(), 2);
                                                       auto* page = d.findChild<QLabel*>(u"page"_s);
                                                       QCOMPARE(page->text(), u"1 / 2 ページ"_s);
                                                       DialogButton(d, u"次のページ(&N)"_s)->click();
                                                       QCOMPARE(d.Page(), 1);
                                                       QVERIFY(!DialogButton(d, u"次のページ(&N)"_s)->isEnabled());
                                                       QTest::keyClick(&d, Qt::Key_Home);
                                                       QCOMPARE(page->text(), u"1 / 2 ページ"_s);
                                                       // The page is drawn: not all white.
                                                       const QImage shot = d.grab().toImage();
                                                       QVERIFY(!shot.isNull());
                                                     });
    QVERIFY(seen);

    seen = WithModalDialog<CPrintPreviewDialog>([&] { t.Window().Dispatch(kPreview); },
                                                [](CPrintPreviewDialog& d) {
                                                  QCOMPARE(d.windowTitle(), u"印刷プレビュー"_s);
                                                  QTRY_COMPARE(d.PageCount(), 1);
                                                  QTest::keyClick(&d, Qt::Key_Escape);
                                                  QVERIFY(!d.isVisible());
                                                });
    QVERIFY(seen);
  }

  // The system's print dialog, set to a file, writes a PDF of the pages; a
  // filtered-out deck has nothing to print and says so.
  void printWritesThroughTheDialog() {
    const QString path = m_env.CopySample();
    CAppUnderTest t(path, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    const QString pdf = QFileInfo(path).dir().filePath(u"住所録.pdf"_s);
    const bool seen = WithModalDialog<QPrintDialog>([&] { t.Window().Dispatch(kPrint); },
                                                    [&](QPrintDialog& d) {
                                                      QCOMPARE(d.windowTitle(), u"印刷"_s);
                                                      QCOMPARE(d.printer()->outputFileName(), pdf);
                                                      d.accept();
                                                    });
    QVERIFY(seen);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    // The file reads back as the characters printed, kanji that share a
    // glyph with a radical included.
    if (!QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty()) {
      QProcess text;
      text.start(u"pdftotext"_s, {pdf, u"-"_s});
      QVERIFY(text.waitForFinished(20000));
      const QString read = QString::fromUtf8(text.readAllStandardOutput());
      QVERIFY2(read.contains(u"氏名"_s) && read.contains(u"山田 太郎"_s), qPrintable(read.left(200)));
    }
    QVERIFY(!t.App().Doc().IsModified());
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CPrintDialogsTest)
#include "print_dialogs_test.moc"
