#pragma once

#include <QWidget>

class CSettingsStore;
class QCheckBox;
class QLineEdit;

// The settings sheet's page 日本語: searches that ignore how kana were typed,
// full-width digits as numbers, readings in katakana, and the items and the
// list of postal codes. Shows the stored values; Write stores what the user
// changed and applies the switch for full-width digits.
class CJapaneseSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit CJapaneseSettingsPage(const CSettingsStore& settings, QWidget* parent = nullptr);
  CJapaneseSettingsPage(const CJapaneseSettingsPage&) = delete;
  CJapaneseSettingsPage& operator=(const CJapaneseSettingsPage&) = delete;

  void Write(CSettingsStore& settings) const;

 private:
  QCheckBox* m_kanaFold;
  QCheckBox* m_wideDigits;
  QCheckBox* m_readingKatakana;
  QLineEdit* m_readingItems;
  QLineEdit* m_codeItems;
  QLineEdit* m_addressItems;
  QLineEdit* m_postalFile;
};
