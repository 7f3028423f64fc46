#pragma once

#include "app/file_list.h"
#include "ui/widgets/file_choice.h"

#include <QDialog>

#include <vector>

class CSaveFormBox;
class CVelumApp;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The program's own file selection: one folder's folders and files with name,
// date, size and type, sorted by a tapped heading (kept in FileSelect), the
// filter list, up and into folders, and the check of the chosen name.
class CFileSelectDialog final : public QDialog {
  Q_OBJECT

 public:
  CFileSelectDialog(CVelumApp& app, const CFileRequest& request, QWidget* parent = nullptr);
  ~CFileSelectDialog() override;
  CFileSelectDialog(const CFileSelectDialog&) = delete;
  CFileSelectDialog& operator=(const CFileSelectDialog&) = delete;

  // The full path chosen, after OK.
  const QString& Path() const { return m_path; }
  const QString& Folder() const { return m_folder; }
  QTreeWidget* List() const { return m_list; }
  // The card file's form chosen beside the name (a request with a saveForm).
  CSaveForm SaveForm() const;

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Fill(const QString& select);
  void ShowEntries(const QString& select);
  void EnterFolder(const QString& folder, const QString& select);
  void Up();
  void Activate(QTreeWidgetItem* item);
  void ChooseFolder();

  CVelumApp& m_app;
  CFileRequest m_request;
  std::vector<CFileFilter> m_filters;
  std::vector<CFileObj> m_entries;
  QString m_folder;
  QString m_path;
  int m_sortItem = 0;
  int m_sortMode = 0;
  QLineEdit* m_folderField;
  QLineEdit* m_name;
  QTreeWidget* m_list;
  QComboBox* m_filter;
  CSaveFormBox* m_saveForm = nullptr;
};

// フォルダの指定: a folder tree filled as its folders open, and フォルダ作成.
class CFolderDialog final : public QDialog {
  Q_OBJECT

 public:
  CFolderDialog(CVelumApp& app, const QString& folder, QWidget* parent = nullptr);
  CFolderDialog(const CFolderDialog&) = delete;
  CFolderDialog& operator=(const CFolderDialog&) = delete;

  // The selected item's folder.
  QString Folder() const;
  QTreeWidget* Tree() const { return m_tree; }
  // Creates a folder of that name in the selected one and selects it; false
  // when it could not be made.
  bool CreateFolder(const QString& name);

 private:
  void FillLevel(QTreeWidgetItem* item, int depth);
  void Expanded(QTreeWidgetItem* item);
  QString PathOf(const QTreeWidgetItem* item) const;

  CVelumApp& m_app;
  QTreeWidget* m_tree;
};

// A message line and one text field, titled "VELUM".
class CTextPromptDialog final : public QDialog {
  Q_OBJECT

 public:
  CTextPromptDialog(const QString& message, const QString& text, QWidget* parent = nullptr);
  CTextPromptDialog(const CTextPromptDialog&) = delete;
  CTextPromptDialog& operator=(const CTextPromptDialog&) = delete;
  QString Text() const;

 private:
  QLineEdit* m_text;
};
