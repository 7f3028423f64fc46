#include "ui/dialogs/items/item_property_sheet.h"

#include "core/item_property_edit.h"
#include "formula/formula_advice.h"
#include "settings/settings.h"
#include "ui/dialogs/items/choice_list_dialog.h"
#include "ui/dialogs/items/formula_editor_dialog.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/font_dialog.h"
#include "ui/widgets/fonts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include "ui/widgets/color_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Narrow margins, so that the widest page fits a screen 240 dots wide.
constexpr int kMargin = 4;

QComboBox* Combo(QWidget* parent, const QStringList& entries, std::uint32_t index) {
  auto* combo = new QComboBox(parent);
  combo->addItems(entries);
  // A value no entry stands for (the check box type) shows no entry and is kept.
  combo->setCurrentIndex(index < std::uint32_t(entries.size()) ? int(index) : -1);
  return combo;
}

QFormLayout* Form(QWidget* page) {
  auto* form = new QFormLayout(page);
  form->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  return form;
}

QPushButton* Button(QWidget* parent, const QString& text, const QString& id) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(id);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

CItemPropSheet::CItemPropSheet(const CItemProperty& record, const QStringList& itemNames, const Fonts& viewFonts,
                               CSettingsStore& settings, IPrompt& prompt, QWidget* parent)
    : QDialog(parent),
      m_record(record),
      m_itemNames(itemNames),
      m_settings(settings),
      m_prompt(prompt),
      m_fonts(viewFonts),
      m_ownContentFont(record.m_hasContentFont != 0),
      m_ownNameFont(record.m_hasNameFont != 0) {
  if (m_ownContentFont) m_fonts.content = record.m_contentFont;
  if (m_ownNameFont) m_fonts.name = record.m_nameFont;
  setWindowTitle(QStringLiteral("項目のプロパティ"));
  m_tabs = new QTabWidget(this);
  m_tabs->addTab(PositionPage(), QStringLiteral("位置"));
  m_tabs->addTab(TypePage(), QStringLiteral("タイプ"));
  m_tabs->addTab(EditPage(), QStringLiteral("編集"));
  m_tabs->addTab(ColorPage(), QStringLiteral("色"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->addWidget(m_tabs, 1);
  layout->addWidget(OkCancelButtons(this));
  FitToOwner(this);
}

QWidget* CItemPropSheet::PositionPage() {
  auto* page = new QWidget;
  m_hPos = Combo(page, {QStringLiteral("左寄せ"), QStringLiteral("中央"), QStringLiteral("右寄せ")}, m_record.m_hPos);
  m_hPos->setObjectName(QStringLiteral("hPos"));
  Form(page)->addRow(QStringLiteral("横位置(&P):"), m_hPos);
  return page;
}

QWidget* CItemPropSheet::TypePage() {
  auto* page = new QWidget;
  m_type = Combo(page,
                 {QStringLiteral("標準"), QStringLiteral("選択肢"), QStringLiteral("画像プレビュー"),
                  QStringLiteral("連動項目")},
                 m_record.m_type);
  m_type->setObjectName(QStringLiteral("type"));
  QPushButton* choices = Button(page, QStringLiteral("選択肢設定(&O)..."), QStringLiteral("choices"));
  connect(choices, &QPushButton::clicked, this, [this] { EditChoices(); });
  m_checkText = new QLineEdit(m_record.m_checkText, page);
  m_checkText->setObjectName(QStringLiteral("checkText"));
  QFormLayout* form = Form(page);
  form->addRow(QStringLiteral("タイプ"), m_type);
  form->addRow(choices);
  form->addRow(QStringLiteral("チェックボックス右文"), m_checkText);
  return page;
}

QWidget* CItemPropSheet::EditPage() {
  auto* page = new QWidget;
  m_ime = Combo(page, {QStringLiteral("制御しない"), QStringLiteral("常にON"), QStringLiteral("常にOFF")},
                m_record.m_imeMode);
  m_ime->setObjectName(QStringLiteral("ime"));
  m_multiLine = Combo(page, {QStringLiteral("自動"), QStringLiteral("単一行"), QStringLiteral("複数行")},
                      m_record.m_multiLine);
  m_multiLine->setObjectName(QStringLiteral("multiLine"));
  m_initial = new QLineEdit(m_record.m_initialValue, page);
  m_initial->setObjectName(QStringLiteral("initial"));
  m_formula = new QLineEdit(m_record.m_formula, page);
  m_formula->setObjectName(QStringLiteral("formula"));
  // A formula is first given through the editor, which asks before the
  // item's texts give way to computed values.
  m_formula->setEnabled(!m_record.m_formula.isEmpty());
  QPushButton* editor = Button(page, QStringLiteral("計算式エディタ(&E)..."), QStringLiteral("formulaEditor"));
  connect(editor, &QPushButton::clicked, this, [this] { EditFormula(); });
  m_grouping = new QCheckBox(QStringLiteral("数字入力時、自動的に桁区切り(&N)"), page);
  m_grouping->setObjectName(QStringLiteral("grouping"));
  m_grouping->setChecked(m_record.DigitGrouping());
  QFormLayout* form = Form(page);
  form->addRow(QStringLiteral("IMEの制御(&I):"), m_ime);
  form->addRow(QStringLiteral("複数行(&M):"), m_multiLine);
  form->addRow(QStringLiteral("初期値(&S):"), m_initial);
  form->addRow(QStringLiteral("計算式(&C):"), m_formula);
  form->addRow(editor);
  form->addRow(m_grouping);
  return page;
}

QWidget* CItemPropSheet::ColorPage() {
  auto* page = new QWidget;
  auto* name = new QGroupBox(QStringLiteral("項目名"), page);
  QPushButton* nameFont = Button(name, QStringLiteral("フォント(&G)..."), QStringLiteral("nameFont"));
  QPushButton* nameColor = Button(name, QStringLiteral("文字色(&R)..."), QStringLiteral("nameColor"));
  auto* nameRow = new QHBoxLayout(name);
  nameRow->addWidget(nameFont);
  nameRow->addWidget(nameColor);
  auto* content = new QGroupBox(QStringLiteral("項目の内容"), page);
  QPushButton* contentFont = Button(content, QStringLiteral("フォント(&F)..."), QStringLiteral("contentFont"));
  QPushButton* textColor = Button(content, QStringLiteral("文字色(&T)..."), QStringLiteral("textColor"));
  QPushButton* backColor = Button(content, QStringLiteral("背景色(&B)..."), QStringLiteral("backColor"));
  auto* contentRows = new QGridLayout(content);
  contentRows->addWidget(contentFont, 0, 0);
  contentRows->addWidget(textColor, 0, 1);
  contentRows->addWidget(backColor, 1, 0);
  connect(nameFont, &QPushButton::clicked, this, [this] { ChooseFont(true); });
  connect(contentFont, &QPushButton::clicked, this, [this] { ChooseFont(false); });
  connect(nameColor, &QPushButton::clicked, this, [this] { ChooseColour(&m_record.m_nameTextColor); });
  connect(textColor, &QPushButton::clicked, this, [this] { ChooseColour(&m_record.m_textColor); });
  connect(backColor, &QPushButton::clicked, this, [this] { ChooseColour(&m_record.m_backColor); });
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->addWidget(name);
  layout->addWidget(content);
  layout->addStretch();
  return page;
}

void CItemPropSheet::EditChoices() {
  if (m_record.HasFileReference()) {
    m_prompt.Notice(kFileReferenceSet);
    return;
  }
  CChoiceListDialog dialog(m_record.m_choices, m_prompt, this);
  if (dialog.exec() == QDialog::Accepted) m_record.m_choices = dialog.Choices();
}

void CItemPropSheet::EditFormula() {
  const QString current = m_formula->text();
  CFormulaEditorDialog editor(current, m_itemNames, this, m_formulaTrial);
  if (editor.exec() != QDialog::Accepted) return;
  const QString kept =
      ConfirmFormula(m_prompt, current, editor.Formula(), ReadSetting(m_settings, settings::kUndoSteps) > 0);
  if (kept == current) return;
  m_formula->setText(kept);
  m_formula->setEnabled(true);
}

void CItemPropSheet::ChooseFont(bool name) {
  CArchiveFont& font = name ? m_fonts.name : m_fonts.content;
  const int dpi = ScreenDpiY();
  CFontDialog dialog(font.faceName, PointFromHeight(font.height, dpi), font.weight >= 600, font.italic != 0, this);
  if (dialog.exec() != QDialog::Accepted) return;
  font = ChosenFont(font, dialog.FaceName(), dialog.PointSize(), dialog.Bold(), dialog.Italic(), dpi);
  (name ? m_ownNameFont : m_ownContentFont) = true;
}

void CItemPropSheet::ChooseColour(ColorRef* colour) {
  std::uint32_t chosen = *colour;
  // The chooser fits the main window, which has the screen's size.
  if (ChooseColor(this, m_settings, &chosen, parentWidget() ? parentWidget()->window()->size() : QSize()))
    *colour = chosen;
}

CItemProperty CItemPropSheet::Record() const {
  CItemProperty r = m_record;
  if (m_hPos->currentIndex() >= 0) r.m_hPos = std::uint32_t(m_hPos->currentIndex());
  if (m_type->currentIndex() >= 0) r.m_type = std::uint32_t(m_type->currentIndex());
  r.m_checkText = m_checkText->text();
  if (m_ime->currentIndex() >= 0) r.m_imeMode = std::uint32_t(m_ime->currentIndex());
  if (m_multiLine->currentIndex() >= 0) r.m_multiLine = std::uint32_t(m_multiLine->currentIndex());
  r.m_initialValue = m_initial->text();
  r.m_formula = m_formula->text();
  r.m_flags = m_grouping->isChecked() ? r.m_flags | CItemProperty::kDigitGrouping
                                      : r.m_flags & ~CItemProperty::kDigitGrouping;
  if (m_ownContentFont) {
    r.m_hasContentFont = 1;
    r.m_contentFont = m_fonts.content;
  }
  if (m_ownNameFont) {
    r.m_hasNameFont = 1;
    r.m_nameFont = m_fonts.name;
  }
  return r;
}

int CItemPropSheet::ActivePage() const { return m_tabs->currentIndex(); }
