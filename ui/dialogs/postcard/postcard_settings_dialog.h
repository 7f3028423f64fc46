#pragma once

#include "print/postcard/postcard_settings.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class CPostcardCardView;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLineEdit;
class QPainter;

// はがきの設定: which items a postcard reads, the honorific rules, how numbers
// and hyphens are written, the face, the sender, the printer offsets and the
// calibration page, with the current card drawn as the settings stand. The
// caller reads Result() after exec() and stores it.
class CPostcardSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  // paint draws the current card with the settings given (0.1 mm units);
  // calibrate prints the calibration page with them.
  using Paint = std::function<void(QPainter&, const CPostcardSettings&)>;
  using Calibrate = std::function<void(const CPostcardSettings&, QWidget* parent)>;

  CPostcardSettingsDialog(const QStringList& itemNames, const CPostcardSettings& settings, Paint paint,
                          Calibrate calibrate, bool narrow, QWidget* parent = nullptr);
  CPostcardSettingsDialog(const CPostcardSettingsDialog&) = delete;
  CPostcardSettingsDialog& operator=(const CPostcardSettingsDialog&) = delete;

  // The settings as the controls show them.
  CPostcardSettings Result() const;

 private:
  QWidget* ItemsPage(const QStringList& itemNames);
  QWidget* StylePage();
  QWidget* SenderPage();
  QWidget* PositionPage();
  void Refresh();

  CPostcardSettings m_settings;  // what the controls do not show is kept
  Paint m_paint;
  Calibrate m_calibrate;
  std::vector<std::pair<QComboBox*, QString CPostcardSettings::*>> m_items;
  QLineEdit* m_honorific;
  QCheckBox* m_useHonorificItem;
  QCheckBox* m_companyOnchu;
  QComboBox* m_numerals;
  QComboBox* m_hyphen;
  QFontComboBox* m_face;
  QLineEdit* m_mark;
  QCheckBox* m_sender;
  QLineEdit* m_senderName;
  QLineEdit* m_senderAddress1;
  QLineEdit* m_senderAddress2;
  QLineEdit* m_senderCode;
  QLineEdit* m_senderBoxes;
  QDoubleSpinBox* m_offsetX;
  QDoubleSpinBox* m_offsetY;
  CPostcardCardView* m_preview = nullptr;
};
