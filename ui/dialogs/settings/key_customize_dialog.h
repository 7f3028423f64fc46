#pragma once

#include "keys/key_binder.h"

#include <QDialog>

class CMainWindow;
class CVelumApp;
class QCheckBox;
class QListWidget;

// キーカスタマイズ: works on the live key map through CKeyBinder; every
// binding changes the menu labels at once. OK saves the map to its file;
// ｷｬﾝｾﾙ keeps the bindings for this run without saving them.
class CKeyCustomizeDialog final : public QDialog {
  Q_OBJECT

 public:
  // Shown over the window, whose menu labels follow the bindings.
  CKeyCustomizeDialog(CVelumApp& app, CMainWindow& window);
  CKeyCustomizeDialog(const CKeyCustomizeDialog&) = delete;
  CKeyCustomizeDialog& operator=(const CKeyCustomizeDialog&) = delete;

  void accept() override;

 private:
  void FillKeys();
  void ShowCommand();
  void Relabel(const std::vector<CMenuLabelChange>& changes);
  void SaveAs();
  void LoadFrom();
  void NoticeCannotSave(const QString& error);

  CVelumApp& m_app;
  CMainWindow& m_window;
  CKeyBinder m_binder;
  QCheckBox* m_ctrl;
  QCheckBox* m_shift;
  QCheckBox* m_alt;
  QListWidget* m_keys;
  QListWidget* m_commands;
  bool m_filling = false;
};
