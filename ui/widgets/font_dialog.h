#pragma once

#include "settings/settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;

// フォントの設定: the screen's font families, a size box with its fixed list,
// bold and italic. The caller reads the choice through the getters.
class CFontDialog final : public QDialog {
  Q_OBJECT

 public:
  CFontDialog(const QString& face, int pointSize, bool bold, bool italic, QWidget* parent = nullptr);
  CFontDialog(const CFontDialog&) = delete;
  CFontDialog& operator=(const CFontDialog&) = delete;

  QString FaceName() const { return m_face; }
  int PointSize() const;
  bool Bold() const;
  bool Italic() const;

 private:
  QString m_face;
  QListWidget* m_families;
  QComboBox* m_size;
  QCheckBox* m_bold;
  QCheckBox* m_italic;
};

// The font command of a view: the dialog on the font of a settings section;
// on OK the section is written and true answered.
bool ChooseSectionFont(QWidget* parent, CSettingsStore& settings, settings::FontSection section);
