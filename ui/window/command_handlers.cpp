#include "ui/window/command_handlers.h"

std::map<std::uint32_t, CommandHandler>& DialogCommands() {
  static std::map<std::uint32_t, CommandHandler> handlers;
  return handlers;
}

CRegisterCommand::CRegisterCommand(std::uint32_t id, CommandHandler handler) {
  DialogCommands()[id] = std::move(handler);
}
