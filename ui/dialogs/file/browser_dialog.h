#pragma once

#include <QDialog>

class CVelumApp;
class QLineEdit;

// ブラウザ表示設定: the template of the card file and the preview file, a
// starting template written at once, both paths stored on OK.
class CBrowserSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  CBrowserSettingsDialog(CVelumApp& app, QWidget* parent = nullptr);
  CBrowserSettingsDialog(const CBrowserSettingsDialog&) = delete;
  CBrowserSettingsDialog& operator=(const CBrowserSettingsDialog&) = delete;

  QString TemplatePath() const;
  QString PreviewPath() const;

 private:
  void BrowseTemplate();
  void CreateTemplate();
  void BrowsePreview();

  CVelumApp& m_app;
  QLineEdit* m_template;
  QLineEdit* m_preview;
};
