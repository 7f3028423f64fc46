#include "ui/dialogs/settings/settings_sheet.h"

#include "app/file_association.h"
#include "datetime/holiday.h"
#include "ui/dialogs/settings/japanese_settings_page.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/save_form_box.h"
#include "ui/widgets/ui_messages.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A page inside a scroll area, so that a small screen shows all of it.
QWidget* Page(QWidget* content) {
  auto* scroll = new QScrollArea;
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  return scroll;
}

QCheckBox* Check(const QString& text, std::uint32_t value, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setChecked(value != 0);
  return box;
}

QLineEdit* NumberField(std::uint32_t value, QWidget* parent) {
  auto* edit = new QLineEdit(QString::number(value), parent);
  edit->setValidator(new QIntValidator(0, 999, edit));
  edit->setMaxLength(3);
  edit->setMaximumWidth(60);
  return edit;
}


}  // namespace

CSettingsSheet::CSettingsSheet(CVelumApp& app, const CSettingsSheetValues& values, QWidget* parent)
    : QDialog(parent), m_app(app), m_values(values) {
  setWindowTitle(QStringLiteral("設定"));
  auto* tabs = new QTabWidget(this);

  auto* behaviour = new QWidget;
  m_mru = NumberField(values.mru, behaviour);
  m_mru->setObjectName(QStringLiteral("MRU"));
  auto* mruLabel = new QLabel(QStringLiteral("最近使ったファイルの数(&R)"), behaviour);
  mruLabel->setBuddy(m_mru);
  mruLabel->setWordWrap(true);
  auto* mruNote = new QLabel(QStringLiteral("（次回起動時以降有効）"), behaviour);
  m_maxTate = NumberField(values.maxTate, behaviour);
  m_maxTate->setObjectName(QStringLiteral("MaxTate"));
  auto* maxTateLabel = new QLabel(QStringLiteral("項目の最大行数"), behaviour);
  maxTateLabel->setBuddy(m_maxTate);
  auto* move = new QGroupBox(QStringLiteral("項目移動"), behaviour);
  m_cursorMove = Check(QStringLiteral("上下キー"), values.cursorMove, move);
  m_cursorRightMove = Check(QStringLiteral("左右キー"), values.cursorRightMove, move);
  auto* moveLayout = new QHBoxLayout(move);
  moveLayout->addWidget(m_cursorMove);
  moveLayout->addWidget(m_cursorRightMove);
  m_itemPosMode = new QComboBox(behaviour);
  m_itemPosMode->addItems({QStringLiteral("通常"), QStringLiteral("項目名で改行")});
  m_itemPosMode->setCurrentIndex(values.itemPosMode < 2 ? int(values.itemPosMode) : 0);
  auto* posLabel = new QLabel(QStringLiteral("項目配置"), behaviour);
  posLabel->setBuddy(m_itemPosMode);
  m_itemWidthMode = new QComboBox(behaviour);
  m_itemWidthMode->addItems({QStringLiteral("自動"), QStringLiteral("ウィンドウ幅")});
  m_itemWidthMode->setCurrentIndex(values.itemWidthMode < 2 ? int(values.itemWidthMode) : 0);
  auto* widthLabel = new QLabel(QStringLiteral("項目幅"), behaviour);
  widthLabel->setBuddy(m_itemWidthMode);
  // The form of a new card file, with a line on what each is for.
  m_newFileForm = new QComboBox(behaviour);
  m_newFileForm->setObjectName(QStringLiteral("NewFileForm"));
  m_newFileForm->addItems({QStringLiteral("Microsoft CSV形式"), QStringLiteral("独自形式")});
  m_newFileForm->setCurrentIndex(values.newFileForm != 0 ? 0 : 1);
  auto* newFormLabel = new QLabel(QStringLiteral("新しいファイルの形式(&F)"), behaviour);
  newFormLabel->setBuddy(m_newFileForm);
  newFormLabel->setWordWrap(true);
  auto* newFormNote = new QLabel(behaviour);
  newFormNote->setWordWrap(true);
  auto explain = [this, newFormNote] {
    newFormNote->setText(SaveStyleExplanation(m_newFileForm->currentIndex() == 0));
  };
  for (const int i : {0, 1}) m_newFileForm->setItemData(i, SaveStyleDetail(i == 0), Qt::ToolTipRole);
  connect(m_newFileForm, &QComboBox::currentIndexChanged, this, explain);
  explain();
  m_increSearch = Check(QStringLiteral("インクリメントサーチ有効"), values.increSearch, behaviour);
  m_holidayRules = Check(QStringLiteral("祝日を旧来の規則で判定する"), values.holidayRules == 1 ? 1 : 0, behaviour);
  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->addRow(mruLabel, m_mru);
  form->addRow(mruNote);
  form->addRow(maxTateLabel, m_maxTate);
  form->addRow(move);
  form->addRow(posLabel, m_itemPosMode);
  form->addRow(widthLabel, m_itemWidthMode);
  form->addRow(newFormLabel, m_newFileForm);
  form->addRow(newFormNote);
  auto* behaviourLayout = new QVBoxLayout(behaviour);
  behaviourLayout->addLayout(form);
  behaviourLayout->addWidget(m_increSearch);
  behaviourLayout->addWidget(m_holidayRules);
  behaviourLayout->addStretch();
  tabs->addTab(Page(behaviour), QStringLiteral("動作"));

  auto* display = new QWidget;
  m_cardMargin = Check(QStringLiteral("カード画面で左右にマージンを取る(&L)"), values.cardMargin, display);
  m_labelEditZero = Check(QStringLiteral("項目名と入力エリアを空けない(&Z)"), values.labelEditZero, display);
  auto* displayLayout = new QVBoxLayout(display);
  displayLayout->addWidget(m_cardMargin);
  displayLayout->addWidget(m_labelEditZero);
  displayLayout->addStretch();
  tabs->addTab(Page(display), QStringLiteral("表示"));

  auto* thirdPage = new QWidget;
  m_okFrame = Check(QStringLiteral("右上のOKで終了(次回起動時から)"), values.okFrame, thirdPage);
  m_ppcOpenDlg = Check(QStringLiteral("開く時のダイアログを標準に"), values.ppcOpenDlg, thirdPage);
  m_ppcSaveDlg = Check(QStringLiteral("保存時のダイアログを標準に"), values.ppcSaveDlg, thirdPage);
  auto* thirdLayout = new QVBoxLayout(thirdPage);
  thirdLayout->addWidget(m_okFrame);
  thirdLayout->addWidget(m_ppcOpenDlg);
  thirdLayout->addWidget(m_ppcSaveDlg);
  thirdLayout->addStretch();
  tabs->addTab(Page(thirdPage), QStringLiteral("PocketPC"));

  m_japanese = new CJapaneseSettingsPage(app.Settings());
  tabs->addTab(Page(m_japanese), QStringLiteral("日本語"));

  // Velum's own files always open with it; CSV files only when the user says so.
  auto* association = new QWidget;
  m_csvDefaultBefore = IsCsvDefault();
  m_csvDefault = Check(QStringLiteral("CSVファイルをVELUMで開く(&C)"), m_csvDefaultBefore, association);
  m_csvDefault->setObjectName(QStringLiteral("csvDefault"));
  auto* associationNote = new QLabel(
      QStringLiteral("VCSVファイルはVELUMで開きます。CSVファイルは、ここで選ばない限り今までのプログラムで開き、"
                     "「別のアプリケーションで開く」にVELUMが加わります。"),
      association);
  associationNote->setWordWrap(true);
  auto* associationLayout = new QVBoxLayout(association);
  associationLayout->addWidget(m_csvDefault);
  associationLayout->addWidget(associationNote);
  associationLayout->addStretch();
  tabs->addTab(Page(association), QStringLiteral("関連付け"));

  // One OK and one cancel serve every page: OK confirms the whole sheet.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CSettingsSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
  FitToScreen(this, app.Screen());
}

