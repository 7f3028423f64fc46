// The item property sheet and the dialogs it opens: the pages as the user
// sees them, OK and Cancel on the document, the choice list, the formula
// editor with the function dialog, and the sheet on a screen 240 dots wide.
// The transcripts item_property_sheet and item_property_formula show the
// dialogs' texts and the formula question.
#include "core/item_property_edit.h"
#include "records/archive.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/items/choice_list_dialog.h"
#include "ui/dialogs/items/formula_editor_dialog.h"
#include "ui/dialogs/items/item_property_sheet.h"
#include "ui/views/card_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <functional>

namespace {

const QSize kWide(800, 600);
constexpr int kArea = 6;  // 区分 of the sample address book

// The dialogs the actions below reached, so that a test knows its dialog opened.
int g_reached = 0;

// Runs `act` on the next modal dialog other than `outer` once it is shown.
void OnNextModal(std::function<void(QDialog*)> act, QWidget* outer = nullptr) {
  QTimer::singleShot(0, [act, outer] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!modal || modal == outer) return OnNextModal(act, outer);
    ++g_reached;
    act(modal);
  });
}

template <typename T>
T* Child(QWidget* dialog, const char* id) {
  T* w = dialog->findChild<T*>(QString::fromLatin1(id));
  if (!w) qFatal("no control %s", id);
  return w;
}

QPushButton* ButtonNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* b : dialog->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  qFatal("no button %s", qPrintable(text));
}

QByteArray Bytes(const CItemProperty& p) {
  CArchiveWriter ar;
  p.Store(ar);
  return ar.Bytes();
}

CItemPropSheet::Fonts ViewFonts() {
  CArchiveFont f;
  f.faceName = QStringLiteral("Sans");
  f.height = -13;
  f.weight = 400;
  return {f, f};
}

}  // namespace

class CItemPropertySheetTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  // The pages, their entries and the values they show; untouched, the sheet
  // answers the record it was given, whatever the record holds.
  void pagesShowTheRecord() {
    CSettingsStore settings(m_env.NewSettings());
    CScriptedPrompt prompt;
    struct Row {
      const char* what;
      std::function<void(CItemProperty&)> set;
      int hPos, type, ime, multiLine;
    };
    const Row rows[] = {
        {"defaults", [](CItemProperty&) {}, 0, 0, 0, 0},
        {"every index at its last", [](CItemProperty& p) { p.m_hPos = 2; p.m_type = 3; p.m_imeMode = 2; p.m_multiLine = 2; }, 2, 3, 2, 2},
        {"check box type shows no entry", [](CItemProperty& p) { p.m_type = 4; p.m_checkText = QStringLiteral("済"); }, 0, -1, 0, 0},
        {"formula, fonts, grouping", [](CItemProperty& p) {
           p.m_formula = QStringLiteral("%[a]+1");
           p.m_flags = CItemProperty::kDigitGrouping | 4;
           p.m_hasNameFont = 1;
           p.m_nameFont.faceName = QStringLiteral("Serif");
           p.m_nameFont.height = -20;
         }, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
      CItemProperty record;
      row.set(record);
      CItemPropSheet sheet(record, {QStringLiteral("a")}, ViewFonts(), settings, prompt);
      auto* tabs = sheet.findChild<QTabWidget*>();
      QStringList titles;
      for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
      QCOMPARE(titles, (QStringList{u"位置"_qs, u"タイプ"_qs, u"編集"_qs, u"色"_qs}));
      QCOMPARE(Child<QComboBox>(&sheet, "hPos")->currentIndex(), row.hPos);
      QCOMPARE(Child<QComboBox>(&sheet, "type")->currentIndex(), row.type);
      QCOMPARE(Child<QComboBox>(&sheet, "type")->count(), 4);
      QCOMPARE(Child<QComboBox>(&sheet, "ime")->currentIndex(), row.ime);
      QCOMPARE(Child<QComboBox>(&sheet, "multiLine")->currentIndex(), row.multiLine);
      QCOMPARE(Child<QLineEdit>(&sheet, "checkText")->text(), record.m_checkText);
      QCOMPARE(Child<QLineEdit>(&sheet, "formula")->text(), record.m_formula);
      QCOMPARE(Child<QLineEdit>(&sheet, "formula")->isEnabled(), record.HasFormula());
      QCOMPARE(Child<QCheckBox>(&sheet, "grouping")->isChecked(), record.DigitGrouping());
      QVERIFY2(Bytes(sheet.Record()) == Bytes(record), row.what);
      QVERIFY2(sheet.Record() == record, row.what);
    }
  }

  // OK through the command: the record is set, the document modified, the
  // card rebuilt with the new type, and the focus is back on the item.
  void okSetsTheRecord() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CCardView& card = t.Window().CardView();
    card.FocusItem(kArea);
    g_reached = 0;
    OnNextModal([](QDialog* sheet) {
      Child<QComboBox>(sheet, "hPos")->setCurrentIndex(2);
      Child<QComboBox>(sheet, "type")->setCurrentIndex(1);
      Child<QComboBox>(sheet, "multiLine")->setCurrentIndex(1);
      Child<QLineEdit>(sheet, "initial")->setText(u"友人"_qs);
      Child<QCheckBox>(sheet, "grouping")->setChecked(true);
      sheet->findChild<QTabWidget*>()->setCurrentIndex(2);
      sheet->accept();
    });
    QVERIFY(t.Window().Dispatch(33091));
    QCOMPARE(g_reached, 1);
    const CItemProperty& p = t.App().Doc().Store().Property(kArea);
    QCOMPARE(p.m_set, 1u);
    QCOMPARE(p.m_hPos, 2u);
    QCOMPARE(p.m_type, std::uint32_t(kItemChoice));
    QCOMPARE(p.m_multiLine, 1u);
    QCOMPARE(p.m_initialValue, u"友人"_qs);
    QVERIFY(p.DigitGrouping());
    QCOMPARE(p.m_hasContentFont, 0u);
    QVERIFY(t.App().Doc().IsModified());
    QVERIFY(qobject_cast<QComboBox*>(card.ItemControl(kArea)));
    QTRY_COMPARE(card.FocusedItem(), kArea);
    QCOMPARE(t.App().Settings().GetProfileInt(u"System"_qs, u"ItemPropSheet"_qs, 9), 2u);
  }

  // Cancel after changes on every page, the choices and a confirmed formula
  // included, leaves the record byte for byte as it was.
  void cancelKeepsTheRecord() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(kArea);
    const QByteArray before = Bytes(t.App().Doc().Store().Property(kArea));
    t.App().ScriptPrompt()->SetDefaultAnswer(true);
    g_reached = 0;
    OnNextModal([](QDialog* sheet) {
      Child<QComboBox>(sheet, "hPos")->setCurrentIndex(1);
      Child<QComboBox>(sheet, "type")->setCurrentIndex(2);
      Child<QLineEdit>(sheet, "checkText")->setText(u"x"_qs);
      Child<QComboBox>(sheet, "ime")->setCurrentIndex(2);
      Child<QCheckBox>(sheet, "grouping")->setChecked(true);
      OnNextModal([](QDialog* choices) {
        OnNextModal([](QDialog* input) {
          Child<QLineEdit>(input, "text")->setText(u"新"_qs);
          input->accept();
        }, choices);
        ButtonNamed(choices, u"追加(&A)..."_qs)->click();
        choices->accept();
      }, sheet);
      Child<QPushButton>(sheet, "choices")->click();
      OnNextModal([](QDialog* editor) {
        Child<QLineEdit>(editor, "formula")->setText(u"1+1"_qs);
        editor->accept();
      }, sheet);
      Child<QPushButton>(sheet, "formulaEditor")->click();
      QCOMPARE(Child<QLineEdit>(sheet, "formula")->text(), u"1+1"_qs);
      sheet->reject();
    });
    QVERIFY(t.Window().Dispatch(33091));
    QCOMPARE(g_reached, 4);  // the sheet, the choices, their input, the editor
    QCOMPARE(t.CountInTranscript(kFormulaReplaceUndoable), 1);  // undo is on: the question says so
    QCOMPARE(Bytes(t.App().Doc().Store().Property(kArea)), before);
    QVERIFY(!t.App().Doc().IsModified());
  }

  // A choice list drawn from a file shows why it cannot be edited, and no dialog.
  void fileReferenceChoices() {
    CSettingsStore settings(m_env.NewSettings());
    CScriptedPrompt prompt;
    CItemProperty record;
    record.m_type = kItemChoice;
    record.m_choices = {u"\u0001"_qs, u"other.csv"_qs, u"key"_qs};
    CItemPropSheet sheet(record, {}, ViewFonts(), settings, prompt);
    Child<QPushButton>(&sheet, "choices")->click();
    QCOMPARE(int(prompt.History().size()), 1);
    QCOMPARE(prompt.History()[0].text, kFileReferenceSet);
    QCOMPARE(sheet.Record().m_choices, record.m_choices);
  }

  // The choice list dialog: each row runs its steps on a list and checks the
  // list and the selected line.
  void choiceList() {
    struct Step {
      const char* button;  // its text without the "&" and the ellipsis
      int select;          // the line selected before the press, -1 leaves it
      QString text;        // typed into the input dialog; empty: キャンセル there
      bool answer = true;  // the answer to the delete question
    };
    struct Row {
      const char* what;
      QStringList start;
      std::vector<Step> steps;
      QStringList list;
      int selected;
    };
    const Row rows[] = {
        {"add appends and selects", {u"a"_qs}, {{"追加(A)", -1, u"b"_qs}}, {u"a"_qs, u"b"_qs}, 1},
        {"add cancelled", {u"a"_qs}, {{"追加(A)", -1, {}}}, {u"a"_qs}, 0},
        {"edit replaces the line", {u"a"_qs, u"b"_qs}, {{"編集(E)", 1, u"c"_qs}}, {u"a"_qs, u"c"_qs}, 1},
        {"delete keeps the index", {u"a"_qs, u"b"_qs, u"c"_qs}, {{"削除(D)", 1, {}}}, {u"a"_qs, u"c"_qs}, 1},
        {"delete of the last line", {u"a"_qs, u"b"_qs}, {{"削除(D)", 1, {}}}, {u"a"_qs}, 0},
        {"delete declined", {u"a"_qs, u"b"_qs}, {{"削除(D)", 0, {}, false}}, {u"a"_qs, u"b"_qs}, 0},
        {"up and down", {u"a"_qs, u"b"_qs, u"c"_qs}, {{"一つ上へ(U)", 2, {}}, {"一つ上へ(U)", -1, {}}, {"一つ下へ(W)", -1, {}}},
         {u"a"_qs, u"c"_qs, u"b"_qs}, 1},
        {"one line does not move", {u"a"_qs}, {{"一つ上へ(U)", 0, {}}, {"一つ下へ(W)", 0, {}}}, {u"a"_qs}, 0},
    };
    for (const Row& row : rows) {
      CScriptedPrompt prompt;
      CChoiceListDialog dialog(row.start, prompt);
      auto* list = Child<QListWidget>(&dialog, "choices");
      for (const Step& step : row.steps) {
        if (step.select >= 0) list->setCurrentRow(step.select);
        QString label = QString::fromUtf8(step.button);
        label.insert(label.indexOf(u'(') + 1, u'&');
        const bool asks = label.startsWith(u"追加") || label.startsWith(u"編集");
        if (asks) {
          label += u"..."_qs;
          OnNextModal([text = step.text](QDialog* input) { text.isEmpty() ? input->reject() : (Child<QLineEdit>(input, "text")->setText(text), input->accept()); });
        }
        if (label.startsWith(u"削除")) {
          label += u"..."_qs;
          prompt.QueueAnswer(step.answer);
        }
        ButtonNamed(&dialog, label)->click();
      }
      QVERIFY2(dialog.Choices() == row.list, row.what);
      QStringList shown;
      for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
      QVERIFY2(shown == row.list, row.what);
      QVERIFY2(list->currentRow() == row.selected, row.what);
    }
  }

  // The formula editor: an item reference and an operator replace the
  // selection; the function dialog inserts the chosen name with "(".
  void formulaEditor() {
    CFormulaEditorDialog editor(u"1+2*3"_qs, {u"単価"_qs, u"数量"_qs}, nullptr);
    auto* formula = Child<QLineEdit>(&editor, "formula");
    auto* items = Child<QListWidget>(&editor, "items");
    QCOMPARE(items->currentRow(), 0);
    formula->setSelection(2, 1);  // the 2
    ButtonNamed(&editor, u"▲項目の挿入▲"_qs)->click();
    QCOMPARE(editor.Formula(), u"1+%[単価]*3"_qs);
    items->setCurrentRow(1);
    formula->setCursorPosition(0);
    ButtonNamed(&editor, u"▲項目の挿入▲"_qs)->click();
    ButtonNamed(&editor, u"-"_qs)->click();
    QCOMPARE(editor.Formula(), u"%[数量]-1+%[単価]*3"_qs);

    OnNextModal([](QDialog* functions) {
      auto* categories = Child<QListWidget>(functions, "categories");
      auto* names = Child<QListWidget>(functions, "functions");
      QCOMPARE(categories->currentItem()->text(), u"全て"_qs);
      QCOMPARE(names->currentItem()->text(), u"ABS"_qs);
      categories->setCurrentRow(categories->row(categories->findItems(u"参照"_qs, Qt::MatchExactly).first()));
      QStringList listed;
      for (int i = 0; i < names->count(); ++i) listed << names->item(i)->text();
      QCOMPARE(listed.mid(0, 6), (QStringList{u"IF"_qs, u"AFTER"_qs, u"BEFORE"_qs, u"NUM"_qs, u"CALC"_qs, u"INDEX"_qs}));
      QCOMPARE(Child<QLabel>(functions, "call")->text(), u"IF(条件,項目1,項目2)"_qs);
      categories->setCurrentRow(3);  // 日付
      names->setCurrentRow(names->row(names->findItems(u"NOW"_qs, Qt::MatchExactly).first()));
      QCOMPARE(Child<QLabel>(functions, "call")->text(), u"NOW()"_qs);
      QCOMPARE(Child<QLabel>(functions, "description")->text(), u"現在日付のシリアル値を求める"_qs);
      functions->accept();
    }, &editor);
    formula->setCursorPosition(formula->text().size());
    g_reached = 0;
    ButtonNamed(&editor, u"関数..."_qs)->click();
    QCOMPARE(g_reached, 1);
    QCOMPARE(editor.Formula(), u"%[数量]-1+%[単価]*3NOW("_qs);
  }

  // On a screen 240 dots wide every page of the sheet fits whole.
  void fitsANarrowScreen() {
    CAppUnderTest t(m_env.CopySample(), m_env.NewSettings(), QSize(240, 320));
    QVERIFY(t.started);
    t.Window().CardView().FocusItem(kArea);
    g_reached = 0;
    OnNextModal([](QDialog* sheet) {
      QVERIFY(sheet->width() <= 240);
      auto* tabs = sheet->findChild<QTabWidget*>();
      for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QWidget* page = tabs->widget(i);
        QVERIFY2(page->minimumSizeHint().width() <= page->width(), qPrintable(tabs->tabText(i)));
        QVERIFY2(page->minimumSizeHint().height() <= page->height(), qPrintable(tabs->tabText(i)));
      }
      sheet->reject();
    });
    QVERIFY(t.Window().Dispatch(33091));
    QCOMPARE(g_reached, 1);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CItemPropertySheetTest)
#include "item_property_sheet_test.moc"
