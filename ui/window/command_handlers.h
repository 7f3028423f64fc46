#pragma once

#include <cstdint>
#include <functional>
#include <map>

class CMainWindow;
class CVelumApp;

// Commands that open a dialog of their own register their handler here, each
// in its dialog's file; the main window's dispatch runs a registered handler
// before routing a command to the views, and a command with a handler is
// enabled in the menus. The handler answers whether it took the command.
using CommandHandler = std::function<bool(CVelumApp& app, CMainWindow& window)>;

std::map<std::uint32_t, CommandHandler>& DialogCommands();

// A file-scope object that registers one handler at start.
struct CRegisterCommand {
  CRegisterCommand(std::uint32_t id, CommandHandler handler);
};