void CSettingsSheet::accept() {
  CSettingsSheetValues v = m_values;
  QString message;
  if (!CheckRange(m_mru->text(), 0, 10, &v.mru, &message)) {
    m_mru->setFocus();
    m_app.Prompt().Notice(message);
    return;
  }
  if (!CheckRange(m_maxTate->text(), 1, 100, &v.maxTate, &message)) {
    m_maxTate->setFocus();
    m_app.Prompt().Notice(message);
    return;
  }
  v.cursorMove = m_cursorMove->isChecked() ? 1 : 0;
  v.cursorRightMove = m_cursorRightMove->isChecked() ? 1 : 0;
  v.itemPosMode = std::uint32_t(m_itemPosMode->currentIndex());
  v.itemWidthMode = std::uint32_t(m_itemWidthMode->currentIndex());
  v.increSearch = m_increSearch->isChecked() ? 1 : 0;
  v.newFileForm = m_newFileForm->currentIndex() == 0 ? 1 : 0;
  // A rule value other than 0 or 1 stays as it is while the box is not touched.
  const bool classic = m_holidayRules->isChecked();
  if (classic != (m_values.holidayRules == 1)) v.holidayRules = classic ? 1 : 0;
  v.cardMargin = m_cardMargin->isChecked() ? 1 : 0;
  v.labelEditZero = m_labelEditZero->isChecked() ? 1 : 0;
  v.okFrame = m_okFrame->isChecked() ? 1 : 0;
  v.ppcOpenDlg = m_ppcOpenDlg->isChecked() ? 1 : 0;
  v.ppcSaveDlg = m_ppcSaveDlg->isChecked() ? 1 : 0;
  // A checked box keeps a stored nonzero value other than 1.
  auto keep = [](std::uint32_t before, std::uint32_t after) { return before != 0 && after == 1 ? before : after; };
  for (auto m : {&CSettingsSheetValues::cursorMove, &CSettingsSheetValues::cursorRightMove,
                 &CSettingsSheetValues::increSearch, &CSettingsSheetValues::cardMargin,
                 &CSettingsSheetValues::labelEditZero, &CSettingsSheetValues::okFrame,
                 &CSettingsSheetValues::ppcOpenDlg, &CSettingsSheetValues::ppcSaveDlg,
                 &CSettingsSheetValues::newFileForm})
    v.*m = keep(m_values.*m, v.*m);
  m_values = v;
  QDialog::accept();
}

