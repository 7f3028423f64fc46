#include "cli/command_registry.h"

std::map<QString, CCliCommandInfo>& CliCommands() {
  static std::map<QString, CCliCommandInfo> commands;
  return commands;
}

std::map<QString, BatchCommand>& BatchCommands() {
  static std::map<QString, BatchCommand> commands;
  return commands;
}
