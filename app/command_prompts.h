#pragma once

#include <QString>

#include <cstdint>

// The status-line prompts of the string table: what each command does, shown
// while its menu entry or toolbar button is highlighted.

// The prompt's first line; for a command without one of its own, its name (the
// menu text without mnemonic and "..."), or an empty text for a number the
// window does not know. The recent-file entries share one prompt.
QString CommandPrompt(std::uint32_t id);
