#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// The commands a key can be bound to, in the order the customisation dialog
// lists them (61 entries), with the names it shows.
struct CCommandName {
  std::uint32_t command;
  QString name;
};
const std::vector<CCommandName>& CommandTable();

// The position of a command in the table, or -1.
int CommandIndex(std::uint32_t command);
