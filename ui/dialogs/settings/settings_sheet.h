#pragma once

#include "app/settings_sheet.h"

#include <QDialog>

class CJapaneseSettingsPage;
class CMainWindow;
class CVelumApp;
class QCheckBox;
class QComboBox;
class QLineEdit;

// 設定: the pages 動作, 表示 and PocketPC over the values of CSettingsSheetValues,
// 日本語 (CJapaneseSettingsPage), and 関連付け, whether the desktop opens CSV files with Velum. OK refuses a
// number out of its range with a message and stays open.
class CSettingsSheet final : public QDialog {
  Q_OBJECT

 public:
  CSettingsSheet(CVelumApp& app, const CSettingsSheetValues& values, QWidget* parent = nullptr);
  CSettingsSheet(const CSettingsSheet&) = delete;
  CSettingsSheet& operator=(const CSettingsSheet&) = delete;

  // The values shown, as confirmed.
  const CSettingsSheetValues& Values() const { return m_values; }
  // Whether CSV files are to open with Velum, as shown when the sheet opened
  // and as confirmed.
  bool CsvDefaultBefore() const { return m_csvDefaultBefore; }
  bool CsvDefault() const;
  const CJapaneseSettingsPage& JapanesePage() const { return *m_japanese; }

  void accept() override;

 private:
  CVelumApp& m_app;
  CSettingsSheetValues m_values;
  QLineEdit* m_mru;
  QLineEdit* m_maxTate;
  QCheckBox* m_cursorMove;
  QCheckBox* m_cursorRightMove;
  QComboBox* m_itemPosMode;
  QComboBox* m_itemWidthMode;
  QComboBox* m_newFileForm;
  QCheckBox* m_increSearch;
  QCheckBox* m_holidayRules;
  QCheckBox* m_cardMargin;
  QCheckBox* m_labelEditZero;
  QCheckBox* m_okFrame;
  QCheckBox* m_ppcOpenDlg;
  QCheckBox* m_ppcSaveDlg;
  bool m_csvDefaultBefore = false;
  QCheckBox* m_csvDefault;
  CJapaneseSettingsPage* m_japanese;
};

// Runs the sheet over the store and the window's cached values; on OK writes
// what changed, updates the cache and the views. True when confirmed.
bool RunSettingsSheet(CVelumApp& app, CMainWindow& window);