bool CSettingsSheet::CsvDefault() const { return m_csvDefault->isChecked(); }

bool RunSettingsSheet(CVelumApp& app, CMainWindow& window) {
  const QSize screen = app.Screen();
  CSettingsSheetValues before = ReadSettingsSheet(app.Settings(), screen.width(), screen.height());
  CStartSettings& cache = app.Cache();
  before.maxTate = cache.maxTate;
  before.cursorMove = cache.cursorMove;
  before.cursorRightMove = cache.cursorRightMove;
  before.itemPosMode = cache.itemPosMode;
  before.itemWidthMode = cache.itemWidthMode;
  CSettingsSheet sheet(app, before, &window);
  if (sheet.exec() != QDialog::Accepted) return false;
  const CSettingsSheetValues& after = sheet.Values();
  cache.maxTate = after.maxTate;
  cache.cursorMove = after.cursorMove;
  cache.cursorRightMove = after.cursorRightMove;
  cache.itemPosMode = after.itemPosMode;
  cache.itemWidthMode = after.itemWidthMode;
  WriteSettingsSheetChanges(app.Settings(), before, after);
  if (after.holidayRules != before.holidayRules) ApplyHolidayRulesSetting(app.Settings());
  sheet.JapanesePage().Write(app.Settings());
  if (sheet.CsvDefault() != sheet.CsvDefaultBefore()) {
    const CAssociationResult r = SetCsvDefault(QApplication::applicationFilePath(), sheet.CsvDefault());
    if (!r.ok) app.Prompt().Notice(ui_msg::kAssociateFailed.arg(r.error));
  }
  window.CardView().SetMarginSettings(after.cardMargin != 0, after.labelEditZero != 0);
  app.Doc().UpdateAllViews(nullptr, hint::kWholeLayout);
  window.BringToFront();
  return true;
}
