#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class CKeyMap;

// A menu entry whose key label the customisation dialog changes: the entry of
// command gets label, or loses its label when there is none.
struct CMenuLabelChange {
  std::uint32_t command;
  std::optional<QString> label;
  bool operator==(const CMenuLabelChange&) const = default;
};

// The rules of the dialog "キーカスタマイズ" on the live key map: the key list
// (one label per entry of the key-name table, with the checked modifiers), the
// command list ("（なし）" and the command table), and binding a command to the
// selected key at once. The map keeps at most one binding per key and
// modifiers from the dialog's side.
class CKeyBinder {
 public:
  static const QString kNoCommand;  // "（なし）"

  explicit CKeyBinder(CKeyMap& map);

  // The check boxes; a change rebuilds the key list and selects its first entry.
  void SetModifiers(bool ctrl, bool shift, bool alt);
  bool Ctrl() const { return m_ctrl; }
  bool Shift() const { return m_shift; }
  bool Alt() const { return m_alt; }

  QStringList KeyList() const;
  static QStringList CommandList();

  int SelectedKey() const { return m_key; }
  void SelectKey(int index) { m_key = index; }
  // The command list's entry for the selected key: the bound command's place
  // (1 for the first command of the table), 0 for "（なし）" or an unbound key.
  int CommandSelection() const;

  // Selecting entry choice of the command list binds it to the selected key:
  // "（なし）" removes the binding, another command replaces its command or adds
  // a binding. Answers the menu entries to label again: the old command's (with
  // the label of its first remaining key, or none), then the chosen command's
  // (with the selected key's text). Nothing happens without a selected key.
  std::vector<CMenuLabelChange> ChooseCommand(int choice);

 private:
  std::uint32_t SelectedKeyCode() const;

  CKeyMap& m_map;
  bool m_ctrl = false;
  bool m_shift = false;
  bool m_alt = false;
  int m_key = 0;
};
