#include "ui/dialogs/settings/japanese_settings_page.h"

#include "japanese/wide_digits.h"
#include "japanese/japanese_settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QCheckBox* Check(const QString& text, const QString& id, bool on, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(id);
  box->setChecked(on);
  return box;
}

QLineEdit* Field(const QString& text, const QString& id, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(id);
  return edit;
}

void WriteIfChanged(CSettingsStore& settings, const IntSetting& s, bool on) {
  if ((ReadSetting(settings, s) != 0) != on) WriteSetting(settings, s, on ? 1u : 0u);
}

void WriteIfChanged(CSettingsStore& settings, const StringSetting& s, const QString& text) {
  if (ReadSetting(settings, s) != text) WriteSetting(settings, s, text);
}

}  // namespace

CJapaneseSettingsPage::CJapaneseSettingsPage(const CSettingsStore& s, QWidget* parent) : QWidget(parent) {
  m_kanaFold = Check(QStringLiteral("ひらがな・カタカナ・半角カナ、全角・半角を区別せずに検索する(&K)"),
                     QStringLiteral("KanaFold"), ReadSetting(s, settings::kKanaFold) != 0, this);
  m_wideDigits = Check(QStringLiteral("全角の数字を数値・日付として読む(&W)"), QStringLiteral("WideDigits"),
                       ReadSetting(s, settings::kWideDigits) != 0, this);
  m_readingKatakana = Check(QStringLiteral("ふりがなをカタカナで入力する(&R)"), QStringLiteral("ReadingKatakana"),
                            ReadSetting(s, settings::kReadingKatakana) != 0, this);
  m_readingItems = Field(ReadSetting(s, settings::kReadingItems), QStringLiteral("ReadingItems"), this);
  m_codeItems = Field(ReadSetting(s, settings::kPostalCodeItems), QStringLiteral("PostalCodeItems"), this);
  m_addressItems = Field(ReadSetting(s, settings::kAddressItems), QStringLiteral("AddressItems"), this);
  m_postalFile = Field(ReadSetting(s, settings::kPostalFile), QStringLiteral("PostalFile"), this);
  m_postalFile->setPlaceholderText(QStringLiteral("KEN_ALL.CSV（空欄: skkdic-extra）"));
  m_readingItems->setToolTip(QStringLiteral("名前の項目=ふりがなの項目 をカンマで区切って並べます"));
  for (QLineEdit* items : {m_codeItems, m_addressItems})
    items->setToolTip(QStringLiteral("項目名をカンマで区切って並べます。最初にある項目を使います"));

  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->addRow(QStringLiteral("ふりがなの項目"), m_readingItems);
  form->addRow(QStringLiteral("郵便番号の項目"), m_codeItems);
  form->addRow(QStringLiteral("住所の項目"), m_addressItems);
  form->addRow(QStringLiteral("郵便番号データ"), m_postalFile);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_kanaFold);
  layout->addWidget(m_wideDigits);
  layout->addWidget(m_readingKatakana);
  layout->addLayout(form);
  layout->addStretch();
}

void CJapaneseSettingsPage::Write(CSettingsStore& s) const {
  WriteIfChanged(s, settings::kKanaFold, m_kanaFold->isChecked());
  WriteIfChanged(s, settings::kWideDigits, m_wideDigits->isChecked());
  WriteIfChanged(s, settings::kReadingKatakana, m_readingKatakana->isChecked());
  WriteIfChanged(s, settings::kReadingItems, m_readingItems->text().trimmed());
  WriteIfChanged(s, settings::kPostalCodeItems, m_codeItems->text().trimmed());
  WriteIfChanged(s, settings::kAddressItems, m_addressItems->text().trimmed());
  WriteIfChanged(s, settings::kPostalFile, m_postalFile->text().trimmed());
  ApplyWideDigitsSetting(s);
}
