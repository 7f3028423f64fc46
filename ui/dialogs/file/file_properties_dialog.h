#pragma once

#include <QDialog>
#include <QSize>

#include <cstdint>

class CSettingsStore;
class QCheckBox;
class QPushButton;

// ファイルのプロパティ: the document's path, the first-line and Microsoft-CSV
// check boxes and the card view's background colour, chosen with the colour
// dialog. The caller reads the choices after exec() and hands them to
// CVelumDoc::ApplyFileProperties.
class CFilePropertiesDialog final : public QDialog {
  Q_OBJECT

 public:
  struct Values {
    bool firstLineIsItems = true;
    bool msCsv = false;
    std::uint32_t backColor = 0;  // 0x00BBGGRR
  };
  // settings: where the colour dialog keeps its custom colours; screen: as FitToScreen takes it.
  CFilePropertiesDialog(const QString& path, const Values& values, CSettingsStore& settings, QSize screen,
                        QWidget* parent = nullptr);
  CFilePropertiesDialog(const CFilePropertiesDialog&) = delete;
  CFilePropertiesDialog& operator=(const CFilePropertiesDialog&) = delete;

  Values Result() const;

 private:
  void ShowColor();

  CSettingsStore& m_settings;
  QSize m_screen;
  std::uint32_t m_backColor;
  QCheckBox* m_firstLine;
  QCheckBox* m_msCsv;
  QPushButton* m_color;
};
