#pragma once

#include "core/item_property_edit.h"

#include <QDialog>

class IPrompt;
class QListWidget;

// 選択肢の設定: the choices of a choice-list item, with add, edit, delete and
// moving a line up or down. The list is read through Choices() after exec();
// キャンセル leaves the caller's list as it was.
class CChoiceListDialog final : public QDialog {
  Q_OBJECT

 public:
  CChoiceListDialog(const QStringList& choices, IPrompt& prompt, QWidget* parent = nullptr);
  CChoiceListDialog(const CChoiceListDialog&) = delete;
  CChoiceListDialog& operator=(const CChoiceListDialog&) = delete;

  QStringList Choices() const { return m_list.Choices(); }

 private:
  void Add();
  void Edit();
  void Delete();
  // Fills the list again, keeping the top line, and selects `line`.
  void Refill(int line);

  CChoiceList m_list;
  IPrompt& m_prompt;
  QListWidget* m_view;
};
