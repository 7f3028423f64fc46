// The window speaks Japanese throughout: every dialog its commands open, Qt's
// own file and colour dialogs, message boxes and an edit's context menu carry
// no English word, whatever the locale.
#include "app/frame_command_table.h"
#include "support/ui_test_support.h"
#include "ui/widgets/color_dialog.h"
#include "ui/widgets/ui_services.h"
#include "ui/window/command_handlers.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);

// Words of Latin letters that may stand in a Japanese interface: names of
// formats, programs and keys, and the words the program's own texts keep in
// Latin letters (絞り込む(&AND), 常にOFF, Microsoft CSV形式, UTF-8 (BOM付き), シフトJIS).
const QStringList kAllowed = {u"OK"_s, u"vCard"_s, u"vcf"_s, u"xlsx"_s, u"ods"_s, u"tsv"_s, u"UTF"_s, u"CP932"_s, u"VELUM"_s, u"Velum"_s, u"CSV"_s,  u"VCSV"_s, u"HTML"_s, u"AM"_s,
                              u"PM"_s,  u"URL"_s,   u"Text"_s,  u"Alt"_s,  u"Ctrl"_s, u"Shift"_s, u"Tab"_s,
                              u"Enter"_s, u"KEY"_s, u"RGB"_s,   u"HSV"_s,  u"csv"_s,  u"vcsv"_s,
                              u"txt"_s, u"key"_s,   u"html"_s,  u"htm"_s,  u"Web"_s,
                              u"AND"_s, u"OR"_s,    u"ON"_s,    u"OFF"_s,  u"PocketPC"_s, u"Microsoft"_s, u"PDF"_s,
                              u"UTF"_s, u"BOM"_s,  u"JIS"_s};

// Every text a person reads in w and its children.
QStringList VisibleTexts(QWidget& w) {
  QStringList texts{w.windowTitle()};
  for (QLabel* l : w.findChildren<QLabel*>())
    if (l->isVisibleTo(&w)) texts << l->text();
  for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
    if (b->isVisibleTo(&w)) texts << b->text() << b->toolTip();
  for (QGroupBox* g : w.findChildren<QGroupBox*>()) texts << g->title();
  for (QTabWidget* t : w.findChildren<QTabWidget*>())
    for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
  for (QHeaderView* h : w.findChildren<QHeaderView*>())
    for (int i = 0; h->model() && i < h->model()->columnCount(); ++i)
      texts << h->model()->headerData(i, h->orientation()).toString();
  for (QComboBox* c : w.findChildren<QComboBox*>())
    if (!c->isEditable())
      for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
  return texts;
}

// The English words among texts.
QStringList EnglishWords(const QStringList& texts) {
  static const QRegularExpression word(u"[A-Za-z]{3,}"_s);
  QStringList found;
  for (const QString& t : texts) {
    // Paths and file patterns name files, not the interface.
    if (t.contains(u'/') || t.contains(u"*."_s)) continue;
    for (auto m = word.globalMatch(QString(t).remove(u'&')); m.hasNext();) {
      const QString w = m.next().captured();
      if (!kAllowed.contains(w)) found << w + u" (in \""_s + t + u"\")"_s;
    }
  }
  return found;
}

}  // namespace

class CJapaneseTextsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void everyDialogOfTheCommands() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings({{u"System/PPCSaveDlg"_s, 1}}), kWide);
    QVERIFY(t.started);
    std::vector<std::uint32_t> ids{cmd::kOpen, cmd::kSaveAs};
    for (const auto& [id, handler] : DialogCommands()) ids.push_back(id);
    int shown = 0;
    QStringList english;
    for (std::uint32_t id : ids) {
      const bool opened = WithModalDialog<QDialog>([&] { t.Window().Dispatch(id); },
                                                   [&](QDialog& d) {
                                                     for (const QString& w : EnglishWords(VisibleTexts(d)))
                                                       english << QString::number(id) + u": "_s + w;
                                                   });
      shown += opened ? 1 : 0;
      t.App().Doc().SetModifiedFlag(false);
    }
    QVERIFY2(shown >= 15, qPrintable(QString::number(shown)));
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
  }

  void colourDialogMessageBoxesAndContextMenus() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    QStringList english;
    std::uint32_t colour = 0x0000FF;
    QVERIFY(WithModalDialog<QDialog>([&] { ChooseColor(&t.Window(), t.App().Settings(), &colour); },
                                     [&](QDialog& d) { english << EnglishWords(VisibleTexts(d)); }));

    CMessageBoxPrompt boxes;
    boxes.SetParent(&t.Window());
    QStringList buttons;
    QVERIFY(WithModalDialog<QMessageBox>([&] { boxes.YesNoCancel(u"保存しますか？"_s); },
                                         [&](QMessageBox& box) {
                                           for (QAbstractButton* b : box.buttons()) buttons << b->text();
                                         }));
    QCOMPARE(buttons.size(), 3);
    // The save question's buttons say what they do.
    for (const QString& b : {u"保存"_s, u"保存しない"_s, u"キャンセル"_s}) QVERIFY2(buttons.contains(b), qPrintable(b));

    // Qt's own context menu of a line edit, as a choice-list field shows it.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList entries;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) entries << a->text().section(u'\t', 0, 0);
    english << EnglishWords(entries);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CJapaneseTextsTest)
#include "japanese_texts_test.moc"
