#pragma once

#include "core/item_commands.h"

#include <QDialog>
#include <QSize>

class CVelumDoc;
class QListWidget;

// 項目の編集: the item names with 追加, 挿入, 変更, 削除, 上へ and 下へ. Every
// change reaches the store at once through CItemEditor; the dialog only asks
// for names and keeps its list in step. After exec() the caller lays the card
// view out again when Changed() and then calls Finish(), which announces the
// changes to the views.
class CItemEditDialog final : public QDialog {
  Q_OBJECT

 public:
  // selected: the item selected at first (the first item when out of range);
  // screen: the area the dialog and its name entry must fit (FitToScreen).
  CItemEditDialog(CVelumDoc& doc, int selected, QSize screen, QWidget* parent = nullptr);
  CItemEditDialog(const CItemEditDialog&) = delete;
  CItemEditDialog& operator=(const CItemEditDialog&) = delete;

  bool Changed() const { return m_editor.Changed(); }
  void Finish() { m_editor.Close(); }
  // The selected item, -1 for none.
  int Selected() const;

 private:
  // Asks for a name; false when the user cancelled.
  bool AskName(const QString& message, const QString& initial, QString* name);
  void Fill(int selected);
  void OnAdd();
  void OnInsert();
  void OnRename();
  void OnDelete();

  CVelumDoc& m_doc;
  CItemEditor m_editor;
  QSize m_screen;
  QListWidget* m_names;
};
