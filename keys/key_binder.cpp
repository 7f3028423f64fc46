#include "keys/key_binder.h"

#include "keys/command_table.h"
#include "keys/key_map.h"
#include "keys/key_names.h"

const QString CKeyBinder::kNoCommand = QStringLiteral("（なし）");

CKeyBinder::CKeyBinder(CKeyMap& map) : m_map(map) {}

void CKeyBinder::SetModifiers(bool ctrl, bool shift, bool alt) {
  m_ctrl = ctrl;
  m_shift = shift;
  m_alt = alt;
  m_key = 0;
}

QStringList CKeyBinder::KeyList() const {
  QStringList list;
  for (const CKeyName& k : KeyNames()) list << KeyLabel(k.keyCode, m_alt, m_shift, m_ctrl);
  return list;
}

QStringList CKeyBinder::CommandList() {
  QStringList list{kNoCommand};
  for (const CCommandName& c : CommandTable()) list << c.name;
  return list;
}

std::uint32_t CKeyBinder::SelectedKeyCode() const { return KeyNames()[std::size_t(m_key)].keyCode; }

int CKeyBinder::CommandSelection() const {
  if (m_key < 0 || m_key >= int(KeyNames().size())) return 0;
  const int i = m_map.FindBinding(SelectedKeyCode(), m_alt, m_shift, m_ctrl);
  if (i < 0) return 0;
  return CommandIndex(m_map.At(i).m_command) + 1;  // an unknown command shows as "（なし）"
}

std::vector<CMenuLabelChange> CKeyBinder::ChooseCommand(int choice) {
  std::vector<CMenuLabelChange> changes;
  const int commands = int(CommandTable().size());
  if (m_key < 0 || m_key >= int(KeyNames().size()) || choice < 0 || choice > commands) return changes;
  const std::uint32_t keyCode = SelectedKeyCode();
  const std::uint32_t command = choice == 0 ? 0 : CommandTable()[std::size_t(choice - 1)].command;
  const int i = m_map.FindBinding(keyCode, m_alt, m_shift, m_ctrl);
  if (i >= 0) {
    const std::uint32_t old = m_map.At(i).m_command;
    if (choice == 0)
      m_map.RemoveAt(i);
    else
      m_map.SetCommand(i, command);
    changes.push_back({old, m_map.LabelForCommand(old)});
  } else if (choice != 0) {
    m_map.Append(CKeycust(keyCode, m_alt, m_ctrl, m_shift, command));
  }
  if (choice != 0) changes.push_back({command, KeyList()[m_key]});
  return changes;
}
