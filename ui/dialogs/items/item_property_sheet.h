#pragma once

#include "records/item_property.h"
#include "ui/dialogs/items/formula_editor_dialog.h"

#include <QDialog>

class CSettingsStore;
class IPrompt;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

// 項目のプロパティ: the pages 位置, タイプ, 編集 and 色 over a copy of one
// item's property record. Record() answers the edited record after OK; the
// caller confirms it (ApplyItemProperty). Nothing is written before that.
class CItemPropSheet final : public QDialog {
  Q_OBJECT

 public:
  // The view's fonts stand in for the item's own fonts while it has none.
  struct Fonts {
    CArchiveFont content;
    CArchiveFont name;
  };
  CItemPropSheet(const CItemProperty& record, const QStringList& itemNames, const Fonts& viewFonts,
                 CSettingsStore& settings, IPrompt& prompt, QWidget* parent = nullptr);
  CItemPropSheet(const CItemPropSheet&) = delete;
  CItemPropSheet& operator=(const CItemPropSheet&) = delete;

  CItemProperty Record() const;
  // The formula editor shows what a formula gives on the current card.
  void SetFormulaTrial(CFormulaEditorDialog::Trial trial) { m_formulaTrial = std::move(trial); }
  int ActivePage() const;

 private:
  QWidget* PositionPage();
  QWidget* TypePage();
  QWidget* EditPage();
  QWidget* ColorPage();
  void EditChoices();
  void EditFormula();
  void ChooseFont(bool name);
  void ChooseColour(ColorRef* colour);

  CItemProperty m_record;  // the fields no page shows, and the choices and colours
  QStringList m_itemNames;
  CFormulaEditorDialog::Trial m_formulaTrial;
  CSettingsStore& m_settings;
  IPrompt& m_prompt;
  Fonts m_fonts;
  bool m_ownContentFont;
  bool m_ownNameFont;
  QTabWidget* m_tabs;
  QComboBox* m_hPos = nullptr;
  QComboBox* m_type = nullptr;
  QLineEdit* m_checkText = nullptr;
  QComboBox* m_ime = nullptr;
  QComboBox* m_multiLine = nullptr;
  QLineEdit* m_initial = nullptr;
  QLineEdit* m_formula = nullptr;
  QCheckBox* m_grouping = nullptr;
};
